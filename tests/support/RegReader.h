// A small, strict reader of .reg files, for checking what nwk exports. It
// takes only what every importer reads alike, and refuses the rest with the
// line and the reason: a file it reads means one thing, whoever imports it.
//
// Taken: UTF-16LE with its byte-order mark, CR LF line ends, the version line
// "Windows Registry Editor Version 5.00", blank and ";" comment lines, whole
// section lines "[KEY]" and deletions "[-KEY]" under HKEY_CLASSES_ROOT,
// HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE, and in a section "@=" or
// "NAME"= with a quoted string (escapes \\ and \" only), "hex:" or "hex(N):"
// bytes (continued over lines by a final "\"), or "dword:" and eight hex digits.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "EasyReg/Registry.h"

namespace nw::test {

struct RegEntry {
  enum class Kind { Key, DeleteKey, Value };
  Kind kind;
  RootKey root;
  std::wstring path;       // below the root
  std::wstring valueName;  // a value's name; empty for the default value "@"
  long type = 0;
  std::vector<std::uint8_t> data;  // as the registry holds it (a string as UTF-16LE with its NUL)
  bool operator==(const RegEntry&) const = default;
};

class RegSyntaxError : public std::runtime_error {
 public:
  RegSyntaxError(std::size_t line, const std::string& what)
      : std::runtime_error("line " + std::to_string(line) + ": " + what), line(line) {}
  std::size_t line;
};

// Every section, deletion and value of the file, in file order. Throws
// RegSyntaxError for anything outside the forms above.
std::vector<RegEntry> ReadRegFile(std::string_view bytes);

// UTF-16LE bytes as text, and back; surrogate pairs become one character where
// wchar_t holds it. Lone surrogates pass as they are.
std::wstring FromUtf16Le(std::string_view bytes);

}  // namespace nw::test
