// The about window as its user meets it: opened from the main window's
// "&About", read from a second process (its controls and its pixels on the
// screen), worked with real mouse and keyboard input, and its links followed
// to the programs the shell starts for them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e/Driver.h"
#include "frmNW/ControlIds.h"
#include "hpABOUT/AboutControlIds.h"

namespace nw::e2e {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kWait = 10000;

using about::kBtnEnd;
using about::kImgHolpine;
using about::kLblInfo;
constexpr int kMailLine = 1, kWebLine = 2;

const std::wstring kMail = L"hello@nookwayer.example";
const std::wstring kWeb = L"http://www.nookwayer.example/";

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGreen = RGB(0, 192, 0);
constexpr COLORREF kLightGreen = RGB(128, 255, 128);

// --- What the screen shows ------------------------------------------------------------------------

// A part of the screen as it shows now.
class Screenshot {
 public:
  explicit Screenshot(HWND window) : Screenshot(ClientRectOnScreen(window)) {}
  explicit Screenshot(const RECT& onScreen)
      : width_(onScreen.right - onScreen.left), height_(onScreen.bottom - onScreen.top) {
    pixels_.resize(static_cast<std::size_t>(width_) * height_);
    const std::unique_ptr<HDC__, ScreenDcRelease> screen(GetDC(nullptr));
    const std::unique_ptr<HDC__, DcDelete> memory(CreateCompatibleDC(screen.get()));
    const std::unique_ptr<HBITMAP__, ObjectDelete> bitmap(
        CreateCompatibleBitmap(screen.get(), width_, height_));
    if (!screen || !memory || !bitmap) throw std::runtime_error("cannot read the screen");
    const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width_, height_, screen.get(), onScreen.left, onScreen.top, SRCCOPY);
    SelectObject(memory.get(), old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height_), pixels_.data(), &info,
              DIB_RGB_COLORS);
  }

  COLORREF At(int x, int y) const {
    const std::uint32_t p = pixels_[static_cast<std::size_t>(y) * width_ + x];  // 0x00RRGGBB
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // How often each colour other than black appears inside `r`.
  std::map<COLORREF, int> ColoursIn(const RECT& r) const {
    std::map<COLORREF, int> colours;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (At(x, y) != kBlack) ++colours[At(x, y)];
    return colours;
  }
  bool operator==(const Screenshot&) const = default;

 private:
  int width_, height_;
  std::vector<std::uint32_t> pixels_;
};

// What the window shows once its paints have all reached the screen (they go
// to the X server on the program's own connection): the first picture that a
// second one, a moment later, shows again.
Screenshot SteadyScreenshot(HWND window) {
  Screenshot last(window);
  for (int tries = 0; tries < 20; ++tries) {
    Sleep(100);
    Screenshot next(window);
    if (next == last) break;
    last = std::move(next);
  }
  return last;
}

// --- The shell's handlers ---------------------------------------------------------------------------

// One open registry key, closed when it goes.
struct Key {
  HKEY handle = nullptr;
  ~Key() {
    if (handle != nullptr) RegCloseKey(handle);
  }
};

// Makes the recorder program the handler of a URL scheme for as long as it
// lives, then puts the previous handler back. Classes are shared by both
// views of the registry; Wine takes no per-user override, so this is the
// machine-wide key.
class SchemeHandler {
 public:
  SchemeHandler(const std::wstring& scheme, const std::wstring& command)
      : path_(scheme + L"\\shell\\open\\command") {
    Key key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path_.c_str(), 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key.handle,
                        nullptr) != ERROR_SUCCESS) {
      return;
    }
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.handle, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      previous_.emplace(size, '\0');
      RegQueryValueExW(key.handle, nullptr, nullptr, &previousType_,
                       reinterpret_cast<BYTE*>(previous_->data()), &size);
    }
    installed_ =
        RegSetValueExW(key.handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  ~SchemeHandler() {
    Key key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path_.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key.handle) !=
        ERROR_SUCCESS) {
      return;
    }
    if (previous_) {
      RegSetValueExW(key.handle, nullptr, 0, previousType_, reinterpret_cast<const BYTE*>(previous_->data()),
                     static_cast<DWORD>(previous_->size()));
    } else {
      RegDeleteValueW(key.handle, nullptr);
    }
  }
  SchemeHandler(const SchemeHandler&) = delete;
  SchemeHandler& operator=(const SchemeHandler&) = delete;

  bool Installed() const { return installed_; }

 private:
  std::wstring path_;
  std::optional<std::string> previous_;  // the value's bytes as stored
  DWORD previousType_ = REG_SZ;
  bool installed_ = false;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size, nullptr,
                      nullptr);
  return utf8;
}

