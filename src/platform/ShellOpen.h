// Handing a link to the shell. The shell and COM libraries are loaded only
// here, when a link is followed: most runs never follow one, and a program
// that imports them pays for loading them on every start. Once loaded, they
// stay loaded until the program ends.
//
// The program runs with administrator rights, and a program it starts (the
// browser or the mail program a link opens) would run with them too. So where
// it runs elevated, the link goes to the desktop's shell, which runs with the
// user's own rights in a process of its own and starts that program itself.
#pragma once

#include <string>

namespace nw {

// What opening a link takes: how to tell whether this process runs elevated,
// and the two ways to open a target, each telling whether the shell took it.
struct ShellOpenFunctions {
  bool (*elevated)() = nullptr;
  // Through the desktop's shell, in its process: false also where there is no
  // such shell or any step of reaching it fails.
  bool (*openThroughDesktop)(const std::string& ansiTarget) = nullptr;
  // ShellExecuteA in this process.
  bool (*openHere)(const std::string& ansiTarget) = nullptr;
};
// Those of this system: elevated per the process token (TokenElevation), the
// desktop reached through its automation object (the ShellWindows object),
// and ShellExecuteA.
ShellOpenFunctions SystemShellOpenFunctions();

// Opens the target with its default action, as ShellExecuteA does with no
// owner, verb, parameters or directory, shown normally: through the desktop's
// shell where this process runs elevated, and here where it does not or the
// desktop's shell cannot be reached or does not take it. Returns whether the
// shell took it.
bool ShellOpen(const std::string& ansiTarget,
               const ShellOpenFunctions& functions = SystemShellOpenFunctions());

}  // namespace nw
