// Twips, pixels and the DPI of the screen a window is on.
#pragma once

#include <windows.h>

namespace nw {

// The per-monitor DPI functions of user32, which arrived with Windows 10. Found at
// run time, so the programs start on Windows 7 too; a missing one is null, and
// the callers below then do with the DPI of the screen as a whole.
struct DpiFunctions {
  UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
  BOOL(WINAPI* adjustWindowRectExForDpi)(LPRECT, DWORD, BOOL, DWORD, UINT) = nullptr;
};
// Those this system has.
DpiFunctions SystemDpiFunctions();

// Twips (1/1440 inch) in pixels at a DPI.
int Scale(int twips, UINT dpi);
// The DPI of the screen as a whole.
UINT SystemDpi();
// The DPI of the monitor a window is on, where the system can tell it.
UINT WindowDpi(HWND hwnd, const DpiFunctions& functions = SystemDpiFunctions());
// The outer size of a window whose client area measures width x height twips.
RECT WindowRectFor(int widthTwips, int heightTwips, UINT dpi, DWORD style, DWORD exStyle,
                   const DpiFunctions& functions = SystemDpiFunctions());

}  // namespace nw
