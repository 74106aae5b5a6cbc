// Conversion between the program's Unicode text and the system's ANSI code page.
// On Windows this is the active code page; elsewhere Latin-1 stands in for it.
#pragma once

#include <string>
#include <string_view>

namespace nw {

std::wstring FromAnsi(std::string_view ansi);
// Characters the code page cannot represent become its substitute character.
std::string ToAnsi(std::wstring_view text);

}  // namespace nw
