#include "support/Processes.h"

namespace nw::test {

std::wstring NativeSystemProgram(const std::wstring& name) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  return (wow64 ? L"C:\\windows\\sysnative\\" : L"C:\\windows\\system32\\") + name;
}

DWORD RunAndWait(const std::wstring& program, std::wstring commandLine, DWORD timeoutMs) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return GetLastError() | 0x80000000u;
  WaitForSingleObject(process.hProcess, timeoutMs);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

}  // namespace nw::test
