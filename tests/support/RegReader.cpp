#include "support/RegReader.h"

#include <cwchar>
#include <optional>

namespace nw::test {
namespace {

constexpr std::wstring_view kVersion = L"Windows Registry Editor Version 5.00";

class LineReader {
 public:
  explicit LineReader(std::wstring text) : text_(std::move(text)) {}

  // The next line without its CR LF; false at the end of the text.
  bool Next(std::wstring& line) {
    if (pos_ == text_.size()) return false;
    ++number_;
    const std::size_t end = text_.find_first_of(L"\r\n", pos_);
    if (end == std::wstring::npos) throw RegSyntaxError(number_, "the last line has no CR LF");
    if (text_[end] != L'\r' || end + 1 == text_.size() || text_[end + 1] != L'\n')
      throw RegSyntaxError(number_, "a line break that is not CR LF");
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 2;
    return true;
  }
  std::size_t number() const { return number_; }

 private:
  std::wstring text_;
  std::size_t pos_ = 0;
  std::size_t number_ = 0;
};

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// A quoted string starting at text[pos] == '"': its text, with pos after the closing quote.
std::wstring Quoted(const std::wstring& text, std::size_t& pos, std::size_t line) {
  std::wstring out;
  for (++pos; pos < text.size(); ++pos) {
    const wchar_t c = text[pos];
    if (c == L'"') {
      ++pos;
      return out;
    }
    if (c == L'\\') {
      if (++pos == text.size()) break;
      if (text[pos] != L'\\' && text[pos] != L'"')
        throw RegSyntaxError(line, "an escape other than \\\\ or \\\"");
      out += text[pos];
    } else {
      out += c;
    }
  }
  throw RegSyntaxError(line, "a string without its closing quote");
}

void AppendUtf16Le(std::vector<std::uint8_t>& out, const std::wstring& text) {
  auto unit = [&](std::uint32_t u) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  };
  for (wchar_t c : text) {
    const auto code = static_cast<std::uint32_t>(c);
    if (code >= 0x10000) {
      unit(0xD800 + ((code - 0x10000) >> 10));
      unit(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      unit(code);
    }
  }
}

// "xx,xx,...", continued on the next lines while a line ends in ",\".
std::vector<std::uint8_t> HexBytes(std::wstring rest, LineReader& lines) {
  std::vector<std::uint8_t> out;
  for (;;) {
    std::size_t pos = 0;
    bool more = false;
    while (pos < rest.size()) {
      if (pos + 2 > rest.size() || HexDigit(rest[pos]) < 0 || HexDigit(rest[pos + 1]) < 0)
        throw RegSyntaxError(lines.number(), "hex bytes must be pairs of hex digits");
      out.push_back(static_cast<std::uint8_t>(HexDigit(rest[pos]) * 16 + HexDigit(rest[pos + 1])));
      pos += 2;
      if (pos == rest.size()) break;
      if (rest[pos] != L',') throw RegSyntaxError(lines.number(), "hex bytes must be separated by commas");
      ++pos;
      if (pos + 1 == rest.size() && rest[pos] == L'\\') {
        more = true;
        break;
      }
      if (pos == rest.size()) throw RegSyntaxError(lines.number(), "a comma after the last hex byte");
    }
    if (!more) return out;
    if (!lines.Next(rest)) throw RegSyntaxError(lines.number(), "the file ends inside a continued value");
    const std::size_t start = rest.find_first_not_of(L' ');
    if (start == 0 || start == std::wstring::npos)
      throw RegSyntaxError(lines.number(), "a continuation line must be indented and hold bytes");
    rest.erase(0, start);
  }
}

RootKey Root(const std::wstring& name, std::size_t line) {
  if (name == L"HKEY_CLASSES_ROOT") return kHkeyClassesRoot;
  if (name == L"HKEY_CURRENT_USER") return kHkeyCurrentUser;
  if (name == L"HKEY_LOCAL_MACHINE") return kHkeyLocalMachine;
  throw RegSyntaxError(line, "an unknown root key");
}

}  // namespace

std::wstring FromUtf16Le(std::string_view bytes) {
  std::wstring out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t unit = static_cast<std::uint8_t>(bytes[i]) | (static_cast<std::uint8_t>(bytes[i + 1]) << 8);
    if constexpr (WCHAR_MAX > 0xFFFF) {
      if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
        const std::uint32_t low =
            static_cast<std::uint8_t>(bytes[i + 2]) | (static_cast<std::uint8_t>(bytes[i + 3]) << 8);
        if (low >= 0xDC00 && low < 0xE000) {
          unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
          i += 2;
        }
      }
    }
    out += static_cast<wchar_t>(unit);
  }
  return out;
}

