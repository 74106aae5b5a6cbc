// draw_art: draws the program's pictures and writes them as the resource
// files committed beside the windows that use them. Run it by hand after a
// change to the drawing, from the top of the source tree:
//
//   g++ -std=c++20 -O1 -Wall -Wextra -Werror -o /tmp/draw_art tools/draw_art.cpp -lz && /tmp/draw_art src
//
// It writes, each picture drawn anew at each size (not scaled from another):
// - frmNW/nookwayer.ico: the program icon, a block of four coloured squares
//   (the settings file), a bent arrow and a manila folder (the folder it
//   becomes), at 16, 20, 24, 32, 40, 48, 64 and 256 pixels, 32 bits with alpha
//   (16 to 32 as bitmaps, the larger images as PNG). 16 to 24 follow the
//   layout drawn for 16 pixels, the larger ones that for 32.
// - hpABOUT/holpine.ico, -150, -200: the maker's logo, 120 x 64 pixels at 96
//   DPI, on black: three pines on a strip of ground and the word mark "HOLLOW
//   PINE" over a small "STUDIO"; an icon of one opaque PNG image, as are:
// - hpABOUT/close.ico, -150, -200: the close button, 54 x 53 pixels at 96 DPI:
//   a green quarter disc centred on the top right corner that fades to black
//   towards its rim, with a black X-shaped cross on it.
// - hpABOUT/hand.cur: the link pointer at 32, 48 and 64 pixels in 16 colours,
//   a pointing hand whose fingertip is the hot spot, (12, 8) at 32 pixels.
//
// Every shape is laid out on the grid of its 96-DPI size; at a scale each grid
// line lands on the nearest pixel, so lines stay sharp and the 96-DPI images
// are exactly what they always were. The same input gives the same bytes.
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Rgb {
  std::uint8_t r, g, b;
};
constexpr Rgb kBlack{0, 0, 0};

// A canvas of colours, each pixel opaque or see-through.
class Canvas {
 public:
  Canvas(int width, int height, bool opaque)
      : width_(width),
        height_(height),
        pixels_(static_cast<std::size_t>(width * height), kBlack),
        opaque_(static_cast<std::size_t>(width * height), opaque) {}
  int width() const { return width_; }
  int height() const { return height_; }
  Rgb At(int x, int y) const { return pixels_[Index(x, y)]; }
  bool Opaque(int x, int y) const { return opaque_[Index(x, y)]; }
  void Set(int x, int y, Rgb colour) {
    if (x < 0 || x >= width_ || y < 0 || y >= height_) return;
    pixels_[Index(x, y)] = colour;
    opaque_[Index(x, y)] = true;
  }

 private:
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * width_ + x); }
  int width_, height_;
  std::vector<Rgb> pixels_;
  std::vector<bool> opaque_;
};

// A scale num/den from the 96-DPI grid to pixels.
struct Scale {
  int num = 1, den = 1;
  // The pixel a grid line lands on, rounded half up (the grid is never negative).
  int Edge(int grid) const { return (2 * grid * num + den) / (2 * den); }
  double Factor() const { return static_cast<double>(num) / den; }
};

// Fills the grid cells left..right, top..bottom (inclusive) at a scale; the
// colour may change from one pixel row to the next.
void Fill(Canvas& canvas, Scale scale, int left, int top, int right, int bottom,
          const std::function<Rgb(int row)>& colour) {
  for (int y = scale.Edge(top); y < scale.Edge(bottom + 1); ++y)
    for (int x = scale.Edge(left); x < scale.Edge(right + 1); ++x) canvas.Set(x, y, colour(y));
}
void Fill(Canvas& canvas, Scale scale, int left, int top, int right, int bottom, Rgb colour) {
  Fill(canvas, scale, left, top, right, bottom, [colour](int) { return colour; });
}

