// make_icon: draws the Nookwayer program icon and writes it as a Windows .ico
// file holding a 16 x 16 and a 32 x 32 image, 256 colours each.
//
//   make_icon <output.ico>
//
// The picture is a block of four coloured squares (the settings file), a bent
// arrow and a manila folder (the folder it becomes). It is drawn from
// rectangles on a palette canvas, one layout per size so the small image stays
// crisp. The tool runs on the build host, so it uses nothing but the standard
// library, and it writes the same bytes on every run.
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Palette

struct Rgb {
  std::uint8_t r, g, b;
};

// Palette indices. Index 0 is black, which is also what the transparent
// pixels hold in the colour bitmap (the mask does the rest).
enum Colour : std::uint8_t {
  kBlack,
  kOutline,
  kRed,
  kRedLight,
  kGreen,
  kGreenLight,
  kBlue,
  kBlueLight,
  kGold,
  kGoldLight,
  kFolderEdge,
  kFolderBack,
  kFolderFront,
  kFolderShine,
  kArrow,
  kColourCount
};

constexpr std::array<Rgb, kColourCount> kColours = {{
    {0x00, 0x00, 0x00},  // kBlack
    {0x30, 0x30, 0x38},  // kOutline
    {0xD8, 0x20, 0x20},  // kRed
    {0xFF, 0x78, 0x68},  // kRedLight
    {0x20, 0xA0, 0x30},  // kGreen
    {0x80, 0xE0, 0x80},  // kGreenLight
    {0x20, 0x50, 0xD8},  // kBlue
    {0x80, 0xA8, 0xFF},  // kBlueLight
    {0xF0, 0x90, 0x00},  // kGold
    {0xFF, 0xD0, 0x60},  // kGoldLight
    {0x80, 0x58, 0x10},  // kFolderEdge
    {0xD8, 0xA8, 0x40},  // kFolderBack
    {0xF8, 0xD8, 0x70},  // kFolderFront
    {0xFF, 0xF4, 0xC0},  // kFolderShine
    {0x18, 0x28, 0x70},  // kArrow
}};

constexpr int kPaletteSize = 256;  // The entries past kColourCount stay black.

// ---------------------------------------------------------------------------
// Canvas

// Inclusive pixel rectangle.
struct Rect {
  int left, top, right, bottom;
  int Width() const { return right - left + 1; }
};

class Canvas {
 public:
  static constexpr int kTransparent = -1;

  explicit Canvas(int size) : size_(size), pixels_(static_cast<std::size_t>(size * size), kTransparent) {}

  int size() const { return size_; }
  int At(int x, int y) const { return pixels_[Index(x, y)]; }
  bool Opaque(int x, int y) const { return At(x, y) != kTransparent; }

  void Set(int x, int y, Colour colour) {
    if (x >= 0 && x < size_ && y >= 0 && y < size_) pixels_[Index(x, y)] = colour;
  }

  void Fill(const Rect& r, Colour colour) {
    for (int y = r.top; y <= r.bottom; ++y)
      for (int x = r.left; x <= r.right; ++x) Set(x, y, colour);
  }

  void Frame(const Rect& r, Colour colour) {
    Fill({r.left, r.top, r.right, r.top}, colour);
    Fill({r.left, r.bottom, r.right, r.bottom}, colour);
    Fill({r.left, r.top, r.left, r.bottom}, colour);
    Fill({r.right, r.top, r.right, r.bottom}, colour);
  }

 private:
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * size_ + x); }

  int size_;
  std::vector<int> pixels_;
};

// ---------------------------------------------------------------------------
// Drawing

// Where the parts go at one image size.
struct Layout {
  int size;
  Rect block;   // The four squares of the block, dividers included.
  bool framed;  // Whether the block gets an outline around it.
  Rect tab;     // The folder's tab, sitting on the back panel.
  Rect back;    // The folder's back panel.
  Rect front;   // The front panel, drawn over the back one.
  int shaft;    // Thickness of the arrow's shaft.
  int wing;     // How far the arrowhead reaches out past the shaft on each side.
  int arrow_y;  // Top row of the arrow's horizontal run.
  int arrow_x;  // Left column of the arrow's vertical run.
  int tip_y;    // Bottom row of the arrowhead.
};

