// Windows' answers to the start-up's questions, as far as Wine shows them:
// every process runs elevated there and no drive belongs to a logon session,
// so the choice itself is tested through the seam (ElevationTest.cpp); here
// the token, full paths, a subst drive's target, a local drive, and the
// elevated start as handed to ShellExecuteExW.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "NW_Core/NW_Core.h"
#include "platform/Win32Elevation.h"

namespace nw::test {
namespace {

namespace fs = std::filesystem;

// A folder of the test's own, the current folder while it lives.
class CurrentFolder {
 public:
  CurrentFolder() : previous_(fs::current_path()) {
    path_ = fs::temp_directory_path() / ("nw-elevation-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(path_);
    fs::current_path(path_);
  }
  ~CurrentFolder() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(path_, ignored);
  }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path previous_, path_;
};

// What ShellExecuteExW was handed, and what it answers.
struct ShellCall {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  std::wstring verb, file, parameters;
  bool directoryGiven;
  int nShow;
};
std::vector<ShellCall> g_shellCalls;
DWORD g_shellError = ERROR_SUCCESS;  // the call fails with it, when set
HANDLE g_startedProcess = nullptr;   // else hands this out as the started program

std::wstring TextOf(const wchar_t* text) {
  return text != nullptr ? text : L"(null)";
}

BOOL WINAPI RecordingShellExecuteEx(SHELLEXECUTEINFOW* info) {
  g_shellCalls.push_back({info->cbSize, info->fMask, info->hwnd, TextOf(info->lpVerb), TextOf(info->lpFile),
                          TextOf(info->lpParameters), info->lpDirectory != nullptr, info->nShow});
  if (g_shellError != ERROR_SUCCESS) {
    SetLastError(g_shellError);
    return FALSE;
  }
  info->hProcess = g_startedProcess;
  return TRUE;
}

// A process that ends with `code`, and its handle.
HANDLE StartProcessEndingWith(DWORD code) {
  std::wstring commandLine = L"cmd.exe /c exit " + std::to_wstring(code);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process))
    return nullptr;
  CloseHandle(process.hThread);
  return process.hProcess;
}

// The token says what Wine's do: elevated, so a start with a file runs here.
TEST(Win32Elevation, UnderWineTheTokenIsElevatedAndTheProgramRunsAtOnce) {
  g_shellCalls.clear();
  Win32Elevation system(RecordingShellExecuteEx);
  EXPECT_EQ(system.Rights(), TokenRights::Elevated);
  const Start start = StartWithRights(L"\"C:\\tools\\admin.nwk\"", system, SettingsPath);
  EXPECT_FALSE(start.exitStatus.has_value());
  EXPECT_EQ(start.argumentText, L"\"C:\\tools\\admin.nwk\"");
  EXPECT_TRUE(g_shellCalls.empty());
}

TEST(Win32Elevation, FullPathsOfRelativePathsAndPathsOverMaxPath) {
  const CurrentFolder folder;
  const std::wstring here = folder.path().wstring();
  const std::wstring deep = std::wstring(120, L'a') + L"\\" + std::wstring(120, L'b') + L"\\tools.nwk";
  Win32Elevation system;
  EXPECT_EQ(system.FullPath(L"tools.nwk"), here + L"\\tools.nwk");
  EXPECT_EQ(system.FullPath(L"sub\\..\\tools.nwk"), here + L"\\tools.nwk");
  const std::optional<std::wstring> full = system.FullPath(deep);
  EXPECT_EQ(full, here + L"\\" + deep);
  EXPECT_GT(full.value_or(L"").size(), static_cast<std::size_t>(MAX_PATH));
  EXPECT_EQ(system.FullPath(L"\\\\server\\share\\tools.nwk"), L"\\\\server\\share\\tools.nwk");
}

// A drive letter no drive has, from M on.
std::wstring FreeDrive() {
  const DWORD used = GetLogicalDrives();
  for (wchar_t letter = L'M'; letter < L'Z'; ++letter)
    if ((used & (1u << (letter - L'A'))) == 0) return std::wstring(1, letter) + L":";
  return {};
}

// A drive made as `subst` makes one (DefineDosDeviceW): its target is the
// folder, and a path on it becomes the path in that folder, which opens.
// Wine's files do not follow such a drive, so the file is reached through the
// folder only (and Wine 8's own subst.exe makes no drive at all).
TEST(Win32Elevation, ASubstDriveBecomesTheFolderItStandsFor) {
  const CurrentFolder folder;
  const std::wstring target = folder.path().wstring();
  fs::create_directories(folder.path() / "sub");
  std::ofstream(folder.path() / "sub" / "tools.nwk") << "magic\r\n";
  const std::wstring drive = FreeDrive();
  ASSERT_FALSE(drive.empty());
  ASSERT_TRUE(DefineDosDeviceW(0, drive.c_str(), target.c_str()));
  Win32Elevation system;
  const std::optional<std::wstring> device = system.DosDeviceTarget(drive);
  const std::wstring converted = PathForElevatedSession(drive + L"\\sub\\tools.nwk", system);
  DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, drive.c_str(), target.c_str());

  EXPECT_EQ(device, L"\\??\\" + target);
  EXPECT_EQ(converted, target + L"\\sub\\tools.nwk");
  EXPECT_TRUE(fs::is_regular_file(converted));
  EXPECT_EQ(system.DosDeviceTarget(drive), std::nullopt);
}

