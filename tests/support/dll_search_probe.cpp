// Loads the library that lies beside it, with the search restricted first
// ("restrict") or not ("plain"), by its bare name as a program or a system
// library would; or ("system") as a library of the system folder.
// Exit status: 0 loaded, 1 not loaded.
#include <windows.h>

#include <cwchar>

#include "platform/DllSearch.h"
#include "platform/Module.h"

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wcscmp(argv[1], L"system") == 0)
    return nw::LoadSystemLibrary(L"nwplanted.dll") != nullptr ? 0 : 1;
  if (argc > 1 && std::wcscmp(argv[1], L"restrict") == 0) nw::RestrictDllSearch();
  return LoadLibraryW(L"nwplanted.dll") != nullptr ? 0 : 1;
}
