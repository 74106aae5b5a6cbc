#include "platform/TextInput.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <filesystem>
#endif
#include <stdexcept>

#include "platform/AnsiText.h"

namespace nw {

#ifdef _WIN32

std::optional<TextInput> TextInput::Open(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {};
  std::FILE* stream = _wfopen(path.c_str(), L"rb");
  if (stream == nullptr) return {};
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