std::uint8_t Channel(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// `a` over `b` with coverage `alpha` (0 to 1).
Rgb Blend(Rgb a, Rgb b, double alpha) {
  return {Channel(a.r * alpha + b.r * (1 - alpha)), Channel(a.g * alpha + b.g * (1 - alpha)),
          Channel(a.b * alpha + b.b * (1 - alpha))};
}

// ---------------------------------------------------------------------------
// The program icon

constexpr Rgb kOutline{0x30, 0x30, 0x38};
constexpr Rgb kRed{0xD8, 0x20, 0x20}, kRedLight{0xFF, 0x78, 0x68};
constexpr Rgb kGreen{0x20, 0xA0, 0x30}, kGreenLight{0x80, 0xE0, 0x80};
constexpr Rgb kBlue{0x20, 0x50, 0xD8}, kBlueLight{0x80, 0xA8, 0xFF};
constexpr Rgb kGold{0xF0, 0x90, 0x00}, kGoldLight{0xFF, 0xD0, 0x60};
constexpr Rgb kFolderEdge{0x80, 0x58, 0x10}, kFolderBack{0xD8, 0xA8, 0x40};
constexpr Rgb kFolderFront{0xF8, 0xD8, 0x70}, kFolderShine{0xFF, 0xF4, 0xC0};
constexpr Rgb kArrow{0x18, 0x28, 0x70};

// Inclusive grid rectangle.
struct Rect {
  int left, top, right, bottom;
  int Width() const { return right - left + 1; }
};

// Where the parts go on the grid of one layout.
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

constexpr Layout kSmall = {16, {0, 0, 6, 6}, false, {1, 7, 6, 9}, {1, 9, 15, 15}, {1, 12, 15, 15}, 1, 2,
                           3,  12,           11};
constexpr Layout kLarge = {
    32, {2, 2, 12, 12}, true, {2, 15, 12, 18}, {2, 17, 30, 30}, {2, 22, 30, 30}, 2, 4, 6, 23, 21};

struct IconPainter {
  Canvas& canvas;
  Scale scale;
  void Fill(const Rect& r, Rgb colour) { ::Fill(canvas, scale, r.left, r.top, r.right, r.bottom, colour); }
  void Frame(const Rect& r, Rgb colour) {
    Fill({r.left, r.top, r.right, r.top}, colour);
    Fill({r.left, r.bottom, r.right, r.bottom}, colour);
    Fill({r.left, r.top, r.left, r.bottom}, colour);
    Fill({r.right, r.top, r.right, r.bottom}, colour);
  }
  // One square of the block; squares big enough get a lit top and left edge.
  void Square(const Rect& r, Rgb fill, Rgb light) {
    Fill(r, fill);
    if (r.Width() < 4) return;
    Fill({r.left, r.top, r.right - 1, r.top}, light);
    Fill({r.left, r.top, r.left, r.bottom - 1}, light);
  }
};

Canvas DrawIcon(const Layout& layout, int size) {
  Canvas canvas(size, size, false);
  IconPainter paint{canvas, {size, layout.size}};
  // The folder: tab and back panel in the darker manila, the front panel in
  // the lighter one with a bright line along its top edge.
  for (const auto& [part, colour] : {std::pair{layout.tab, kFolderBack}, std::pair{layout.back, kFolderBack},
                                     std::pair{layout.front, kFolderFront}}) {
    paint.Fill(part, colour);
    paint.Frame(part, kFolderEdge);
  }
  const Rect& f = layout.front;
  paint.Fill({f.left + 1, f.top + 1, f.right - 1, f.top + 1}, kFolderShine);
  // The settings file: four coloured squares split by dark lines, outlined
  // where there is room for it.
  const Rect& r = layout.block;
  if (layout.framed) paint.Frame({r.left - 1, r.top - 1, r.right + 1, r.bottom + 1}, kOutline);
  const int mid_x = (r.left + r.right) / 2, mid_y = (r.top + r.bottom) / 2;
  paint.Fill({mid_x, r.top, mid_x, r.bottom}, kOutline);
  paint.Fill({r.left, mid_y, r.right, mid_y}, kOutline);
  paint.Square({r.left, r.top, mid_x - 1, mid_y - 1}, kRed, kRedLight);
  paint.Square({mid_x + 1, r.top, r.right, mid_y - 1}, kGreen, kGreenLight);
  paint.Square({r.left, mid_y + 1, mid_x - 1, r.bottom}, kBlue, kBlueLight);
  paint.Square({mid_x + 1, mid_y + 1, r.right, r.bottom}, kGold, kGoldLight);
  // The arrow: right from the block, then down into the folder, ending in a
  // head that narrows by one grid cell a side per row.
  const int shaft = layout.shaft, right_x = layout.arrow_x + shaft - 1;
  const int head_rows = layout.wing + (shaft + 1) / 2, head_top = layout.tip_y - head_rows + 1;
  paint.Fill({r.right + (layout.framed ? 3 : 2), layout.arrow_y, right_x, layout.arrow_y + shaft - 1},
             kArrow);
  paint.Fill({layout.arrow_x, layout.arrow_y, right_x, head_top - 1}, kArrow);
  for (int row = 0; row < head_rows; ++row)
    paint.Fill(
        {layout.arrow_x - layout.wing + row, head_top + row, right_x + layout.wing - row, head_top + row},
        kArrow);
  return canvas;
}

// ---------------------------------------------------------------------------
// The logo

// A pine: three stacked tiers, each a triangle wider than the one above it,
// lit from the left, on a short trunk. Grid columns and rows.
struct Pine {
  int centre;  // column of the trunk's middle
  int top;     // row of the tip
  int base;    // row the trunk stands on
  int spread;  // half the width of the lowest tier
  Rgb lit, shade;
};

void DrawPine(Canvas& canvas, Scale scale, const Pine& pine) {
  constexpr Rgb kTrunk{112, 72, 36};
  const int crown = pine.base - 3;  // the trunk shows below the crown
  // The tiers are drawn on the pixels, from the grid's rows and columns.
  const int top = scale.Edge(pine.top), height = scale.Edge(crown + 1) - 1 - top;
  const int spread = scale.Edge(pine.spread), lit_end = scale.Edge(pine.centre + 1);
  const int centre_left = scale.Edge(pine.centre), centre_right = lit_end - 1;
  for (int tier = 0; tier < 3; ++tier) {
    // Each tier starts a quarter further down and reaches a bit further out.
    const int tier_top = top + tier * height / 4, tier_bottom = top + (tier + 2) * height / 4;
    const int tier_spread = spread * (tier + 2) / 4;
    for (int y = tier_top; y <= tier_bottom; ++y) {
      const int half = tier_spread * (y - tier_top) / std::max(1, tier_bottom - tier_top);
      for (int x = centre_left - half; x <= centre_right + half; ++x)
        canvas.Set(x, y, x < lit_end ? pine.lit : pine.shade);
    }
  }
  Fill(canvas, scale, pine.centre - 1, crown + 1, pine.centre + 1, pine.base, kTrunk);
}

// 5 x 7 capitals, one string per row, '#' for a set cell.
struct Glyph {
  char letter;
  std::array<std::string_view, 7> rows;
};

constexpr Glyph kAlphabet[] = {
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'N', {"#...#", "##..#", "##..#", "#.#.#", "#..##", "#..##", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"}},
};

// Writes `text` with its top left corner at grid (left, top), each cell of a
// letter `cell` x `cell` grid squares and `gap` squares between letters. The
// colour runs from `top_colour` on the first pixel row of the letters to
// `bottom_colour` on the last.
void DrawText(Canvas& canvas, Scale scale, std::string_view text, int left, int top, int cell, int gap,
              Rgb top_colour, Rgb bottom_colour) {
  const int first = scale.Edge(top), rows = scale.Edge(top + 7 * cell) - first;
  auto colour = [&](int y) {
    return Blend(bottom_colour, top_colour, rows > 1 ? static_cast<double>(y - first) / (rows - 1) : 0);
  };
  for (char letter : text) {
    const Glyph& glyph = *std::find_if(std::begin(kAlphabet), std::end(kAlphabet),
                                       [letter](const Glyph& g) { return g.letter == letter; });
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 5; ++x)
        if (glyph.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#')
          Fill(canvas, scale, left + x * cell, top + y * cell, left + (x + 1) * cell - 1,
               top + (y + 1) * cell - 1, colour);
    left += 5 * cell + gap;
  }
}

Canvas DrawLogo(Scale scale) {
  Canvas logo(scale.Edge(120), scale.Edge(64), true);
  constexpr Rgb kGround{0, 72, 24};
  Fill(logo, scale, 2, 59, 45, 59, kGround);
  Fill(logo, scale, 5, 60, 42, 60, kGround);
  // The tall pine stands behind, in the darker greens.
  DrawPine(logo, scale, {24, 4, 58, 15, {24, 136, 56}, {8, 92, 40}});
  DrawPine(logo, scale, {11, 20, 59, 10, {72, 200, 88}, {24, 144, 56}});
  DrawPine(logo, scale, {37, 27, 59, 8, {128, 232, 120}, {40, 168, 64}});
  // The word mark, to the right: two words of doubled letters, then the small print.
  DrawText(logo, scale, "HOLLOW", 48, 6, 2, 2, {128, 255, 128}, {0, 192, 0});
  DrawText(logo, scale, "PINE", 48, 24, 2, 2, {128, 255, 128}, {0, 192, 0});
  Fill(logo, scale, 48, 43, 117, 43, Rgb{0, 120, 0});
  DrawText(logo, scale, "STUDIO", 76, 48, 1, 2, {200, 200, 200}, {150, 150, 150});
  return logo;
}

// ---------------------------------------------------------------------------
// The close image, drawn from its shapes at every pixel.

Canvas DrawClose(Scale scale) {
  const double f = scale.Factor();
  Canvas close(scale.Edge(54), scale.Edge(53), true);
  // On the grid: the disc's centre is the top right corner and it fills the
  // image; the cross sits on the diagonal, a third of the way in.
  constexpr double kCornerX = 54, kCornerY = 0, kRadius = 53;
  constexpr double kCrossX = 54 - 18.5, kCrossY = 18.5, kArm = 8.5, kHalfStroke = 1.75;
  for (int y = 0; y < close.height(); ++y) {
    for (int x = 0; x < close.width(); ++x) {
      const double px = (x + 0.5) / f, py = (y + 0.5) / f;
      const double t = std::hypot(px - kCornerX, py - kCornerY) / kRadius;
      // Bright at the corner, down to black at the rim.
      const double glow = t >= 1 ? 0 : std::pow(1 - t, 0.6);
      const Rgb disc{Channel(40 * glow * glow), Channel(255 * glow), Channel(40 * glow * glow)};
      // Distance to each stroke of the X, across and along it; the edge is
      // smoothed over one pixel.
      const double u = px - kCrossX, v = py - kCrossY;
      double cover = 0;
      for (double sign : {1.0, -1.0}) {
        const double across = std::abs(u - sign * v) / std::sqrt(2.0);
        const double along = std::abs(u + sign * v) / std::sqrt(2.0);
        const double edge = std::min(kHalfStroke + 0.5 / f - across, kArm + 0.5 / f - along);
        cover = std::max(cover, std::clamp(edge * f, 0.0, 1.0));
      }
      close.Set(x, y, Blend(kBlack, disc, cover));
    }
  }
  return close;
}

// ---------------------------------------------------------------------------
// The hand pointer

// The 16 colours of the classic palette; the hand uses black, silver and white.
constexpr std::array<Rgb, 16> kCursorPalette = {{{0, 0, 0},
                                                 {128, 0, 0},
                                                 {0, 128, 0},
                                                 {128, 128, 0},
                                                 {0, 0, 128},
                                                 {128, 0, 128},
                                                 {0, 128, 128},
                                                 {192, 192, 192},
                                                 {128, 128, 128},
                                                 {255, 0, 0},
                                                 {0, 255, 0},
                                                 {255, 255, 0},
                                                 {0, 0, 255},
                                                 {255, 0, 255},
                                                 {0, 255, 255},
                                                 {255, 255, 255}}};

// '.' see-through, 'X' black outline, 'o' white, 's' silver shading.
// The fingertip's top left cell is the hot spot: column 12 of row 8.
constexpr int kHotSpotX = 12, kHotSpotY = 8;
constexpr std::array<std::string_view, 32> kHand = {
    "................................", "................................",
    "................................", "................................",
    "................................", "................................",
    "................................", "................................",
    "............XX..................", "...........XooX.................",
    "...........XooX.................", "...........XooX.................",
    "...........XooX.................", "...........XooXXX...............",
    "...........XooXooXXX............", "...........XooXooXooXX..........",
    "........XX.XooXooXooXoX.........", "........XoXXooXooXooXosX........",
    "........XooXoooooooooossX.......", ".........XoXoooooooooosX........",
    ".........XooooooooooooosX.......", "..........XoooooooooooosX.......",
    "..........XoooooooooooosX.......", "...........XooooooooooosX.......",
    "...........XoooooooooossX.......", "............XooooooooosX........",
    "............XooooooooosX........", ".............XoooooooosX........",
    ".............XXXXXXXXXXX........", "................................",
    "................................", "................................",
};

Canvas DrawHand(Scale scale) {
  Canvas hand(scale.Edge(32), scale.Edge(32), false);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const char c = kHand[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      if (c != '.')
        Fill(hand, scale, x, y, x, y, c == 'o' ? kCursorPalette[15] : c == 's' ? kCursorPalette[7] : kBlack);
    }
  return hand;
}

// ---------------------------------------------------------------------------
// Writing the files: the one little-endian byte writer of them all.

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
  void BigU32(std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) U8(static_cast<std::uint8_t>(v >> shift));
  }
  void Append(const std::vector<std::uint8_t>& more) { data_.insert(data_.end(), more.begin(), more.end()); }
  const std::vector<std::uint8_t>& data() const { return data_; }
  std::size_t size() const { return data_.size(); }

 private:
  std::vector<std::uint8_t> data_;
};

