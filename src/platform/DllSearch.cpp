#include "platform/DllSearch.h"

#include "platform/Module.h"

namespace nw {

DllSearchFunctions SystemDllSearchFunctions() {
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  DllSearchFunctions functions;
  functions.setDefaultDllDirectories =
      FindFunction<decltype(functions.setDefaultDllDirectories)>(kernel32, "SetDefaultDllDirectories");
  functions.setDllDirectory = SetDllDirectoryW;
  return functions;
}

bool RestrictDllSearch(const DllSearchFunctions& functions) {
  if (functions.setDefaultDllDirectories != nullptr &&
      functions.setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
    return true;
  // Without it the program's own folder stays first in the search; an empty
  // directory at least removes the current one.
  if (functions.setDllDirectory != nullptr) functions.setDllDirectory(L"");
  return false;
}

}  // namespace nw
