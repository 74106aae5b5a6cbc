// Loads the library that lies beside it by its bare name, as a program or a
// system library would, with the search restricted first ("restrict") or not.
// Exit status: 0 loaded, 1 not loaded.
#include <windows.h>

#include <cwchar>

#include "platform/DllSearch.h"

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wcscmp(argv[1], L"restrict") == 0) nw::RestrictDllSearch();
  return LoadLibraryW(L"nwplanted.dll") != nullptr ? 0 : 1;
}
