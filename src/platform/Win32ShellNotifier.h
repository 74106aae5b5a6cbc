// Telling the shell of a change on Windows: SHChangeNotify.
#pragma once

#include <windows.h>
// (after windows.h, which it needs)
#include <shtypes.h>

#include "platform/Services.h"

namespace nw {

// shell32 is not imported: starting the programs never loads it. The first
// notification loads it from the system folder, and it stays loaded until
// the program ends. Where it or one of its functions is missing, the shell is
// told nothing.
class Win32ShellNotifier final : public ShellNotifier {
 public:
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

  // Finds the functions the first time; false when SHChangeNotify is missing.
  bool Load() noexcept;

  bool loaded_ = false;
  ChangeNotifyFn changeNotify_ = nullptr;
  FolderLocationFn folderLocation_ = nullptr;
  IdListFreeFn idListFree_ = nullptr;
};

}  // namespace nw
