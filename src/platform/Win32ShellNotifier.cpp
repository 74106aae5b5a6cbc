#include "platform/Win32ShellNotifier.h"

#include <shlobj.h>

#include "platform/Module.h"

namespace nw {
namespace {

// The notifications start on their way before SHChangeNotify returns
// (SHCNF_FLUSHNOWAIT), so they are not lost when the program ends right after
// a command, without waiting for every window that listens (SHCNF_FLUSH would
// wait for a window that hangs, too).
constexpr UINT kIdListNow = SHCNF_IDLIST | SHCNF_FLUSHNOWAIT;

}  // namespace

bool Win32ShellNotifier::ShellRuns() noexcept {
  // user32 is loaded already in a program with windows, and costs far less
  // than shell32 in one without.
  if (shellWindow_ == nullptr)
    shellWindow_ = FindFunction<ShellWindowFn>(LoadSystemLibrary(L"user32.dll"), "GetShellWindow");
  return shellWindow_ == nullptr || shellWindow_() != nullptr;
}

bool Win32ShellNotifier::Load() noexcept {
  if (!ShellRuns()) return false;
  if (!loaded_) {
    loaded_ = true;
    // From the system folder, and for good: the shell may keep threads and
    // windows of its own running its code.
    if (const HMODULE shell32 = LoadSystemLibrary(L"shell32.dll")) {
      changeNotify_ = FindFunction<ChangeNotifyFn>(shell32, "SHChangeNotify");
      folderLocation_ = FindFunction<FolderLocationFn>(shell32, "SHGetFolderLocation");
      idListFree_ = FindFunction<IdListFreeFn>(shell32, "ILFree");
    }
  }
  return changeNotify_ != nullptr;
}

void Win32ShellNotifier::ClassesChanged() noexcept {
  // The event names no item: both items must be null.
  if (Load()) changeNotify_(SHCNE_ASSOCCHANGED, kIdListNow, nullptr, nullptr);
}

void Win32ShellNotifier::FolderChanged(Folder folder) noexcept {
  if (!Load() || folderLocation_ == nullptr || idListFree_ == nullptr) return;
  const int csidl = folder == Folder::Desktop ? CSIDL_DESKTOP : CSIDL_DRIVES;
  // The caller frees the ID list with ILFree.
  struct IdListFree {
    IdListFreeFn free;
    void operator()(ITEMIDLIST* idList) const { free(idList); }
  };
  PIDLIST_ABSOLUTE found = nullptr;
  if (FAILED(folderLocation_(nullptr, csidl, nullptr, 0, &found)) || found == nullptr) return;
  const std::unique_ptr<ITEMIDLIST, IdListFree> idList(found, IdListFree{idListFree_});
  changeNotify_(SHCNE_UPDATEDIR, kIdListNow, idList.get(), nullptr);
}

}  // namespace nw
