// nwk on a console, as an administrator runs it from a prompt: the program
// itself, started on a console of this test's own, its text read back from
// the console's screen buffer.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace nw::nwk {
namespace {

namespace fs = std::filesystem;

std::wstring WindowsPathOf(const std::string& unixPath) {
  std::wstring path = L"Z:";
  for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return path;
}

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// A console of this process's own for as long as it lives.
class OwnConsole {
 public:
  OwnConsole() {
    FreeConsole();
    ok_ = AllocConsole() != FALSE;
  }
  ~OwnConsole() { FreeConsole(); }
  OwnConsole(const OwnConsole&) = delete;
  OwnConsole& operator=(const OwnConsole&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

struct ConsoleCase {
  const char* name;
  UINT codePage;
  std::string folderName;  // bytes in the code page
  std::wstring shown;
};

void PrintTo(const ConsoleCase& c, std::ostream* out) {
  *out << c.name;
}

class NwkConsoleCodePage : public testing::TestWithParam<ConsoleCase> {};

TEST_P(NwkConsoleCodePage, ShowPrintsTheNameAsItIsOnAConsole) {
  const ConsoleCase& c = GetParam();
  if (GetACP() != c.codePage)
    GTEST_SKIP() << "the ANSI code page of this process is " << GetACP() << ", not " << c.codePage
                 << " (scripts/test.sh runs these cases in that locale)";
  const fs::path file =
      fs::temp_directory_path() / ("nwk-console-" + std::to_string(GetCurrentProcessId()) + ".nwk");
  std::ofstream(file, std::ios::binary)
      << "Hollowpine's Nookway v1_[A1]\r\nname=" << c.folderName << "\r\nicon=i\r\nclsid5=0000E2E0C0C0\r\n";

  const OwnConsole console;
  ASSERT_TRUE(console.ok());
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const UniqueHandle screen(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                                        nullptr));
  ASSERT_NE(screen.get(), INVALID_HANDLE_VALUE);
  CONSOLE_SCREEN_BUFFER_INFO before{};
  ASSERT_TRUE(GetConsoleScreenBufferInfo(screen.get(), &before));

  // The program's standard output and error are this console.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = screen.get();
  std::wstring commandLine = L"\"" + WindowsPathOf(NWK_EXE) + L"\" show \"" + file.wstring() + L"\"";
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &startup, &process));
  const UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);

  // The lines it wrote, from where the cursor stood.
  const DWORD cells = static_cast<DWORD>(before.dwSize.X) * 8;
  std::wstring shown(cells, L'\0');
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleOutputCharacterW(screen.get(), shown.data(), cells, before.dwCursorPosition, &read));
  shown.resize(read);
  EXPECT_NE(shown.find(L"Name:    " + c.shown), std::wstring::npos) << testing::PrintToString(shown);
  std::error_code ignored;
  fs::remove(file, ignored);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, NwkConsoleCodePage,
    testing::Values(
        // 表示フォルダ "display folder": 表 is 95 5C.
        ConsoleCase{"Cp932", 932, "\x95\x5C\x8E\xA6\x83\x74\x83\x48\x83\x8B\x83\x5F",
                    L"\u8868\u793A\u30D5\u30A9\u30EB\u30C0"},
        // Папка
        ConsoleCase{"Cp1251", 1251, "\xCF\xE0\xEF\xEA\xE0", L"\u041F\u0430\u043F\u043A\u0430"}),
    [](const testing::TestParamInfo<ConsoleCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nw::nwk
