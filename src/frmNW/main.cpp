// The program starts as its main window and ends when that window is gone.
#include <windows.h>
// (after windows.h, which it needs)
#include <commctrl.h>

#include <cstdlib>

#include "EasyReg/Win32Registry.h"
#include "frmNW/frmNW.h"
#include "platform/DllSearch.h"
#include "platform/Win32Elevation.h"
#include "platform/Win32Services.h"
#include "platform/Win32ShellNotifier.h"

// The library's default terminate handler prints the demangled type of the
// exception on the console, which pulls a whole demangler into the program. A
// windowed program has no console to print on: ending at once is all it needs.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  nw::RestrictDllSearch();
  // Started without administrator rights by a user who can have them, the
  // program runs as an elevated copy of itself and ends as that copy ends.
  nw::Win32Elevation elevation;
  const nw::Start start =
      nw::StartWithRights(nw::Win32CommandLine().ArgumentText(), elevation, nw::SettingsPath);
  if (start.exitStatus) return *start.exitStatus;

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  nw::FixedCommandLine commandLine(start.argumentText);
  nw::Win32MessageBox messageBox;
  nw::Win32Clipboard clipboard;
  nw::Win32Program program;
  nw::Win32Registry registry;
  nw::Win32ShellNotifier shell;
  const nw::Platform platform{commandLine, messageBox, clipboard, program, &shell};

  return nw::RunMainWindow(instance, platform, registry, [&](HWND window) {
    messageBox.SetOwner(window);
    clipboard.SetOwner(window);
  });
}
