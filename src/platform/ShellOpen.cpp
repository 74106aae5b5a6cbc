#include "platform/ShellOpen.h"

#include <windows.h>
// (after windows.h, which they need)
#include <objbase.h>
#include <shellapi.h>

#include "platform/Module.h"

namespace nw {
namespace {

// Loads a system library for the rest of the program's life. Both are known
// system libraries, which Windows loads from its own folder. The shell may
// finish a ShellExecute on a thread of its own after the call has returned (a
// mail program reached by DDE, for one), running code of these libraries, so
// they are never unloaded: pinned, a module stays loaded until the process
// ends, whatever FreeLibrary calls follow. The pinned handle needs no freeing.
HMODULE LoadPinned(const wchar_t* name) {
  const UniqueModule loaded(LoadLibraryW(name));
  HMODULE pinned = nullptr;
  if (!loaded || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, name, &pinned)) return nullptr;
  return pinned;
}

}  // namespace

bool ShellOpen(const std::string& ansiTarget) {
  using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
  using CoUninitializeFn = void(WINAPI*)();

  const HMODULE ole32 = LoadPinned(L"ole32.dll");
  const HMODULE shell32 = LoadPinned(L"shell32.dll");
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
