#include "Driver.h"

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <utility>

namespace nw::e2e {

namespace {

constexpr DWORD kPollMs = 25;
// How long a message sent to the program may take before we give up on it.
constexpr UINT kSendTimeoutMs = 5000;
constexpr DWORD kInputIdleMs = 10000;
constexpr DWORD kKillWaitMs = 5000;
constexpr int kMessageBoxTextId = 0xFFFF;

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
  return narrow;
}

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + " (error " + std::to_string(GetLastError()) + ")");
}

bool Running(HANDLE process) {
  return process != nullptr && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

// Holds the clipboard open for as long as it lives.
class ClipboardScope {
 public:
  ClipboardScope() {
    // The program may hold it for a moment: try for a while.
    WaitUntil([this] { return open_ = OpenClipboard(nullptr) != FALSE; }, 1000);
  }
  ~ClipboardScope() {
    if (open_) CloseClipboard();
  }
  ClipboardScope(const ClipboardScope&) = delete;
  ClipboardScope& operator=(const ClipboardScope&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

// EnumWindows and EnumChildWindows take stdcall functions, which a lambda is
// not on i686: these collect into the vector behind lParam.
struct TopLevelQuery {
  DWORD pid;
  const wchar_t* className;
  const wchar_t* title;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM lParam) {
  auto& query = *reinterpret_cast<TopLevelQuery*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != query.pid || !IsWindowVisible(window)) return TRUE;
  if (query.className != nullptr && lstrcmpiW(ClassNameOf(window).c_str(), query.className) != 0) return TRUE;
  if (query.title != nullptr && TextOf(window) != query.title) return TRUE;
  query.found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM lParam) {
  reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
  return TRUE;
}

Control Describe(HWND window, HWND reference) {
  Control control;
  control.hwnd = window;
  control.className = ClassNameOf(window);
  control.text = TextOf(window);
  control.style = GetWindowLongW(window, GWL_STYLE);
  control.exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  control.id = GetDlgCtrlID(window);
  control.rectInParentClient = RectInClientOf(window, reference);
  return control;
}

// Key message data: repeat count 1, the scan code, and the given flag bits.
LPARAM KeyData(UINT virtualKey, DWORD flags) {
  const DWORD scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC) & 0xFF;
  return static_cast<LPARAM>(static_cast<DWORD>(1 | (scanCode << 16) | flags));
}

constexpr DWORD kAltDown = 1u << 29;
constexpr DWORD kWasDown = 1u << 30;
constexpr DWORD kKeyUp = 1u << 31;

HWND KeyTarget(HWND topLevel) {
  HWND focus = FocusedWindow(topLevel);
  return focus != nullptr ? focus : topLevel;
}

// --- Telling the message box icon by its pixels -------------------------------------------------
//
// The icon's handle belongs to the program and means nothing here, so the
// icon is told by what the screen shows: the standard icons are drawn here on
// the background the box shows, and the closest one wins.

using Pixels = std::vector<std::uint32_t>;

// A top-down 32-bit bitmap with a memory DC to draw into it.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    if (dc_ == nullptr) Fail("no memory DC");
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (bitmap_ == nullptr) {
      DeleteDC(dc_);
      Fail("no bitmap");
    }
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return dc_; }
  Pixels Read() const {
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits_);
    return Pixels(first, first + static_cast<std::size_t>(width_) * height_);
  }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

Pixels ScreenPixels(const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  Canvas canvas(width, height);
  HDC screen = GetDC(nullptr);
  BitBlt(canvas.Dc(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return canvas.Read();
}

Pixels IconPixels(HICON icon, int width, int height, std::uint32_t background) {
  Canvas canvas(width, height);
  // DIB pixels are 0x00RRGGBB, a COLORREF 0x00BBGGRR.
  HBRUSH brush =
      CreateSolidBrush(RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
  RECT all = {0, 0, width, height};
  FillRect(canvas.Dc(), &all, brush);
  DeleteObject(brush);
  DrawIconEx(canvas.Dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  return canvas.Read();
}

// 0 for the same pixels, 1 for black against white everywhere.
double Distance(const Pixels& a, const Pixels& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      sum += std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF));
    }
  }
  return a.empty() ? 1.0 : sum / (255.0 * 3 * a.size());
}

