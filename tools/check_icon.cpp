// check_icon: reads the generated program icon back the way Windows does and
// checks that it holds what the resource compiler and the shell expect.
//
//   check_icon <file.ico>
//
// The file must hold exactly two square 256-colour images, 16 and 32 pixels,
// each a BITMAPINFOHEADER with its palette, colour bitmap and AND mask, laid
// out back to back after the directory with nothing missing or left over. The
// pictures themselves must have a real outline (some pixels see-through, most
// not), transparent pixels must be black in the colour bitmap so they do not
// tint the screen, and the opaque ones must use several colours.
//
// Then it damages copies of the file in ways a broken writer could and makes
// sure each one is turned down, so a check that stopped looking is caught too.
// Exit status 0 when everything holds, 1 with the reasons on stderr if not.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kDirectoryEntry = 16;
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

struct Entry {
  std::size_t size;    // Width and height in pixels.
  std::size_t offset;  // Where the image starts in the file.
  std::size_t length;  // How many bytes it takes.
};

// Checks one image; its entry has already been found inside the file.
std::string CheckImage(const Bytes& file, const Entry& entry) {
  const std::string name = "image " + std::to_string(entry.size) + ": ";
  if (entry.length < kInfoHeader) return name + "shorter than its header";
  const std::size_t at = entry.offset;

  if (U32(file, at) != kInfoHeader) return name + "header size is not 40";
  if (S32(file, at + 4) != static_cast<std::int32_t>(entry.size))
    return name + "width differs from directory";
  // The height counts the colour bitmap and the mask; positive means bottom-up.
  if (S32(file, at + 8) != static_cast<std::int32_t>(2 * entry.size))
    return name + "height is not twice the size";
  if (U16(file, at + 12) != 1) return name + "planes is not 1";
  if (U16(file, at + 14) != 8) return name + "not 8 bits per pixel";
  if (U32(file, at + 16) != 0) return name + "compressed";
  const std::uint32_t colours_used = U32(file, at + 32);
  if (colours_used > 256) return name + "more than 256 palette entries";
  const std::size_t colours = colours_used == 0 ? 256 : colours_used;

  const std::size_t xor_row = RowBytes(entry.size, 8);
  const std::size_t and_row = RowBytes(entry.size, 1);
  const std::size_t palette = at + kInfoHeader;
  const std::size_t xor_bits = palette + 4 * colours;
  const std::size_t and_bits = xor_bits + xor_row * entry.size;
  const std::size_t expected = kInfoHeader + 4 * colours + (xor_row + and_row) * entry.size;
  if (entry.length != expected) {
    return name + "holds " + std::to_string(entry.length) + " bytes, its bitmaps need " +
           std::to_string(expected);
  }
  const std::uint32_t size_image = U32(file, at + 20);
  if (size_image != 0 && size_image != (xor_row + and_row) * entry.size) return name + "wrong biSizeImage";
  for (std::size_t i = 0; i < colours; ++i) {
    if (file[palette + 4 * i + 3] != 0) return name + "palette entry with a non-zero reserved byte";
  }

  std::size_t transparent = 0;
  std::set<std::uint8_t> used;
  for (std::size_t row = 0; row < entry.size; ++row) {
    for (std::size_t x = 0; x < entry.size; ++x) {
      const std::uint8_t index = file[xor_bits + row * xor_row + x];
      const bool see_through = (file[and_bits + row * and_row + x / 8] >> (7 - x % 8) & 1) != 0;
      if (see_through) {
        ++transparent;
        if (index != 0) return name + "transparent pixel that is not black";
      } else {
        if (index >= colours) return name + "pixel colour past the palette";
        used.insert(index);
      }
    }
  }
  const std::size_t pixels = entry.size * entry.size;
  if (transparent == 0) return name + "no transparent pixel: the picture is a plain square";
  if (transparent * 2 > pixels) return name + "more than half of it is transparent";
  if (used.size() < 6) return name + "only " + std::to_string(used.size()) + " colours";
  return {};
}

