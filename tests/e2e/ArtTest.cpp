// The program's pictures as the program loads them: read from its own file,
// each at every size it carries, with what matters about each checked (sizes,
// depth, colours, the pointer's hot spot).
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "e2e/Driver.h"
#include "frmNW/resource.h"
#include "hpABOUT/resource.h"
#include "platform/Gdi.h"

namespace nw::e2e {
namespace {

// The program's file, loaded for its resources only.
class ProgramResources : public testing::Test {
 protected:
  void SetUp() override {
    program_ = LoadLibraryExW(WinePathOf(NW_PROGRAM_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program_, nullptr);
  }
  void TearDown() override {
    if (program_ != nullptr) FreeLibrary(program_);
  }
  const BYTE* Data(int id, const wchar_t* type, DWORD* size = nullptr) const {
    const HRSRC found = FindResourceW(program_, MAKEINTRESOURCEW(id), type);
    if (found == nullptr) return nullptr;
    if (size != nullptr) *size = SizeofResource(program_, found);
    return static_cast<const BYTE*>(LockResource(LoadResource(program_, found)));
  }
  HMODULE program_ = nullptr;
};

WORD Word(const BYTE* at) {
  return static_cast<WORD>(at[0] | at[1] << 8);
}

// One image of an icon or cursor group: its entry in the group's directory.
struct GroupEntry {
  int width, height, colours, bits, id;
};
// The group's directory: a 6-byte header, then 14 bytes an image. An icon's
// entry has bytes for width and height (0 for 256); a cursor's has words,
// the height counting the mask.
std::vector<GroupEntry> Directory(const BYTE* group, bool cursor) {
  std::vector<GroupEntry> entries;
  for (int i = 0; i < Word(group + 4); ++i) {
    const BYTE* e = group + 6 + 14 * i;
    if (cursor)
      entries.push_back({Word(e), Word(e + 2) / 2, 16, Word(e + 6), Word(e + 12)});
    else
      entries.push_back({e[0] == 0 ? 256 : e[0], e[1] == 0 ? 256 : e[1], e[2], Word(e + 6), Word(e + 12)});
  }
  return entries;
}

// How much of a picture is see-through, opaque or in between, as the icon
// draws on black and on white: an opaque pixel shows the same on both, a
// see-through one shows the background.
struct Coverage {
  int clear = 0, opaque = 0, between = 0;
};
Coverage CoverageOf(HICON icon, int width, int height) {
  Coverage coverage;
  std::vector<DWORD> on[2];
  const DWORD backgrounds[2] = {0x000000, 0xFFFFFF};
  for (int i = 0; i < 2; ++i) {
    BITMAPINFO format{};
    format.bmiHeader = {sizeof format.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const ScreenDc screen;
    const UniqueBitmap target(CreateDIBSection(screen.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!target) return {};
    const BitmapDc dc(screen.get(), target.get());
    PatBlt(dc.get(), 0, 0, width, height, i == 0 ? BLACKNESS : WHITENESS);
    DrawIconEx(dc.get(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const auto* first = static_cast<const DWORD*>(bits);
    on[i].assign(first, first + width * height);
  }
  for (std::size_t p = 0; p < on[0].size(); ++p) {
    const DWORD black = on[0][p] & 0xFFFFFF, white = on[1][p] & 0xFFFFFF;
    (black == white                                       ? coverage.opaque
     : black == backgrounds[0] && white == backgrounds[1] ? coverage.clear
                                                          : coverage.between)++;
  }
  return coverage;
}

bool IsPng(const BYTE* image, DWORD bytes) {
  return bytes > 33 && std::string(reinterpret_cast<const char*>(image), 4) == "\x89PNG";
}
// A PNG's IHDR: width and height (big-endian), bits a sample, colour type.
LONG PngWord(const BYTE* at) {
  return static_cast<LONG>(at[0] << 24 | at[1] << 16 | at[2] << 8 | at[3]);
}

// The program icon, for the window's caption, the task bar, Explorer and the
// main window's logo: every size Windows asks for at 100 to 200 percent, in
// 32 bits with alpha. Those loaded as the program starts at 100 percent (16
// and 32, and the 20 and 24 between them) are bitmaps, which need no decoding;
// the larger ones are PNG (RGBA).
TEST_F(ProgramResources, TheIconHoldsEverySizeIn32BitsWithAlpha) {
  const BYTE* group = Data(IDI_NOOKWAYER, MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(group, nullptr);
  const std::vector<GroupEntry> entries = Directory(group, false);
  std::vector<int> sizes;
  for (const GroupEntry& entry : entries) {
    SCOPED_TRACE(entry.width);
    sizes.push_back(entry.width);
    EXPECT_EQ(entry.height, entry.width);
    EXPECT_EQ(entry.bits, 32);
    DWORD bytes = 0;
    const BYTE* image = Data(entry.id, MAKEINTRESOURCEW(3), &bytes);  // RT_ICON
    ASSERT_NE(image, nullptr);
    if (entry.width > 32) {
      ASSERT_TRUE(IsPng(image, bytes));
      EXPECT_EQ(PngWord(image + 16), entry.width);
      EXPECT_EQ(PngWord(image + 20), entry.width);
      EXPECT_EQ(image[24], 8) << "bits a sample";
      EXPECT_EQ(image[25], 6) << "RGBA";
      // As the system decodes it: see-through and opaque, nothing between.
      const UniqueIcon icon(CreateIconFromResourceEx(const_cast<BYTE*>(image), bytes, TRUE, 0x00030000,
                                                     entry.width, entry.width, 0));
      ASSERT_NE(icon, nullptr);
      const Coverage coverage = CoverageOf(icon.get(), entry.width, entry.width);
      EXPECT_GT(coverage.clear, 0);
      EXPECT_GT(coverage.opaque, entry.width * entry.width / 2);
      EXPECT_EQ(coverage.between, 0);
      continue;
    }
    ASSERT_FALSE(IsPng(image, bytes)) << "loaded as the program starts";
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(image);
    ASSERT_EQ(header->biBitCount, 32);
    EXPECT_EQ(header->biWidth, entry.width);
    EXPECT_EQ(header->biHeight, 2 * entry.width) << "the picture and its mask";
    // The folder and the block are opaque, the space around them is not:
    // each picture has see-through and opaque pixels and nothing between.
    // Where a system draws by the mask instead of the alpha, the two agree,
    // and a see-through pixel is black, so that nothing shows through inverted.
    const int size = entry.width;
    const BYTE* pixels = image + header->biSize;
    const BYTE* mask = pixels + 4 * size * size;
    const int maskRow = (size + 31) / 32 * 4;
    ASSERT_GE(bytes, header->biSize + static_cast<DWORD>((4 * size + maskRow) * size))
        << "the image is cut short";
    int clear = 0, opaque = 0, between = 0, disagreeing = 0, coloured = 0;
    for (int i = 0; i < size * size; ++i) {
      const BYTE alpha = pixels[4 * i + 3];
      (alpha == 0 ? clear : alpha == 255 ? opaque : between)++;
      const int x = i % size, y = i / size;  // both bitmaps bottom-up
      const bool masked = (mask[y * maskRow + x / 8] & (0x80 >> (x % 8))) != 0;
      if (masked != (alpha == 0)) ++disagreeing;
      if (masked && (pixels[4 * i] | pixels[4 * i + 1] | pixels[4 * i + 2]) != 0) ++coloured;
    }
    EXPECT_GT(clear, 0);
    EXPECT_GT(opaque, size * size / 2);
    EXPECT_EQ(between, 0);
    EXPECT_EQ(disagreeing, 0);
    EXPECT_EQ(coloured, 0);
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
}

// A picture of the about window: an icon of one PNG image of this size.
struct Picture {
  int id;
  LONG width, height;
};

// The logo and the close image at 100, 150 and 200 percent: the size of their
// boxes at 96, 144 and 192 DPI (1800 x 960 and 810 x 795 twips) and the same
// picture at each, loaded as the about window loads them. Each is PNG in
// 8-bit RGBA, the one form Wine's user32 decodes with red and blue in place.
TEST_F(ProgramResources, TheAboutPicturesComeInThreeSizes) {
  const Picture pictures[] = {{IDB_HOLPINE, 120, 64}, {IDB_HOLPINE_150, 180, 96}, {IDB_HOLPINE_200, 240, 128},
                              {IDB_END, 54, 53},      {IDB_END_150, 81, 80},      {IDB_END_200, 108, 106}};
  for (const Picture& picture : pictures) {
    SCOPED_TRACE(picture.id);
    const BYTE* group = Data(picture.id, MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const std::vector<GroupEntry> entries = Directory(group, false);
    ASSERT_EQ(entries.size(), 1u) << "images in the group";
    EXPECT_EQ(entries[0].width, picture.width);
    EXPECT_EQ(entries[0].height, picture.height);
    DWORD bytes = 0;
    const BYTE* image = Data(entries[0].id, MAKEINTRESOURCEW(3), &bytes);  // RT_ICON
    ASSERT_NE(image, nullptr);
    ASSERT_TRUE(IsPng(image, bytes));
    EXPECT_EQ(PngWord(image + 16), picture.width);
    EXPECT_EQ(PngWord(image + 20), picture.height);
    EXPECT_EQ(image[24], 8) << "bits a sample";
    EXPECT_EQ(image[25], 6) << "RGBA";

    const UniqueBitmap bitmap = LoadIconPicture(program_, MAKEINTRESOURCEW(picture.id));
    ASSERT_NE(bitmap, nullptr);
    BITMAP shape{};
    GetObjectW(bitmap.get(), sizeof shape, &shape);
    EXPECT_EQ(shape.bmWidth, picture.width);
    EXPECT_EQ(shape.bmHeight, picture.height);
    const BitmapDc dc(nullptr, bitmap.get());
    auto at = [&dc](LONG x, LONG y) { return GetPixel(dc.get(), x, y); };
    auto green = [](COLORREF c) { return GetGValue(c) >= 200 && GetRValue(c) < 80 && GetBValue(c) < 80; };
    const LONG w = picture.width, h = picture.height;
    if (picture.id == IDB_HOLPINE || picture.id == IDB_HOLPINE_150 || picture.id == IDB_HOLPINE_200) {
      // On black: the corners are background.
      for (POINT p : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}})
        EXPECT_EQ(at(p.x, p.y), RGB(0, 0, 0)) << p.x << "," << p.y;
      // The word mark's first letter, an H, shows its left stem in green.
      EXPECT_TRUE(green(at(w * 49 / 120, h * 12 / 64)));
    } else {
      // A bright green corner at the top right that fades to a black rim,
      // and the cross dark in its middle, a third of the way in.
      EXPECT_TRUE(green(at(w - 1, 0)));
      EXPECT_EQ(at(0, h - 1), RGB(0, 0, 0));
      EXPECT_LT(GetGValue(at(w - 1, h / 2)), GetGValue(at(w - 1, 0)));
      // On the grid of 54 x 53 the cross is centred at (35.5, 18.5): its four
      // arms reach out diagonally, and half way along each side of its square
      // the disc shows between them.
      auto grid = [&](double x, double y) {
        return at(static_cast<LONG>(x * w / 54), static_cast<LONG>(y * h / 53));
      };
      EXPECT_LT(GetGValue(grid(35.5, 18.5)), 40);
      for (double dx : {-4.5, 4.5})
        for (double dy : {-4.5, 4.5}) EXPECT_LT(GetGValue(grid(35.5 + dx, 18.5 + dy)), 40) << dx << "," << dy;
      for (auto [dx, dy] : {std::pair{0.0, -6.0}, {0.0, 6.0}, {-6.0, 0.0}, {6.0, 0.0}})
        EXPECT_GT(GetGValue(grid(35.5 + dx, 18.5 + dy)), 80) << dx << "," << dy;
    }
  }
}

// The pointer over the links: 32, 48 and 64 pixels in 16 colours, the hot
// spot on the fingertip, (12, 8) at 32 pixels and in proportion at the others.
TEST_F(ProgramResources, TheLinkPointerComesInThreeSizesWithItsHotSpotOnTheFingertip) {
  const BYTE* group = Data(IDC_LINK_HAND, MAKEINTRESOURCEW(12));  // RT_GROUP_CURSOR
  ASSERT_NE(group, nullptr);
  const std::vector<GroupEntry> entries = Directory(group, true);
  ASSERT_EQ(entries.size(), 3u) << "images in the cursor group";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int size = 32 + 16 * static_cast<int>(i);
    SCOPED_TRACE(size);
    EXPECT_EQ(entries[i].width, size);
    const BYTE* data = Data(entries[i].id, MAKEINTRESOURCEW(1));  // RT_CURSOR
    ASSERT_NE(data, nullptr);
    // The image starts with its hot spot.
    const int hotX = Word(data), hotY = Word(data + 2);
    EXPECT_EQ(hotX, 12 * size / 32) << "hot spot x";
    EXPECT_EQ(hotY, 8 * size / 32) << "hot spot y";
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(data + 4);
    EXPECT_EQ(header->biWidth, size);
    EXPECT_EQ(header->biHeight, 2 * size) << "the picture and its mask";
    ASSERT_EQ(header->biBitCount, 4) << "16 colours";
    // The AND mask, bottom-up after the palette and the colour rows: the hot
    // spot is drawn and the pixel above it is not (the tip of the finger).
    const BYTE* mask = data + 4 + header->biSize + 16 * 4 + (size / 2 + 3) / 4 * 4 * size;
    const int maskRow = (size + 31) / 32 * 4;
    auto seeThrough = [&](int x, int y) {
      return (mask[(size - 1 - y) * maskRow + x / 8] & (0x80 >> (x % 8))) != 0;
    };
    EXPECT_FALSE(seeThrough(hotX, hotY));
    EXPECT_TRUE(seeThrough(hotX, hotY - 1));
    // A see-through pixel has the colour black (index 0), or the screen
    // under it would show inverted.
    const BYTE* colours = data + 4 + header->biSize + 16 * 4;
    const int colourRow = (size / 2 + 3) / 4 * 4;
    int inverting = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const BYTE pair = colours[(size - 1 - y) * colourRow + x / 2];
        if (seeThrough(x, y) && (x % 2 == 0 ? pair >> 4 : pair & 0x0F) != 0) ++inverting;
      }
    EXPECT_EQ(inverting, 0);
  }
}

}  // namespace
}  // namespace nw::e2e