MessageBoxIcon IconShownBy(HWND iconControl) {
  RECT rect;
  GetWindowRect(iconControl, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return MessageBoxIcon::Unknown;
  const Pixels shown = ScreenPixels(rect);
  // A corner shows the background in every standard icon; a single colour
  // everywhere means the box has not been painted yet.
  const std::uint32_t background = shown.front() & 0xFFFFFF;
  bool painted = false;
  for (std::uint32_t pixel : shown) painted = painted || (pixel & 0xFFFFFF) != background;
  if (!painted) return MessageBoxIcon::Unknown;

  const std::pair<MessageBoxIcon, LPCWSTR> candidates[] = {
      {MessageBoxIcon::Stop, IDI_HAND},
      {MessageBoxIcon::Information, IDI_ASTERISK},
      {MessageBoxIcon::Warning, IDI_EXCLAMATION},
      {MessageBoxIcon::Question, IDI_QUESTION},
  };
  MessageBoxIcon best = MessageBoxIcon::Unknown;
  double bestDistance = 1.0;
  double secondDistance = 1.0;
  for (const auto& [icon, resource] : candidates) {
    const double distance =
        Distance(shown, IconPixels(LoadIconW(nullptr, resource), width, height, background));
    if (distance < bestDistance) {
      secondDistance = bestDistance;
      bestDistance = distance;
      best = icon;
    } else if (distance < secondDistance) {
      secondDistance = distance;
    }
  }
  // Near enough to one and clearly nearer to it than to any other.
  if (bestDistance > 0.05 || secondDistance < 2 * bestDistance) return MessageBoxIcon::Unknown;
  return best;
}

}  // namespace

// --- Processes ------------------------------------------------------------------------------------

UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = other.Release();
  }
  return *this;
}

UniqueHandle::~UniqueHandle() {
  if (handle_ != nullptr) CloseHandle(handle_);
}

HANDLE UniqueHandle::Release() {
  return std::exchange(handle_, nullptr);
}

Process::Process(UniqueHandle process, UniqueHandle thread, DWORD id)
    : process_(std::move(process)), thread_(std::move(thread)), id_(id) {}

Process Process::Start(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started)) {
    Fail("cannot start " + Narrow(exe));
  }
  Process process(UniqueHandle(started.hProcess), UniqueHandle(started.hThread), started.dwProcessId);
  // Fails at once for a program without a message loop; callers wait for its windows anyway.
  WaitForInputIdle(process.process_.Get(), kInputIdleMs);
  return process;
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    process_ = std::move(other.process_);
    thread_ = std::move(other.thread_);
    id_ = other.id_;
  }
  return *this;
}

Process::~Process() {
  Kill();
}

bool Process::WaitForExit(DWORD ms) const {
  return process_.Get() != nullptr && WaitForSingleObject(process_.Get(), ms) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (!GetExitCodeProcess(process_.Get(), &code)) Fail("no exit code");
  return code;
}

void Process::Kill() {
  if (!Running(process_.Get())) return;
  TerminateProcess(process_.Get(), kKilledExitCode);
  WaitForSingleObject(process_.Get(), kKillWaitMs);
}

// --- Windows and controls -------------------------------------------------------------------------

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPollMs);
  }
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
    return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied)) {
    return {};
  }
  text.resize(copied < length ? copied : length);
  return text;
}

std::wstring ClassNameOf(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? length : 0);
}