// Rows of a bitmap are padded to a whole number of 32-bit words.
std::uint32_t RowBytes(int width, int bits_per_pixel) {
  return static_cast<std::uint32_t>((width * bits_per_pixel + 31) / 32 * 4);
}

// BITMAPINFOHEADER; `height` as stored (icons and cursors count their mask in
// it); the cursor's images say 72 dots per inch, as they always did.
void InfoHeader(Bytes& out, int width, int height, int bits_per_pixel, std::uint32_t image_size,
                std::uint32_t per_metre) {
  out.U32(40);
  out.U32(static_cast<std::uint32_t>(width));
  out.U32(static_cast<std::uint32_t>(height));
  out.U16(1);  // planes
  out.U16(static_cast<std::uint16_t>(bits_per_pixel));
  out.U32(0);  // BI_RGB
  out.U32(image_size);
  out.U32(per_metre);
  out.U32(per_metre);
  out.U32(0);  // every colour of the depth
  out.U32(0);
}

// The AND mask of an icon or cursor, bottom-up: a set bit is see-through.
void Mask(Bytes& out, const Canvas& image) {
  const std::uint32_t and_row = RowBytes(image.width(), 1);
  for (int y = image.height() - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(and_row, 0);
    for (int x = 0; x < image.width(); ++x)
      if (!image.Opaque(x, y))
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    out.Append(row);
  }
}

