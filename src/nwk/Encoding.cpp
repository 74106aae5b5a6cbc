// UTF-8 for the console, UTF-16LE for .reg files.
#include "nwk/Nwk.h"

namespace nw::nwk {
namespace {

// Code points of the text: wchar_t is UTF-16 on Windows and UTF-32 elsewhere.
template <typename Emit>
void ForEachCodePoint(const std::wstring& text, Emit emit) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
      const char32_t low = static_cast<char32_t>(text[i + 1]);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    emit(c);
  }
}

}  // namespace

std::string Utf8(const std::wstring& text) {
  std::string out;
  ForEachCodePoint(text, [&](char32_t c) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  });
  return out;
}

std::string Utf16Le(const std::wstring& text) {
  std::string out;
  auto unit = [&](char32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>((u >> 8) & 0xFF);
  };
  ForEachCodePoint(text, [&](char32_t c) {
    if (c < 0x10000) {
      unit(c);
    } else {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  });
  return out;
}

}  // namespace nw::nwk
