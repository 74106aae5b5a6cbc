#include "platform/ShellOpen.h"

#include <windows.h>
// (after windows.h, which they need)
#include <objbase.h>
#include <shellapi.h>

#include "platform/Module.h"

namespace nw {

// The libraries are loaded from the system folder and never unloaded: the
// shell may finish a ShellExecute on a thread of its own after the call has
// returned (a mail program reached by DDE, for one), running code of them.
bool ShellOpen(const std::string& ansiTarget) {
  using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
  using CoUninitializeFn = void(WINAPI*)();

  const HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
  const HMODULE shell32 = LoadSystemLibrary(L"shell32.dll");
  const auto shellExecute = FindFunction<ShellExecuteFn>(shell32, "ShellExecuteA");
  if (shellExecute == nullptr) return false;

  // COM for the length of the call: the shell may hand the link to a handler
  // that needs it.
  const auto coInitialize = FindFunction<CoInitializeExFn>(ole32, "CoInitializeEx");
  const auto coUninitialize = FindFunction<CoUninitializeFn>(ole32, "CoUninitialize");
  const bool com = coInitialize != nullptr && coUninitialize != nullptr &&
                   SUCCEEDED(coInitialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  const auto result = shellExecute(nullptr, nullptr, ansiTarget.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (com) coUninitialize();
  // Values above 32 mean success.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace nw
