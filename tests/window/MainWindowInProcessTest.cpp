// The main window in the test's own process, where a test can watch each
// message its controls receive and make the system refuse a window.
#include <gtest/gtest.h>
#include <windows.h>
// (after windows.h, which it needs)
#include <commctrl.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "EasyReg/MemoryRegistry.h"
#include "NW_Core/Texts.h"
#include "frmNW/ControlIds.h"
#include "frmNW/frmNW.h"
#include "support/Fakes.h"

namespace nw::test {
namespace {

struct HookRemover {
  void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};
using UniqueHook = std::unique_ptr<std::remove_pointer_t<HHOOK>, HookRemover>;

// A CBT hook that answers non-zero to HCBT_CREATEWND makes CreateWindowEx fail.
LRESULT CALLBACK RefuseEveryWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(MainWindowStart, AWindowThatCannotBeCreatedIsReportedAndEndsWithStatus1) {
  MemoryRegistry registry;
  FakePlatform fake(registry, L"x.nwk");
  bool created = false;
  int status = 0;
  {
    const UniqueHook refuse(SetWindowsHookExW(WH_CBT, &RefuseEveryWindow, nullptr, GetCurrentThreadId()));
    ASSERT_NE(refuse, nullptr);
    status =
        RunMainWindow(GetModuleHandleW(nullptr), fake.platform, fake.registry, [&](HWND) { created = true; });
  }
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(created);
  EXPECT_EQ(fake.messages.shown,
            (std::vector<ShownMessage>{{text::kCommandFailed, text::kErrorTitle, kStyleStop}}));
}

// Without a settings file the window ends the program: its commands grey
// while the one message is shown, then it is gone, with status 2.
TEST(MainWindowStart, WithoutASettingsFileTheCommandsGreyTheUserIsToldAndTheProgramEnds) {
  class WatchingMessageBox final : public MessageBoxService {
   public:
    void Show(const std::wstring& text, const std::wstring& title, unsigned style) override {
      shown.push_back({text, title, style});
      HWND window = FindWindowW(nullptr, text::kProgramName);
      for (int id : {kMakeLink, kDesktop, kSystem})
        enabledWhileShown.push_back(window != nullptr && IsWindowEnabled(GetDlgItem(window, id)) != FALSE);
    }
    std::vector<ShownMessage> shown;
    std::vector<bool> enabledWhileShown;
  };
  MemoryRegistry registry;
  FakePlatform fake(registry, L"");
  WatchingMessageBox messages;
  const Platform platform{fake.commandLine, messages, fake.clipboard, fake.program, nullptr};
  HWND window = nullptr;
  int ended = -1;
  try {
    RunMainWindow(GetModuleHandleW(nullptr), platform, registry, [&](HWND created) { window = created; });
  } catch (const ProgramEnded& end) {
    ended = end.status;
  }
  EXPECT_EQ(ended, kExitNoSettingsFile);
  EXPECT_EQ(messages.shown, (std::vector<ShownMessage>{{text::kNoSettingsFile, text::kProgramName, 64}}));
  EXPECT_EQ(messages.enabledWhileShown, (std::vector<bool>{false, false, false}));
  EXPECT_FALSE(IsWindow(window));
}

// What the controls were handed: how many fonts and icons, and which controls
// held an object already deleted when the next one arrived.
struct HandOvers {
  int count = 0;
  std::vector<int> stale;
};

bool IconAlive(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  // GetIconInfo makes copies of the icon's bitmaps for the caller.
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  return true;
}

LRESULT CALLBACK WatchHandOvers(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR data) {
  auto& log = *reinterpret_cast<HandOvers*>(data);
  if (message == WM_SETFONT) {
    ++log.count;
    const auto current = reinterpret_cast<HGDIOBJ>(DefSubclassProc(control, WM_GETFONT, 0, 0));
    if (current != nullptr && GetObjectType(current) != OBJ_FONT) log.stale.push_back(GetDlgCtrlID(control));
  } else if (message == STM_SETICON) {
    ++log.count;
    const auto current = reinterpret_cast<HICON>(DefSubclassProc(control, STM_GETICON, 0, 0));
    if (current != nullptr && !IconAlive(current)) log.stale.push_back(GetDlgCtrlID(control));
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(control, &WatchHandOvers, id);
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

BOOL CALLBACK Watch(HWND control, LPARAM data) {
  SetWindowSubclass(control, &WatchHandOvers, 1, static_cast<DWORD_PTR>(data));
  return TRUE;
}

// A move to a monitor of another DPI: the controls get new fonts and the logo
// a new icon, and none of them is left holding a deleted one meanwhile.
TEST(MainWindowDpi, ControlsGetTheNewFontsAndIconBeforeTheOldOnesAreDeleted) {
  MemoryRegistry registry;
  FakePlatform fake(registry, L"x.nwk");
  FrmNW form(fake.platform, fake.registry);
  ASSERT_TRUE(form.Create(GetModuleHandleW(nullptr)));
  HandOvers log;
  EnumChildWindows(form.hwnd(), &Watch, reinterpret_cast<LPARAM>(&log));
  for (UINT dpi : {144u, 120u, 96u}) {
    SCOPED_TRACE(dpi);
    RECT suggested{0, 0, 700, 350};
    SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    // Every control is handed a font, and the logo an icon as well.
    EXPECT_GE(log.count, 22);
    EXPECT_EQ(log.stale, std::vector<int>{});
    log = {};
  }
  const auto logo =
      reinterpret_cast<HICON>(SendMessageW(GetDlgItem(form.hwnd(), kImgLogo), STM_GETICON, 0, 0));
  EXPECT_NE(logo, nullptr);
  form.Unload();
}

}  // namespace
}  // namespace nw::test
