// nwk on a console, as an administrator runs it from a prompt: the program
// itself, started on a console of this test's own, its text read back from
// the console's screen buffer.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/Handles.h"

namespace nw::nwk {
namespace {

namespace fs = std::filesystem;

std::wstring WindowsPathOf(const std::string& unixPath) {
  std::wstring path = L"Z:";
  for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return path;
}

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

// Runs nwk with these arguments on a console of its own and returns what the
// console shows from where the cursor stood, with the exit status.
std::wstring OnAConsole(const std::wstring& arguments, DWORD& exitCode) {
  const OwnConsole console;
  EXPECT_TRUE(console.ok());
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const UniqueHandle screen(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                                        nullptr));
  if (screen.get() == INVALID_HANDLE_VALUE) return L"(no console)";
  CONSOLE_SCREEN_BUFFER_INFO before{};
  if (!GetConsoleScreenBufferInfo(screen.get(), &before)) return L"(no screen buffer)";

  // The program's standard output and error are this console.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = screen.get();
  std::wstring commandLine = L"\"" + WindowsPathOf(NWK_EXE) + L"\" " + arguments;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process))
    return L"(not started)";
  const UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) return L"(still running)";
  GetExitCodeProcess(process.hProcess, &exitCode);

  // Ten lines from where the cursor stood: all that either command writes
  // before the name.
  const DWORD cells = static_cast<DWORD>(before.dwSize.X) * 10;
  std::wstring shown(cells, L'\0');
  DWORD read = 0;
  if (!ReadConsoleOutputCharacterW(screen.get(), shown.data(), cells, before.dwCursorPosition, &read))
    return L"(unreadable)";
  shown.resize(read);
  return shown;
}

// show prints UTF-8 to a file or pipe, export a UTF-16LE .reg file: on a
// console both show the name as it is.
TEST_P(NwkConsoleCodePage, ShowAndExportPrintTheNameAsItIsOnAConsole) {
  const ConsoleCase& c = GetParam();
  if (GetACP() != c.codePage)
    GTEST_SKIP() << "the ANSI code page of this process is " << GetACP() << ", not " << c.codePage
                 << " (scripts/test.sh runs these cases in that locale)";
  const fs::path file =
      fs::temp_directory_path() / ("nwk-console-" + std::to_string(GetCurrentProcessId()) + ".nwk");
  std::ofstream(file, std::ios::binary)
      << "Hollowpine's Nookway v1_[A1]\r\nname=" << c.folderName << "\r\nicon=i\r\nclsid5=0000E2E0C0C0\r\n";
  const struct {
    const wchar_t* command;
    std::wstring expected;
  } runs[] = {{L"show", L"Name:    " + c.shown}, {L"export", L"@=\"" + c.shown + L"\""}};
  for (const auto& run : runs) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(run.command)));
    DWORD exitCode = 1;
    const std::wstring shown =
        OnAConsole(std::wstring(run.command) + L" \"" + file.wstring() + L"\"", exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_NE(shown.find(run.expected), std::wstring::npos) << testing::PrintToString(shown);
  }
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

// Text to a file or a pipe: what Windows tools read there, CR LF line ends in
// the console's output code page (the OEM one where there is no console),
// with a character the code page lacks shown as "?", never as a look-alike.
// The name is "Café €" in the settings file's code page 1252.
TEST(NwkRedirected, TextGoesInTheConsolesCodePageWithCrLf) {
  if (GetACP() != 1252)
    GTEST_SKIP() << "the settings file here is in code page 1252, this process's is " << GetACP();
  const fs::path dir =
      fs::temp_directory_path() / ("nwk-redirected-" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(dir);
  std::ofstream(dir / "folder.nwk", std::ios::binary)
      << "Hollowpine's Nookway v1_[A1]\r\nname=Caf\xE9 \x80\r\nicon=i\r\nclsid5=0000E2E0C0C1\r\nOpen;x;\r\n";
  const struct {
    const char* what;
    UINT codePage;  // 0: no console at all
    std::string name;
  } cases[] = {
      {"437", 437, "Caf\x82 ?"},
      {"932", 932, "Caf? ?"},
      {"65001", 65001, "Caf\xC3\xA9 \xE2\x82\xAC"},
      {"no console: the OEM code page", 0, GetOEMCP() == 437 ? "Caf\x82 ?" : ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.name.empty()) continue;  // an OEM code page this table does not know
    std::string out, err;
    {
      const OwnConsole console;
      ASSERT_TRUE(console.ok());
      if (c.codePage != 0) {
        ASSERT_TRUE(SetConsoleOutputCP(c.codePage));
      }
      SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
      const fs::path outFile = dir / "out.txt", errFile = dir / "err.txt";
      {
        const UniqueHandle outHandle(CreateFileW(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                                 CREATE_ALWAYS, 0, nullptr));
        const UniqueHandle errHandle(CreateFileW(errFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                                 CREATE_ALWAYS, 0, nullptr));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = outHandle.get();
        startup.hStdError = errHandle.get();
        // show prints the name; the refused placement is echoed on standard error.
        std::wstring commandLine =
            L"\"" + WindowsPathOf(NWK_EXE) + L"\" show \"" + (dir / "folder.nwk").wstring() + L"\"";
        for (int run = 0; run < 2; ++run) {
          if (run == 1)
            commandLine = L"\"" + WindowsPathOf(NWK_EXE) + L"\" export \"" + (dir / "folder.nwk").wstring() +
                          L"\" --placement \"Caf\u00E9 \u20AC\"";
          PROCESS_INFORMATION process{};
          ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                     c.codePage == 0 ? DETACHED_PROCESS : 0, nullptr, nullptr, &startup,
                                     &process));
          const UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
          ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
        }
      }
      std::ifstream outIn(outFile, std::ios::binary), errIn(errFile, std::ios::binary);
      out.assign(std::istreambuf_iterator<char>(outIn), {});
      err.assign(std::istreambuf_iterator<char>(errIn), {});
    }
    EXPECT_NE(out.find("Name:    " + c.name + "\r\n"), std::string::npos) << testing::PrintToString(out);
    EXPECT_NE(err.find("not " + c.name + "\r\n"), std::string::npos) << testing::PrintToString(err);
    for (const std::string* text : {&out, &err})
      for (std::size_t at = text->find('\n'); at != std::string::npos; at = text->find('\n', at + 1))
        EXPECT_TRUE(at > 0 && (*text)[at - 1] == '\r') << "a bare line feed at " << at;
  }
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

}  // namespace
}  // namespace nw::nwk
