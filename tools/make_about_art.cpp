// make_about_art: draws the pictures of the about window and writes them as
// Windows resource files.
//
//   make_about_art <logo.bmp> <close.bmp> <hand.cur>
//
// - logo.bmp: the maker's logo, 120 x 64 pixels, 24 bits per pixel, on black:
//   three pine trees standing on a strip of ground, and the word mark
//   "HOLLOW PINE" over a small "STUDIO", drawn from a 5 x 7 pixel alphabet.
// - close.bmp: the close button, 54 x 53 pixels, 24 bits per pixel: a green
//   quarter disc centred on the top right corner that fades to black towards
//   its rim, with a black X-shaped cross on it.
// - hand.cur: the link pointer, a 32 x 32 cursor in 16 colours (4 bits per
//   pixel): a pointing hand whose fingertip is the hot spot, at (12, 8).
//
// The tool runs on the build host, so it uses nothing but the standard
// library, and it writes the same bytes on every run (no floating point in
// what reaches the files beyond plain arithmetic on fixed inputs).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

namespace {

struct Rgb {
  std::uint8_t r, g, b;
};

constexpr Rgb kBlack{0, 0, 0};

// ---------------------------------------------------------------------------
// A true-colour canvas

class Picture {
 public:
  Picture(int width, int height)
      : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height), kBlack) {}

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb At(int x, int y) const { return pixels_[Index(x, y)]; }
  void Set(int x, int y, Rgb colour) {
    if (x >= 0 && x < width_ && y >= 0 && y < height_) pixels_[Index(x, y)] = colour;
  }

 private:
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * width_ + x); }

  int width_, height_;
  std::vector<Rgb> pixels_;
};

std::uint8_t Channel(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// `a` over `b` with coverage `alpha` (0 to 1).
Rgb Blend(Rgb a, Rgb b, double alpha) {
  return {Channel(a.r * alpha + b.r * (1 - alpha)), Channel(a.g * alpha + b.g * (1 - alpha)),
          Channel(a.b * alpha + b.b * (1 - alpha))};
}

// ---------------------------------------------------------------------------
// The logo

// A pine: three stacked tiers, each a triangle wider than the one above it,
// lit from the left, on a short trunk.
struct Pine {
  int centre;  // column of the trunk's middle
  int top;     // row of the tip
  int base;    // row the trunk stands on
  int spread;  // half the width of the lowest tier
  Rgb lit, shade;
};

void DrawPine(Picture& picture, const Pine& pine) {
  constexpr Rgb kTrunk{112, 72, 36};
  const int crown = pine.base - 3;  // the trunk shows below the crown
  const int height = crown - pine.top;
  for (int tier = 0; tier < 3; ++tier) {
    // Each tier starts a third further down and reaches a bit further out.
    const int tierTop = pine.top + tier * height / 4;
    const int tierBottom = pine.top + (tier + 2) * height / 4;
    const int tierSpread = pine.spread * (tier + 2) / 4;
    for (int y = tierTop; y <= tierBottom; ++y) {
      const int half = tierSpread * (y - tierTop) / std::max(1, tierBottom - tierTop);
      for (int x = pine.centre - half; x <= pine.centre + half; ++x)
        picture.Set(x, y, x <= pine.centre ? pine.lit : pine.shade);
    }
  }
  for (int y = crown + 1; y <= pine.base; ++y)
    for (int x = pine.centre - 1; x <= pine.centre + 1; ++x) picture.Set(x, y, kTrunk);
}

// 5 x 7 capitals, one string per row, '#' for a set pixel.
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

const Glyph& GlyphOf(char letter) {
  for (const Glyph& glyph : kAlphabet) {
    if (glyph.letter == letter) return glyph;
  }
  return kAlphabet[0];
}

// Writes `text` with its top left corner at (left, top), each font pixel a
// `scale` x `scale` block and `gap` pixels between letters. The colour runs
// from `top_colour` on the first row of the letters to `bottom_colour` on the last.
void DrawText(Picture& picture, std::string_view text, int left, int top, int scale, int gap, Rgb top_colour,
              Rgb bottom_colour) {
  const int rows = 7 * scale;
  int x0 = left;
  for (char letter : text) {
    const Glyph& glyph = GlyphOf(letter);
    for (int y = 0; y < rows; ++y) {
      const Rgb colour = Blend(bottom_colour, top_colour, rows > 1 ? static_cast<double>(y) / (rows - 1) : 0);
      for (int x = 0; x < 5 * scale; ++x) {
        if (glyph.rows[static_cast<std::size_t>(y / scale)][static_cast<std::size_t>(x / scale)] == '#')
          picture.Set(x0 + x, top + y, colour);
      }
    }
    x0 += 5 * scale + gap;
  }
}

Picture DrawLogo() {
  Picture logo(120, 64);
  constexpr Rgb kGround{0, 72, 24};
  for (int x = 2; x <= 45; ++x) logo.Set(x, 59, kGround);
  for (int x = 5; x <= 42; ++x) logo.Set(x, 60, kGround);

  // The tall pine stands behind, in the darker greens.
  DrawPine(logo,
           {.centre = 24, .top = 4, .base = 58, .spread = 15, .lit = {24, 136, 56}, .shade = {8, 92, 40}});
  DrawPine(logo,
           {.centre = 11, .top = 20, .base = 59, .spread = 10, .lit = {72, 200, 88}, .shade = {24, 144, 56}});
  DrawPine(
      logo,
      {.centre = 37, .top = 27, .base = 59, .spread = 8, .lit = {128, 232, 120}, .shade = {40, 168, 64}});

  // The word mark, to the right: two words of doubled letters, then the small print.
  DrawText(logo, "HOLLOW", 48, 6, 2, 2, {128, 255, 128}, {0, 192, 0});
  DrawText(logo, "PINE", 48, 24, 2, 2, {128, 255, 128}, {0, 192, 0});
  for (int x = 48; x <= 117; ++x) logo.Set(x, 43, {0, 120, 0});
  DrawText(logo, "STUDIO", 76, 48, 1, 2, {200, 200, 200}, {150, 150, 150});
  return logo;
}

// ---------------------------------------------------------------------------
// The close image

Picture DrawClose() {
  constexpr int kWidth = 54, kHeight = 53;
  Picture close(kWidth, kHeight);
  // The disc's centre is the image's top right corner; it fills the image.
  constexpr double kCornerX = kWidth, kCornerY = 0, kRadius = 53;
  // The cross sits on the diagonal, a third of the way in.
  constexpr double kCrossX = kWidth - 18.5, kCrossY = 18.5, kArm = 8.5, kHalfStroke = 1.75;

  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      const double t = std::hypot(px - kCornerX, py - kCornerY) / kRadius;
      // Bright at the corner, down to black at the rim.
      const double glow = t >= 1 ? 0 : std::pow(1 - t, 0.6);
      const Rgb disc{Channel(40 * glow * glow), Channel(255 * glow), Channel(40 * glow * glow)};

      // Distance to each stroke of the X, measured across and along it.
      const double u = px - kCrossX, v = py - kCrossY;
      double cover = 0;
      for (double sign : {1.0, -1.0}) {
        const double across = std::abs(u - sign * v) / std::sqrt(2.0);
        const double along = std::abs(u + sign * v) / std::sqrt(2.0);
        const double edge = std::min(kHalfStroke + 0.5 - across, kArm + 0.5 - along);
        cover = std::max(cover, std::clamp(edge, 0.0, 1.0));
      }
      close.Set(x, y, Blend(kBlack, disc, cover));
    }
  }
  return close;
}

