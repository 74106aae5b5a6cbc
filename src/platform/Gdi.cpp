#include "platform/Gdi.h"

#include "platform/Module.h"

namespace nw {

UniqueIcon LoadIconOfSize(HINSTANCE instance, const wchar_t* name, int size) {
  // comctl32 is loaded by whoever shows windows (the program initialises its
  // common controls); the function is looked for only there.
  using ScaleDown = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  const auto scaleDown = FindFunction<ScaleDown>(GetModuleHandleW(L"comctl32.dll"), "LoadIconWithScaleDown");
  HICON icon = nullptr;
  if (scaleDown == nullptr || FAILED(scaleDown(instance, name, size, size, &icon)))
    icon = static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, size, size, 0));
  return UniqueIcon(icon);
}

BitmapDc::BitmapDc(HDC compatible, HBITMAP bitmap) : dc_(CreateCompatibleDC(compatible)) {
  if (dc_ != nullptr) old_ = SelectObject(dc_, bitmap);
}

BitmapDc::~BitmapDc() {
  if (dc_ == nullptr) return;
  SelectObject(dc_, old_);
  DeleteDC(dc_);
}

void DrawBitmap(HDC dc, const RECT& rect, HBITMAP bitmap) {
  BITMAP size{};
  if (GetObjectW(bitmap, sizeof size, &size) == 0) return;
  BitmapDc source(dc, bitmap);
  if (source.get() == nullptr) return;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width == size.bmWidth && height == size.bmHeight) {
    BitBlt(dc, rect.left, rect.top, width, height, source.get(), 0, 0, SRCCOPY);
    return;
  }
  // At another DPI the picture is scaled with the window. The DC belongs to
  // whoever asked for the drawing: its state goes back as it was.
  const int saved = SaveDC(dc);
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchBlt(dc, rect.left, rect.top, width, height, source.get(), 0, 0, size.bmWidth, size.bmHeight,
             SRCCOPY);
  if (saved != 0) RestoreDC(dc, saved);
}

}  // namespace nw
