// Conversion between the program's Unicode text and an ANSI code page, by
// default the system's: on Windows the active code page, elsewhere 1252.
//
// Double-byte code pages (932 and the like) hold characters whose second byte
// may be a backslash or an ASCII letter: text in them is split, compared and
// counted only after conversion, never byte by byte.
#pragma once

#include <string>
#include <string_view>

namespace nw {

// A Windows ANSI code page, named by its number. The default one stands for
// the system's code page.
class CodePage {
 public:
  constexpr CodePage() = default;
  constexpr explicit CodePage(unsigned number) : number_(number) {}

  // The number of the code page; for the system's, the one in use right now.
  unsigned Number() const;
  constexpr bool IsSystem() const { return number_ == 0; }
  // The number the conversions pass on: 0 for the system's.
  constexpr unsigned Requested() const { return number_; }

 private:
  unsigned number_ = 0;
};

// UTF-8, which Windows numbers like a code page: the encoding of file names and
// arguments on Linux.
inline constexpr CodePage kUtf8{65001};

// Undecodable bytes become characters as Windows makes them: a byte that is no
// character of its own the character of that number, a lead byte together with
// the byte after it the code page's substitute; in UTF-8 (65001, which Windows
// 10 1903 and later may use as the ANSI code page) a sequence that is no
// character U+FFFD. Throws std::invalid_argument for a code page the platform
// does not know.
std::wstring FromAnsi(std::string_view ansi, CodePage codePage = {});
// Characters the code page cannot represent become its substitute character.
// (Windows first tries a similar-looking character of the code page, such as
// "e" for "é" in 932; elsewhere every such character becomes "?".) UTF-8
// represents every character; a lone surrogate becomes U+FFFD.
std::string ToAnsi(std::wstring_view text, CodePage codePage = {});

// The lower-case form of Unicode text, for comparing names without regard to
// letter case the way the registry does.
std::wstring FoldCase(std::wstring_view text);
// The number of UTF-16 units the text takes, the unit Windows counts names in.
std::size_t Utf16Length(std::wstring_view text);

// Unicode text as bytes: UTF-8 (for consoles and files), UTF-16LE (the
// registry's own form of text, and that of .reg files). wchar_t is UTF-16 on
// Windows and UTF-32 elsewhere; both give the same bytes.
std::string Utf8(std::wstring_view text);
std::string Utf16Le(std::wstring_view text);
// UTF-16LE bytes as Unicode text: a pair of surrogates is one character, a
// lone surrogate stays as it is, an odd last byte is no character.
std::wstring FromUtf16Le(std::string_view bytes);

}  // namespace nw
