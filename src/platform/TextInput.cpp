#include "platform/TextInput.h"

#include <filesystem>
#include <stdexcept>

namespace nw {

std::optional<TextInput> TextInput::Open(const std::wstring& path) {
  std::error_code error;
  std::filesystem::path file;
  try {
    file = std::filesystem::path(path);
  } catch (const std::exception&) {
    return {};  // not representable as a file name here
  }
  if (!std::filesystem::is_regular_file(file, error)) return {};
#ifdef _WIN32
  std::FILE* stream = _wfopen(file.c_str(), L"rb");
#else
  std::FILE* stream = std::fopen(file.c_str(), "rb");
#endif
  if (stream == nullptr) return {};
  return TextInput(stream);
}

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
