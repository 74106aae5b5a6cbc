#include "platform/ShellOpen.h"

#include <windows.h>
// (after windows.h, which they need)
#include <exdisp.h>
#include <objbase.h>
#include <oleauto.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <memory>
#include <stdexcept>

#include "platform/AnsiText.h"
#include "platform/ComPtr.h"
#include "platform/Handles.h"
#include "platform/Module.h"

namespace nw {
namespace {

// The libraries are loaded from the system folder and never unloaded: the
// shell may finish a ShellExecute on a thread of its own after the call has
// returned (a mail program reached by DDE, for one), running code of them.

bool ProcessIsElevated() {
  // Found at run time, so the program does not import them for this one check.
  using GetCurrentProcessFn = HANDLE(WINAPI*)();
  using OpenProcessTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
  using GetTokenInformationFn = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  const HMODULE advapi32 = GetModuleHandleW(L"advapi32.dll");
  const auto getCurrentProcess = FindFunction<GetCurrentProcessFn>(kernel32, "GetCurrentProcess");
  const auto openProcessToken = FindFunction<OpenProcessTokenFn>(advapi32, "OpenProcessToken");
  const auto getTokenInformation = FindFunction<GetTokenInformationFn>(advapi32, "GetTokenInformation");
  if (getCurrentProcess == nullptr || openProcessToken == nullptr || getTokenInformation == nullptr)
    return false;

  HANDLE token = nullptr;
  if (!openProcessToken(getCurrentProcess(), TOKEN_QUERY, &token)) return false;
  const UniqueHandle owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  // Systems before Vista know no such class and refuse: not elevated.
  return getTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated != 0;
}

bool OpenHere(const std::string& ansiTarget) {
  using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  const auto shellExecute = FindFunction<ShellExecuteFn>(LoadSystemLibrary(L"shell32.dll"), "ShellExecuteA");
  if (shellExecute == nullptr) return false;
  // COM for the length of the call: the shell may hand the link to a handler
  // that needs it.
  const ComApartment com;
  const auto result = shellExecute(nullptr, nullptr, ansiTarget.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  // Values above 32 mean success.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

// What the desktop way takes of oleaut32: strings and variants for automation.
struct Automation {
  BSTR(WINAPI* sysAllocString)(const OLECHAR*) = nullptr;
  void(WINAPI* sysFreeString)(BSTR) = nullptr;
  void(WINAPI* variantInit)(VARIANTARG*) = nullptr;
  HRESULT(WINAPI* variantClear)(VARIANTARG*) = nullptr;

  explicit Automation(HMODULE oleaut32)
      : sysAllocString(FindFunction<decltype(sysAllocString)>(oleaut32, "SysAllocString")),
        sysFreeString(FindFunction<decltype(sysFreeString)>(oleaut32, "SysFreeString")),
        variantInit(FindFunction<decltype(variantInit)>(oleaut32, "VariantInit")),
        variantClear(FindFunction<decltype(variantClear)>(oleaut32, "VariantClear")) {}
  bool Complete() const {
    return sysAllocString != nullptr && sysFreeString != nullptr && variantInit != nullptr &&
           variantClear != nullptr;
  }
};

// A string this program allocated for automation, freed when the owner goes.
struct BstrFree {
  void(WINAPI* sysFreeString)(BSTR) = nullptr;
  void operator()(BSTR text) const { sysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFree>;

// A variant this program filled, cleared (and whatever it holds freed) when it goes.
class Variant {
 public:
  explicit Variant(const Automation& automation) : variantClear_(automation.variantClear) {
    automation.variantInit(&value_);
  }
  ~Variant() { variantClear_(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  VARIANT* get() { return &value_; }
  VARIANT* operator->() { return &value_; }
  const VARIANT& operator*() const { return value_; }

 private:
  HRESULT(WINAPI* variantClear_)(VARIANTARG*);
  VARIANT value_;
};

// A call that hands out a reference succeeded and did hand one out.
template <typename Interface>
bool Got(HRESULT result, const ComPtr<Interface>& reference) {
  return SUCCEEDED(result) && reference;
}

// The desktop's shell opens the target in its own process: the desktop window
// of the shell windows object, its browser, its view, the view's automation
// object and that object's application, whose ShellExecute runs in the shell.
// Up to the desktop's window, a failure means the shell could not be reached;
// after it, that the shell was reached and did not do it.
DesktopOpen OpenThroughDesktop(const std::string& ansiTarget) {
  using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
  constexpr DesktopOpen kUnreachable = DesktopOpen::Unreachable, kRefused = DesktopOpen::Refused;
  const HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
  const auto coCreateInstance = FindFunction<CoCreateInstanceFn>(ole32, "CoCreateInstance");
  const Automation automation(LoadSystemLibrary(L"oleaut32.dll"));
  if (coCreateInstance == nullptr || !automation.Complete()) return kUnreachable;
  std::wstring target;
  try {
    // As ShellExecuteA reads it: in the system's ANSI code page.
    target = FromAnsi(ansiTarget);
  } catch (const std::invalid_argument&) {
    return kRefused;
  }

  // Declared first, so every reference below is released before COM goes.
  const ComApartment com;
  ComPtr<IShellWindows> windows;
  if (!Got(coCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                            windows.ReceiveVoid()),
           windows))
    return kUnreachable;
  Variant location(automation);
  location->vt = VT_I4;
  location->lVal = CSIDL_DESKTOP;
  Variant root(automation);  // empty, as it must be
  long desktopWindow = 0;
  ComPtr<IDispatch> desktop;
  // S_FALSE, with no window, where no desktop is registered.
  if (windows->FindWindowSW(location.get(), root.get(), SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH,
                            desktop.Receive()) != S_OK ||
      !desktop)
    return kUnreachable;
  ComPtr<IServiceProvider> services;
  if (!Got(desktop->QueryInterface(IID_IServiceProvider, services.ReceiveVoid()), services)) return kRefused;
  ComPtr<IShellBrowser> browser;
  if (!Got(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.ReceiveVoid()), browser))
    return kRefused;
  ComPtr<IShellView> view;
  if (!Got(browser->QueryActiveShellView(view.Receive()), view)) return kRefused;
  ComPtr<IDispatch> background;
  if (!Got(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.ReceiveVoid()), background))
    return kRefused;
  ComPtr<IShellFolderViewDual> folderView;
  if (!Got(background->QueryInterface(IID_IShellFolderViewDual, folderView.ReceiveVoid()), folderView))
    return kRefused;
  ComPtr<IDispatch> application;
  if (!Got(folderView->get_Application(application.Receive()), application)) return kRefused;
  ComPtr<IShellDispatch2> shell;
  if (!Got(application->QueryInterface(IID_IShellDispatch2, shell.ReceiveVoid()), shell)) return kRefused;

  const UniqueBstr file(automation.sysAllocString(target.c_str()), BstrFree{automation.sysFreeString});
  // No parameters, directory or verb (the default one): empty strings.
  Variant none(automation);
  none->bstrVal = automation.sysAllocString(L"");
  none->vt = VT_BSTR;
  Variant show(automation);
  show->vt = VT_I4;
  show->lVal = SW_SHOWNORMAL;
  if (!file || none->bstrVal == nullptr) return kRefused;
  // The variants go in by value and stay this program's to clear, so one
  // serves for all three empty arguments. Anything but S_OK is taken for a
  // refusal (Wine answers S_FALSE where the shell could not open the target;
  // a shell that goes away meanwhile, an RPC error).
  return shell->ShellExecute(file.get(), *none, *none, *none, *show) == S_OK ? DesktopOpen::Opened : kRefused;
}

void AllowForeground() {
  AllowSetForegroundWindow(ASFW_ANY);
}

}  // namespace

ShellOpenFunctions SystemShellOpenFunctions() {
  ShellOpenFunctions functions;
  functions.elevated = ProcessIsElevated;
  functions.openThroughDesktop = OpenThroughDesktop;
  functions.openHere = OpenHere;
  functions.allowForeground = AllowForeground;
  return functions;
}

bool ShellOpen(const std::string& ansiTarget, const ShellOpenFunctions& functions) {
  // Whoever opens it, the program it starts is not this process's child and
  // would otherwise open behind this window.
  if (functions.allowForeground != nullptr) functions.allowForeground();
  const DesktopOpen desktop = functions.openThroughDesktop != nullptr
                                  ? functions.openThroughDesktop(ansiTarget)
                                  : DesktopOpen::Unreachable;
  if (desktop == DesktopOpen::Opened) return true;
  // A refusal stands: the shell that refused may have got as far as starting
  // something, and this process would only try the same again.
  if (desktop == DesktopOpen::Refused) return false;
  const bool elevated = functions.elevated == nullptr || functions.elevated();
  return !elevated && functions.openHere != nullptr && functions.openHere(ansiTarget);
}

}  // namespace nw
