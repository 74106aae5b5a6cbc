// The exported .reg files against an importer we did not write: Wine's own
// reg.exe must build from them exactly the registry "nwk make" writes, and
// take it all out again with the removal file.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "nwk/Nwk.h"
#include "platform/AnsiText.h"
#include "platform/Win32Registry.h"
#include "support/RegistryDump.h"

namespace nw::nwk {
namespace {

namespace fs = std::filesystem;

const std::string kClsid = "{0000000D-CF0D-D10A-A240-0000E2E0A0B4}";
const std::string kNameSpace = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
const std::pair<RootKey, std::string> kLocations[] = {
    {kHkeyClassesRoot, "CLSID\\" + kClsid},
    {kHkeyLocalMachine, kNameSpace + "Desktop\\NameSpace\\" + kClsid},
    {kHkeyLocalMachine, kNameSpace + "MyComputer\\NameSpace\\" + kClsid},
    {kHkeyCurrentUser, "Software\\Classes\\CLSID\\" + kClsid},
    {kHkeyCurrentUser, kNameSpace + "Desktop\\NameSpace\\" + kClsid},
    {kHkeyCurrentUser, kNameSpace + "MyComputer\\NameSpace\\" + kClsid},
};

// The reg.exe of this process's own architecture, and the 64-bit one (Wine 8's
// reg.exe deletes "[-KEY]" sections in its own view whatever /reg:64 says, so
// the removal file goes through the 64-bit program).
const wchar_t kOwnReg[] = L"C:\\windows\\system32\\reg.exe";
const wchar_t* Reg64() {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  return wow64 ? L"C:\\windows\\sysnative\\reg.exe" : kOwnReg;
}

// Runs "reg import FILE /reg:64" and returns its exit code.
DWORD RegImport(const wchar_t* program, const fs::path& file) {
  std::wstring command = L"reg.exe import \"" + file.wstring() + L"\" /reg:64";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return GetLastError() | 0x80000000u;
  WaitForSingleObject(process.hProcess, 30000);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

class NwkRegImport : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("nwk-import-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(dir_);
    std::ofstream(dir_ / "folder.nwk", std::ios::binary)
        << "Hollowpine's Nookway v1_[A1]\r\nname=Tools \"&\" More\\Misc\r\nicon=C:\\Tools\\t.ico,2\r\n"
           "clsid5=0000E2E0A0B4\r\nOpen;notepad.exe \"%1\";\r\nEdit here;C:\\Program Files\\ed.exe;\r\n"
           "Two;x\ny;\r\n";
    Clean();
  }
  void TearDown() override {
    Clean();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  void Clean() {
    for (const auto& [root, path] : kLocations) test::RemoveTree(registry_, root, path);
  }
  std::string Dump() {
    std::string dump;
    for (const auto& [root, path] : kLocations) dump += test::DumpTree(registry_, root, path) + "|";
    return dump;
  }
  int Nwk(std::vector<std::wstring> args) {
    Output output;
    const int status = nwk::Run(args, output, &registry_);
    EXPECT_EQ(status, kExitDone) << output.err;
    return status;
  }
  std::wstring File() const { return (dir_ / "folder.nwk").wstring(); }

  Win32Registry registry_;
  fs::path dir_;
};

TEST_F(NwkRegImport, ImportedExportEqualsMakeAndTheRemovalFileUndoesIt) {
  const std::string empty = "||||||";
  const struct {
    std::vector<std::wstring> options;
    std::size_t keys;  // locations that hold a key afterwards
  } cases[] = {
      {{L"--placement", L"desktop"}, 2},
      {{L"--placement", L"system"}, 2},
      {{L"--placement", L"manual"}, 1},
      {{L"--placement", L"desktop", L"--user"}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(ToAnsi(c.options[1]) + (c.options.size() > 2 ? " --user" : "")));
    auto with = [&](std::vector<std::wstring> args, bool placement) {
      args.insert(args.end(), c.options.begin() + (placement ? 0 : 2), c.options.end());
      return args;
    };

    ASSERT_EQ(Dump(), empty);
    Nwk(with({L"make", File()}, true));
    const std::string made = Dump();
    std::size_t keys = 0;
    for (const auto& [root, path] : kLocations) keys += test::KeyExists(registry_, root, path);
    EXPECT_EQ(keys, c.keys);
    Clean();

    const fs::path layout = dir_ / "layout.reg";
    Nwk(with({L"export", File(), L"-o", layout.wstring()}, true));
    ASSERT_EQ(RegImport(kOwnReg, layout), 0u);
    EXPECT_EQ(Dump(), made);
    Nwk(with({L"status", File()}, true));

    const fs::path removal = dir_ / "removal.reg";
    Nwk(with({L"export", File(), L"--remove", L"-o", removal.wstring()}, false));
    ASSERT_EQ(RegImport(Reg64(), removal), 0u);
    EXPECT_EQ(Dump(), empty);
  }
}

}  // namespace
}  // namespace nw::nwk
