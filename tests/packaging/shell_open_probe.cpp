// Opens a file through the shell, as a double-click does, and reports the
// window it brings up: the texts of its controls, one per line (UTF-8), then
// closes it. Exits 0 once a window of the started process showed, 1 when none
// did within 20 seconds, 2 on a wrong command line.
//   shell_open_probe FILE
#include <windows.h>
// (after windows.h, which it needs)
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
  DWORD process;
  HWND window;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || !IsWindowVisible(window)) return TRUE;
  search->window = window;
  return FALSE;
}

BOOL CALLBACK CollectText(HWND child, LPARAM param) {
  // Another process's controls answer WM_GETTEXT; GetWindowText would not ask them.
  wchar_t text[512] = L"";
  DWORD_PTR length = 0;
  SendMessageTimeoutW(child, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                      &length);
  reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(text);
  return TRUE;
}

void PrintUtf8(const std::wstring& line) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  std::printf("%s\n", bytes.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = argv[1];
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info) || info.hProcess == nullptr) {
    std::fprintf(stderr, "ShellExecuteEx failed: %lu\n", GetLastError());
    return 1;
  }
  Search search{GetProcessId(info.hProcess), nullptr};
  for (int i = 0; i < 200 && search.window == nullptr; ++i) {
    Sleep(100);
    EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
  }
  int status = 1;
  if (search.window != nullptr) {
    Sleep(200);  // the window fills its fields before it shows; let it settle
    std::vector<std::wstring> texts;
    wchar_t title[256] = L"";
    GetWindowTextW(search.window, title, 256);
    texts.push_back(title);
    EnumChildWindows(search.window, CollectText, reinterpret_cast<LPARAM>(&texts));
    for (const std::wstring& text : texts) PrintUtf8(text);
    PostMessageW(search.window, WM_CLOSE, 0, 0);
    status = 0;
  }
  if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hProcess);
  std::fflush(stdout);
  return status;
}