// A local drive is no subst drive and no network drive: the full path stays.
TEST(Win32Elevation, APathOnALocalDriveStaysAsItIs) {
  const CurrentFolder folder;
  const std::wstring drive = folder.path().wstring().substr(0, 2);
  Win32Elevation system;
  const std::optional<std::wstring> device = system.DosDeviceTarget(drive);
  ASSERT_TRUE(device.has_value());
  EXPECT_FALSE(device->starts_with(L"\\??\\")) << *device;
  EXPECT_EQ(system.UniversalName(drive + L"\\"), std::nullopt);
  EXPECT_EQ(PathForElevatedSession(L"tools.nwk", system), folder.path().wstring() + L"\\tools.nwk");
}

TEST(Win32Elevation, TheElevatedStartAsksTheShellForRunasAndEndsAsTheProgramEnds) {
  struct Case {
    const char* name;
    DWORD shellError;
    bool process;    // the shell hands back a process
    DWORD exitCode;  // with which it ends
    ElevatedRun expected;
  };
  const Case cases[] = {
      {"it ends well", ERROR_SUCCESS, true, 0, {ElevatedRun::Outcome::Exited, 0}},
      {"it ends with a status", ERROR_SUCCESS, true, 42, {ElevatedRun::Outcome::Exited, 42}},
      {"started with no process to wait for", ERROR_SUCCESS, false, 0, {ElevatedRun::Outcome::Exited, 0}},
      {"the prompt declined", ERROR_CANCELLED, false, 0, {ElevatedRun::Outcome::Declined, 0}},
      {"the program missing", ERROR_FILE_NOT_FOUND, false, 0, {ElevatedRun::Outcome::NotStarted, 0}},
  };
  const std::wstring file = L"C:\\Program Files\\Nookwayer\\nookwayer.exe";
  const std::wstring parameters = L"--elevated \"\\\\fileserver\\tools\\my tools.nwk\"";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_shellCalls.clear();
    g_shellError = c.shellError;
    g_startedProcess = c.process ? StartProcessEndingWith(c.exitCode) : nullptr;
    if (c.process) {
      ASSERT_NE(g_startedProcess, nullptr);
    }
    const ElevatedRun run = Win32Elevation(RecordingShellExecuteEx).RunElevated(file, parameters);
    EXPECT_EQ(run.outcome, c.expected.outcome);
    EXPECT_EQ(run.exitCode, c.expected.exitCode);
    ASSERT_EQ(g_shellCalls.size(), 1u);
    const ShellCall& call = g_shellCalls[0];
    EXPECT_EQ(call.cbSize, sizeof(SHELLEXECUTEINFOW));
    EXPECT_NE(call.fMask & SEE_MASK_NOCLOSEPROCESS, 0u);
    // No flag that would keep the shell from showing the prompt.
    EXPECT_EQ(call.fMask & SEE_MASK_FLAG_NO_UI, 0u);
    EXPECT_EQ(call.hwnd, nullptr);
    EXPECT_EQ(call.verb, L"runas");
    EXPECT_EQ(call.file, file);
    EXPECT_EQ(call.parameters, parameters);
    EXPECT_FALSE(call.directoryGiven);
    EXPECT_EQ(call.nShow, SW_SHOWNORMAL);
  }
  g_shellError = ERROR_SUCCESS;
  g_startedProcess = nullptr;
}

// Where the token is a limited one, the start hands the shell this program's
// own file and the file's full path, quoted after the mark of the copy.
class LimitedToken final : public ElevationSystem {
 public:
  explicit LimitedToken(Win32Elevation& system) : system_(system) {}
  TokenRights Rights() override { return TokenRights::Limited; }
  std::optional<std::wstring> FullPath(const std::wstring& path) override { return system_.FullPath(path); }
  std::optional<std::wstring> DosDeviceTarget(const std::wstring& drive) override {
    return system_.DosDeviceTarget(drive);
  }
  std::optional<std::wstring> UniversalName(const std::wstring& drivePath) override {
    return system_.UniversalName(drivePath);
  }
  std::wstring ProgramPath() override { return system_.ProgramPath(); }
  ElevatedRun RunElevated(const std::wstring& file, const std::wstring& parameters) override {
    return system_.RunElevated(file, parameters);
  }

 private:
  Win32Elevation& system_;
};

TEST(Win32Elevation, WithALimitedTokenTheShellGetsThisProgramAndTheFullPathQuoted) {
  const CurrentFolder folder;
  wchar_t self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  g_shellCalls.clear();
  g_shellError = ERROR_SUCCESS;
  g_startedProcess = StartProcessEndingWith(7);
  ASSERT_NE(g_startedProcess, nullptr);
  Win32Elevation windows(RecordingShellExecuteEx);
  LimitedToken system(windows);
  const Start start = StartWithRights(L"\"my tools.nwk\"", system, SettingsPath);
  g_startedProcess = nullptr;
  EXPECT_EQ(start.exitStatus, 7);
  ASSERT_EQ(g_shellCalls.size(), 1u);
  EXPECT_EQ(g_shellCalls[0].verb, L"runas");
  EXPECT_EQ(g_shellCalls[0].file, self);
  EXPECT_EQ(g_shellCalls[0].parameters, L"--elevated \"" + folder.path().wstring() + L"\\my tools.nwk\"");
}

// Wine's own shell starts a program for the verb "runas" and hands back its process.
TEST(Win32Elevation, WinesShellStartsTheProgramForRunasAndTheExitCodeComesBack) {
  wchar_t system32[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(system32, MAX_PATH), 0u);
  const ElevatedRun run = Win32Elevation().RunElevated(std::wstring(system32) + L"\\cmd.exe", L"/c exit 5");
  EXPECT_EQ(run.outcome, ElevatedRun::Outcome::Exited);
  EXPECT_EQ(run.exitCode, 5u);
}

}  // namespace
}  // namespace nw::test