std::vector<RegEntry> ReadRegFile(std::string_view bytes) {
  if (bytes.substr(0, 2) != "\xFF\xFE") throw RegSyntaxError(0, "no UTF-16LE byte-order mark");
  if (bytes.size() % 2 != 0) throw RegSyntaxError(0, "an odd number of bytes");
  const std::wstring text = FromUtf16Le(bytes.substr(2));
  if (text.find(L'\0') != std::wstring::npos) throw RegSyntaxError(0, "a NUL character");
  LineReader lines(text);

  std::wstring line;
  if (!lines.Next(line) || line != kVersion) throw RegSyntaxError(1, "not the version line");
  std::vector<RegEntry> entries;
  std::optional<RegEntry> section;  // the key values go to; none after a deletion
  while (lines.Next(line)) {
    const std::size_t number = lines.number();
    if (line.empty() || line[0] == L';') continue;
    if (line[0] == L'[') {
      // The whole line is the section: "[" name "]" and nothing else, with no
      // other "]" that an importer could take for its end.
      if (line.back() != L']') throw RegSyntaxError(number, "a section line that does not end in \"]\"");
      std::wstring name = line.substr(1, line.size() - 2);
      if (name.find(L']') != std::wstring::npos)
        throw RegSyntaxError(number, "a stray \"]\" in a section line");
      const bool deletion = !name.empty() && name[0] == L'-';
      if (deletion) name.erase(0, 1);
      const std::size_t slash = name.find(L'\\');
      if (slash == std::wstring::npos || slash + 1 == name.size())
        throw RegSyntaxError(number, "a section names no key below its root");
      RegEntry entry{deletion ? RegEntry::Kind::DeleteKey : RegEntry::Kind::Key,
                     Root(name.substr(0, slash), number),
                     name.substr(slash + 1),
                     {},
                     0,
                     {}};
      if (deletion)
        section.reset();
      else
        section = entry;
      entries.push_back(std::move(entry));
      continue;
    }
    if (line[0] != L'@' && line[0] != L'"') throw RegSyntaxError(number, "neither a section nor a value");
    if (!section) throw RegSyntaxError(number, "a value outside a section");
    RegEntry value{RegEntry::Kind::Value, section->root, section->path, {}, 0, {}};
    std::size_t pos = 1;
    if (line[0] == L'"') {
      pos = 0;
      value.valueName = Quoted(line, pos, number);
      if (value.valueName.empty()) throw RegSyntaxError(number, "the default value is written \"@\"");
    }
    if (pos == line.size() || line[pos] != L'=')
      throw RegSyntaxError(number, "no \"=\" right after the value's name");
    const std::wstring data = line.substr(pos + 1);
    if (!data.empty() && data[0] == L'"') {
      std::size_t at = 0;
      const std::wstring string = Quoted(data, at, number);
      if (at != data.size()) throw RegSyntaxError(number, "text after a string's closing quote");
      value.type = kRegSz;
      AppendUtf16Le(value.data, string + L'\0');
    } else if (data.rfind(L"dword:", 0) == 0) {
      if (data.size() != 14) throw RegSyntaxError(number, "a dword is eight hex digits");
      std::uint32_t number32 = 0;
      for (std::size_t i = 6; i < 14; ++i) {
        if (HexDigit(data[i]) < 0) throw RegSyntaxError(number, "a dword is eight hex digits");
        number32 = number32 * 16 + static_cast<std::uint32_t>(HexDigit(data[i]));
      }
      value.type = kRegDword;
      for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<std::uint8_t>(number32 >> (8 * i)));
    } else if (data.rfind(L"hex:", 0) == 0) {
      value.type = kRegBinary;
      value.data = HexBytes(data.substr(4), lines);
    } else if (data.rfind(L"hex(", 0) == 0) {
      const std::size_t close = data.find(L"):");
      if (close == std::wstring::npos || close == 4 || close > 12)
        throw RegSyntaxError(number, "hex(N): needs a type number of one to eight hex digits");
      long type = 0;
      for (std::size_t i = 4; i < close; ++i) {
        if (HexDigit(data[i]) < 0) throw RegSyntaxError(number, "hex(N): needs a hex type number");
        type = type * 16 + HexDigit(data[i]);
      }
      value.type = type;
      value.data = HexBytes(data.substr(close + 2), lines);
    } else {
      throw RegSyntaxError(number, "value data that is no string, dword or hex");
    }
    entries.push_back(std::move(value));
  }
  return entries;
}

}  // namespace nw::test
