#include "platform/Win32Elevation.h"

#include <objbase.h>
#include <winnetwk.h>

#include <memory>
#include <vector>

#include "platform/ComPtr.h"
#include "platform/Handles.h"
#include "platform/Module.h"

namespace nw {
namespace {

// The longest path Windows takes, in characters, with its end.
constexpr DWORD kLongestPath = 32768;

}  // namespace

TokenRights Win32Elevation::Rights() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return TokenRights::Unknown;
  const UniqueHandle owned(token);
  TOKEN_ELEVATION elevation{};
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) ||
      !GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size))
    return TokenRights::Unknown;
  if (elevation.TokenIsElevated != 0) return TokenRights::Elevated;
  return type == TokenElevationTypeLimited ? TokenRights::Limited : TokenRights::Standard;
}

std::optional<std::wstring> Win32Elevation::FullPath(const std::wstring& path) {
  // The first call gives the length with the end, the second the path without.
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return {};
  full.resize(length);
  return full;
}

std::optional<std::wstring> Win32Elevation::DosDeviceTarget(const std::wstring& drive) {
  // The targets, one after another, each with its end; the first is the current one.
  for (DWORD size = MAX_PATH;; size *= 2) {
    std::vector<wchar_t> targets(size);
    if (QueryDosDeviceW(drive.c_str(), targets.data(), size) != 0) return std::wstring(targets.data());
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size >= kLongestPath) return {};
  }
}

std::optional<std::wstring> Win32Elevation::UniversalName(const std::wstring& drivePath) {
  using WNetGetUniversalNameFn = DWORD(WINAPI*)(LPCWSTR, DWORD, LPVOID, LPDWORD);
  const auto getUniversalName =
      FindFunction<WNetGetUniversalNameFn>(LoadSystemLibrary(L"mpr.dll"), "WNetGetUniversalNameW");
  if (getUniversalName == nullptr) return {};
  // The buffer holds the structure and the name it points to; when it is too
  // small the call says how large it must be.
  DWORD size = sizeof(UNIVERSAL_NAME_INFOW) + MAX_PATH * sizeof(wchar_t);
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::vector<unsigned char> buffer(size);
    const DWORD result = getUniversalName(drivePath.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
    if (result == ERROR_MORE_DATA) continue;
    if (result != NO_ERROR) return {};
    const auto* info = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buffer.data());
    if (info->lpUniversalName == nullptr) return {};
    return std::wstring(info->lpUniversalName);
  }
  return {};
}

std::wstring Win32Elevation::ProgramPath() {
  for (DWORD size = MAX_PATH; size <= kLongestPath; size *= 2) {
    std::wstring path(size, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
    if (length == 0) return {};
    // A path cut short fills the buffer.
    if (length < size) {
      path.resize(length);
      return path;
    }
  }
  return {};
}

ElevatedRun Win32Elevation::RunElevated(const std::wstring& file, const std::wstring& parameters) {
  const ShellExecuteExFunction shellExecuteEx =
      shellExecuteEx_ != nullptr
          ? shellExecuteEx_
          : FindFunction<ShellExecuteExFunction>(LoadSystemLibrary(L"shell32.dll"), "ShellExecuteExW");
  if (shellExecuteEx == nullptr) return {};
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // The process handle, to wait for; no return before the start is done. No
  // SEE_MASK_FLAG_NO_UI: the prompt is the one thing the call must show.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  BOOL started = FALSE;
  DWORD error = ERROR_SUCCESS;
  {
    // Only for the call: a thread of a single-threaded apartment that waits
    // without answering messages could hold up another program's broadcast.
    const ComApartment com;
    started = shellExecuteEx(&info);
    if (!started) error = GetLastError();
  }
  if (!started) {
    ElevatedRun run;
    run.outcome =
        error == ERROR_CANCELLED ? ElevatedRun::Outcome::Declined : ElevatedRun::Outcome::NotStarted;
    return run;
  }
  ElevatedRun run;
  run.outcome = ElevatedRun::Outcome::Exited;
  // Started through something other than a new process: nothing to wait for.
  if (info.hProcess == nullptr) return run;
  const UniqueHandle process(info.hProcess);
  DWORD exitCode = 0;
  if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.get(), &exitCode))
    exitCode = 1;  // never 0, which would say all went well
  run.exitCode = exitCode;
  return run;
}

}  // namespace nw
