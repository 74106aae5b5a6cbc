// Owning wrappers for GDI objects and icons.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace nw {

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

struct IconDeleter {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

struct CursorDeleter {
  void operator()(HCURSOR cursor) const { DestroyCursor(cursor); }
};
using UniqueCursor = std::unique_ptr<std::remove_pointer_t<HCURSOR>, CursorDeleter>;

// An icon of the resource `name` at size x size pixels. Where comctl32 has
// LoadIconWithScaleDown (not every Windows 7 does), the nearest image of the
// resource is scaled down to that size; otherwise the system picks an image
// and stretches it. Null when there is no such icon.
UniqueIcon LoadIconOfSize(HINSTANCE instance, const wchar_t* name, int size);

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

// Draws the whole bitmap into the rectangle, scaled where the sizes differ,
// and leaves the DC's drawing state (stretch mode, brush origin) as it was.
void DrawBitmap(HDC dc, const RECT& rect, HBITMAP bitmap);

}  // namespace nw
