// Handing a link to the shell. The shell and COM libraries are loaded only
// here, when a link is followed: most runs never follow one, and a program
// that imports them pays for loading them on every start. Once loaded, they
// stay loaded until the program ends.
//
// A program this one starts (the browser or the mail program a link opens)
// would run with this program's rights, administrator's ones where it runs
// elevated. So the link goes to the desktop's shell, which runs with the
// user's own rights in a process of its own and starts that program itself.
#pragma once

#include <string>

namespace nw {

// How far the desktop's shell got with a target.
enum class DesktopOpen {
  Opened,
  // Reached, but it did not open the target: its handler failed, or the
  // shell went away in the middle of the call (Explorer restarting).
  Refused,
  // There is no desktop shell to reach (a replacement shell, a crashed
  // Explorer, no desktop in this session), or COM cannot reach it.
  Unreachable,
};

// What opening a link takes: how to tell whether this process runs elevated,
// the two ways to open a target, and letting the program the link starts come
// to the foreground.
struct ShellOpenFunctions {
  bool (*elevated)() = nullptr;
  // Through the desktop's shell, in its process.
  DesktopOpen (*openThroughDesktop)(const std::string& ansiTarget) = nullptr;
  // ShellExecuteA in this process: whether the shell took it.
  bool (*openHere)(const std::string& ansiTarget) = nullptr;
  // AllowSetForegroundWindow(ASFW_ANY): the browser or mail program the link
  // starts may then come to the front.
  void (*allowForeground)() = nullptr;
};
// Those of this system: elevated per the process token (TokenElevation), the
// desktop reached through its automation object (the ShellWindows object),
// and ShellExecuteA.
ShellOpenFunctions SystemShellOpenFunctions();

// Opens the target with its default action, as ShellExecuteA does with no
// owner, verb, parameters or directory, shown normally. The desktop's shell
// opens it, with the user's own rights; this process opens it itself only
// where that shell cannot be reached at all and this process is not elevated
// (what it starts would be elevated too). A process that cannot tell counts
// as elevated. Returns whether the link was opened; the caller tells the user
// when it was not.
bool ShellOpen(const std::string& ansiTarget,
               const ShellOpenFunctions& functions = SystemShellOpenFunctions());

}  // namespace nw
