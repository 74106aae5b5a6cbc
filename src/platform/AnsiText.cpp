#include "platform/AnsiText.h"

#include <cstdint>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <cerrno>
#include <cstdio>
#endif

namespace nw {

#ifdef _WIN32

namespace {

UINT Win32Number(CodePage codePage) {
  return codePage.IsSystem() ? CP_ACP : codePage.Requested();
}

}  // namespace

unsigned CodePage::Number() const {
  return number_ != 0 ? number_ : GetACP();
}

std::wstring FromAnsi(std::string_view ansi, CodePage codePage) {
  if (ansi.empty()) return {};
  const UINT number = Win32Number(codePage);
  const int length = static_cast<int>(ansi.size());
  const int size = MultiByteToWideChar(number, 0, ansi.data(), length, nullptr, 0);
  if (size == 0) throw std::invalid_argument("code page not available");
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(number, 0, ansi.data(), length, text.data(), size);
  return text;
}

std::string ToAnsi(std::wstring_view text, CodePage codePage) {
  if (text.empty()) return {};
  const UINT number = Win32Number(codePage);
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(number, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (size == 0) throw std::invalid_argument("code page not available");
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(number, 0, text.data(), length, ansi.data(), size, nullptr, nullptr);
  return ansi;
}

std::wstring FoldCase(std::wstring_view text) {
  if (text.empty()) return {};
  std::wstring folded(text.size(), L'\0');
  const int length = static_cast<int>(text.size());
  LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, text.data(), length, folded.data(), length);
  return folded;
}

std::size_t Utf16Length(std::wstring_view text) {
  return text.size();
}

#else

namespace {

// Without a Windows system, the code page of a Western European one.
constexpr unsigned kDefaultCodePage = 1252;

// What a lead byte and its next byte become when they form no character. 932
// has a substitute of its own (KATAKANA MIDDLE DOT), as on Windows.
wchar_t Substitute(unsigned number) {
  return number == 932 ? L'\u30FB' : L'?';
}

// One conversion descriptor of the C library's iconv.
class Converter {
 public:
  Converter(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::invalid_argument("code page not available");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts from `in` into `out` until the input ends, the output is full or
  // a sequence cannot be converted; 0 when the input ended, otherwise errno.
  int Convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
    char* input = const_cast<char*>(in);
    const std::size_t result = iconv(cd_, &input, &inLeft, &out, &outLeft);
    in = input;
    return result == static_cast<std::size_t>(-1) ? errno : 0;
  }
  void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t cd_;
};

std::string IconvName(unsigned number) {
  char name[16];
  std::snprintf(name, sizeof name, "CP%u", number);
  return name;
}

enum class ByteKind { Character, Lead, Undefined };

// What one byte is on its own: a character, the first byte of a double-byte
// character (the converter wants more input), or neither.
ByteKind KindOf(const std::string& name, unsigned char byte) {
  Converter converter("WCHAR_T", name);
  const char in[1] = {static_cast<char>(byte)};
  const char* input = in;
  std::size_t inLeft = 1;
  wchar_t out[4];
  char* output = reinterpret_cast<char*>(out);
  std::size_t outLeft = sizeof out;
  switch (converter.Convert(input, inLeft, output, outLeft)) {
    case 0: return ByteKind::Character;
    case EINVAL: return ByteKind::Lead;
    default: return ByteKind::Undefined;
  }
}

// A UTF-8 sequence that starts with this byte: its length (0 for a byte that
// starts none) and the range of its second byte, which rules out overlong
// forms, surrogates and points above U+10FFFF.
struct Utf8Sequence {
  std::size_t length;
  unsigned char low, high;
};
Utf8Sequence SequenceOf(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
  if (lead == 0xE0) return {3, 0xA0, 0xBF};
  if (lead == 0xED) return {3, 0x80, 0x9F};
  if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
  if (lead == 0xF0) return {4, 0x90, 0xBF};
  if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
  if (lead == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

// UTF-8 as Windows reads it: a sequence that is no character becomes U+FFFD,
// one for each longest start of a character that breaks off (a lead byte and
// the continuation bytes that could still follow it), one for each byte that
// starts none.
std::wstring FromUtf8(std::string_view bytes) {
  std::wstring text;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      text += static_cast<wchar_t>(lead);
      ++i;
      continue;
    }
    const Utf8Sequence sequence = SequenceOf(lead);
    std::uint32_t point = lead & (0x7F >> sequence.length);
    std::size_t next = i + 1, taken = 1;
    for (; taken < sequence.length && next < bytes.size(); ++taken, ++next) {
      const auto c = static_cast<unsigned char>(bytes[next]);
      if (c < (taken == 1 ? sequence.low : 0x80) || c > (taken == 1 ? sequence.high : 0xBF)) break;
      point = (point << 6) | (c & 0x3F);
    }
    text += sequence.length != 0 && taken == sequence.length ? static_cast<wchar_t>(point) : L'\uFFFD';
    i = next;
  }
  return text;
}

// Unicode text as UTF-8, as Windows writes it: a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text) {
  std::wstring whole;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<std::uint32_t>(text[i]);
    const bool high = c >= 0xD800 && c < 0xDC00, low = c >= 0xDC00 && c < 0xE000;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      whole += text.substr(i++, 2);
    } else {
      whole += high || low ? L'\uFFFD' : text[i];
    }
  }
  return Utf8(whole);
}

}  // namespace

