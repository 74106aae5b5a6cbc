#include "platform/TextInput.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <filesystem>
#endif
#include <stdexcept>

#include "platform/AnsiText.h"

namespace nw {

#ifdef _WIN32

std::wstring LongPathForm(const std::wstring& path) {
  if (path.size() < MAX_PATH || path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) return path;
  std::wstring full(32768, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return path;
  full.resize(length);
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share
  return L"\\\\?\\" + full;
}

std::optional<TextInput> TextInput::Open(const std::wstring& path) {
  // A NUL would end the name early and name another file.
  if (path.empty() || path.find(L'\0') != std::wstring::npos) return {};
  // The program runs with administrator rights: a pipe server named on its
  // command line may identify the caller, but never act in its name.
  HANDLE handle = CreateFileW(
      LongPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
      FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  // Only a file on a disk: a pipe or a device (COM1, CON) could block or never end.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return {};
  }
  // From here the C library owns the handle: closing the stream closes it.
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(handle);
    return {};
  }
  std::FILE* stream = _fdopen(descriptor, "rb");
  if (stream == nullptr) {
    _close(descriptor);
    return {};
  }
  return TextInput(stream);
}

#else

std::optional<TextInput> TextInput::Open(const std::wstring& path) {
  // A NUL would end the name early and name another file.
  if (path.find(L'\0') != std::wstring::npos) return {};
  std::error_code error;
  // File names are UTF-8 here; the C library's locale plays no part.
  const std::filesystem::path file(ToAnsi(path, kUtf8));
  if (!std::filesystem::is_regular_file(file, error)) return {};
  std::FILE* stream = std::fopen(file.c_str(), "rb");
  if (stream == nullptr) return {};
  return TextInput(stream);
}

#endif

bool TextInput::AtEnd() {
  int c = std::getc(file_.get());
  if (c == EOF) {
    if (std::ferror(file_.get())) throw std::runtime_error("read error");
    return true;
  }
  std::ungetc(c, file_.get());
  return false;
}

std::optional<std::string> TextInput::ReadLine(std::size_t limit) {
  std::string line;
  for (;;) {
    int c = std::getc(file_.get());
    if (c == EOF) {
      if (std::ferror(file_.get())) throw std::runtime_error("read error");
      return line;
    }
    if (c == '\r') {
      int next = std::getc(file_.get());
      if (next != '\n' && next != EOF) std::ungetc(next, file_.get());
      return line;
    }
    if (line.size() == limit) return std::nullopt;
    line.push_back(static_cast<char>(c));
  }
}

}  // namespace nw
