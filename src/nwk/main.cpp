// nwk's entry point: the arguments in, the output and the exit status out.
#include <cstdio>
#include <memory>

#include "nwk/Nwk.h"
#include "platform/AnsiText.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>

#include "EasyReg/Win32Registry.h"
#include "nwk/Win32Installer.h"
#include "platform/DllSearch.h"
#include "platform/Win32ShellNotifier.h"

namespace {

// A console shows the bytes it is given in its own code page, so text goes to
// it as UTF-16 through WriteConsoleW instead: every name shows as it is.
class ConsoleStream final : public nw::nwk::OutputStream {
 public:
  explicit ConsoleStream(HANDLE console) : console_(console) {}
  bool Write(const std::string& bytes, nw::nwk::Encoding encoding) override {
    std::wstring text;
    if (encoding == nw::nwk::Encoding::Utf16Le) {
      for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    } else {
      text = nw::FromAnsi(bytes, nw::kUtf8);
    }
    if (!text.empty() && text.front() == L'\uFEFF') text.erase(0, 1);  // a byte order mark is no text
    // WriteConsoleW counts characters, and may take fewer than it is given.
    for (std::size_t done = 0; done < text.size();) {
      const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
      DWORD written = 0;
      if (!WriteConsoleW(console_, text.data() + done, chunk, &written, nullptr) || written == 0)
        return false;
      done += written;
    }
    return true;
  }

 private:
  HANDLE console_;
};

// A file or a pipe gets text as Windows tools read it: lines ending in CR LF,
// in the console's output code page (which "chcp" sets: "chcp 65001" makes it
// UTF-8), or the OEM code page a console would have where there is none. A
// character the code page lacks becomes "?", never a look-alike. A .reg file
// (export without -o) goes as its own bytes.
class RedirectedStream final : public nw::nwk::OutputStream {
 public:
  explicit RedirectedStream(std::FILE* file) : bytes_(file) {}
  bool Write(const std::string& bytes, nw::nwk::Encoding encoding) override {
    if (encoding == nw::nwk::Encoding::Utf16Le) return bytes_.Write(bytes, encoding);
    return bytes_.Write(Encode(WithCrLf(nw::FromAnsi(bytes, nw::kUtf8))), encoding);
  }

 private:
  static std::wstring WithCrLf(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
      out += text[i];
    }
    return out;
  }
  static std::string Encode(const std::wstring& text) {
    if (text.empty()) return {};
    UINT codePage = GetConsoleOutputCP();
    if (codePage == 0) codePage = GetOEMCP();
    // UTF-8 and its kin take no flags and hold every character.
    const DWORD flags = codePage == CP_UTF8 || codePage == CP_UTF7 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* substitute = flags == 0 ? nullptr : "?";
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, substitute, nullptr);
    if (length <= 0) return nw::Utf8(text);  // a code page Windows cannot write: UTF-8 then
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), size, out.data(), length, substitute, nullptr);
    return out;
  }

  nw::nwk::FileStream bytes_;
};

// The console behind a standard handle, or null when it is a file or a pipe.
HANDLE ConsoleOf(DWORD standardHandle) {
  HANDLE handle = GetStdHandle(standardHandle);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return nullptr;
  return handle;
}

}  // namespace
#endif

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  nw::RestrictDllSearch();
  // .reg files go to standard output byte for byte.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::wstring> args(argv + 1, argv + argc);
  nw::Win32Registry registry;
  nw::Win32ShellNotifier shell;
  nw::nwk::Win32Installer installer;
  nw::nwk::Output output;
  const int status = nw::nwk::Run(args, output, &registry, &shell, &installer);
  // To a console, text; to a file or a pipe, text in the console's code page,
  // or the .reg file's UTF-16LE.
  RedirectedStream outFile(stdout), errFile(stderr);
  std::unique_ptr<ConsoleStream> outConsole, errConsole;
  if (HANDLE console = ConsoleOf(STD_OUTPUT_HANDLE)) outConsole = std::make_unique<ConsoleStream>(console);
  if (HANDLE console = ConsoleOf(STD_ERROR_HANDLE)) errConsole = std::make_unique<ConsoleStream>(console);
  return nw::nwk::Deliver(status, output,
                          outConsole ? static_cast<nw::nwk::OutputStream&>(*outConsole) : outFile,
                          errConsole ? static_cast<nw::nwk::OutputStream&>(*errConsole) : errFile);
}
#else
int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  // Arguments, file names among them, come in UTF-8.
  for (int i = 1; i < argc; ++i) args.push_back(nw::FromAnsi(argv[i], nw::kUtf8));
  nw::nwk::Output output;
  const int status = nw::nwk::Run(args, output, nullptr);
  nw::nwk::FileStream out(stdout), err(stderr);
  return nw::nwk::Deliver(status, output, out, err);
}
#endif