std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className, const wchar_t* title) {
  TopLevelQuery query{pid, className, title, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        const std::vector<HWND> windows = TopLevelWindows(pid, className, title);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

HWND WaitForActiveWindow(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs) {
  const ULONGLONG start = GetTickCount64();
  const HWND window = WaitForWindow(pid, className, title, timeoutMs);
  if (window == nullptr) return nullptr;
  const DWORD spent = static_cast<DWORD>(GetTickCount64() - start);
  const bool active = WaitUntil(
      [&] {
        const HWND focus = FocusedWindow(window);
        return GetForegroundWindow() == window && focus != nullptr &&
               (focus == window || IsChild(window, focus));
      },
      timeoutMs > spent ? timeoutMs - spent : 0);
  if (!active) return nullptr;
  Settle(window);
  return window;
}

std::vector<Control> Children(HWND parent) {
  std::vector<HWND> windows;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&windows));
  std::vector<Control> controls;
  for (HWND window : windows) controls.push_back(Describe(window, parent));
  return controls;
}

std::optional<Control> ChildById(HWND parent, int id) {
  for (Control& control : Children(parent)) {
    if (control.id == id) return std::move(control);
  }
  return std::nullopt;
}

RECT ClientRectOnScreen(HWND window) {
  RECT rect = {};
  GetClientRect(window, &rect);
  MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

RECT RectInClientOf(HWND window, HWND reference) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LRESULT CheckState(HWND button) {
  DWORD_PTR state = BST_UNCHECKED;
  SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &state);
  return static_cast<LRESULT>(state);
}

// --- Acting -----------------------------------------------------------------------------------------

void Click(HWND button) {
  if (!PostMessageW(button, BM_CLICK, 0, 0)) Fail("cannot click");
}

HWND FocusedWindow(HWND topLevel) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(topLevel, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void PressKey(HWND topLevel, UINT virtualKey) {
  HWND target = KeyTarget(topLevel);
  if (!PostMessageW(target, WM_KEYDOWN, virtualKey, KeyData(virtualKey, 0))) Fail("cannot press a key");
  // The key going down may already have closed the window (Esc, Enter).
  if (!PostMessageW(target, WM_KEYUP, virtualKey, KeyData(virtualKey, kWasDown | kKeyUp)) && IsWindow(target))
    Fail("cannot let a key go");
}

void PressAccessKey(HWND topLevel, wchar_t letter) {
  const UINT virtualKey = static_cast<UINT>(LOBYTE(VkKeyScanW(letter)));
  if (!PostMessageW(KeyTarget(topLevel), WM_SYSCHAR, letter, KeyData(virtualKey, kAltDown))) {
    Fail("cannot press an access key");
  }
}

// --- Real input ----------------------------------------------------------------------------------

POINT CentreOf(const RECT& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

RECT ScreenRectOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

namespace {

void Ping(HWND window) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
}

}  // namespace

// The thread answers a sent message from inside its wait for the next
// message; the input already queued comes out of that wait before it can
// answer the second one. Then the paints that are due are done at once, and
// the thread puts them on the screen before it waits again, which is where it
// answers the last message.
void Settle(HWND window) {
  Ping(window);
  Ping(window);
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Ping(window);
}

// Reading a pixel back waits for everything sent before it.
void SyncWithScreen() {
  const std::unique_ptr<HDC__, ScreenDcRelease> screen(GetDC(nullptr));
  const std::unique_ptr<HDC__, DcDelete> memory(CreateCompatibleDC(screen.get()));
  const std::unique_ptr<HBITMAP__, ObjectDelete> bitmap(CreateCompatibleBitmap(screen.get(), 1, 1));
  if (!screen || !memory || !bitmap) Fail("cannot read the screen");
  const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
  BitBlt(memory.get(), 0, 0, 1, 1, screen.get(), 0, 0, SRCCOPY);
  SelectObject(memory.get(), old);
}

// Under Wine the move also warps the X pointer, and the program then hears of
// the warp as a motion of its own: handled late, that motion would pull the
// pointer back after the next move. So this waits for the X server and then
// for the program. Absolute input counts 65536 steps across the screen;
// rounding up lands on the pixel asked for. If a warp from the move before is
// heard after this one all the same, the move is made again, a few times at
// most.
void MoveMouseTo(POINT at, HWND program) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  const LONG width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = (at.x * 65536 + width - 1) / width;
  input.mi.dy = (at.y * 65536 + height - 1) / height;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  POINT now{};
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (SendInput(1, &input, sizeof input) != 1) Fail("cannot move the mouse");
    SyncWithScreen();
    if (program != nullptr) Settle(program);
    GetCursorPos(&now);
    if (now.x == at.x && now.y == at.y) return;
  }
  throw std::runtime_error("the pointer is at " + std::to_string(now.x) + "," + std::to_string(now.y));
}

