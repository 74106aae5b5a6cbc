// Functions found at run time: those a system may lack, and those of libraries
// loaded only when they are needed.
#pragma once

#include <windows.h>

#include "platform/Handles.h"

namespace nw {

// The function of that name in the module, or null when there is no module
// or the module has no such function.
template <typename Function>
Function FindFunction(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Loads a library of Windows from the system folder, by its full path, so that
// a library of the same name anywhere else (beside the program, in the current
// folder) is never taken for it; what it needs in turn is looked for in the
// system folder first. The library stays loaded until the process ends
// (pinned), whatever FreeLibrary calls follow, so the handle needs no freeing.
// Null when the system folder has no such library.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace nw
