// The Windows side of the platform, against the real registry and clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "EasyReg/Win32Registry.h"
#include "NW_Core/NW_Core.h"
#include "platform/AnsiText.h"
#include "platform/Dpi.h"
#include "platform/Gdi.h"
#include "platform/Handles.h"
#include "platform/ShellOpen.h"
#include "platform/Win32Services.h"
#include "platform/Win32ShellNotifier.h"
#include "support/Fakes.h"
#include "support/Kit.h"
#include "support/RegistryDump.h"

namespace nw::test {
namespace {

const std::wstring kClsid = L"{0000000D-CF0D-D10A-A240-000000057E57}";
const std::string kClassKey = "Software\\Classes\\CLSID\\{0000000D-CF0D-D10A-A240-000000057E57}";
const std::string kDesktop = kDesktopNameSpace + "{0000000D-CF0D-D10A-A240-000000057E57}";

FolderDefinition Definition() {
  FolderDefinition d;
  d.FolderName = L"View test";
  d.FolderClsid = kClsid;
  d.MenuItems = {{L"Open", L"cmd.exe"}};
  return d;
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"(cannot open)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

TEST(Win32Platform, BothBuildsWriteAndDeleteIn64BitView) {
  Win32Registry registry;
  FakePlatform fake(registry, L"x.nwk");
  MakeLink(fake.link, Definition(), Placement::Desktop);
  EXPECT_TRUE(KeyExists(registry, kHkeyLocalMachine, kClassKey + "\\Shell\\Open\\Command", kKeyWow64_64Key));
  EXPECT_TRUE(KeyExists(registry, kHkeyLocalMachine, kDesktop, kKeyWow64_64Key));
  // Nothing in the 32-bit view, where the 64-bit shell would never look.
  EXPECT_FALSE(KeyExists(registry, kHkeyLocalMachine, kClassKey, kKeyWow64_32Key));
  EXPECT_FALSE(KeyExists(registry, kHkeyLocalMachine, kDesktop, kKeyWow64_32Key));
  RemoveLink(fake.link, Definition());
  EXPECT_FALSE(KeyExists(registry, kHkeyLocalMachine, kClassKey, kKeyWow64_64Key));
  EXPECT_FALSE(KeyExists(registry, kHkeyLocalMachine, kDesktop, kKeyWow64_64Key));
}

// A window of this thread, for what needs one: a message-only window.
UniqueWindow MessageOnlyWindow() {
  return UniqueWindow(CreateWindowExW(0, L"Static", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
}

TEST(Win32Platform, ManualPlacementLeavesExactlyTheClsidOnTheClipboard) {
  const UniqueWindow owner = MessageOnlyWindow();
  ASSERT_NE(owner, nullptr);
  Win32Clipboard clipboard;
  clipboard.SetOwner(owner.get());
  clipboard.ReplaceText(L"something else");
  Win32Registry registry;
  FakePlatform fake(registry, L"x.nwk");
  ClipboardPlacement manual(clipboard, fake.messages);
  const LinkServices services{registry, manual};
  MakeLink(services, Definition(), Placement::Manual);
  EXPECT_EQ(ClipboardText(), kClsid);
  // The window the clipboard was opened for owns it now.
  EXPECT_EQ(GetClipboardOwner(), owner.get());
  EXPECT_EQ(fake.messages.shown.size(), 1u);
  RemoveLink(services, Definition());
}

TEST(Win32Platform, TheClipboardIsNotTakenWithoutAnOwnerWindow) {
  const UniqueWindow owner = MessageOnlyWindow();
  Win32Clipboard clipboard;
  clipboard.SetOwner(owner.get());
  clipboard.ReplaceText(L"before");
  Win32Clipboard ownerless;
  EXPECT_THROW(ownerless.ReplaceText(L"after"), std::runtime_error);
  EXPECT_EQ(ClipboardText(), L"before");
}

// Another program may put keys under the class key whose names no ANSI code
// page here holds (Devanagari, beside Latin, Cyrillic and Japanese). Remove
// Link still deletes the whole class key.
TEST(Win32Platform, RemoveLinkDeletesSubkeysNamedOutsideTheCodePage) {
  Win32Registry registry;
  FakePlatform fake(registry, L"x.nwk");
  MakeLink(fake.link, Definition(), Placement::Desktop);
  const std::wstring classKey(kClassKey.begin(), kClassKey.end());
  for (const std::wstring& path : {classKey + L"\\\u0915\u0916", classKey + L"\\\u0915\u0916\\\u0917",
                                   classKey + L"\\Shell\\\u0918 verb\\Command"}) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  EXPECT_NO_THROW(RemoveLink(fake.link, Definition()));
  EXPECT_FALSE(KeyExists(registry, kHkeyLocalMachine, kClassKey, kKeyWow64_64Key));
  EXPECT_FALSE(KeyExists(registry, kHkeyLocalMachine, kDesktop, kKeyWow64_64Key));
  EXPECT_TRUE(fake.messages.shown.empty());
  RemoveTree(registry, kHkeyLocalMachine, kClassKey);
}

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return length > 0 && length < MAX_PATH ? folder : L"(unknown)";
}

std::wstring FileOf(HMODULE module) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? FoldCase(path) : L"(unknown)";
}

// The shell may still run code of its libraries after ShellExecute returns:
// once a link has been followed the libraries either way took stay loaded,
// even when someone frees them. Each came from the system folder.
TEST(Win32Platform, TheShellLibrariesStayLoadedAfterALinkIsFollowed) {
  ASSERT_EQ(GetModuleHandleW(L"shell32.dll"), nullptr) << "this test program must not import the shell";
  ASSERT_EQ(GetModuleHandleW(L"oleaut32.dll"), nullptr) << "this test program must not import automation";
  const ShellOpenFunctions system = SystemShellOpenFunctions();
  const struct {
    const char* way;
    std::function<bool(const std::string&)> open;
    std::vector<const wchar_t*> libraries;
  } ways[] = {
      {"here", system.openHere, {L"shell32.dll", L"ole32.dll"}},
      {"through the desktop",
       [&](const std::string& target) { return system.openThroughDesktop(target) == DesktopOpen::Opened; },
       {L"ole32.dll", L"oleaut32.dll"}},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.way);
    EXPECT_FALSE(way.open("Z:\\no such folder\\no such file.nwk-test"));
    for (const wchar_t* name : way.libraries) {
      SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
      HMODULE module = GetModuleHandleW(name);
      ASSERT_NE(module, nullptr);
      EXPECT_EQ(FileOf(module), FoldCase(SystemFolder() + L"\\" + name));
      EXPECT_TRUE(FreeLibrary(module));
      EXPECT_NE(GetModuleHandleW(name), nullptr);
    }
  }
}

// What each way was asked to open, in order, and whether the foreground was
// given away first; and whether the process counts as elevated.
std::vector<std::string> opened;
bool Elevated() {
  return true;
}
bool NotElevated() {
  return false;
}
DesktopOpen DesktopTakes(const std::string& target) {
  opened.push_back("desktop " + target);
  return DesktopOpen::Opened;
}
DesktopOpen DesktopRefuses(const std::string& target) {
  opened.push_back("desktop " + target);
  return DesktopOpen::Refused;
}
DesktopOpen NoDesktop(const std::string& target) {
  opened.push_back("desktop " + target);
  return DesktopOpen::Unreachable;
}
bool HereTakes(const std::string& target) {
  opened.push_back("here " + target);
  return true;
}
bool HereFails(const std::string& target) {
  opened.push_back("here " + target);
  return false;
}
void AllowForeground() {
  opened.push_back("foreground");
}

// The desktop's shell opens every link; this program opens one itself only
// where that shell cannot be reached at all and the program is not elevated,
// so nothing it starts runs elevated. A refusal of the shell (a failed
// handler, Explorer restarting mid-call) is never tried again here. The
// foreground is given away before anything is opened, and each way gets the
// target exactly as given.
TEST(Win32Platform, LinksOpenThroughTheDesktopAndHereOnlyWhereThatIsSafe) {
  const std::string target = "mailto:someone@nookwayer.example?subject=Program About Mail \"%1\" \xE9";
  const std::string desktop = "desktop " + target, here = "here " + target;
  struct Case {
    const char* what;
    ShellOpenFunctions functions;
    bool taken;
    std::vector<std::string> opened;
  };
  const Case cases[] = {
      {"elevated, the desktop takes it",
       {Elevated, DesktopTakes, HereTakes, AllowForeground},
       true,
       {desktop}},
      {"elevated, the desktop refuses",
       {Elevated, DesktopRefuses, HereTakes, AllowForeground},
       false,
       {desktop}},
      {"elevated, no desktop", {Elevated, NoDesktop, HereTakes, AllowForeground}, false, {desktop}},
      {"not elevated, the desktop takes it",
       {NotElevated, DesktopTakes, HereTakes, AllowForeground},
       true,
       {desktop}},
      {"not elevated, the desktop refuses",
       {NotElevated, DesktopRefuses, HereTakes, AllowForeground},
       false,
       {desktop}},
      {"not elevated, no desktop",
       {NotElevated, NoDesktop, HereTakes, AllowForeground},
       true,
       {desktop, here}},
      {"not elevated, no desktop, here fails",
       {NotElevated, NoDesktop, HereFails, AllowForeground},
       false,
       {desktop, here}},
      {"cannot tell whether elevated, no desktop",
       {nullptr, NoDesktop, HereTakes, AllowForeground},
       false,
       {desktop}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    opened.clear();
    EXPECT_EQ(ShellOpen(target, c.functions), c.taken);
    std::vector<std::string> expected = {"foreground"};
    expected.insert(expected.end(), c.opened.begin(), c.opened.end());
    EXPECT_EQ(opened, expected);
  }
}

// The program that started the parent probe (its file name, in lower case),
// once the probe has told.
std::wstring WaitForProbeParent(const std::wstring& log) {
  for (int waited = 0; waited < 20000; waited += 50) {
    std::ifstream file{std::filesystem::path(log), std::ios::binary};
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!bytes.empty()) {
      std::wstring name(bytes.size() / sizeof(wchar_t), L'\0');
      std::memcpy(name.data(), bytes.data(), name.size() * sizeof(wchar_t));
      return FoldCase(name);
    }
    Sleep(50);
  }
  return L"(no answer)";
}

std::wstring ThisProgram() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"(unknown)";
  return FoldCase(std::filesystem::path(path).filename().wstring());
}

// Through the desktop, the program a link opens is started by the desktop's
// shell (Explorer), in its process and with its rights; here, by this program.
TEST(Win32Platform, TheDesktopsShellStartsTheProgramOfALinkThroughTheDesktop) {
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(NW_PARENT_PROBE, MAX_PATH, full, nullptr);
  ASSERT_TRUE(length > 0 && length < MAX_PATH);
  const std::wstring probe = full, log = probe + L".parent";
  const ShellOpenFunctions system = SystemShellOpenFunctions();
  const struct {
    const char* way;
    std::function<bool(const std::string&)> open;
    std::wstring parent;
  } ways[] = {
      {"through the desktop",
       [&](const std::string& target) { return system.openThroughDesktop(target) == DesktopOpen::Opened; },
       L"explorer.exe"},
      {"here", system.openHere, ThisProgram()},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.way);
    DeleteFileW(log.c_str());
    ASSERT_TRUE(way.open(ToAnsi(probe)));
    EXPECT_EQ(WaitForProbeParent(log), way.parent);
  }
  DeleteFileW(log.c_str());
}

