// check_about_art: reads the generated pictures of the about window back the
// way Windows does and checks that they hold what the window expects.
//
//   check_about_art <logo.bmp> <close.bmp> <hand.cur>
//
// - Both bitmaps: a BITMAPFILEHEADER and BITMAPINFOHEADER, bottom-up,
//   uncompressed, 24 bits per pixel, rows padded to 32 bits, nothing missing
//   or left over. The logo is 120 x 64 on black (its outer frame black, a fair
//   part of it drawn in several colours); the close image is 54 x 53: a
//   green quarter disc, brightest in the top right corner and fading to black
//   along the top row and the right column, black outside its rim, with an
//   X-shaped black cross on it.
// - The cursor: one 32 x 32 image in 16 colours (4 bits per pixel) with its
//   hot spot at (12, 8) on the top edge of the shape (the fingertip), an AND
//   mask that leaves a real outline, and black wherever it is see-through.
//
// Then it damages copies of each file in ways a broken writer could and makes
// sure each one is turned down, so a check that stopped looking is caught too.
// Exit status 0 when everything holds, 1 with the reasons on stderr if not.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;

std::uint32_t U16(const Bytes& data, std::size_t at) {
  return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8;
}

std::uint32_t U32(const Bytes& data, std::size_t at) {
  return U16(data, at) | U16(data, at + 2) << 16;
}

std::int32_t S32(const Bytes& data, std::size_t at) {
  return static_cast<std::int32_t>(U32(data, at));
}

void PutU16(Bytes& data, std::size_t at, std::uint32_t value) {
  data[at] = static_cast<std::uint8_t>(value & 0xFF);
  data[at + 1] = static_cast<std::uint8_t>(value >> 8 & 0xFF);
}

void PutU32(Bytes& data, std::size_t at, std::uint32_t value) {
  PutU16(data, at, value & 0xFFFF);
  PutU16(data, at + 2, value >> 16);
}

// Bitmap rows are stored padded to whole 32-bit words.
std::size_t RowBytes(std::size_t width, std::size_t bits_per_pixel) {
  return (width * bits_per_pixel + 31) / 32 * 4;
}

// ---------------------------------------------------------------------------
// 24-bit bitmaps

struct Rgb {
  int r, g, b;
  bool operator<(const Rgb& o) const { return r != o.r ? r < o.r : g != o.g ? g < o.g : b < o.b; }
  bool Black() const { return r == 0 && g == 0 && b == 0; }
};

// Where pixel (x, y), counted from the top, lies in a bitmap that passed CheckBmp.
std::size_t PixelOffset(const Bytes& file, int x, int y) {
  const std::size_t width = U32(file, kFileHeader + 4);
  const std::size_t height = U32(file, kFileHeader + 8);
  return kFileHeader + kInfoHeader + RowBytes(width, 24) * (height - 1 - static_cast<std::size_t>(y)) +
         3 * static_cast<std::size_t>(x);
}

Rgb PixelAt(const Bytes& file, int x, int y) {
  const std::size_t at = PixelOffset(file, x, y);
  return {file[at + 2], file[at + 1], file[at]};
}

void SetPixel(Bytes& file, int x, int y, Rgb c) {
  const std::size_t at = PixelOffset(file, x, y);
  file[at] = static_cast<std::uint8_t>(c.b);
  file[at + 1] = static_cast<std::uint8_t>(c.g);
  file[at + 2] = static_cast<std::uint8_t>(c.r);
}

// The headers and the size of a bitmap file of the given pixel size.
std::string CheckBmp(const Bytes& file, int width, int height) {
  if (file.size() < kFileHeader + kInfoHeader) return "shorter than its headers";
  if (file[0] != 'B' || file[1] != 'M') return "does not start with BM";
  if (U32(file, 2) != file.size()) return "file header gives its size as " + std::to_string(U32(file, 2));
  if (U32(file, 6) != 0) return "reserved fields are not 0";
  if (U32(file, 10) != kFileHeader + kInfoHeader) return "pixels do not follow the headers";
  const std::size_t at = kFileHeader;
  if (U32(file, at) != kInfoHeader) return "info header size is not 40";
  if (S32(file, at + 4) != width) return "width is " + std::to_string(S32(file, at + 4));
  // Positive: bottom-up, as resource compilers and LoadImage take it.
  if (S32(file, at + 8) != height) return "height is " + std::to_string(S32(file, at + 8));
  if (U16(file, at + 12) != 1) return "planes is not 1";
  if (U16(file, at + 14) != 24) return "not 24 bits per pixel";
  if (U32(file, at + 16) != 0) return "compressed";
  if (U32(file, at + 32) != 0) return "has a colour table";
  const std::size_t bits = RowBytes(static_cast<std::size_t>(width), 24) * static_cast<std::size_t>(height);
  if (U32(file, at + 20) != 0 && U32(file, at + 20) != bits) return "wrong biSizeImage";
  if (file.size() != kFileHeader + kInfoHeader + bits) {
    return "holds " + std::to_string(file.size()) + " bytes, its pixels need " +
           std::to_string(kFileHeader + kInfoHeader + bits);
  }
  return {};
}

