#include "platform/ShellOpen.h"

#include <windows.h>
// (after windows.h, which they need)
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <type_traits>

namespace nw {
namespace {

struct ModuleFree {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree>;

// Both are known system libraries, which Windows loads from its own folder.
UniqueModule LoadSystemLibrary(const wchar_t* name) {
  return UniqueModule(LoadLibraryW(name));
}

template <typename Fn>
Fn Lookup(const UniqueModule& module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module.get(), name)));
}

}  // namespace

bool ShellOpen(const std::string& ansiTarget) {
  using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
  using CoUninitializeFn = void(WINAPI*)();

  const UniqueModule ole32 = LoadSystemLibrary(L"ole32.dll");
  const UniqueModule shell32 = LoadSystemLibrary(L"shell32.dll");
  const auto shellExecute = Lookup<ShellExecuteFn>(shell32, "ShellExecuteA");
  if (shellExecute == nullptr) return false;

  // COM for the length of the call: the shell may hand the link to a handler
  // that needs it.
  const auto coInitialize = Lookup<CoInitializeExFn>(ole32, "CoInitializeEx");
  const auto coUninitialize = Lookup<CoUninitializeFn>(ole32, "CoUninitialize");
  const bool com = coInitialize != nullptr && coUninitialize != nullptr &&
                   SUCCEEDED(coInitialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  const auto result = shellExecute(nullptr, nullptr, ansiTarget.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (com) coUninitialize();
  // Values above 32 mean success.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace nw
