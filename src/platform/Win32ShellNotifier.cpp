#include "platform/Win32ShellNotifier.h"

#include <shlobj.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <type_traits>

namespace nw {
namespace {

struct LibraryFree {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using LoadedLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFree>;

// shell32 from the system folder, named by its full path so that no other
// folder is searched for it, and pinned: once loaded, the shell may keep
// threads and windows of its own running its code, so it is never unloaded.
// The pinned handle needs no freeing; the load's own reference is dropped.
HMODULE LoadShell32() noexcept {
  static constexpr wchar_t kName[] = L"\\shell32.dll";
  wchar_t path[MAX_PATH + std::size(kName)];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::memcpy(path + length, kName, sizeof kName);
  const LoadedLibrary loaded(LoadLibraryW(path));
  HMODULE pinned = nullptr;
  if (!loaded || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                     reinterpret_cast<LPCWSTR>(loaded.get()), &pinned))
    return nullptr;
  return pinned;
}

template <typename Function>
Function Find(HMODULE module, const char* name) noexcept {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The notifications start on their way before SHChangeNotify returns
// (SHCNF_FLUSHNOWAIT), so they are not lost when the program ends right after
// a command, without waiting for every window that listens (SHCNF_FLUSH would
// wait for a window that hangs, too).
constexpr UINT kIdListNow = SHCNF_IDLIST | SHCNF_FLUSHNOWAIT;

}  // namespace

bool Win32ShellNotifier::Load() noexcept {
  if (!loaded_) {
    loaded_ = true;
    if (const HMODULE shell32 = LoadShell32()) {
      changeNotify_ = Find<ChangeNotifyFn>(shell32, "SHChangeNotify");
      folderLocation_ = Find<FolderLocationFn>(shell32, "SHGetFolderLocation");
      idListFree_ = Find<IdListFreeFn>(shell32, "ILFree");
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