std::string CheckLogo(const Bytes& file) {
  constexpr int kWidth = 120, kHeight = 64;
  if (std::string problem = CheckBmp(file, kWidth, kHeight); !problem.empty()) return problem;
  for (int x = 0; x < kWidth; ++x) {
    for (int y = 0; y < kHeight; ++y) {
      const bool edge = x == 0 || y == 0 || x == kWidth - 1 || y == kHeight - 1;
      if (edge && !PixelAt(file, x, y).Black())
        return "background is not black at " + std::to_string(x) + "," + std::to_string(y);
    }
  }
  std::size_t drawn = 0;
  std::set<Rgb> colours;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const Rgb c = PixelAt(file, x, y);
      if (c.Black()) continue;
      ++drawn;
      colours.insert(c);
    }
  }
  const std::size_t pixels = kWidth * kHeight;
  if (drawn * 10 < pixels) return "less than a tenth of it is drawn";
  if (drawn * 10 > pixels * 7) return "more than seven tenths of it is drawn: not on black";
  if (colours.size() < 6) return "only " + std::to_string(colours.size()) + " colours";
  return {};
}

constexpr int kCloseWidth = 54, kCloseHeight = 53;

bool Dark(Rgb c) {
  return c.r + c.g + c.b < 48;
}

std::string CheckClose(const Bytes& file) {
  if (std::string problem = CheckBmp(file, kCloseWidth, kCloseHeight); !problem.empty()) return problem;
  const Rgb corner = PixelAt(file, kCloseWidth - 1, 0);
  if (corner.g < 200 || corner.r > 80 || corner.b > 80) return "the top right corner is not bright green";
  // The disc's centre is the top right corner: nothing is greener, and the
  // green fades along both edges that meet there, down to black at the rim.
  for (int y = 0; y < kCloseHeight; ++y) {
    for (int x = 0; x < kCloseWidth; ++x) {
      const Rgb c = PixelAt(file, x, y);
      if (c.g > corner.g) return "greener than the corner at " + std::to_string(x) + "," + std::to_string(y);
      if (c.r > c.g || c.b > c.g) return "not green at " + std::to_string(x) + "," + std::to_string(y);
    }
  }
  for (int x = kCloseWidth - 1; x > 0; --x) {
    if (PixelAt(file, x - 1, 0).g > PixelAt(file, x, 0).g) return "the top row does not fade to the left";
  }
  for (int y = 0; y + 1 < kCloseHeight; ++y) {
    if (PixelAt(file, kCloseWidth - 1, y + 1).g > PixelAt(file, kCloseWidth - 1, y).g)
      return "the right column does not fade downwards";
  }
  if (!PixelAt(file, 0, 0).Black() || !PixelAt(file, 0, kCloseHeight - 1).Black())
    return "the left corners are not black: no rim";

  // The cross: the dark pixels well inside the disc, where the disc itself is bright.
  int left = kCloseWidth, right = -1, top = kCloseHeight, bottom = -1;
  for (int y = 0; y < kCloseHeight; ++y) {
    for (int x = 0; x < kCloseWidth; ++x) {
      const int dx = kCloseWidth - x, dy = y;
      if (dx * dx + dy * dy > 34 * 34 || !Dark(PixelAt(file, x, y))) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return "no black cross on the disc";
  const int width = right - left + 1, height = bottom - top + 1;
  if (width < 9 || height < 9) return "the cross is smaller than 9 pixels";
  if (std::abs(width - height) > 2) return "the cross is not square";
  const int mid_x = (left + right) / 2, mid_y = (top + bottom) / 2;
  // An X: dark in the middle and in its four corners, green half way along each side.
  auto dark_near = [&](int x, int y) {
    for (int v = y - 1; v <= y + 1; ++v)
      for (int u = x - 1; u <= x + 1; ++u)
        if (u >= 0 && v >= 0 && u < kCloseWidth && v < kCloseHeight && Dark(PixelAt(file, u, v))) return true;
    return false;
  };
  if (!Dark(PixelAt(file, mid_x, mid_y))) return "the cross has no middle";
  for (int x : {left + 1, right - 1})
    for (int y : {top + 1, bottom - 1})
      if (!dark_near(x, y)) return "the cross has an arm missing";
  for (auto [x, y] : {std::pair{mid_x, top}, {mid_x, bottom}, {left, mid_y}, {right, mid_y}}) {
    if (Dark(PixelAt(file, x, y))) return "the cross is not an X (filled between its arms)";
  }
  return {};
}

// ---------------------------------------------------------------------------
// The cursor

constexpr std::size_t kCursorSize = 32;
constexpr std::size_t kCursorColours = 16;
constexpr std::size_t kImageAt = 6 + 16;

std::size_t CursorXorAt() {
  return kImageAt + kInfoHeader + 4 * kCursorColours;
}
std::size_t CursorAndAt() {
  return CursorXorAt() + RowBytes(kCursorSize, 4) * kCursorSize;
}

// Pixel (x, y), counted from the top, of a cursor that passed the header checks.
int CursorColour(const Bytes& file, std::size_t x, std::size_t y) {
  const std::uint8_t byte = file[CursorXorAt() + RowBytes(kCursorSize, 4) * (kCursorSize - 1 - y) + x / 2];
  return x % 2 == 0 ? byte >> 4 : byte & 0x0F;
}
bool CursorSeeThrough(const Bytes& file, std::size_t x, std::size_t y) {
  return (file[CursorAndAt() + RowBytes(kCursorSize, 1) * (kCursorSize - 1 - y) + x / 8] >> (7 - x % 8) &
          1) != 0;
}

std::string CheckCursor(const Bytes& file) {
  if (file.size() < kImageAt + kInfoHeader) return "shorter than its headers";
  if (U16(file, 0) != 0) return "reserved header field is not 0";
  if (U16(file, 2) != 2) return "not a cursor (type is not 2)";
  if (U16(file, 4) != 1) return "holds " + std::to_string(U16(file, 4)) + " images, not 1";
  if (file[6] != kCursorSize || file[7] != kCursorSize) return "not 32 x 32 in the directory";
  if (file[8] != kCursorColours) return "colour count is not 16";
  if (file[9] != 0) return "reserved byte is not 0";
  const std::size_t hot_x = U16(file, 10), hot_y = U16(file, 12);
  if (hot_x != 12 || hot_y != 8)
    return "hot spot is at " + std::to_string(hot_x) + "," + std::to_string(hot_y) + ", not 12,8";
  const std::size_t bits = (RowBytes(kCursorSize, 4) + RowBytes(kCursorSize, 1)) * kCursorSize;
  const std::size_t length = kInfoHeader + 4 * kCursorColours + bits;
  if (U32(file, 14) != length) return "directory gives the image " + std::to_string(U32(file, 14)) + " bytes";
  if (U32(file, 18) != kImageAt) return "image does not follow the directory";
  if (file.size() != kImageAt + length) return "file holds " + std::to_string(file.size()) + " bytes";

  const std::size_t at = kImageAt;
  if (U32(file, at) != kInfoHeader) return "info header size is not 40";
  if (S32(file, at + 4) != static_cast<std::int32_t>(kCursorSize)) return "width is not 32";
  if (S32(file, at + 8) != static_cast<std::int32_t>(2 * kCursorSize)) return "height is not twice 32";
  if (U16(file, at + 12) != 1) return "planes is not 1";
  if (U16(file, at + 14) != 4) return "not 4 bits per pixel";
  if (U32(file, at + 16) != 0) return "compressed";
  if (U32(file, at + 32) != 0 && U32(file, at + 32) != kCursorColours) return "palette is not 16 colours";
  for (std::size_t i = 0; i < kCursorColours; ++i) {
    if (file[at + kInfoHeader + 4 * i + 3] != 0) return "palette entry with a non-zero reserved byte";
  }

  std::size_t opaque = 0, top_row = kCursorSize;
  std::set<int> used;
  for (std::size_t y = 0; y < kCursorSize; ++y) {
    for (std::size_t x = 0; x < kCursorSize; ++x) {
      const int colour = CursorColour(file, x, y);
      if (CursorSeeThrough(file, x, y)) {
        if (colour != 0) return "see-through pixel that is not black: it would invert the screen";
        continue;
      }
      ++opaque;
      used.insert(colour);
      top_row = std::min(top_row, y);
    }
  }
  if (opaque < 64) return "only " + std::to_string(opaque) + " pixels are drawn";
  if (opaque * 2 > kCursorSize * kCursorSize) return "more than half of it is opaque";
  if (used.size() < 2 || used.count(0) == 0) return "no outline and fill in two colours";
  if (CursorSeeThrough(file, hot_x, hot_y)) return "the hot spot is see-through";
  if (top_row != hot_y) return "the hot spot is not on the top row of the shape: not the fingertip";
  return {};
}

// ---------------------------------------------------------------------------
// Damaged copies

// Moves the cursor's picture and mask down (rows > 0) or up, wrapping around.
void ShiftCursorRows(Bytes& f, int rows) {
  for (const auto& [start, row] : {std::pair{CursorXorAt(), RowBytes(kCursorSize, 4)},
                                   std::pair{CursorAndAt(), RowBytes(kCursorSize, 1)}}) {
    // Stored bottom-up: moving the picture down moves the stored rows towards the start.
    auto first = f.begin() + static_cast<std::ptrdiff_t>(start);
    auto last = first + static_cast<std::ptrdiff_t>(row * kCursorSize);
    const auto shift =
        static_cast<std::ptrdiff_t>(row) * (rows > 0 ? rows : static_cast<int>(kCursorSize) + rows);
    std::rotate(first, first + shift, last);
  }
}

struct Damage {
  int file;  // 0 logo, 1 close image, 2 cursor
  const char* what;
  void (*apply)(Bytes&);
};

const Damage kDamages[] = {
    {0, "last byte cut off", [](Bytes& f) { f.pop_back(); }},
    {0, "stray byte at the end", [](Bytes& f) { f.push_back(0); }},
    {0, "height 65", [](Bytes& f) { PutU32(f, kFileHeader + 8, 65); }},
    {0, "stored top-down", [](Bytes& f) { PutU32(f, kFileHeader + 8, static_cast<std::uint32_t>(-64)); }},
    {0, "32 bits per pixel", [](Bytes& f) { PutU16(f, kFileHeader + 14, 32); }},
    {0, "run-length coded", [](Bytes& f) { PutU32(f, kFileHeader + 16, 1); }},
    {0, "pixels one byte late", [](Bytes& f) { PutU32(f, 10, 55); }},
    {0, "a lit corner",
     [](Bytes& f) {
       SetPixel(f, 119, 63, {255, 255, 255});
     }},
    {0, "blank",
     [](Bytes& f) {
       std::fill(f.begin() + static_cast<std::ptrdiff_t>(kFileHeader + kInfoHeader), f.end(), 0);
     }},
    {0, "one colour",
     [](Bytes& f) {
       for (int y = 0; y < 64; ++y)
         for (int x = 0; x < 120; ++x)
           if (!PixelAt(f, x, y).Black()) SetPixel(f, x, y, {0, 192, 0});
     }},
    {1, "width 53", [](Bytes& f) { PutU32(f, kFileHeader + 4, 53); }},
    {1, "8 bits per pixel", [](Bytes& f) { PutU16(f, kFileHeader + 14, 8); }},
    {1, "red corner",
     [](Bytes& f) {
       SetPixel(f, kCloseWidth - 1, 0, {255, 0, 0});
     }},
    {1, "mirrored: the disc on the left",
     [](Bytes& f) {
       const Bytes copy = f;
       for (int y = 0; y < kCloseHeight; ++y)
         for (int x = 0; x < kCloseWidth; ++x) SetPixel(f, x, y, PixelAt(copy, kCloseWidth - 1 - x, y));
     }},
    {1, "upside down: the disc at the bottom",
     [](Bytes& f) {
       const Bytes copy = f;
       for (int y = 0; y < kCloseHeight; ++y)
         for (int x = 0; x < kCloseWidth; ++x) SetPixel(f, x, y, PixelAt(copy, x, kCloseHeight - 1 - y));
     }},
    {1, "no cross",
     [](Bytes& f) {
       for (int y = 0; y < kCloseHeight; ++y)
         for (int x = 0; x < kCloseWidth; ++x)
           if (Dark(PixelAt(f, x, y)) && (kCloseWidth - x) * (kCloseWidth - x) + y * y < 40 * 40)
             SetPixel(f, x, y, {0, 120, 0});
     }},
    {1, "a filled square for a cross",
     [](Bytes& f) {
       for (int y = 10; y <= 28; ++y)
         for (int x = 26; x <= 44; ++x) SetPixel(f, x, y, {0, 0, 0});
     }},
    {1, "a plus sign for a cross",
     [](Bytes& f) {
       for (int y = 0; y < kCloseHeight; ++y)
         for (int x = 0; x < kCloseWidth; ++x)
           if (Dark(PixelAt(f, x, y)) && (kCloseWidth - x) * (kCloseWidth - x) + y * y < 40 * 40)
             SetPixel(f, x, y, {0, 120, 0});
       for (int i = 10; i <= 28; ++i) {
         SetPixel(f, 35, i, {0, 0, 0});
         SetPixel(f, 26 + (i - 10), 19, {0, 0, 0});
       }
     }},
    {1, "a bright spot half way along the top row",
     [](Bytes& f) {
       SetPixel(f, 30, 0, {0, 240, 0});
     }},
    {1, "no rim: green to the edge",
     [](Bytes& f) {
       for (int y = 0; y < kCloseHeight; ++y)
         for (int x = 0; x < kCloseWidth; ++x)
           if (PixelAt(f, x, y).Black()) SetPixel(f, x, y, {0, 4, 0});
     }},
    {2, "type 1 (icon)", [](Bytes& f) { PutU16(f, 2, 1); }},
    {2, "hot spot at 0,0",
     [](Bytes& f) {
       PutU16(f, 10, 0);
       PutU16(f, 12, 0);
     }},
    {2, "colour count 0", [](Bytes& f) { f[8] = 0; }},
    {2, "8 bits per pixel in the image", [](Bytes& f) { PutU16(f, kImageAt + 14, 8); }},
    {2, "height not doubled", [](Bytes& f) { PutU32(f, kImageAt + 8, 32); }},
    {2, "mask all opaque",
     [](Bytes& f) { std::fill(f.begin() + static_cast<std::ptrdiff_t>(CursorAndAt()), f.end(), 0); }},
    {2, "mask all see-through",
     [](Bytes& f) { std::fill(f.begin() + static_cast<std::ptrdiff_t>(CursorAndAt()), f.end(), 0xFF); }},
    {2, "see-through pixels left white",
     [](Bytes& f) {
       std::fill(f.begin() + static_cast<std::ptrdiff_t>(CursorXorAt()),
                 f.begin() + static_cast<std::ptrdiff_t>(CursorAndAt()), 0xFF);
     }},
    {2, "shape moved down a row", [](Bytes& f) { ShiftCursorRows(f, 1); }},
    {2, "shape moved up a row: the hot spot inside the finger", [](Bytes& f) { ShiftCursorRows(f, -1); }},
};

bool ReadFile(const char* path, Bytes& data) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  data.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: check_about_art <logo.bmp> <close.bmp> <hand.cur>\n");
    return 2;
  }
  std::string (*const checks[])(const Bytes&) = {CheckLogo, CheckClose, CheckCursor};
  Bytes files[3];
  for (int i = 0; i < 3; ++i) {
    const char* path = argv[i + 1];
    if (!ReadFile(path, files[i])) {
      std::fprintf(stderr, "check_about_art: cannot read %s\n", path);
      return 1;
    }
    if (std::string problem = checks[i](files[i]); !problem.empty()) {
      std::fprintf(stderr, "check_about_art: %s: %s\n", path, problem.c_str());
      return 1;
    }
  }

  int missed = 0;
  for (const Damage& damage : kDamages) {
    Bytes copy = files[damage.file];
    damage.apply(copy);
    const std::string problem = checks[damage.file](copy);
    if (problem.empty()) {
      std::fprintf(stderr, "check_about_art: a copy of %s with %s passed the check\n", argv[damage.file + 1],
                   damage.what);
      ++missed;
    } else {
      std::printf("turned down (%s): %s\n", damage.what, problem.c_str());
    }
  }
  if (missed != 0) return 1;
  std::printf(
      "logo 120 x 64, close image 54 x 53, both 24 bits; cursor 32 x 32, 16 colours, hot spot 12,8\n");
  return 0;
}
