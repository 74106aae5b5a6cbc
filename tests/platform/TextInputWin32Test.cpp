// Opening the settings file on Windows: only a file on a disk, and paths
// longer than MAX_PATH.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "EasyReg/MemoryRegistry.h"
#include "NW_Core/NW_Core.h"
#include "platform/TextInput.h"
#include "support/Fakes.h"

namespace nw::test {
namespace {

namespace fs = std::filesystem;

// A pipe server waiting for a client, as a hostile command line could name.
class PipeServer {
 public:
  explicit PipeServer(const std::wstring& name)
      : pipe_(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                               nullptr)) {}
  ~PipeServer() {
    if (pipe_ != INVALID_HANDLE_VALUE) CloseHandle(pipe_);
  }
  bool Listening() const { return pipe_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE pipe_;
};

TEST(TextInputWindows, OnlyAFileOnADiskIsOpened) {
  const std::wstring pipe = L"\\\\.\\pipe\\nookwayer-test-" + std::to_wstring(GetCurrentProcessId());
  PipeServer server(pipe);
  ASSERT_TRUE(server.Listening());
  const fs::path dir = fs::temp_directory_path() / ("nw-open-" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(dir);
  const std::wstring refused[] = {pipe, L"NUL", L"\\\\.\\NUL", dir.wstring(), L"", std::wstring(L"a\0b", 3)};
  for (const std::wstring& path : refused) {
    SCOPED_TRACE(fs::path(path).string());
    EXPECT_FALSE(TextInput::Open(path).has_value());
  }
  // The window's reader counts it as any file it cannot read.
  FolderDefinition definition;
  EXPECT_EQ(ReadSettings(pipe, definition), SettingsRead::Incomplete);
  fs::remove_all(dir);
}

TEST(TextInputWindows, APathLongerThanMaxPathOpens) {
  fs::path dir = fs::temp_directory_path() / ("nw-long-" + std::to_string(GetCurrentProcessId()));
  const fs::path top = dir;
  while (dir.wstring().size() < 300) dir /= std::wstring(40, L'd');
  std::error_code error;
  fs::create_directories(L"\\\\?\\" + dir.wstring(), error);
  ASSERT_FALSE(error) << error.message();
  const std::wstring file = (dir / L"long.nwk").wstring();
  {
    std::ofstream out(fs::path(L"\\\\?\\" + file), std::ios::binary);
    out << "first\r\nsecond\r\n";
  }
  std::optional<TextInput> input = TextInput::Open(file);
  ASSERT_TRUE(input.has_value());
  EXPECT_EQ(input->ReadLine(100), "first");
  input.reset();
  fs::remove_all(L"\\\\?\\" + top.wstring(), error);
}

TEST(TextInputWindows, LongPathsTakeTheExtendedForm) {
  const std::wstring deep(300, L'x');
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  std::wstring base = current;
  if (!base.ends_with(L'\\')) base += L'\\';
  struct Case {
    std::wstring path, expected;
  };
  const Case cases[] = {
      {L"C:\\short\\file.nwk", L"C:\\short\\file.nwk"},
      {L"C:\\" + deep, L"\\\\?\\C:\\" + deep},
      {L"\\\\server\\share\\" + deep, L"\\\\?\\UNC\\server\\share\\" + deep},
      {L"\\\\?\\C:\\" + deep, L"\\\\?\\C:\\" + deep},
      {deep, L"\\\\?\\" + base + deep},
      {L"C:\\dir\\..\\" + deep, L"\\\\?\\C:\\" + deep},
  };
  for (const Case& c : cases) EXPECT_EQ(LongPathForm(c.path), c.expected);
}

}  // namespace
}  // namespace nw::test
