// The shell notifications of the Windows build, heard by a listener in the
// test's own process: Wine delivers SHChangeNotify only to windows registered
// in the process that calls it, so no other process can listen here. Wine's
// desktop has no shell window either: the notifier is told whether a shell
// runs.
#include <gtest/gtest.h>
#include <windows.h>
// (after windows.h, which it needs)
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "EasyReg/Win32Registry.h"
#include "NW_Core/NW_Core.h"
#include "platform/Win32ShellNotifier.h"
#include "support/Fakes.h"
#include "support/Kit.h"
#include "support/RegistryDump.h"

namespace nw::test {
namespace {

struct IdListFree {
  void operator()(ITEMIDLIST* idList) const { ILFree(idList); }
};
using IdList = std::unique_ptr<ITEMIDLIST, IdListFree>;

IdList FolderIdList(int csidl) {
  PIDLIST_ABSOLUTE idList = nullptr;
  if (FAILED(SHGetFolderLocation(nullptr, csidl, nullptr, 0, &idList))) return nullptr;
  return IdList(idList);
}

constexpr UINT kDesktopMessage = WM_APP + 1;
constexpr UINT kMyComputerMessage = WM_APP + 2;

// A window of this thread registered for every shell event in the Desktop
// folder and in My Computer (not below them), as a shell window registers,
// with new delivery. It writes down what it hears as text:
// "<registration>: <event> <item 1>[ <item 2>]", items named by folder.
class ShellListener {
 public:
  ShellListener() : desktop_(FolderIdList(CSIDL_DESKTOP)), myComputer_(FolderIdList(CSIDL_DRIVES)) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ShellListener::Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);
    window_ =
        CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, this);
    if (window_ == nullptr || !desktop_ || !myComputer_) return;
    const int sources = SHCNRF_ShellLevel | SHCNRF_InterruptLevel | SHCNRF_NewDelivery;
    const SHChangeNotifyEntry desktop{desktop_.get(), FALSE}, myComputer{myComputer_.get(), FALSE};
    registrations_[0] =
        SHChangeNotifyRegister(window_, sources, SHCNE_ALLEVENTS, kDesktopMessage, 1, &desktop);
    registrations_[1] =
        SHChangeNotifyRegister(window_, sources, SHCNE_ALLEVENTS, kMyComputerMessage, 1, &myComputer);
  }
  ~ShellListener() {
    for (ULONG registration : registrations_)
      if (registration != 0) SHChangeNotifyDeregister(registration);
    if (window_ != nullptr) DestroyWindow(window_);
    UnregisterClassW(kClass, GetModuleHandleW(nullptr));
  }
  ShellListener(const ShellListener&) = delete;
  ShellListener& operator=(const ShellListener&) = delete;

  bool Listening() const { return registrations_[0] != 0 && registrations_[1] != 0; }

  // What was heard since the last call, in sorted order (the shell promises
  // no order between two registrations): once `count` notifications have come,
  // and then for a moment more, so that any extra one is heard too.
  std::vector<std::string> Heard(std::size_t count) {
    const DWORD start = GetTickCount();
    DWORD enough = 0;
    while (GetTickCount() - start < 5000) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      if (heard_.size() >= count && enough == 0) enough = GetTickCount();
      if (enough != 0 && GetTickCount() - enough > 200) break;
      Sleep(10);
    }
    std::vector<std::string> heard;
    heard.swap(heard_);
    std::sort(heard.begin(), heard.end());
    return heard;
  }

 private:
  static constexpr const wchar_t* kClass = L"NookwayerShellListener";

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ShellListener*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && (message == kDesktopMessage || message == kMyComputerMessage)) {
      self->Hear(message == kDesktopMessage ? "Desktop" : "My Computer", reinterpret_cast<HANDLE>(wParam),
                 static_cast<DWORD>(lParam));
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  // New delivery: the notification is read through a lock on its shared memory.
  void Hear(const std::string& registration, HANDLE change, DWORD processId) {
    PIDLIST_ABSOLUTE* items = nullptr;
    LONG event = 0;
    HANDLE lock = SHChangeNotification_Lock(change, processId, &items, &event);
    if (lock == nullptr) {
      heard_.push_back(registration + ": unreadable");
      return;
    }
    std::string text = registration + ": " + EventName(event) + " " + Name(items[0]);
    if (items[1] != nullptr) text += " " + Name(items[1]);
    SHChangeNotification_Unlock(lock);
    heard_.push_back(text);
  }

  static std::string EventName(LONG event) {
    if (event == SHCNE_ASSOCCHANGED) return "ASSOCCHANGED";
    if (event == SHCNE_UPDATEDIR) return "UPDATEDIR";
    return "event " + std::to_string(event);
  }
  std::string Name(PCIDLIST_ABSOLUTE item) const {
    if (item == nullptr) return "none";
    if (ILIsEqual(item, desktop_.get())) return "Desktop";
    if (ILIsEqual(item, myComputer_.get())) return "My-Computer";
    return "another folder";
  }

  IdList desktop_, myComputer_;
  HWND window_ = nullptr;
  ULONG registrations_[2] = {};
  std::vector<std::string> heard_;
};