constexpr Layout kSmall = {
    .size = 16,
    .block = {0, 0, 6, 6},
    .framed = false,
    .tab = {1, 7, 6, 9},
    .back = {1, 9, 15, 15},
    .front = {1, 12, 15, 15},
    .shaft = 1,
    .wing = 2,
    .arrow_y = 3,
    .arrow_x = 12,
    .tip_y = 11,
};

constexpr Layout kLarge = {
    .size = 32,
    .block = {2, 2, 12, 12},
    .framed = true,
    .tab = {2, 15, 12, 18},
    .back = {2, 17, 30, 30},
    .front = {2, 22, 30, 30},
    .shaft = 2,
    .wing = 4,
    .arrow_y = 6,
    .arrow_x = 23,
    .tip_y = 21,
};

// One square of the block; squares big enough get a lit top and left edge.
void DrawSquare(Canvas& canvas, const Rect& r, Colour fill, Colour light) {
  canvas.Fill(r, fill);
  if (r.Width() < 4) return;
  canvas.Fill({r.left, r.top, r.right - 1, r.top}, light);
  canvas.Fill({r.left, r.top, r.left, r.bottom - 1}, light);
}

// The settings file: a block of four coloured squares split by dark lines,
// outlined where there is room for it.
void DrawBlock(Canvas& canvas, const Rect& r, bool framed) {
  if (framed) canvas.Frame({r.left - 1, r.top - 1, r.right + 1, r.bottom + 1}, kOutline);
  const int mid_x = (r.left + r.right) / 2;
  const int mid_y = (r.top + r.bottom) / 2;
  canvas.Fill({mid_x, r.top, mid_x, r.bottom}, kOutline);
  canvas.Fill({r.left, mid_y, r.right, mid_y}, kOutline);
  DrawSquare(canvas, {r.left, r.top, mid_x - 1, mid_y - 1}, kRed, kRedLight);
  DrawSquare(canvas, {mid_x + 1, r.top, r.right, mid_y - 1}, kGreen, kGreenLight);
  DrawSquare(canvas, {r.left, mid_y + 1, mid_x - 1, r.bottom}, kBlue, kBlueLight);
  DrawSquare(canvas, {mid_x + 1, mid_y + 1, r.right, r.bottom}, kGold, kGoldLight);
}

// The folder: tab and back panel in the darker manila, the front panel in the
// lighter one with a bright line along its top edge.
void DrawFolder(Canvas& canvas, const Layout& layout) {
  canvas.Fill(layout.tab, kFolderBack);
  canvas.Frame(layout.tab, kFolderEdge);
  canvas.Fill(layout.back, kFolderBack);
  canvas.Frame(layout.back, kFolderEdge);
  canvas.Fill(layout.front, kFolderFront);
  canvas.Frame(layout.front, kFolderEdge);
  const Rect& f = layout.front;
  canvas.Fill({f.left + 1, f.top + 1, f.right - 1, f.top + 1}, kFolderShine);
}

// The arrow: right from the block, then down into the folder, ending in a
// head that narrows by one pixel a side per row.
void DrawArrow(Canvas& canvas, const Layout& layout) {
  const int shaft = layout.shaft;
  const int start_x = layout.block.right + (layout.framed ? 3 : 2);
  const int right_x = layout.arrow_x + shaft - 1;
  const int head_rows = layout.wing + (shaft + 1) / 2;
  const int head_top = layout.tip_y - head_rows + 1;

  canvas.Fill({start_x, layout.arrow_y, right_x, layout.arrow_y + shaft - 1}, kArrow);
  canvas.Fill({layout.arrow_x, layout.arrow_y, right_x, head_top - 1}, kArrow);
  for (int row = 0; row < head_rows; ++row) {
    canvas.Fill(
        {layout.arrow_x - layout.wing + row, head_top + row, right_x + layout.wing - row, head_top + row},
        kArrow);
  }
}

