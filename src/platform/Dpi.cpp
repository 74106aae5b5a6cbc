#include "platform/Dpi.h"

#include "platform/Gdi.h"
#include "platform/Module.h"

namespace nw {

DpiFunctions SystemDpiFunctions() {
  DpiFunctions functions;
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  functions.getDpiForWindow = FindFunction<decltype(functions.getDpiForWindow)>(user32, "GetDpiForWindow");
  functions.adjustWindowRectExForDpi =
      FindFunction<decltype(functions.adjustWindowRectExForDpi)>(user32, "AdjustWindowRectExForDpi");
  functions.enableNonClientDpiScaling =
      FindFunction<decltype(functions.enableNonClientDpiScaling)>(user32, "EnableNonClientDpiScaling");
  if (functions.getDpiForWindow == nullptr) {
    // Windows 8.1 tells a monitor's DPI through shcore, which Windows 7 lacks.
    // The library stays loaded for the rest of the run, as the pointer into it may.
    HMODULE shcore = GetModuleHandleW(L"shcore.dll");
    if (shcore == nullptr) shcore = LoadSystemLibrary(L"shcore.dll");
    functions.getDpiForMonitor =
        FindFunction<decltype(functions.getDpiForMonitor)>(shcore, "GetDpiForMonitor");
  }
  return functions;
}

int Scale(int twips, UINT dpi) {
  return MulDiv(twips, static_cast<int>(dpi), 1440);
}

UINT SystemDpi() {
  const ScreenDc screen;
  const int dpi = screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT WindowDpi(HWND hwnd, const DpiFunctions& functions) {
  if (functions.getDpiForWindow != nullptr && hwnd != nullptr) {
    if (UINT dpi = functions.getDpiForWindow(hwnd)) return dpi;
  }
  if (functions.getDpiForMonitor != nullptr && hwnd != nullptr) {
    UINT x = 0, y = 0;
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    if (SUCCEEDED(functions.getDpiForMonitor(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), kEffectiveDpi,
                                             &x, &y)) &&
        y != 0)
      return y;
  }
  return SystemDpi();
}

RECT MonitorRectOf(HWND window) {
  HMONITOR monitor = window != nullptr ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                                       : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) return info.rcMonitor;
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

UINT PlaceCentred(HWND hwnd, const RECT& monitor, int widthTwips, int heightTwips, DWORD style, DWORD exStyle,
                  const std::function<void(UINT)>& layout, const DpiFunctions& functions) {
  const int centreX = monitor.left + (monitor.right - monitor.left) / 2;
  const int centreY = monitor.top + (monitor.bottom - monitor.top) / 2;
  // Onto the monitor first, unless it is there already: the DPI a window has
  // is that of the monitor it is on.
  if (MonitorFromWindow(hwnd, MONITOR_DEFAULTTONULL) != MonitorFromRect(&monitor, MONITOR_DEFAULTTONULL))
    SetWindowPos(hwnd, nullptr, centreX, centreY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const UINT dpi = WindowDpi(hwnd, functions);
  layout(dpi);
  const RECT frame = WindowRectFor(widthTwips, heightTwips, dpi, style, exStyle, functions);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(hwnd, nullptr, monitor.left + (monitor.right - monitor.left - width) / 2,
               monitor.top + (monitor.bottom - monitor.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return dpi;
}

void ScaleNonClientArea(HWND hwnd, const DpiFunctions& functions) {
  if (functions.enableNonClientDpiScaling != nullptr) functions.enableNonClientDpiScaling(hwnd);
}

RECT WindowRectFor(int widthTwips, int heightTwips, UINT dpi, DWORD style, DWORD exStyle,
                   const DpiFunctions& functions) {
  RECT rect{0, 0, Scale(widthTwips, dpi), Scale(heightTwips, dpi)};
  if (functions.adjustWindowRectExForDpi != nullptr)
    functions.adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, dpi);
  else
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  return rect;
}

}  // namespace nw