unsigned CodePage::Number() const {
  return number_ != 0 ? number_ : kDefaultCodePage;
}

std::wstring FromAnsi(std::string_view ansi, CodePage codePage) {
  if (codePage.Number() == kUtf8.Requested()) return FromUtf8(ansi);
  const std::string name = IconvName(codePage.Number());
  Converter converter("WCHAR_T", name);
  std::wstring text;
  const char* in = ansi.data();
  std::size_t inLeft = ansi.size();
  while (inLeft > 0) {
    wchar_t buffer[256];
    char* out = reinterpret_cast<char*>(buffer);
    std::size_t outLeft = sizeof buffer;
    const int error = converter.Convert(in, inLeft, out, outLeft);
    text.append(buffer, (sizeof buffer - outLeft) / sizeof(wchar_t));
    if (error == 0 || error == E2BIG) continue;
    // A sequence with no character: as Windows reads it.
    const auto byte = static_cast<unsigned char>(*in);
    std::size_t taken = 1;
    if (KindOf(name, byte) == ByteKind::Lead) {
      text += Substitute(codePage.Number());
      taken = inLeft < 2 ? inLeft : 2;
    } else {
      text += static_cast<wchar_t>(byte);
    }
    in += taken;
    inLeft -= taken;
    converter.Reset();
  }
  return text;
}

std::string ToAnsi(std::wstring_view text, CodePage codePage) {
  if (codePage.Number() == kUtf8.Requested()) return ToUtf8(text);
  const std::string name = IconvName(codePage.Number());
  Converter converter(name, "WCHAR_T");
  std::string ansi;
  const char* in = reinterpret_cast<const char*>(text.data());
  std::size_t inLeft = text.size() * sizeof(wchar_t);
  while (inLeft > 0) {
    char buffer[512];
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const int error = converter.Convert(in, inLeft, out, outLeft);
    ansi.append(buffer, sizeof buffer - outLeft);
    if (error == 0 || error == E2BIG) continue;
    // A character the code page lacks. One that FromAnsi makes of a byte with
    // no character of its own goes back to that byte; any other becomes "?".
    const wchar_t c = *reinterpret_cast<const wchar_t*>(in);
    const bool ownByte =
        c >= 0 && c <= 0xFF && KindOf(name, static_cast<unsigned char>(c)) == ByteKind::Undefined;
    ansi += ownByte ? static_cast<char>(c) : '?';
    in += sizeof(wchar_t);
    inLeft -= sizeof(wchar_t);
    converter.Reset();
  }
  return ansi;
}

namespace {

// The C library's Unicode character classes; created once and only read.
locale_t UnicodeCharacters() {
  static const locale_t characters = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return characters;
}

}  // namespace

std::wstring FoldCase(std::wstring_view text) {
  std::wstring folded(text);
  const locale_t characters = UnicodeCharacters();
  for (wchar_t& c : folded) {
    if (characters != static_cast<locale_t>(nullptr))
      c = static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), characters));
    else if (c >= L'A' && c <= L'Z')
      c = static_cast<wchar_t>(c + (L'a' - L'A'));
  }
  return folded;
}

std::size_t Utf16Length(std::wstring_view text) {
  std::size_t units = 0;
  for (wchar_t c : text) units += static_cast<std::uint32_t>(c) >= 0x10000 ? 2 : 1;
  return units;
}

#endif

// UTF-8 and UTF-16LE, the encodings of Unicode text as bytes.
namespace {

// Code points of the text: wchar_t is UTF-16 on Windows and UTF-32 elsewhere.
template <typename Emit>
void ForEachCodePoint(std::wstring_view text, Emit emit) {
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

std::string Utf8(std::wstring_view text) {
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

std::string Utf16Le(std::wstring_view text) {
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

std::wstring FromUtf16Le(std::string_view bytes) {
  std::wstring text;
  auto unit = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i]) |
                                      (static_cast<std::uint8_t>(bytes[i + 1]) << 8));
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t c = unit(i);
    if constexpr (sizeof(wchar_t) == 4) {
      if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
        const std::uint32_t low = unit(i + 2);
        if (low >= 0xDC00 && low < 0xE000) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          i += 2;
        }
      }
    }
    text += static_cast<wchar_t>(c);
  }
  return text;
}

}  // namespace nw
