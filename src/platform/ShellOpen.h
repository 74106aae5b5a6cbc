// Handing a link to the shell. The shell and COM libraries are loaded only
// here, when a link is followed: most runs never follow one, and a program
// that imports them pays for loading them on every start. Once loaded, they
// stay loaded until the program ends.
#pragma once

#include <string>

namespace nw {

// Opens the target with its default action (ShellExecuteA: no owner, verb,
// parameters or directory; shown normally). Returns whether the shell took it.
bool ShellOpen(const std::string& ansiTarget);

}  // namespace nw
