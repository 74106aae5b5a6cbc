// Twips, pixels and the DPI of the screen a window is on.
#pragma once

#include <windows.h>

#include <functional>

namespace nw {

// The per-monitor DPI functions: user32's of Windows 10 (1607 on), and
// shcore's GetDpiForMonitor of Windows 8.1. Found at run time, so the programs
// start on Windows 7 too; a missing one is null, and the callers below then do
// with the next older way, down to the DPI of the screen as a whole.
struct DpiFunctions {
  UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
  BOOL(WINAPI* adjustWindowRectExForDpi)(LPRECT, DWORD, BOOL, DWORD, UINT) = nullptr;
  // GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &x, &y).
  HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
  // For a per-monitor (v1) window of Windows 10 1607, whose caption and menus
  // Windows scales only when asked; v2 windows get it anyway.
  BOOL(WINAPI* enableNonClientDpiScaling)(HWND) = nullptr;
};
// Those this system has.
DpiFunctions SystemDpiFunctions();

// Twips (1/1440 inch) in pixels at a DPI.
int Scale(int twips, UINT dpi);
// The DPI of the screen as a whole.
UINT SystemDpi();
// The DPI of the monitor a window is on, where the system can tell it: from the
// window itself (Windows 10), from its monitor (Windows 8.1), or the screen's.
UINT WindowDpi(HWND hwnd, const DpiFunctions& functions = SystemDpiFunctions());
// Asks Windows to scale the window's caption and menus with its DPI, where that
// takes asking. Call it on WM_NCCREATE.
void ScaleNonClientArea(HWND hwnd, const DpiFunctions& functions = SystemDpiFunctions());
// The outer size of a window whose client area measures width x height twips.
RECT WindowRectFor(int widthTwips, int heightTwips, UINT dpi, DWORD style, DWORD exStyle,
                   const DpiFunctions& functions = SystemDpiFunctions());

// The whole rectangle of the monitor a window is on (the primary one for no window).
RECT MonitorRectOf(HWND window);

// Puts a window centred on a monitor, its client area widthTwips x heightTwips
// at the DPI it has there: it moves onto the monitor first, then reads that
// DPI, lays itself out for it (`layout`) and takes the frame that DPI gives.
// So frame and content agree when monitors differ in scale. Gives the DPI.
UINT PlaceCentred(HWND hwnd, const RECT& monitor, int widthTwips, int heightTwips, DWORD style, DWORD exStyle,
                  const std::function<void(UINT)>& layout,
                  const DpiFunctions& functions = SystemDpiFunctions());

}  // namespace nw
