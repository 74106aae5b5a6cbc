// Functions found at run time: those a system may lack, and those of libraries
// loaded only when they are needed.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace nw {

// The function of that name in the module, or null when there is no module
// or the module has no such function.
template <typename Function>
Function FindFunction(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A library this program loaded, freed when the owner goes.
struct ModuleFree {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree>;

}  // namespace nw
