#include "platform/Dpi.h"

namespace nw {

int Scale(int twips, UINT dpi) {
  return MulDiv(twips, static_cast<int>(dpi), 1440);
}

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT WindowDpi(HWND hwnd) {
  // Looked up at run time: older systems know only the system DPI.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpi != nullptr && hwnd != nullptr) {
    if (UINT dpi = getDpi(hwnd)) return dpi;
  }
  return SystemDpi();
}

RECT WindowRectFor(int widthTwips, int heightTwips, UINT dpi, DWORD style, DWORD exStyle) {
  RECT rect{0, 0, Scale(widthTwips, dpi), Scale(heightTwips, dpi)};
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = reinterpret_cast<AdjustForDpiFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
  if (adjust != nullptr)
    adjust(&rect, style, FALSE, exStyle, dpi);
  else
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  return rect;
}

}  // namespace nw
