// Libraries beside the program are not loaded once the search is restricted.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/DllSearch.h"

namespace nw::test {
namespace {

// Runs the probe, which lies beside a planted library, and gives its exit status.
DWORD RunProbe(const std::wstring& argument) {
  std::wstring commandLine = L"\"" + std::wstring(NW_DLL_SEARCH_PROBE) + L"\" " + argument;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return 0xFFFFFFFF;
  WaitForSingleObject(process.hProcess, 30000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

// Only a load by bare name with the search unrestricted finds it; a library
// asked for as a system one never does.
TEST(DllSearch, ALibraryBesideTheProgramIsLoadedOnlyWithTheSearchUnrestricted) {
  const struct {
    const wchar_t* mode;
    DWORD status;
  } runs[] = {{L"plain", 0}, {L"restrict", 1}, {L"system", 1}};
  for (const auto& run : runs)
    EXPECT_EQ(RunProbe(run.mode), run.status) << testing::PrintToString(std::wstring(run.mode));
}

// What each system offers, and what is called.
std::vector<std::wstring> calls;
BOOL WINAPI SetDefaultRecorded(DWORD flags) {
  calls.push_back(L"SetDefaultDllDirectories " + std::to_wstring(flags));
  return TRUE;
}
BOOL WINAPI SetDefaultRefused(DWORD flags) {
  calls.push_back(L"SetDefaultDllDirectories " + std::to_wstring(flags) + L" refused");
  return FALSE;
}
BOOL WINAPI SetDllDirectoryRecorded(LPCWSTR path) {
  calls.push_back(L"SetDllDirectory \"" + std::wstring(path) + L"\"");
  return TRUE;
}

TEST(DllSearch, WithoutTheWindows8FunctionTheCurrentFolderIsTakenOut) {
  struct Case {
    const char* name;
    DllSearchFunctions functions;
    bool systemOnly;
    std::vector<std::wstring> calls;
  };
  const Case cases[] = {
      {"Windows 8 and later, or 7 with KB2533623",
       {SetDefaultRecorded, SetDllDirectoryRecorded},
       true,
       {L"SetDefaultDllDirectories 2048"}},
      {"Windows 7 without it", {nullptr, SetDllDirectoryRecorded}, false, {L"SetDllDirectory \"\""}},
      {"the function refuses",
       {SetDefaultRefused, SetDllDirectoryRecorded},
       false,
       {L"SetDefaultDllDirectories 2048 refused", L"SetDllDirectory \"\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    calls.clear();
    EXPECT_EQ(RestrictDllSearch(c.functions), c.systemOnly);
    EXPECT_EQ(calls, c.calls);
  }
}

}  // namespace
}  // namespace nw::test
