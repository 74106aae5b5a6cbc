// Telling the shell of a change on Windows: SHChangeNotify.
#pragma once

#include <windows.h>
// (after windows.h, which it needs)
#include <shtypes.h>

#include "platform/Services.h"

namespace nw {

// shell32 is not imported: starting the programs never loads it. A
// notification is sent only while a shell runs in the session to hear it (it
// has a shell window); where none does (a service, a scheduled task, a session
// without Explorer), shell32 and all it loads in turn are not worth loading.
// The first notification sent loads it from the system folder, and it stays
// loaded until the program ends. Where it or one of its functions is missing,
// the shell is told nothing.
class Win32ShellNotifier final : public ShellNotifier {
 public:
  // Gives the session's shell window, or null where no shell runs.
  using ShellWindowFn = HWND(WINAPI*)();

  // Asks GetShellWindow.
  Win32ShellNotifier() = default;
  explicit Win32ShellNotifier(ShellWindowFn shellWindow) : shellWindow_(shellWindow) {}

  // SHCNE_ASSOCCHANGED: the change notification Explorer answers by reading
  // registered classes again.
  void ClassesChanged() noexcept override;
  // SHCNE_UPDATEDIR with the folder's ID list.
  void FolderChanged(Folder folder) noexcept override;

 private:
  using ChangeNotifyFn = void(WINAPI*)(LONG event, UINT flags, LPCVOID item1, LPCVOID item2);
  using FolderLocationFn = HRESULT(WINAPI*)(HWND, int csidl, HANDLE token, DWORD flags,
                                            PIDLIST_ABSOLUTE* idList);
  using IdListFreeFn = void(WINAPI*)(PIDLIST_RELATIVE idList);

  // Whether a shell runs to hear a notification: asked at each one, as the
  // shell may start or end while the program runs.
  bool ShellRuns() noexcept;
  // Finds the functions the first time; false when SHChangeNotify is missing.
  bool Load() noexcept;

  ShellWindowFn shellWindow_ = nullptr;
  bool loaded_ = false;
  ChangeNotifyFn changeNotify_ = nullptr;
  FolderLocationFn folderLocation_ = nullptr;
  IdListFreeFn idListFree_ = nullptr;
};

}  // namespace nw
