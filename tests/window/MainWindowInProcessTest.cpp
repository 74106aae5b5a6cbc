// The main window in the test's own process, where a test can watch each
// message its controls receive and make the system refuse a window.
#include <gtest/gtest.h>
#include <windows.h>
// (after windows.h, which it needs)
#include <commctrl.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "NW_Core/Texts.h"
#include "frmNW/ControlIds.h"
#include "frmNW/frmNW.h"
#include "platform/MemoryRegistry.h"
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
    status = RunMainWindow(GetModuleHandleW(nullptr), fake.platform, [&](HWND) { created = true; });
  }
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(created);
  EXPECT_EQ(fake.messages.shown,
            (std::vector<ShownMessage>{{text::kCommandFailed, text::kErrorTitle, kStyleStop}}));
}

}  // namespace
}  // namespace nw::test