// One row of samples filtered by PNG filter `type` (0 none, 1 sub, 2 up,
// 3 average, 4 Paeth) against the row above, `channels` bytes a pixel.
std::vector<std::uint8_t> FilterRow(int type, const std::vector<std::uint8_t>& row,
                                    const std::vector<std::uint8_t>& above, int channels) {
  std::vector<std::uint8_t> out{static_cast<std::uint8_t>(type)};
  const auto step = static_cast<std::size_t>(channels);
  for (std::size_t i = 0; i < row.size(); ++i) {
    const int a = i >= step ? row[i - step] : 0, b = above[i], c = i >= step ? above[i - step] : 0;
    int predicted = 0;
    if (type == 1) predicted = a;
    if (type == 2) predicted = b;
    if (type == 3) predicted = (a + b) / 2;
    if (type == 4) {
      const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
      predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
    }
    out.push_back(static_cast<std::uint8_t>(row[i] - predicted));
  }
  return out;
}

// A PNG of the canvas: 8-bit RGBA, deflated by zlib at its best. Each row
// takes the filter whose bytes, read as signed, add up to the least (the
// usual rule of thumb). RGBA even for an opaque picture: Wine 8's user32
// decodes the RGB and palette forms with red and blue swapped.
std::vector<std::uint8_t> EncodePng(const Canvas& image) {
  constexpr int kChannels = 4;
  std::vector<std::uint8_t> raw;
  std::vector<std::uint8_t> above(static_cast<std::size_t>(image.width() * kChannels), 0);
  auto cost = [](const std::vector<std::uint8_t>& filtered) {
    long sum = 0;
    for (std::size_t i = 1; i < filtered.size(); ++i)
      sum += filtered[i] < 128 ? filtered[i] : 256 - filtered[i];
    return sum;
  };
  for (int y = 0; y < image.height(); ++y) {
    std::vector<std::uint8_t> row;
    for (int x = 0; x < image.width(); ++x) {
      const Rgb c = image.At(x, y);
      row.insert(row.end(), {c.r, c.g, c.b, static_cast<std::uint8_t>(image.Opaque(x, y) ? 255 : 0)});
    }
    std::vector<std::uint8_t> best = FilterRow(0, row, above, kChannels);
    for (int type = 1; type <= 4; ++type) {
      std::vector<std::uint8_t> filtered = FilterRow(type, row, above, kChannels);
      if (cost(filtered) < cost(best)) best = std::move(filtered);
    }
    raw.insert(raw.end(), best.begin(), best.end());
    above = std::move(row);
  }
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(packed_size);
  compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION);
  packed.resize(packed_size);

  Bytes out;
  for (int b : {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}) out.U8(static_cast<std::uint8_t>(b));
  auto chunk = [&out](const char* type, const std::vector<std::uint8_t>& data) {
    out.BigU32(static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.Append(typed);
    out.BigU32(static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
  };
  Bytes header;
  header.BigU32(static_cast<std::uint32_t>(image.width()));
  header.BigU32(static_cast<std::uint32_t>(image.height()));
  // 8 bits a sample, RGBA, deflate, adaptive filtering, no interlace.
  for (std::uint8_t b : {8, 6, 0, 0, 0}) header.U8(b);
  chunk("IHDR", header.data());
  chunk("IDAT", packed);
  chunk("IEND", {});
  return out.data();
}

// The images of the program icon up to this size are bitmaps: the caption,
// the task bar and the main window's logo load 16 and 32 at 100 percent as
// the program starts, and a bitmap needs no decoding. The larger ones are PNG.
constexpr int kFirstPngIcon = 40;

// One image of an icon: BITMAPINFOHEADER, the 32-bit colour bitmap with its
// alpha, and the AND mask, both bottom-up; from kFirstPngIcon pixels up, and
// for any picture that is not square, a PNG.
std::vector<std::uint8_t> EncodeIconImage(const Canvas& image) {
  if (image.width() >= kFirstPngIcon || image.width() != image.height()) return EncodePng(image);
  const int size = image.width();
  Bytes out;
  InfoHeader(out, size, 2 * size, 32,
             (RowBytes(size, 32) + RowBytes(size, 1)) * static_cast<std::uint32_t>(size), 0);
  for (int y = size - 1; y >= 0; --y)
    for (int x = 0; x < size; ++x) {
      const Rgb c = image.Opaque(x, y) ? image.At(x, y) : kBlack;
      for (std::uint8_t b : {c.b, c.g, c.r, static_cast<std::uint8_t>(image.Opaque(x, y) ? 255 : 0)})
        out.U8(b);
    }
  Mask(out, image);
  return out.data();
}

// One image of a cursor: BITMAPINFOHEADER, the 16-colour palette, the 4-bit
// colour bitmap (black where see-through, so nothing is inverted) and the mask.
std::vector<std::uint8_t> EncodeCursorImage(const Canvas& image) {
  const int size = image.width();
  Bytes out;
  InfoHeader(out, size, 2 * size, 4,
             (RowBytes(size, 4) + RowBytes(size, 1)) * static_cast<std::uint32_t>(size), 2835);
  for (const Rgb& c : kCursorPalette) {
    out.U8(c.b);
    out.U8(c.g);
    out.U8(c.r);
    out.U8(0);
  }
  auto index = [&](int x, int y) -> std::uint8_t {
    const Rgb c = image.At(x, y);
    for (std::size_t i = 0; i < kCursorPalette.size(); ++i)
      if (kCursorPalette[i].r == c.r && kCursorPalette[i].g == c.g && kCursorPalette[i].b == c.b)
        return static_cast<std::uint8_t>(i);
    return 0;
  };
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; x += 2) out.U8(static_cast<std::uint8_t>(index(x, y) << 4 | index(x + 1, y)));
    for (std::uint32_t pad = static_cast<std::uint32_t>(size) / 2; pad < RowBytes(size, 4); ++pad) out.U8(0);
  }
  Mask(out, image);
  return out.data();
}

