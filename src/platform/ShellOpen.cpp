#include "platform/ShellOpen.h"

#include <windows.h>
// (after windows.h, which they need)
#include <objbase.h>
#include <shellapi.h>

#include "platform/Module.h"

namespace nw {
namespace {

// Both are known system libraries, which Windows loads from its own folder.
UniqueModule LoadSystemLibrary(const wchar_t* name) {
  return UniqueModule(LoadLibraryW(name));
}

}  // namespace

bool ShellOpen(const std::string& ansiTarget) {
  using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
  using CoUninitializeFn = void(WINAPI*)();

  const UniqueModule ole32 = LoadSystemLibrary(L"ole32.dll");
  const UniqueModule shell32 = LoadSystemLibrary(L"shell32.dll");
  const auto shellExecute = FindFunction<ShellExecuteFn>(shell32.get(), "ShellExecuteA");
  if (shellExecute == nullptr) return false;

  // COM for the length of the call: the shell may hand the link to a handler
  // that needs it.
  const auto coInitialize = FindFunction<CoInitializeExFn>(ole32.get(), "CoInitializeEx");
  const auto coUninitialize = FindFunction<CoUninitializeFn>(ole32.get(), "CoUninitialize");
  const bool com = coInitialize != nullptr && coUninitialize != nullptr &&
                   SUCCEEDED(coInitialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  const auto result = shellExecute(nullptr, nullptr, ansiTarget.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (com) coUninitialize();
  // Values above 32 mean success.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace nw