TEST(Win32Platform, AFileAnotherProgramHoldsLockedIsReportedUnreadable) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  const std::wstring path = std::wstring(dir) + L"nw-locked.nwk";
  HANDLE locked = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  const std::string header = kMagicLine + "name=N\r\nicon=I\r\nclsid5=00000000000C\r\n";
  DWORD written = 0;
  WriteFile(locked, header.data(), static_cast<DWORD>(header.size()), &written, nullptr);
  FolderDefinition definition;
  const SettingsRead read = ReadSettings(path, definition);
  CloseHandle(locked);
  EXPECT_EQ(read, SettingsRead::Incomplete);
  EXPECT_TRUE(definition.FolderName.empty());
}

TEST(Win32Platform, ArgumentTextIsEverythingAfterTheProgramName) {
  struct Case {
    const wchar_t* commandLine;
    const wchar_t* arguments;
  };
  const Case cases[] = {
      {L"nookwayer.exe", L""},
      {L"nookwayer.exe   ", L""},
      {L"nookwayer.exe C:\\My Folders\\a b.nwk", L"C:\\My Folders\\a b.nwk"},
      {L"\"C:\\Program Files\\nookwayer.exe\" \"C:\\x y\\a.nwk\"", L"\"C:\\x y\\a.nwk\""},
      {L"\"C:\\Program Files\\nookwayer.exe\"a.nwk", L"a.nwk"},
      {L"nookwayer.exe\tfile.nwk ", L"file.nwk "},
  };
  for (const Case& c : cases) EXPECT_EQ(Win32CommandLine::AfterProgramName(c.commandLine), c.arguments);
}