// An .ico (type 1) or .cur (type 2) file: the directory, then the images. A
// cursor's entry carries its hot spot where an icon's has planes and depth.
struct Entry {
  Canvas image;
  int colours, bits;  // colour count (0: 256 or more) and depth
  int hot_x, hot_y;   // cursors only
};
std::vector<std::uint8_t> EncodeGroup(int type, const std::vector<Entry>& entries) {
  std::vector<std::vector<std::uint8_t>> images;
  for (const Entry& entry : entries)
    images.push_back(type == 1 ? EncodeIconImage(entry.image) : EncodeCursorImage(entry.image));
  Bytes out;
  out.U16(0);
  out.U16(static_cast<std::uint16_t>(type));
  out.U16(static_cast<std::uint16_t>(entries.size()));
  auto offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    out.U8(static_cast<std::uint8_t>(entries[i].image.width() & 0xFF));  // 0 means 256
    out.U8(static_cast<std::uint8_t>(entries[i].image.height() & 0xFF));
    out.U8(static_cast<std::uint8_t>(entries[i].colours));
    out.U8(0);
    out.U16(static_cast<std::uint16_t>(type == 1 ? 1 : entries[i].hot_x));
    out.U16(static_cast<std::uint16_t>(type == 1 ? entries[i].bits : entries[i].hot_y));
    out.U32(static_cast<std::uint32_t>(images[i].size()));
    out.U32(offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& image : images) out.Append(image);
  return out.data();
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) std::fprintf(stderr, "draw_art: cannot write %s\n", path.c_str());
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw_art <the source tree's src folder>\n");
    return 2;
  }
  const std::string src = argv[1];
  bool written = true;

  std::vector<Entry> icon;
  for (int size : {16, 20, 24, 32, 40, 48, 64, 256})
    icon.push_back({DrawIcon(size < 32 ? kSmall : kLarge, size), 0, 32, 0, 0});
  written &= WriteFile(src + "/frmNW/nookwayer.ico", EncodeGroup(1, icon));

  // The about window's pictures at 100, 150 and 200 percent, each an icon of
  // one PNG image. The window loads them only when it opens.
  for (const auto& [suffix, scale] :
       {std::pair{"", Scale{1, 1}}, std::pair{"-150", Scale{3, 2}}, std::pair{"-200", Scale{2, 1}}}) {
    for (const auto& [name, picture] :
         {std::pair{"holpine", DrawLogo(scale)}, std::pair{"close", DrawClose(scale)}}) {
      const Entry entry{picture, 0, 32, 0, 0};
      written &= WriteFile(src + "/hpABOUT/" + name + suffix + ".ico", EncodeGroup(1, {entry}));
    }
  }
  std::vector<Entry> hand;
  for (const Scale scale : {Scale{1, 1}, Scale{3, 2}, Scale{2, 1}})
    hand.push_back({DrawHand(scale), 16, 4, scale.Edge(kHotSpotX), scale.Edge(kHotSpotY)});
  written &= WriteFile(src + "/hpABOUT/hand.cur", EncodeGroup(2, hand));
  return written ? 0 : 1;
}