// ---------------------------------------------------------------------------
// The hand pointer

constexpr int kCursorSize = 32;
constexpr int kHotSpotX = 12, kHotSpotY = 8;

// The 16 colours of the classic palette; the hand uses black, silver and white.
constexpr std::array<Rgb, 16> kCursorPalette = {{
    {0, 0, 0},
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
    {255, 255, 255},
}};

// '.' see-through, 'X' black outline, 'o' white, 's' silver shading.
// The fingertip's top left pixel is the hot spot: column 12 of row 8.
constexpr std::array<std::string_view, kCursorSize> kHand = {
    "................................",  // 0
    "................................",  // 1
    "................................",  // 2
    "................................",  // 3
    "................................",  // 4
    "................................",  // 5
    "................................",  // 6
    "................................",  // 7
    "............XX..................",  // 8
    "...........XooX.................",  // 9
    "...........XooX.................",  // 10
    "...........XooX.................",  // 11
    "...........XooX.................",  // 12
    "...........XooXXX...............",  // 13
    "...........XooXooXXX............",  // 14
    "...........XooXooXooXX..........",  // 15
    "........XX.XooXooXooXoX.........",  // 16
    "........XoXXooXooXooXosX........",  // 17
    "........XooXoooooooooossX.......",  // 18
    ".........XoXoooooooooosX........",  // 19
    ".........XooooooooooooosX.......",  // 20
    "..........XoooooooooooosX.......",  // 21
    "..........XoooooooooooosX.......",  // 22
    "...........XooooooooooosX.......",  // 23
    "...........XoooooooooossX.......",  // 24
    "............XooooooooosX........",  // 25
    "............XooooooooosX........",  // 26
    ".............XoooooooosX........",  // 27
    ".............XXXXXXXXXXX........",  // 28
    "................................",  // 29
    "................................",  // 30
    "................................",  // 31
};

// ---------------------------------------------------------------------------
// Writing the files

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
  const std::vector<std::uint8_t>& data() const { return data_; }

 private:
  std::vector<std::uint8_t> data_;
};