Canvas Draw(const Layout& layout) {
  Canvas canvas(layout.size);
  DrawFolder(canvas, layout);
  DrawBlock(canvas, layout.block, layout.framed);
  DrawArrow(canvas, layout);
  return canvas;
}

// ---------------------------------------------------------------------------
// Writing the .ico

class Bytes {
 public:
  void U8(std::uint8_t v) { data_.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v & 0xFF));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v & 0xFFFF));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void Append(const std::vector<std::uint8_t>& more) { data_.insert(data_.end(), more.begin(), more.end()); }
  const std::vector<std::uint8_t>& data() const { return data_; }

 private:
  std::vector<std::uint8_t> data_;
};

// Rows of a bitmap are padded to a whole number of 32-bit words.
int RowBytes(int width, int bits_per_pixel) {
  return (width * bits_per_pixel + 31) / 32 * 4;
}

// One icon image as it is stored: BITMAPINFOHEADER (height counting the colour
// bitmap and the mask), the palette, the 8-bit colour bitmap and the 1-bit AND
// mask, both bottom-up.
std::vector<std::uint8_t> EncodeImage(const Canvas& canvas) {
  const int size = canvas.size();
  const int xor_row = RowBytes(size, 8);
  const int and_row = RowBytes(size, 1);

  Bytes out;
  out.U32(40);                                                      // biSize
  out.U32(static_cast<std::uint32_t>(size));                        // biWidth
  out.U32(static_cast<std::uint32_t>(size * 2));                    // biHeight
  out.U16(1);                                                       // biPlanes
  out.U16(8);                                                       // biBitCount
  out.U32(0);                                                       // biCompression: BI_RGB
  out.U32(static_cast<std::uint32_t>((xor_row + and_row) * size));  // biSizeImage
  out.U32(0);                                                       // biXPelsPerMeter
  out.U32(0);                                                       // biYPelsPerMeter
  out.U32(0);                                                       // biClrUsed: all 256
  out.U32(0);                                                       // biClrImportant

  for (int i = 0; i < kPaletteSize; ++i) {
    const Rgb c = i < kColourCount ? kColours[static_cast<std::size_t>(i)] : Rgb{0, 0, 0};
    out.U8(c.b);
    out.U8(c.g);
    out.U8(c.r);
    out.U8(0);
  }

  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const int colour = canvas.Opaque(x, y) ? canvas.At(x, y) : kBlack;
      out.U8(static_cast<std::uint8_t>(colour));
    }
    for (int pad = size; pad < xor_row; ++pad) out.U8(0);
  }

  // Mask bit set: transparent. The first pixel of a row is the top bit.
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(and_row), 0);
    for (int x = 0; x < size; ++x) {
      if (!canvas.Opaque(x, y))
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    out.Append(row);
  }
  return out.data();
}

std::vector<std::uint8_t> EncodeIcon(const std::vector<Canvas>& images) {
  std::vector<std::vector<std::uint8_t>> encoded;
  for (const Canvas& image : images) encoded.push_back(EncodeImage(image));

  Bytes out;
  out.U16(0);  // Reserved.
  out.U16(1);  // Type: icon.
  out.U16(static_cast<std::uint16_t>(images.size()));

  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const int size = images[i].size();
    out.U8(static_cast<std::uint8_t>(size));  // Width (0 would mean 256).
    out.U8(static_cast<std::uint8_t>(size));  // Height.
    out.U8(0);                                // Colour count: 0 for 256 or more.
    out.U8(0);                                // Reserved.
    out.U16(1);                               // Planes.
    out.U16(8);                               // Bits per pixel.
    out.U32(static_cast<std::uint32_t>(encoded[i].size()));
    out.U32(offset);
    offset += static_cast<std::uint32_t>(encoded[i].size());
  }
  for (const auto& image : encoded) out.Append(image);
  return out.data();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon <output.ico>\n");
    return 2;
  }
  const std::vector<std::uint8_t> icon = EncodeIcon({Draw(kSmall), Draw(kLarge)});

  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(icon.data()), static_cast<std::streamsize>(icon.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
