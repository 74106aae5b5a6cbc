// Stands in for a mail program or a web browser in the end-to-end tests: it
// appends its command line, exactly as it was started, to a file named as
// itself with ".log" added, one UTF-8 line per start. Whoever starts it (the
// program, or the desktop's shell for it), the log is found in the same place.
#include <windows.h>

#include <string>

namespace {

class File {
 public:
  explicit File(const wchar_t* path)
      : handle_(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~File() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // One write, so that lines of recorders started together do not mix.
  bool Append(const std::string& bytes) {
    DWORD written = 0;
    return handle_ != INVALID_HANDLE_VALUE &&
           WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
  }

 private:
  HANDLE handle_;
};

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string utf8(static_cast<std::size_t>(size - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 2;
  File log((std::wstring(self) + L".log").c_str());
  return log.Append(Utf8(GetCommandLineW()) + "\n") ? 0 : 1;
}
