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
  // To a console, text; to a file or a pipe, the bytes: UTF-8 text, or the
  // .reg file's UTF-16LE.
  nw::nwk::FileStream outFile(stdout), errFile(stderr);
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
