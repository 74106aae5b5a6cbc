// Drawing helpers: icons of a size, device contexts, bitmaps. (The owners of
// GDI objects and icons are in Handles.h.)
#pragma once

#include <windows.h>

#include "platform/Handles.h"

namespace nw {

// An icon of the resource `name` at size x size pixels. Where comctl32 has
// LoadIconWithScaleDown (not every Windows 7 does), the nearest image of the
// resource is scaled down to that size; otherwise the system picks an image
// and stretches it. Null when there is no such icon.
UniqueIcon LoadIconOfSize(HINSTANCE instance, const wchar_t* name, int size);

// The screen's DC, released when it goes.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// An object selected into a DC for as long as this lives; the DC's own object
// goes back in afterwards.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selection() { SelectObject(dc_, old_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A memory DC with a bitmap selected into it, put back and deleted when it goes.
class BitmapDc {
 public:
  BitmapDc(HDC compatible, HBITMAP bitmap);
  ~BitmapDc();
  BitmapDc(const BitmapDc&) = delete;
  BitmapDc& operator=(const BitmapDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

// A picture kept as an icon resource of one opaque image (a PNG of any shape)
// as a 24-bit bitmap of the image's own size, the same pixels as stored; null
// when it cannot be loaded. PNG images are decoded by the system (Windows
// Vista and later).
UniqueBitmap LoadIconPicture(HINSTANCE instance, const wchar_t* name);

// Draws the whole bitmap into the rectangle, scaled where the sizes differ,
// and leaves the DC's drawing state (stretch mode, brush origin) as it was.
void DrawBitmap(HDC dc, const RECT& rect, HBITMAP bitmap);

}  // namespace nw
