// The start-up's questions about administrator rights, answered by Windows.
#pragma once

#include <windows.h>
// (after windows.h, which it needs)
#include <shellapi.h>

#include "platform/Elevation.h"

namespace nw {

// How an elevated program is started: ShellExecuteExW.
using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);

class Win32Elevation final : public ElevationSystem {
 public:
  // Starts elevated programs through `shellExecuteEx` (tests pass their own);
  // by default through shell32's, loaded from the system folder only when a
  // program is started (the program imports no shell library).
  explicit Win32Elevation(ShellExecuteExFunction shellExecuteEx = nullptr)
      : shellExecuteEx_(shellExecuteEx) {}

  // From the token's TokenElevation and TokenElevationType.
  TokenRights Rights() override;
  std::optional<std::wstring> FullPath(const std::wstring& path) override;
  std::optional<std::wstring> DosDeviceTarget(const std::wstring& drive) override;
  // Through mpr.dll, loaded from the system folder when first asked.
  std::optional<std::wstring> UniversalName(const std::wstring& drivePath) override;
  std::wstring ProgramPath() override;
  // Verb "runas", shown normally, no error message of the shell's own; COM on
  // this thread for the call, as the shell may need it. Waits for the program
  // with no window of its own to keep answering.
  ElevatedRun RunElevated(const std::wstring& file, const std::wstring& parameters) override;

 private:
  ShellExecuteExFunction shellExecuteEx_;
};

}  // namespace nw
