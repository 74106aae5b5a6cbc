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

UniqueBitmap LoadIconPicture(HINSTANCE instance, const wchar_t* name) {
  // With no size asked and no LR_DEFAULTSIZE, the image keeps its own size.
  const UniqueIcon icon(static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, 0, 0, 0)));
  if (!icon) return nullptr;
  ICONINFO info{};
  if (!GetIconInfo(icon.get(), &info)) return nullptr;
  // GetIconInfo hands the caller copies of the icon's bitmaps.
  const UniqueBitmap mask(info.hbmMask), colour(info.hbmColor);
  BITMAP size{};
  if (!colour || GetObjectW(colour.get(), sizeof size, &size) == 0) return nullptr;
  BITMAPINFO format{};
  format.bmiHeader = {sizeof format.bmiHeader, size.bmWidth, -size.bmHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const ScreenDc screen;
  UniqueBitmap picture(CreateDIBSection(screen.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!picture) return nullptr;
  // Drawn on black: the image is opaque, so every pixel is its own.
  const BitmapDc dc(screen.get(), picture.get());
  if (dc.get() == nullptr || !PatBlt(dc.get(), 0, 0, size.bmWidth, size.bmHeight, BLACKNESS) ||
      !DrawIconEx(dc.get(), 0, 0, icon.get(), size.bmWidth, size.bmHeight, 0, nullptr, DI_NORMAL))
    return nullptr;
  return picture;
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