using Folder = ShellNotifier::Folder;
using Heard = std::vector<std::string>;

// A session whose shell runs (any window stands for its shell window), and
// one whose shell starts when the test says.
HWND WINAPI ShellRuns() {
  return GetDesktopWindow();
}
bool shellStarted = false;
HWND WINAPI ShellOnceStarted() {
  return shellStarted ? GetDesktopWindow() : nullptr;
}

// ASSOCCHANGED names no folder: every registration for it hears it. A
// folder's UPDATEDIR reaches the windows of that folder only.
TEST(Win32ShellNotifier, EachCallReachesTheShellWithItsEventAndFolder) {
  ShellListener listener;
  ASSERT_TRUE(listener.Listening());
  Win32ShellNotifier shell(&ShellRuns);
  const struct {
    const char* name;
    void (*tell)(Win32ShellNotifier&);
    Heard heard;
  } cases[] = {
      {"classes",
       [](Win32ShellNotifier& s) { s.ClassesChanged(); },
       {"Desktop: ASSOCCHANGED none", "My Computer: ASSOCCHANGED none"}},
      {"Desktop",
       [](Win32ShellNotifier& s) { s.FolderChanged(Folder::Desktop); },
       {"Desktop: UPDATEDIR Desktop"}},
      {"My Computer",
       [](Win32ShellNotifier& s) { s.FolderChanged(Folder::MyComputer); },
       {"My Computer: UPDATEDIR My-Computer"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.tell(shell);
    EXPECT_EQ(listener.Heard(c.heard.size()), c.heard);
  }
}

// Where no shell runs, nothing is sent, though a window of this process
// listens; once a shell runs, the same notifier sends again.
TEST(Win32ShellNotifier, NothingIsSentWhileNoShellRuns) {
  ShellListener listener;
  ASSERT_TRUE(listener.Listening());
  Win32ShellNotifier shell(&ShellOnceStarted);
  shell.ClassesChanged();
  shell.FolderChanged(Folder::Desktop);
  shell.FolderChanged(Folder::MyComputer);
  EXPECT_EQ(listener.Heard(0), Heard{});
  shellStarted = true;
  shell.FolderChanged(Folder::Desktop);
  EXPECT_EQ(listener.Heard(1), Heard{"Desktop: UPDATEDIR Desktop"});
}

const std::string kClassKey = "Software\\Classes\\CLSID\\{0000000D-CF0D-D10A-A240-0000005E7CF1}";

FolderDefinition Definition() {
  FolderDefinition d;
  d.FolderName = L"Notified";
  d.FolderClsid = L"{0000000D-CF0D-D10A-A240-0000005E7CF1}";
  d.MenuItems = {{L"Open", L"cmd.exe"}};
  return d;
}

void Clean(Registry& registry) {
  RemoveFolderKeys(registry, "{0000000D-CF0D-D10A-A240-0000005E7CF1}");
}

// The commands as the window runs them, over the real registry and the real
// shell: what the shell hears of each, in turn.
TEST(Win32ShellNotifier, TheWindowsCommandsReachTheShellOnceTheyAreDone) {
  ShellListener listener;
  ASSERT_TRUE(listener.Listening());
  Win32Registry registry;
  Clean(registry);
  Win32ShellNotifier shell(&ShellRuns);
  FakePlatform fake(registry, L"x.nwk");
  fake.link.shell = &shell;
  const auto make = [&](Placement where) {
    return RunCommand(fake.messages, [&] { MakeLink(fake.link, Definition(), where); });
  };
  const Heard classes = {"Desktop: ASSOCCHANGED none", "My Computer: ASSOCCHANGED none"};
  const auto with = [](Heard heard, const std::string& more) {
    heard.push_back(more);
    std::sort(heard.begin(), heard.end());
    return heard;
  };

  EXPECT_TRUE(make(Placement::Desktop));
  EXPECT_EQ(listener.Heard(3), with(classes, "Desktop: UPDATEDIR Desktop"));
  EXPECT_TRUE(make(Placement::MyComputer));
  EXPECT_EQ(listener.Heard(3), with(classes, "My Computer: UPDATEDIR My-Computer"));
  EXPECT_TRUE(RunCommand(fake.messages, [&] { RemoveLink(fake.link, Definition()); }));
  EXPECT_EQ(listener.Heard(4),
            with(with(classes, "Desktop: UPDATEDIR Desktop"), "My Computer: UPDATEDIR My-Computer"));

  // A volatile class key makes the next Make Link fail and put everything back.
  ASSERT_EQ(CreateVolatileKey(registry, kHkeyLocalMachine, kClassKey), kErrorSuccess);
  EXPECT_FALSE(make(Placement::Desktop));
  EXPECT_EQ(listener.Heard(0), Heard{});
  Clean(registry);
}

}  // namespace
}  // namespace nw::test