// --- The program --------------------------------------------------------------------------------------

// Everything the user can see of the main window's controls.
std::string StateOf(HWND window) {
  std::wostringstream state;
  for (const Control& c : Children(window)) {
    state << c.id << L" \"" << c.text << L"\" checked " << CheckState(c.hwnd) << L" enabled "
          << IsWindowEnabled(c.hwnd) << L" visible " << IsWindowVisible(c.hwnd) << L"\n";
  }
  return Utf8(state.str());
}

class AboutWindow : public testing::Test {
 protected:
  void SetUp() override {
    // The pointer starts away from where the windows open.
    MoveMouseTo(POINT{2, 2}, nullptr);
    dir_ = fs::temp_directory_path() / ("nw-about-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(dir_);
    std::ofstream(dir_ / "about.nwk", std::ios::binary)
        << "Hollowpine's Nookway v1_[A1]\r\nname=About Test\r\nicon=shell32.dll,4\r\nclsid5=0000E2E00002\r\n"
           "Open;notepad.exe;\r\n";
    std::error_code ignored;
    fs::remove(HandledLog(), ignored);
    StartProgram();
  }
  void StartProgram() {
    process_.emplace(Process::Start(WinePathOf(NW_PROGRAM_EXE), (dir_ / "about.nwk").wstring()));
    main_ = WaitForActiveWindow(process_->Id(), kMainWindowClass, L"Nookwayer", kWait);
    ASSERT_NE(main_, nullptr);
  }
  void TearDown() override {
    process_.reset();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
    fs::remove(HandledLog(), ignored);
  }

  // Presses "&About" and waits for the about window to show and paint.
  HWND OpenAbout() {
    Click(GetDlgItem(main_, kAbout));
    return WaitForActiveWindow(process_->Id(), about::kWindowClass, nullptr, kWait);
  }
  // Where the recorder logs: beside itself. The program hands links to the
  // desktop's shell where it runs elevated, so the recorder may be started by
  // the shell, with none of this test's environment.
  static fs::path HandledLog() { return fs::path(WinePathOf(NW_URL_RECORDER_EXE) + L".log"); }
  HWND Info(HWND about, int index) { return GetDlgItem(about, kLblInfo + index); }
  RECT ScreenRectOfInfo(HWND about, int index) { return ScreenRectOf(Info(about, index)); }

  // The link lines the screen shows underlined: "mail", "web", both or "none".
  // An underline runs unbroken under most of the line's text; no letter does.
  std::string UnderlinedLinks(HWND about) {
    const Screenshot shot(about);
    std::string links;
    for (int index : {kMailLine, kWebLine}) {
      const RECT r = RectInClientOf(Info(about, index), about);
      int first = r.right, last = r.left - 1, longest = 0;
      for (int y = r.top; y < r.bottom; ++y) {
        int run = 0;
        for (int x = r.left; x < r.right; ++x) {
          if (shot.At(x, y) == kBlack) {
            run = 0;
            continue;
          }
          longest = std::max(longest, ++run);
          first = std::min(first, x);
          last = std::max(last, x);
        }
      }
      if (last >= first && longest * 10 >= (last - first + 1) * 8)
        links += std::string(links.empty() ? "" : " ") + (index == kMailLine ? "mail" : "web");
    }
    return links.empty() ? "none" : links;
  }

  // The same once the screen has caught up: the program's paints reach the X
  // server on their own connection, so they may show a moment after the
  // program is done. Waits for `expected`, then gives a late paint the time
  // to show that it is something else after all.
  std::string SteadyUnderlinedLinks(HWND about, const std::string& expected) {
    WaitUntil([&] { return UnderlinedLinks(about) == expected; }, 2000);
    Sleep(150);
    return UnderlinedLinks(about);
  }

  std::optional<Process> process_;
  HWND main_ = nullptr;
  fs::path dir_;
};

TEST_F(AboutWindow, OpensModalOverTheMainWindowWithItsLayout) {
  HWND about = OpenAbout();
  ASSERT_NE(about, nullptr);
  EXPECT_FALSE(IsWindowEnabled(main_));

  // No title bar: a dialog frame without caption, system menu or boxes, owned
  // by the main window (so no task bar button of its own).
  const LONG style = GetWindowLongW(about, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_TRUE(style & WS_DLGFRAME);
  EXPECT_FALSE(style & WS_BORDER) << "a border and a dialog frame together make a caption";
  EXPECT_FALSE(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_FALSE(GetWindowLongW(about, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(GetWindow(about, GW_OWNER), main_);
  EXPECT_EQ(TextOf(about), L"");

  // 4290 x 2475 twips, 286 x 165 pixels at 96 DPI, centred on the screen.
  const RECT client = ClientRectOnScreen(about);
  EXPECT_EQ(client.right - client.left, 286);
  EXPECT_EQ(client.bottom - client.top, 165);
  const RECT outer = ScreenRectOf(about);
  EXPECT_LE(std::abs((outer.left + outer.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
  EXPECT_LE(std::abs((outer.top + outer.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);

  struct Expected {
    int id;
    std::wstring text;
    RECT pixels;  // in the client area
    COLORREF colour;
    bool centred;
  };
  const Expected controls[] = {
      {kImgHolpine, L"", {8, 0, 128, 64}, kBlack, false},
      {kBtnEnd, L"", {232, 0, 286, 53}, kBlack, false},
      {kLblInfo + 0, L"Author: Hollowpine Studio", {8, 80, 281, 97}, kGreen, false},
      {kLblInfo + 1, L"> " + kMail, {8, 96, 281, 113}, kLightGreen, false},
      {kLblInfo + 2, L"> " + kWeb, {8, 112, 281, 129}, kLightGreen, false},
      {kLblInfo + 3, L"Copyright \u00A9 2026 Hollowpine Studio", {8, 144, 281, 161}, kGreen, true},
  };
  const Screenshot shot = SteadyScreenshot(about);
  for (const Expected& e : controls) {
    SCOPED_TRACE(e.id);
    const std::optional<Control> control = ChildById(about, e.id);
    ASSERT_TRUE(control.has_value());
    EXPECT_EQ(control->className, L"Static");
    EXPECT_EQ(control->text, e.text);
    const RECT& r = control->rectInParentClient;
    EXPECT_EQ(r.left, e.pixels.left);
    EXPECT_EQ(r.top, e.pixels.top);
    EXPECT_EQ(r.right, e.pixels.right);
    EXPECT_EQ(r.bottom, e.pixels.bottom);
    // Every control is drawn; a line's text is in its colour, on black.
    const std::map<COLORREF, int> colours = shot.ColoursIn(r);
    ASSERT_FALSE(colours.empty());
    if (e.colour == kBlack) continue;
    const auto most = std::max_element(colours.begin(), colours.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    EXPECT_EQ(most->first, e.colour);
    // Left-aligned text starts at the left edge; the centred line leaves room on both sides.
    int first = r.right, last = r.left;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (shot.At(x, y) != kBlack) first = std::min(first, x), last = std::max(last, x);
    if (e.centred) {
      EXPECT_LE(std::abs((first - r.left) - (r.right - 1 - last)), 2);
    } else {
      EXPECT_LE(first - r.left, 2);
    }
  }

  // Black behind everything, the two white lines, and the close image green
  // in the window's top right corner.
  for (POINT p : {POINT{180, 40}, POINT{3, 150}, POINT{140, 138}, POINT{282, 163}})
    EXPECT_EQ(shot.At(p.x, p.y), kBlack) << p.x << "," << p.y;
  for (int y : {72, 136}) {
    for (int x : {8, 144, 280}) EXPECT_EQ(shot.At(x, y), kWhite) << x << "," << y;
    EXPECT_EQ(shot.At(7, y), kBlack);
    EXPECT_EQ(shot.At(281, y), kBlack);
  }
  const COLORREF corner = shot.At(285, 0);
  EXPECT_GE(GetGValue(corner), 200);
  EXPECT_LE(GetRValue(corner), 80);

  // Nothing is underlined when the window opens.
  EXPECT_EQ(SteadyUnderlinedLinks(about, "none"), "none");
}

// Each way of closing it: the close image, Esc, Alt+F4. Afterwards the main
// window takes input again and shows exactly what it showed before, with the
// focus on "&About".
TEST_F(AboutWindow, ClosesByItsImageEscAndAltF4LeavingTheMainWindowAsItWas) {
  struct Way {
    const char* name;
    void (*close)(HWND about);
  };
  const Way ways[] = {
      {"close image", [](HWND about) { ClickAt(CentreOf(ScreenRectOf(GetDlgItem(about, kBtnEnd))), about); }},
      {"Esc", [](HWND) { PressKeys({VK_ESCAPE}); }},
      {"Alt+F4",
       [](HWND) {
         PressKeys({VK_MENU, VK_F4});
       }},
  };
  // A state of the main window that is not its first one.
  Click(GetDlgItem(main_, kSystem));
  ASSERT_TRUE(WaitUntil([&] { return CheckState(GetDlgItem(main_, kSystem)) == BST_CHECKED; }, kWait));
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    const std::string before = StateOf(main_);
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(IsWindowEnabled(main_));
    // Clicks on the main window do nothing meanwhile.
    ClickAt(CentreOf(ScreenRectOf(GetDlgItem(main_, kCancel))), about);
    Settle(about);
    EXPECT_TRUE(IsWindow(about));
    EXPECT_FALSE(IsWindowEnabled(main_));

    way.close(about);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, kWait));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_) != FALSE; }, kWait));
    Settle(main_);
    EXPECT_EQ(StateOf(main_), before);
    // The focus is back on the button that opened the window.
    EXPECT_EQ(FocusedWindow(main_), GetDlgItem(main_, kAbout));
    EXPECT_EQ(process_->ExitCode(), STILL_ACTIVE);
    EXPECT_TRUE(MessageBoxesOf(process_->Id()).empty());
  }
}

// The links hand their targets to the programs registered for their schemes.
// Clicks on the author and copyright lines hand nothing over.
TEST_F(AboutWindow, LinksReachTheirHandlersExactlyAndTheWindowStaysOpen) {
  const fs::path log = HandledLog();
  const std::wstring recorder = WinePathOf(NW_URL_RECORDER_EXE);
  const std::wstring command = L"\"" + recorder + L"\" \"%1\"";
  SchemeHandler mail(L"mailto", command), web(L"http", command);
  ASSERT_TRUE(mail.Installed());
  ASSERT_TRUE(web.Installed());
  HWND about = OpenAbout();
  ASSERT_NE(about, nullptr);

  // The recorder logs its command line: its own name, then the target as the shell passed it.
  const std::string started = "\"" + Utf8(recorder) + "\" \"";
  const std::string mailed = started + Utf8(L"mailto:" + kMail) + "?subject=Program About Mail\"\n";
  const std::string browsed = mailed + started + Utf8(kWeb) + "\"\n";
  const struct {
    int line;
    std::string handled;  // what the log holds afterwards
  } clicks[] = {{0, ""}, {3, ""}, {kMailLine, mailed}, {kWebLine, browsed}};
  for (const auto& click : clicks) {
    SCOPED_TRACE(click.line);
    ClickAt(CentreOf(ScreenRectOfInfo(about, click.line)), about);
    Settle(about);
    WaitUntil([&] { return ReadFile(log) == click.handled; }, kWait);
    EXPECT_EQ(ReadFile(log), click.handled);
    EXPECT_TRUE(IsWindowVisible(about));
    EXPECT_FALSE(IsWindowEnabled(main_));
  }
  // Nothing arrives late.
  Sleep(500);
  EXPECT_EQ(ReadFile(log), browsed);
}

// At 144 DPI every box grows by half, edge by edge, so the close image still
// ends on the window's right edge, and the pictures are drawn at that size.
TEST_F(AboutWindow, ScalesWithTheDisplayDpi) {
  {
    DisplayDpi dpi(144);
    StartProgram();
  }
  HWND about = OpenAbout();
  ASSERT_NE(about, nullptr);
  const RECT client = ClientRectOnScreen(about);
  EXPECT_EQ(client.right - client.left, 429);
  EXPECT_EQ(client.bottom - client.top, 248);
  const struct {
    int id;
    RECT pixels;
  } controls[] = {
      {kImgHolpine, {12, 0, 192, 96}},
      {kBtnEnd, {348, 0, 429, 80}},
      {kLblInfo + 0, {12, 120, 422, 146}},
      {kLblInfo + 3, {12, 216, 422, 242}},
  };
  for (const auto& c : controls) {
    SCOPED_TRACE(c.id);
    const RECT r = RectInClientOf(GetDlgItem(about, c.id), about);
    EXPECT_EQ(r.left, c.pixels.left);
    EXPECT_EQ(r.top, c.pixels.top);
    EXPECT_EQ(r.right, c.pixels.right);
    EXPECT_EQ(r.bottom, c.pixels.bottom);
  }
  // The logo's small print reaches past the 120 pixels it has at 96 DPI.
  EXPECT_FALSE(SteadyScreenshot(about).ColoursIn({140, 70, 190, 90}).empty());
}

HCURSOR CursorShown() {
  CURSORINFO info{};
  info.cbSize = sizeof info;
  return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

// The pointer moves over each part of the window in turn; after each move one
// link line at most is underlined, the one under the pointer, and the pointer
// is the hand over the two link lines only.
TEST_F(AboutWindow, TheLinkUnderThePointerIsUnderlinedAndPointedAtByAHand) {
  HWND about = OpenAbout();
  ASSERT_NE(about, nullptr);
  const RECT client = ClientRectOnScreen(about);
  auto inClient = [&](int x, int y) { return POINT{client.left + x, client.top + y}; };
  auto onLine = [&](int index) { return CentreOf(ScreenRectOfInfo(about, index)); };
  auto onPicture = [&](int id) { return CentreOf(ScreenRectOf(GetDlgItem(about, id))); };
  const RECT main = ScreenRectOf(main_);

  // The cursor's handle belongs to the program, so the test tells the hand
  // from the arrow by comparing the handles shown over the lines.
  // The shape is the system's once the program has answered the move, which
  // may be a moment after the move itself.
  MoveMouseTo(onLine(0), about);
  Settle(about);
  HCURSOR arrow = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (arrow = CursorShown()) != nullptr; }, kWait));
  MoveMouseTo(onLine(kMailLine), about);
  Settle(about);
  HCURSOR hand = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (hand = CursorShown()) != arrow && hand != nullptr; }, kWait))
      << "the pointer over the mail line is still the one over the author line";

  enum Pointer { kArrow, kHand, kNoWindowSetsIt };
  const struct {
    const char* where;
    POINT at;
    const char* underlined;
    Pointer pointer;
  } moves[] = {
      {"web line", onLine(kWebLine), "web", kHand},
      {"mail line", onLine(kMailLine), "mail", kHand},
      {"author line", onLine(0), "none", kArrow},
      {"mail line", onLine(kMailLine), "mail", kHand},
      {"logo", onPicture(kImgHolpine), "mail", kArrow},
      {"close image", onPicture(kBtnEnd), "mail", kArrow},
      {"background", inClient(180, 40), "none", kArrow},
      {"web line", onLine(kWebLine), "web", kHand},
      {"copyright line", onLine(3), "none", kArrow},
      {"mail line, left end", inClient(10, 104), "mail", kHand},
      {"white line", inClient(140, 72), "none", kArrow},
      {"web line", onLine(kWebLine), "web", kHand},
      // Leaving straight from a link line keeps its underline.
      {"outside the window", POINT{2, 2}, "web", kNoWindowSetsIt},
      {"main window", POINT{main.left + 4, main.bottom - 4}, "web", kArrow},
      {"author line", onLine(0), "none", kArrow},
  };
  for (const auto& move : moves) {
    SCOPED_TRACE(move.where);
    MoveMouseTo(move.at, about);
    Settle(about);
    EXPECT_EQ(SteadyUnderlinedLinks(about, move.underlined), move.underlined);
    if (move.pointer != kNoWindowSetsIt) {
      const HCURSOR expected = move.pointer == kHand ? hand : arrow;
      WaitUntil([&] { return CursorShown() == expected; }, 2000);
      EXPECT_EQ(CursorShown(), expected);
    }
  }

  // An underline left behind lasts until the window closes; the next showing
  // starts with none.
  MoveMouseTo(onLine(kMailLine), about);
  Settle(about);
  MoveMouseTo(POINT{2, 2}, about);
  Settle(about);
  ASSERT_EQ(SteadyUnderlinedLinks(about, "mail"), "mail");
  ClickAt(onPicture(kBtnEnd), about);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, kWait));
  MoveMouseTo(POINT{2, 2}, main_);
  about = OpenAbout();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(SteadyUnderlinedLinks(about, "none"), "none");
}

}  // namespace
}  // namespace nw::e2e
