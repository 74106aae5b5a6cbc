// Stands in for the program a link opens, to tell who started it: it writes
// the file name of the program that created it (UTF-16) to a file named as
// itself with ".parent" added.
#include <windows.h>
// (after windows.h, which it needs)
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace {

std::vector<PROCESSENTRY32W> Processes() {
  std::vector<PROCESSENTRY32W> processes;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return processes;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    processes.push_back(entry);
  }
  CloseHandle(snapshot);
  return processes;
}

std::wstring ParentProgram() {
  const std::vector<PROCESSENTRY32W> processes = Processes();
  DWORD parent = 0;
  for (const PROCESSENTRY32W& process : processes) {
    if (process.th32ProcessID == GetCurrentProcessId()) parent = process.th32ParentProcessID;
  }
  for (const PROCESSENTRY32W& process : processes) {
    if (parent != 0 && process.th32ProcessID == parent) return process.szExeFile;
  }
  return {};
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 2;
  const std::wstring parent = ParentProgram();
  // Written under another name and then renamed, so a reader never sees half of it.
  const std::wstring log = std::wstring(self) + L".parent", partial = log + L".partial";
  HANDLE file =
      CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const DWORD size = static_cast<DWORD>(parent.size() * sizeof(wchar_t));
  DWORD written = 0;
  const BOOL wrote = WriteFile(file, parent.data(), size, &written, nullptr);
  CloseHandle(file);
  return wrote && written == size && MoveFileExW(partial.c_str(), log.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0
                                                                                                          : 1;
}
