// Twips, pixels and the DPI of the screen a window is on.
#pragma once

#include <windows.h>

namespace nw {

// Twips (1/1440 inch) in pixels at a DPI.
int Scale(int twips, UINT dpi);
// The DPI of the screen as a whole.
UINT SystemDpi();
// The DPI of the monitor a window is on, where the system can tell it.
UINT WindowDpi(HWND hwnd);
// The outer size of a window whose client area measures width x height twips.
RECT WindowRectFor(int widthTwips, int heightTwips, UINT dpi, DWORD style, DWORD exStyle);

}  // namespace nw