// Returns what is wrong with the file, or nothing.
std::string CheckIcon(const Bytes& file) {
  if (file.size() < kDirectoryHeader) return "shorter than the icon header";
  if (U16(file, 0) != 0) return "reserved header field is not 0";
  if (U16(file, 2) != 1) return "not an icon (type is not 1)";
  const std::size_t count = U16(file, 4);
  if (count != 2) return "holds " + std::to_string(count) + " images, not 2";
  const std::size_t directory_end = kDirectoryHeader + count * kDirectoryEntry;
  if (file.size() < directory_end) return "directory runs past the end of the file";

  std::vector<Entry> entries;
  std::set<std::size_t> sizes;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kDirectoryHeader + i * kDirectoryEntry;
    const std::string name = "entry " + std::to_string(i) + ": ";
    const std::size_t width = file[at] == 0 ? 256 : file[at];
    const std::size_t height = file[at + 1] == 0 ? 256 : file[at + 1];
    if (width != height) return name + "not square";
    if (file[at + 2] != 0) return name + "colour count is not 0 (256 colours)";
    if (file[at + 3] != 0) return name + "reserved byte is not 0";
    if (U16(file, at + 4) != 1) return name + "planes is not 1";
    if (U16(file, at + 6) != 8) return name + "not 8 bits per pixel";
    const std::size_t length = U32(file, at + 8);
    const std::size_t offset = U32(file, at + 12);
    if (offset < directory_end) return name + "image starts inside the directory";
    if (offset > file.size() || length > file.size() - offset)
      return name + "image runs past the end of the file";
    if (!sizes.insert(width).second) return name + "size " + std::to_string(width) + " appears twice";
    entries.push_back({width, offset, length});
  }
  if (sizes != std::set<std::size_t>{16, 32}) return "sizes are not 16 and 32";

  // The images must tile the rest of the file: no overlap, no gap, no tail.
  std::size_t covered = directory_end;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    for (std::size_t j = i + 1; j < entries.size(); ++j) {
      const Entry& a = entries[i];
      const Entry& b = entries[j];
      if (a.offset < b.offset + b.length && b.offset < a.offset + a.length) return "images overlap";
    }
    covered += entries[i].length;
  }
  if (covered != file.size()) {
    return "directory and images take " + std::to_string(covered) + " bytes, the file has " +
           std::to_string(file.size());
  }

  for (const Entry& entry : entries) {
    if (std::string problem = CheckImage(file, entry); !problem.empty()) return problem;
  }
  return {};
}

// Offset of the first image the directory lists with the given size.
std::size_t ImageOffset(const Bytes& file, std::size_t size) {
  for (std::size_t i = 0; i < U16(file, 4); ++i) {
    const std::size_t at = kDirectoryHeader + i * kDirectoryEntry;
    if (file[at] == size) return U32(file, at + 12);
  }
  return 0;
}

// Offsets of the colour bitmap and of the mask of the image with that size.
std::size_t ColourBitsOffset(const Bytes& file, std::size_t size) {
  const std::size_t at = ImageOffset(file, size);
  const std::size_t colours = U32(file, at + 32) == 0 ? 256 : U32(file, at + 32);
  return at + kInfoHeader + 4 * colours;
}

std::size_t MaskOffset(const Bytes& file, std::size_t size) {
  return ColourBitsOffset(file, size) + RowBytes(size, 8) * size;
}

struct Damage {
  const char* what;
  void (*apply)(Bytes&);
};