// Stand-ins for GetDpiForWindow: one that cannot place the window, one that
// finds it on a 144 DPI monitor.
UINT WINAPI NoDpiForWindow(HWND) {
  return 0;
}
UINT WINAPI DpiForWindow144(HWND) {
  return 144;
}

HRESULT WINAPI DpiForMonitor120(HMONITOR monitor, int kind, UINT* x, UINT* y) {
  if (monitor == nullptr || kind != 0) return E_INVALIDARG;  // the effective DPI of a real monitor
  *x = *y = 120;
  return S_OK;
}
HRESULT WINAPI FailingDpiForMonitor(HMONITOR, int, UINT*, UINT*) {
  return E_FAIL;
}

UINT ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return static_cast<UINT>(dpi);
}

TEST(Win32Platform, WindowDpiFallsBackToTheScreenDpiWhereTheSystemCannotTell) {
  UniqueWindow window(
      CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr));
  ASSERT_NE(window, nullptr);
  struct Case {
    const char* what;
    DpiFunctions functions;
    HWND hwnd;
    UINT dpi;
  };
  const Case cases[] = {
      {"Windows 7: no GetDpiForWindow", {}, window.get(), ScreenDpi()},
      {"GetDpiForWindow answers 0", {&NoDpiForWindow, nullptr}, window.get(), ScreenDpi()},
      {"no window yet", {&DpiForWindow144, nullptr}, nullptr, ScreenDpi()},
      {"the monitor's DPI", {&DpiForWindow144, nullptr}, window.get(), 144},
      {"Windows 8.1: the monitor's DPI from shcore",
       {nullptr, nullptr, &DpiForMonitor120},
       window.get(),
       120},
      {"GetDpiForMonitor fails", {nullptr, nullptr, &FailingDpiForMonitor}, window.get(), ScreenDpi()},
      {"the window's own DPI comes first", {&DpiForWindow144, nullptr, &DpiForMonitor120}, window.get(), 144},
  };
  for (const Case& c : cases) EXPECT_EQ(WindowDpi(c.hwnd, c.functions), c.dpi) << c.what;
}

