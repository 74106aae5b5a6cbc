// Administrator rights at start-up. The program asks for none in its manifest:
// started without them by a user who can have them, it starts a copy of itself
// elevated, waits for it and ends as it ends. That copy runs in another logon
// session, where the drives the user mapped and `subst` drives do not exist, so
// it is given the file by a name that session can open: the full path, its
// drive replaced by the share (a mapped drive) or the folder (a subst drive) it
// stands for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nw {

// Exit status of the program when the user declines the prompt for administrator rights.
inline constexpr int kExitElevationDeclined = 3;

// What the process's token says about administrator rights.
enum class TokenRights {
  // The rights are there: the token is elevated (started from an administrator's
  // prompt, or an administrator's token where UAC is off).
  Elevated,
  // An administrator's filtered token, the other half of a split token: a
  // prompt for consent gives the rights.
  Limited,
  // A standard user's token, which has no elevated half: where UAC is on, a
  // prompt for an administrator's password gives the rights; where it is off,
  // nothing does, and an elevated start starts the program as the user.
  Standard,
  // The token could not be read.
  Unknown,
};

// How an elevated start of a program went.
struct ElevatedRun {
  enum class Outcome {
    Exited,      // it ran and ended with exitCode
    Declined,    // the user declined the prompt (ERROR_CANCELLED)
    NotStarted,  // it could not be started for another reason
  };
  Outcome outcome = Outcome::NotStarted;
  std::uint32_t exitCode = 0;
};

// What the start-up asks of the system. Win32Elevation is Windows' own; tests
// put doubles in its place, since the split token is Windows' alone.
class ElevationSystem {
 public:
  virtual ~ElevationSystem() = default;
  virtual TokenRights Rights() = 0;
  // The path made absolute (GetFullPathNameW); nothing when it cannot be.
  virtual std::optional<std::wstring> FullPath(const std::wstring& path) = 0;
  // What a drive ("Z:") stands for: the current target of the DOS device
  // (QueryDosDeviceW), "\??\C:\dir" for a subst drive; nothing when unknown.
  virtual std::optional<std::wstring> DosDeviceTarget(const std::wstring& drive) = 0;
  // The UNC name of a path on a drive the user mapped to a share
  // (WNetGetUniversalNameW); nothing for any other drive.
  virtual std::optional<std::wstring> UniversalName(const std::wstring& drivePath) = 0;
  // The full path of this program's own file.
  virtual std::wstring ProgramPath() = 0;
  // Starts the program elevated with the parameters (ShellExecuteExW with the
  // verb "runas") and waits for it to end.
  virtual ElevatedRun RunElevated(const std::wstring& file, const std::wstring& parameters) = 0;
};

// The path as another logon session of the same user can open it: absolute,
// with a subst drive replaced by its target (again, where that is a drive) and
// a mapped drive by its share. Where a step cannot be taken, the path is passed
// on as far as it got, and as given where it cannot be made absolute.
std::wstring PathForElevatedSession(const std::wstring& path, ElevationSystem& system);

// The command-line text of the elevated copy for a file: a mark that it was
// started so, which keeps it from starting yet another copy, and the path in
// double quotes. No file name holds a double quote, so no path reads as this.
std::wstring ElevatedCopyArguments(const std::wstring& path);

// How the program goes on.
struct Start {
  // Set when this process is done, with the status it ends with: the elevated
  // copy's, or kExitElevationDeclined.
  std::optional<int> exitStatus;
  // Otherwise the command-line text its window reads the file from.
  std::wstring argumentText;
};

// Decides whether the program runs here or in an elevated copy, and starts and
// waits for that copy. It runs here, with the text as given, when it runs
// elevated already, when nothing is named (the window then tells the user so,
// without a prompt first), when it is itself such a copy (the mark taken off),
// when the token cannot be read, and when the copy cannot be started; a command
// that needs the rights then fails with the window's error report. The file's
// path is read from the text by `pathOf` (the settings reader's rule).
Start StartWithRights(const std::wstring& argumentText, ElevationSystem& system,
                      std::wstring (*pathOf)(const std::wstring& argumentText));

}  // namespace nw