void LeftButton(bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  if (SendInput(1, &input, sizeof input) != 1) Fail("cannot press the mouse button");
}

void ClickAt(POINT at, HWND program) {
  MoveMouseTo(at, program);
  LeftButton(true);
  LeftButton(false);
}

void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = key;
    inputs.push_back(down);
  }
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
    INPUT up{};
    up.type = INPUT_KEYBOARD;
    up.ki.wVk = *key;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(up);
  }
  if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
    Fail("cannot press keys");
}

// --- Message boxes ----------------------------------------------------------------------------------

std::vector<HWND> MessageBoxesOf(DWORD pid) {
  return TopLevelWindows(pid, L"#32770");
}

MessageBoxInfo ReadMessageBox(HWND box) {
  MessageBoxInfo info;
  info.hwnd = box;
  info.title = TextOf(box);
  HWND iconControl = nullptr;
  for (const Control& control : Children(box)) {
    const bool visible = (control.style & WS_VISIBLE) != 0;
    if (lstrcmpiW(control.className.c_str(), L"Static") == 0) {
      if (LOWORD(control.id) == kMessageBoxTextId) {
        info.text = control.text;
      } else if ((control.style & SS_TYPEMASK) == SS_ICON && visible) {
        iconControl = control.hwnd;
      }
    } else if (lstrcmpiW(control.className.c_str(), L"Button") == 0 && visible) {
      ++info.buttonCount;
    }
  }
  info.icon = iconControl != nullptr ? IconShownBy(iconControl) : MessageBoxIcon::None;
  return info;
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
  std::optional<MessageBoxInfo> box;
  WaitUntil(
      [&] {
        const std::vector<HWND> boxes = MessageBoxesOf(pid);
        if (boxes.empty()) return false;
        box = ReadMessageBox(boxes.front());
        return box->icon != MessageBoxIcon::Unknown;
      },
      timeoutMs);
  return box;
}

void Answer(const MessageBoxInfo& box, int buttonId) {
  HWND button = GetDlgItem(box.hwnd, buttonId);
  if (button == nullptr) Fail("the message box has no button " + std::to_string(buttonId));
  Click(button);
}

void Dismiss(const MessageBoxInfo& box) {
  Answer(box, IDOK);
}

// --- Clipboard and paths ------------------------------------------------------------------------------

std::wstring ReadClipboardText() {
  ClipboardScope clipboard;
  if (!clipboard.IsOpen()) Fail("cannot open the clipboard");
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return {};
  const auto* chars = static_cast<const wchar_t*>(GlobalLock(data));
  if (chars == nullptr) return {};
  std::wstring text = chars;
  GlobalUnlock(data);
  return text;
}

std::wstring WinePathOf(std::string_view unixPath) {
  std::wstring path = L"Z:";
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, unixPath.data(), static_cast<int>(unixPath.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, unixPath.data(), static_cast<int>(unixPath.size()), wide.data(), length);
  for (wchar_t c : wide) path += c == L'/' ? L'\\' : c;
  return path;
}

DisplayDpi::DisplayDpi(DWORD dpi) {
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr) != ERROR_SUCCESS)
    Fail("cannot open the display settings");
  DWORD size = sizeof previous_;
  had_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&previous_), &size) ==
         ERROR_SUCCESS;
  RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
}

DisplayDpi::~DisplayDpi() {
  if (had_)
    RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&previous_),
                   sizeof previous_);
  else
    RegDeleteValueW(key_, L"LogPixels");
  RegCloseKey(key_);
}

}  // namespace nw::e2e