// A window made to the computed outer size has exactly the client area asked
// for, with the Windows 10 function and with the Windows 7 fallback alike.
TEST(Win32Platform, WindowRectForGivesTheClientAreaAskedForWithOrWithoutTheDpiFunction) {
  struct Kind {
    const char* what;
    DWORD style;
    DWORD exStyle;
  };
  const Kind kinds[] = {
      {"main window", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0},
      {"about window", WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW},
  };
  const UINT dpi = ScreenDpi();
  const DpiFunctions systems[] = {{}, SystemDpiFunctions()};
  for (const DpiFunctions& functions : systems) {
    for (const Kind& kind : kinds) {
      const RECT outer = WindowRectFor(6495, 3000, dpi, kind.style, kind.exStyle, functions);
      UniqueWindow window(CreateWindowExW(kind.exStyle, L"STATIC", L"", kind.style, 0, 0,
                                          outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                          nullptr, nullptr, nullptr));
      ASSERT_NE(window, nullptr);
      RECT client{};
      GetClientRect(window.get(), &client);
      const char* which = functions.adjustWindowRectExForDpi != nullptr ? "with" : "without";
      EXPECT_EQ(client.right, Scale(6495, dpi)) << kind.what << ", " << which << " AdjustWindowRectExForDpi";
      EXPECT_EQ(client.bottom, Scale(3000, dpi)) << kind.what << ", " << which << " AdjustWindowRectExForDpi";
    }
  }
}

