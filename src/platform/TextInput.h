// Sequential input of an ANSI text file, one line at a time. A line ends at
// CR LF or at a lone CR; a lone LF belongs to the line's text.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace nw {

#ifdef _WIN32
// The path in the form Windows takes beyond MAX_PATH characters (\\?\ before
// it), made absolute first; the path as it was when it needs no such form.
std::wstring LongPathForm(const std::wstring& path);
#endif

class TextInput {
 public:
  // Opens a regular file for reading; nothing when it cannot be opened or is
  // not a file on a disk (a pipe, a device). On Windows the open lets no pipe
  // server act in this program's name, and paths longer than MAX_PATH work.
  static std::optional<TextInput> Open(const std::wstring& path);
  // Reads from a stream opened elsewhere, and closes it in the end.
  explicit TextInput(std::FILE* stream) : file_(stream) {}

  // True when no byte is left to read.
  bool AtEnd();
  // Reads the next line without its line end, if it has at most `limit` bytes:
  // a longer line gives nothing, and reading stops at its limit + 1st byte, so
  // memory never grows with the file. Throws std::runtime_error on a read error.
  std::optional<std::string> ReadLine(std::size_t limit);

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
};

}  // namespace nw
