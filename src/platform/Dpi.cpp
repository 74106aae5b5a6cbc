#include "platform/Dpi.h"

#include "platform/Module.h"

namespace nw {

DpiFunctions SystemDpiFunctions() {
  DpiFunctions functions;
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  functions.getDpiForWindow = FindFunction<decltype(functions.getDpiForWindow)>(user32, "GetDpiForWindow");
  functions.adjustWindowRectExForDpi =
      FindFunction<decltype(functions.adjustWindowRectExForDpi)>(user32, "AdjustWindowRectExForDpi");
  return functions;
}

int Scale(int twips, UINT dpi) {
  return MulDiv(twips, static_cast<int>(dpi), 1440);
}

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT WindowDpi(HWND hwnd, const DpiFunctions& functions) {
  if (functions.getDpiForWindow != nullptr && hwnd != nullptr) {
    if (UINT dpi = functions.getDpiForWindow(hwnd)) return dpi;
  }
  return SystemDpi();
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
