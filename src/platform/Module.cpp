#include "platform/Module.h"

#include <string>

namespace nw {

HMODULE LoadSystemLibrary(const wchar_t* name) {
  // Found at run time like the rest, so the programs do not import it.
  using GetSystemDirectoryFn = UINT(WINAPI*)(LPWSTR, UINT);
  const auto getSystemDirectory =
      FindFunction<GetSystemDirectoryFn>(GetModuleHandleW(L"kernel32.dll"), "GetSystemDirectoryW");
  if (getSystemDirectory == nullptr) return nullptr;
  // Asked with no room, it tells the room it needs, the terminating null included.
  const UINT size = getSystemDirectory(nullptr, 0);
  if (size == 0) return nullptr;
  std::wstring path(size, L'\0');
  const UINT length = getSystemDirectory(path.data(), size);
  if (length == 0 || length >= size) return nullptr;
  path.resize(length);
  path += L'\\';
  path += name;

  // With a full path, this flag has the libraries it needs searched for from
  // its own folder on, never from the program's.
  const UniqueModule loaded(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!loaded) return nullptr;
  HMODULE pinned = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                          reinterpret_cast<LPCWSTR>(loaded.get()), &pinned))
    return nullptr;
  return pinned;
}

}  // namespace nw