// Ways a writer could go wrong; each damaged copy must fail the check. Only
// called on a file that passed, so the fields they touch are there.
const Damage kDamages[] = {
    {"last byte cut off", [](Bytes& f) { f.pop_back(); }},
    {"stray byte at the end", [](Bytes& f) { f.push_back(0); }},
    {"type 2 (cursor)", [](Bytes& f) { PutU16(f, 2, 2); }},
    {"count says 1", [](Bytes& f) { PutU16(f, 4, 1); }},
    {"first entry 4 bits per pixel", [](Bytes& f) { PutU16(f, kDirectoryHeader + 6, 4); }},
    {"first entry colour count 16", [](Bytes& f) { f[kDirectoryHeader + 2] = 16; }},
    {"both entries the same size",
     [](Bytes& f) {
       f[kDirectoryHeader + 16] = f[kDirectoryHeader];
       f[kDirectoryHeader + 17] = f[kDirectoryHeader + 1];
     }},
    {"second entry 48 pixels",
     [](Bytes& f) {
       f[kDirectoryHeader + 16] = 48;
       f[kDirectoryHeader + 17] = 48;
     }},
    {"second offset one byte late",
     [](Bytes& f) {
       const std::size_t at = kDirectoryHeader + 16 + 12;
       PutU32(f, at, U32(f, at) + 1);
     }},
    {"first length one byte short",
     [](Bytes& f) {
       const std::size_t at = kDirectoryHeader + 8;
       PutU32(f, at, U32(f, at) - 1);
     }},
    {"32-pixel image height not doubled", [](Bytes& f) { PutU32(f, ImageOffset(f, 32) + 8, 32); }},
    {"16-pixel image 24 bits per pixel", [](Bytes& f) { PutU16(f, ImageOffset(f, 16) + 14, 24); }},
    {"16-pixel image run-length coded", [](Bytes& f) { PutU32(f, ImageOffset(f, 16) + 16, 1); }},
    {"32-pixel mask all transparent",
     [](Bytes& f) {
       const std::size_t mask = MaskOffset(f, 32);
       for (std::size_t i = 0; i < RowBytes(32, 1) * 32; ++i) f[mask + i] = 0xFF;
     }},
    {"32-pixel image blank",
     [](Bytes& f) {
       const std::size_t bits = ColourBitsOffset(f, 32);
       for (std::size_t i = 0; i < RowBytes(32, 8) * 32; ++i) f[bits + i] = 0;
       for (std::size_t i = 0; i < RowBytes(32, 1) * 32; ++i) f[MaskOffset(f, 32) + i] = 0xFF;
     }},
    {"32-pixel mask all opaque",
     [](Bytes& f) {
       const std::size_t mask = MaskOffset(f, 32);
       for (std::size_t i = 0; i < RowBytes(32, 1) * 32; ++i) f[mask + i] = 0;
     }},
    {"16-pixel image in one colour",
     [](Bytes& f) {
       const std::size_t bits = ColourBitsOffset(f, 16);
       for (std::size_t i = 0; i < RowBytes(16, 8) * 16; ++i) f[bits + i] = f[bits + i] == 0 ? 0 : 1;
     }},
    {"16-pixel image with its see-through pixels left coloured",
     [](Bytes& f) {
       const std::size_t bits = ColourBitsOffset(f, 16);
       for (std::size_t i = 0; i < RowBytes(16, 8) * 16; ++i) f[bits + i] = 2;
     }},
};

bool ReadFile(const char* path, Bytes& data) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  data.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: check_icon <file.ico>\n");
    return 2;
  }
  Bytes icon;
  if (!ReadFile(argv[1], icon)) {
    std::fprintf(stderr, "check_icon: cannot read %s\n", argv[1]);
    return 1;
  }
  if (std::string problem = CheckIcon(icon); !problem.empty()) {
    std::fprintf(stderr, "check_icon: %s: %s\n", argv[1], problem.c_str());
    return 1;
  }

  int missed = 0;
  for (const Damage& damage : kDamages) {
    Bytes copy = icon;
    damage.apply(copy);
    const std::string problem = CheckIcon(copy);
    if (problem.empty()) {
      std::fprintf(stderr, "check_icon: a copy with %s passed the check\n", damage.what);
      ++missed;
    } else {
      std::printf("turned down (%s): %s\n", damage.what, problem.c_str());
    }
  }
  if (missed != 0) return 1;
  std::printf("%s: 2 images, 16 and 32 pixels, 256 colours, %zu bytes\n", argv[1], icon.size());
  return 0;
}
