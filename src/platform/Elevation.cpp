#include "platform/Elevation.h"

namespace nw {
namespace {

// What the elevated copy's command line starts with.
constexpr std::wstring_view kCopyMark = L"--elevated ";
// The NT form of a DOS path ("\??\C:\dir"), and the Win32 form that passes a
// path on unparsed ("\\?\C:\dir"); either names UNC paths as "UNC\server\share".
constexpr std::wstring_view kNtPrefix = L"\\??\\", kVerbatimPrefix = L"\\\\?\\", kUncInPrefix = L"UNC\\";
// A subst drive may stand for a folder on another subst drive: a few steps
// follow such a chain, and a drive that stands for itself ends it.
constexpr int kMostDriveSteps = 8;

bool IsAsciiLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// "X:" alone or before a backslash.
bool StartsWithDrive(std::wstring_view path) {
  return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == L':' &&
         (path.size() == 2 || path[2] == L'\\');
}

std::wstring WithoutTrailingBackslashes(std::wstring path) {
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

// A DOS device's target in the NT form as a Win32 path: "\??\C:\dir" is
// "C:\dir", "\??\UNC\server\share" is "\\server\share", any other such name
// ("\??\Volume{...}\") goes through unparsed. Nothing for a target of another
// kind: a disk, or a mapped drive's redirector.
std::optional<std::wstring> Win32FormOf(std::wstring_view target) {
  if (!target.starts_with(kNtPrefix)) return {};
  const std::wstring_view rest = target.substr(kNtPrefix.size());
  if (StartsWithDrive(rest)) return std::wstring(rest);
  if (rest.starts_with(kUncInPrefix)) return L"\\\\" + std::wstring(rest.substr(kUncInPrefix.size()));
  return std::wstring(kVerbatimPrefix) + std::wstring(rest);
}

// A full path on a drive, its drive replaced by what it stands for.
std::wstring ResolveDrives(std::wstring path, ElevationSystem& system) {
  for (int step = 0; step < kMostDriveSteps && StartsWithDrive(path); ++step) {
    const std::wstring drive = path.substr(0, 2), rest = path.substr(2);
    if (const std::optional<std::wstring> target = system.DosDeviceTarget(drive)) {
      if (const std::optional<std::wstring> folder = Win32FormOf(*target)) {
        std::wstring next = WithoutTrailingBackslashes(*folder) + rest;
        if (next == path) break;
        path = std::move(next);
        continue;
      }
    }
    if (const std::optional<std::wstring> share = system.UniversalName(drive + L"\\"))
      path = WithoutTrailingBackslashes(*share) + rest;
    break;
  }
  return path;
}

}  // namespace

std::wstring PathForElevatedSession(const std::wstring& path, ElevationSystem& system) {
  const std::optional<std::wstring> full = system.FullPath(path);
  if (!full || full->empty()) return path;
  // "\\?\X:\..." keeps its prefix: a drive that becomes a share becomes "\\?\UNC\server\share\...".
  if (std::wstring_view(*full).starts_with(kVerbatimPrefix) &&
      StartsWithDrive(std::wstring_view(*full).substr(kVerbatimPrefix.size()))) {
    const std::wstring resolved = ResolveDrives(full->substr(kVerbatimPrefix.size()), system);
    if (resolved.starts_with(kVerbatimPrefix)) return resolved;
    if (resolved.starts_with(L"\\\\"))
      return std::wstring(kVerbatimPrefix) + std::wstring(kUncInPrefix) + resolved.substr(2);
    return std::wstring(kVerbatimPrefix) + resolved;
  }
  return ResolveDrives(*full, system);
}

std::wstring ElevatedCopyArguments(const std::wstring& path) {
  return std::wstring(kCopyMark) + L"\"" + path + L"\"";
}

Start StartWithRights(const std::wstring& argumentText, ElevationSystem& system,
                      std::wstring (*pathOf)(const std::wstring& argumentText)) {
  const Start here{{}, argumentText};
  // A copy started elevated never starts another, whatever its token says.
  if (std::wstring_view(argumentText).starts_with(kCopyMark))
    return Start{{}, argumentText.substr(kCopyMark.size())};
  // Without a file there is only the message to show: no prompt for that.
  if (argumentText.empty()) return here;
  const TokenRights rights = system.Rights();
  if (rights != TokenRights::Limited && rights != TokenRights::Standard) return here;

  const std::wstring program = system.ProgramPath();
  if (program.empty()) return here;
  const std::wstring path = PathForElevatedSession(pathOf(argumentText), system);
  const ElevatedRun run = system.RunElevated(program, ElevatedCopyArguments(path));
  switch (run.outcome) {
    case ElevatedRun::Outcome::Exited: return Start{static_cast<int>(run.exitCode), {}};
    case ElevatedRun::Outcome::Declined: return Start{kExitElevationDeclined, {}};
    case ElevatedRun::Outcome::NotStarted: break;
  }
  return here;
}

}  // namespace nw