// Rows of a bitmap are padded to a whole number of 32-bit words.
std::uint32_t RowBytes(int width, int bits_per_pixel) {
  return static_cast<std::uint32_t>((width * bits_per_pixel + 31) / 32 * 4);
}

// BITMAPINFOHEADER; `height` as stored (a cursor counts its mask in it).
void InfoHeader(Bytes& out, int width, int height, int bits_per_pixel, std::uint32_t image_size) {
  out.U32(40);
  out.U32(static_cast<std::uint32_t>(width));
  out.U32(static_cast<std::uint32_t>(height));
  out.U16(1);  // planes
  out.U16(static_cast<std::uint16_t>(bits_per_pixel));
  out.U32(0);  // BI_RGB
  out.U32(image_size);
  out.U32(2835);  // 72 dots per inch, in dots per metre
  out.U32(2835);
  out.U32(0);  // every colour of the depth
  out.U32(0);
}

// A .bmp file: BITMAPFILEHEADER, BITMAPINFOHEADER, then the rows bottom-up in
// blue, green, red order.
std::vector<std::uint8_t> EncodeBmp(const Picture& picture) {
  const std::uint32_t row = RowBytes(picture.width(), 24);
  const std::uint32_t image_size = row * static_cast<std::uint32_t>(picture.height());
  constexpr std::uint32_t kHeaders = 14 + 40;
  Bytes out;
  out.U8('B');
  out.U8('M');
  out.U32(kHeaders + image_size);
  out.U32(0);  // reserved
  out.U32(kHeaders);
  InfoHeader(out, picture.width(), picture.height(), 24, image_size);
  for (int y = picture.height() - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width(); ++x) {
      const Rgb c = picture.At(x, y);
      out.U8(c.b);
      out.U8(c.g);
      out.U8(c.r);
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(picture.width()) * 3; pad < row; ++pad) out.U8(0);
  }
  return out.data();
}

std::uint8_t HandColour(char c) {
  switch (c) {
    case 'o': return 15;
    case 's': return 7;
    default: return 0;  // outline, and the see-through pixels, which must be black
  }
}

// A .cur file: the directory (type 2, one entry whose planes and bit count
// fields carry the hot spot), then the image: BITMAPINFOHEADER with the height
// doubled, the 16-colour palette, the 4-bit colour bitmap and the 1-bit AND
// mask, both bottom-up.
std::vector<std::uint8_t> EncodeCursor() {
  const std::uint32_t xor_row = RowBytes(kCursorSize, 4);
  const std::uint32_t and_row = RowBytes(kCursorSize, 1);
  const std::uint32_t bits = (xor_row + and_row) * kCursorSize;
  const std::uint32_t image = 40 + 16 * 4 + bits;

  Bytes out;
  out.U16(0);  // reserved
  out.U16(2);  // type: cursor
  out.U16(1);  // one image
  out.U8(kCursorSize);
  out.U8(kCursorSize);
  out.U8(16);  // colours
  out.U8(0);   // reserved
  out.U16(kHotSpotX);
  out.U16(kHotSpotY);
  out.U32(image);
  out.U32(6 + 16);

  InfoHeader(out, kCursorSize, 2 * kCursorSize, 4, bits);
  for (const Rgb& c : kCursorPalette) {
    out.U8(c.b);
    out.U8(c.g);
    out.U8(c.r);
    out.U8(0);
  }
  for (int y = kCursorSize - 1; y >= 0; --y) {
    const std::string_view row = kHand[static_cast<std::size_t>(y)];
    for (int x = 0; x < kCursorSize; x += 2) {
      const auto left = HandColour(row[static_cast<std::size_t>(x)]);
      const auto right = HandColour(row[static_cast<std::size_t>(x + 1)]);
      out.U8(static_cast<std::uint8_t>(left << 4 | right));
    }
  }
  // Mask bit set: see-through. The first pixel of a row is the top bit.
  for (int y = kCursorSize - 1; y >= 0; --y) {
    const std::string_view row = kHand[static_cast<std::size_t>(y)];
    for (std::uint32_t byte = 0; byte < and_row; ++byte) {
      std::uint8_t mask = 0;
      for (int bit = 0; bit < 8; ++bit) {
        if (row[byte * 8 + static_cast<std::size_t>(bit)] == '.')
          mask |= static_cast<std::uint8_t>(0x80 >> bit);
      }
      out.U8(mask);
    }
  }
  return out.data();
}

bool WriteFile(const char* path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) std::fprintf(stderr, "make_about_art: cannot write %s\n", path);
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_about_art <logo.bmp> <close.bmp> <hand.cur>\n");
    return 2;
  }
  const bool written = WriteFile(argv[1], EncodeBmp(DrawLogo())) &
                       WriteFile(argv[2], EncodeBmp(DrawClose())) & WriteFile(argv[3], EncodeCursor());
  return written ? 0 : 1;
}