// Two monitors side by side, 96 DPI left of x = 4000 and 144 DPI right of it,
// as a window reads them wherever it is.
UINT WINAPI DpiBySide(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r.left >= 4000 ? 144 : 96;
}

TEST(Win32Platform, AWindowPlacedOnAnotherMonitorTakesThatMonitorsDpiForFrameAndContent) {
  const DWORD style = WS_POPUP | WS_CAPTION;
  UniqueWindow window(
      CreateWindowExW(0, L"STATIC", L"", style, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
  ASSERT_NE(window, nullptr);
  const DpiFunctions functions{&DpiBySide, nullptr};
  std::vector<UINT> laidOut;
  const RECT right{4000, 0, 5600, 1200};
  EXPECT_EQ(
      PlaceCentred(
          window.get(), right, 2880, 1440, style, 0, [&](UINT dpi) { laidOut.push_back(dpi); }, functions),
      144u);
  EXPECT_EQ(laidOut, std::vector<UINT>{144});
  RECT client{}, outer{};
  GetClientRect(window.get(), &client);
  GetWindowRect(window.get(), &outer);
  EXPECT_EQ(client.right, 288);  // two inches at 144 DPI
  EXPECT_EQ(client.bottom, 144);
  EXPECT_EQ(outer.left, 4000 + (1600 - (outer.right - outer.left)) / 2);  // centred on that monitor
  EXPECT_EQ(outer.top, (1200 - (outer.bottom - outer.top)) / 2);
}

// A picture drawn into a DC it was lent (WM_DRAWITEM) leaves the DC's state
// as it found it, scaled or not, and is drawn whole.
TEST(Win32Platform, DrawingABitmapLeavesTheLentDcAsItWas) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 64, 64);
  HBITMAP picture = CreateCompatibleBitmap(screen, 16, 16);
  ReleaseDC(nullptr, screen);
  ASSERT_NE(dc, nullptr);
  HGDIOBJ oldTarget = SelectObject(dc, target);
  {
    BitmapDc paint(dc, picture);  // the picture: all white
    PatBlt(paint.get(), 0, 0, 16, 16, WHITENESS);
  }
  PatBlt(dc, 0, 0, 64, 64, BLACKNESS);
  for (const RECT rect : {RECT{0, 0, 16, 16}, RECT{8, 8, 56, 56}}) {
    SetStretchBltMode(dc, COLORONCOLOR);
    SetBrushOrgEx(dc, 3, 5, nullptr);
    DrawBitmap(dc, rect, picture);
    EXPECT_EQ(GetStretchBltMode(dc), COLORONCOLOR);
    POINT origin{};
    GetBrushOrgEx(dc, &origin);
    EXPECT_EQ(origin.x, 3);
    EXPECT_EQ(origin.y, 5);
    EXPECT_EQ(GetPixel(dc, rect.right - 1, rect.bottom - 1), RGB(255, 255, 255));
  }
  SelectObject(dc, oldTarget);
  DeleteObject(picture);
  DeleteObject(target);
  DeleteDC(dc);
}

HWND WINAPI NoShell() {
  return nullptr;
}
HWND WINAPI ShellRuns() {
  return GetDesktopWindow();
}

// With no shell in the session to hear them, the notifications load neither
// shell32 nor what it would load in turn.
TEST(Win32Platform, NoShellLibraryIsLoadedWhereNoShellRuns) {
  if (GetModuleHandleW(L"shell32.dll") != nullptr) GTEST_SKIP() << "another test of this process loaded it";
  Win32ShellNotifier shell(&NoShell);
  shell.ClassesChanged();
  shell.FolderChanged(ShellNotifier::Folder::MyComputer);
  EXPECT_EQ(GetModuleHandleW(L"shell32.dll"), nullptr);
  Win32ShellNotifier running(&ShellRuns);
  running.ClassesChanged();
  EXPECT_NE(GetModuleHandleW(L"shell32.dll"), nullptr);
}

}  // namespace
}  // namespace nw::test
