// The exported .reg files against an importer we did not write: Wine's own
// reg.exe must build from them exactly the registry "nwk make" writes, and
// take it all out again with the removal file.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "EasyReg/EasyReg.h"
#include "EasyReg/MemoryRegistry.h"
#include "EasyReg/Win32Registry.h"
#include "nwk/Nwk.h"
#include "platform/AnsiText.h"
#include "support/Kit.h"
#include "support/Processes.h"
#include "support/RegReader.h"
#include "support/RegistryDump.h"

namespace nw::nwk {
namespace {

namespace fs = std::filesystem;

const std::string kClsid = "{0000000D-CF0D-D10A-A240-0000E2E0A0B4}";
const std::vector<std::pair<RootKey, std::string>> kLocations = test::FolderKeys(kClsid);

// The reg.exe of this process's own architecture, and the 64-bit one (Wine 8's
// reg.exe deletes "[-KEY]" sections in its own view whatever /reg:64 says, so
// the removal file goes through the 64-bit program).
const wchar_t kOwnReg[] = L"C:\\windows\\system32\\reg.exe";
std::wstring Reg64() {
  return test::NativeSystemProgram(L"reg.exe");
}

// Runs "reg import FILE /reg:64" and returns its exit code.
DWORD RegImport(const std::wstring& program, const fs::path& file) {
  return test::RunAndWait(program, L"reg.exe import \"" + file.wstring() + L"\" /reg:64");
}

class NwkRegImport : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("nwk-import-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(dir_);
    std::ofstream(dir_ / "folder.nwk", std::ios::binary)
        << test::kMagicLine +
               "name=Tools \"&\" More\\Misc\r\nicon=C:\\Tools\\t.ico,2\r\n"
               "clsid5=0000E2E0A0B4\r\nOpen;notepad.exe \"%1\";\r\nEdit here;C:\\Program Files\\ed.exe;\r\n"
               "Two;x\ny;\r\n";
    Clean();
  }
  void TearDown() override {
    Clean();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  void Clean() { test::RemoveFolderKeys(registry_, kClsid); }
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
  void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

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

// Settings files whose texts a .reg file must escape or write as bytes, and
// verb names that make odd keys: Wine's reg.exe imports each export as make
// writes it, and takes it all out again with the removal file.
TEST_F(NwkRegImport, EscapedTextImportsAsMakeWritesIt) {
  const std::string header = test::kMagicLine;
  const std::string clsid = "clsid5=0000E2E0A0B4\r\n";
  const std::string cases[] = {
      header + "name=Tools \"&\" More\\Misc\\\r\nicon=C:\\t.ico,2 \\\"\r\n" + clsid +
          "Open;notepad.exe \"%1\";\r\nTwo;x\ny\\;\r\nLast;trailing\n;\r\n",
      header + "name=a\nb\r\nicon=\r\n" + clsid +
          ";empty name;\r\nQuote \"d\";c;\r\nTrail;e\\f\\;\r\n[x;[y];\r\n spaced \t;f;\r\n",
  };
  for (const std::string& settings : cases) {
    SCOPED_TRACE(settings);
    WriteFile(dir_ / "folder.nwk", settings);
    ASSERT_EQ(Dump(), "||||||");
    Nwk({L"make", File()});
    const std::string made = Dump();
    EXPECT_NE(made, "||||||");
    Clean();

    const fs::path layout = dir_ / "layout.reg";
    Nwk({L"export", File(), L"-o", layout.wstring()});
    ASSERT_EQ(RegImport(kOwnReg, layout), 0u);
    EXPECT_EQ(Dump(), made);

    const fs::path removal = dir_ / "removal.reg";
    Nwk({L"export", File(), L"--remove", L"-o", removal.wstring()});
    ASSERT_EQ(RegImport(Reg64(), removal), 0u);
    EXPECT_EQ(Dump(), "||||||");
  }
}

// What nwk refuses to export, and why. A removal file written unchecked for a
// clsid5 with line breaks, imported, deleted another folder's class key; and
// Wine's reg.exe ends a section at the last "]" of its line, where an
// importer that takes the first one would write elsewhere, so the strict
// reader refuses a "]" inside a key name and nwk writes none.
TEST_F(NwkRegImport, RefusedKeyNamesWouldImportAsOtherKeys) {
  const std::string neighbour = "CLSID\\{0000000D-CF0D-D10A-A240-0000E2E0A0B9}";
  CreateKey(registry_, FromAnsi(neighbour), kHkeyClassesRoot);
  WriteFile(dir_ / "folder.nwk", test::kMagicLine +
                                     "name=n\r\nicon=i\r\n"
                                     "clsid5=0000E2E0A0B4}]\n\n[-HKEY_CLASSES_ROOT\\" +
                                     neighbour.substr(0, neighbour.size() - 1) + "\r\n");
  Output output;
  EXPECT_EQ(nwk::Run({L"export", File(), L"--remove"}, output, &registry_), kExitRefused);
  EXPECT_EQ(output.out, "");

  // The file as it was written before the check.
  FolderDefinition definition;
  definition.FolderClsid =
      L"{0000000D-CF0D-D10A-A240-0000E2E0A0B4}]\n\n[-HKEY_CLASSES_ROOT\\" + FromAnsi(neighbour);
  std::wstring text = L"Windows Registry Editor Version 5.00\r\n";
  for (const RemovalKey& key : RemovalKeys(definition, Scope::Machine))
    text += L"\r\n[-" + RootName(key.parent.root) + L"\\" + key.parent.path + L"\\" + key.name + L"]\r\n";
  const fs::path unchecked = dir_ / "unchecked.reg";
  WriteFile(unchecked, "\xFF\xFE" + Utf16Le(text + L"\r\n"));
  ASSERT_TRUE(test::KeyExists(registry_, kHkeyClassesRoot, neighbour));
  ASSERT_EQ(RegImport(Reg64(), unchecked), 0u);
  EXPECT_FALSE(test::KeyExists(registry_, kHkeyClassesRoot, neighbour));
  test::RemoveTree(registry_, kHkeyClassesRoot, neighbour);

  const std::string bracket =
      "\xFF\xFE" +
      Utf16Le(
          L"Windows Registry Editor Version 5.00\r\n\r\n"
          L"[HKEY_CURRENT_USER\\Software\\NookwayerRegTest\\Open [admin]\\Command]\r\n@=\"x\"\r\n");
  EXPECT_THROW(test::ReadRegFile(bracket), test::RegSyntaxError);
  const fs::path file = dir_ / "bracket.reg";
  WriteFile(file, bracket);
  ASSERT_EQ(RegImport(kOwnReg, file), 0u);
  EXPECT_EQ(test::DumpTree(registry_, kHkeyCurrentUser, "Software\\NookwayerRegTest"),
            "[]\n[Open [admin]]\n[Open [admin]\\Command]\n@=1:78,00\n");
  test::RemoveTree(registry_, kHkeyCurrentUser, "Software\\NookwayerRegTest");

  // A verb name with a line break, as a section would hold it: Wine's reg.exe
  // drops the broken section and writes its command into the key before it.
  const std::string lineBreak =
      "\xFF\xFE" + Utf16Le(
                       L"Windows Registry Editor Version 5.00\r\n\r\n"
                       L"[HKEY_CURRENT_USER\\Software\\NookwayerRegTest\\Shell]\r\n\r\n"
                       L"[HKEY_CURRENT_USER\\Software\\NookwayerRegTest\\Shell\\Two\nLines\\Command]\r\n"
                       L"@=\"cmd\"\r\n");
  EXPECT_THROW(test::ReadRegFile(lineBreak), test::RegSyntaxError);
  WriteFile(file, lineBreak);
  ASSERT_EQ(RegImport(kOwnReg, file), 0u);
  EXPECT_EQ(test::DumpTree(registry_, kHkeyCurrentUser, "Software\\NookwayerRegTest"),
            "[]\n[Shell]\n@=1:63,6d,64,00\n");
  test::RemoveTree(registry_, kHkeyCurrentUser, "Software\\NookwayerRegTest");
}

// A registry dump as sorted lines, each value line with its key: the order in
// which a registry lists values is its own.
std::vector<std::string> Lines(const std::string& dump) {
  std::vector<std::string> lines;
  std::istringstream in(dump);
  std::string line, key;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '[') key = line;
    lines.push_back(line[0] == '[' ? line : key + " " + line);
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Every form the strict reader takes means to Wine's reg.exe what it means to
// the reader: the reader's entries applied to the in-memory registry, and the
// file imported into the real one, leave the same keys and values.
TEST(NwkRegImportForms, TheStrictReaderAndRegImportAgree) {
  const std::string base = "Software\\NookwayerRegTest";
  const std::string file =
      "\xFF\xFE" + Utf16Le(
                       L"Windows Registry Editor Version 5.00\r\n\r\n; a comment\r\n"
                       L"[HKEY_CURRENT_USER\\Software\\NookwayerRegTest\\gone\\sub]\r\n@=\"x\"\r\n\r\n"
                       L"[HKEY_CURRENT_USER\\Software\\NookwayerRegTest\\keep]\r\n@=\"C:\\\\a \\\"b\\\"\"\r\n"
                       L"\"hex\"=hex:00,0a,\\\r\n  FF,10\r\n\"text\"=hex(1):61,00,0a,00,62,00,00,00\r\n"
                       L"\"n\"=dword:0000010a\r\n\"q\\\"\\\\\"=\"\"\r\n\"Attributes\"=hex:\r\n\r\n"
                       L"[-HKEY_CURRENT_USER\\Software\\NookwayerRegTest\\gone]\r\n\r\n"
                       L"[HKEY_CURRENT_USER\\Software\\NookwayerRegTest\\x [y]\r\n\r\n");
  MemoryRegistry memory;
  for (const test::RegEntry& entry : test::ReadRegFile(file)) {
    const std::string path = ToAnsi(entry.path);
    if (entry.kind == test::RegEntry::Kind::DeleteKey) {
      memory.DeleteTree(RootHandle(entry.root), entry.path, kAccess);
      continue;
    }
    UniqueKey key(memory);
    ASSERT_EQ(memory.CreateKey(RootHandle(entry.root), path, kAccess, key.put()), kErrorSuccess);
    if (entry.kind == test::RegEntry::Kind::Key) continue;
    std::vector<std::uint8_t> data = entry.data;
    if (entry.type == kRegSz) {
      const std::string text = ToAnsi(test::FromUtf16Le(std::string(data.begin(), data.end() - 2)));
      data.assign(text.begin(), text.end());
      data.push_back(0);
    }
    ASSERT_EQ(memory.SetValue(key.get(), ToAnsi(entry.valueName), entry.type, data), kErrorSuccess);
  }
  const std::string expected = test::DumpTree(memory, kHkeyCurrentUser, base);
  EXPECT_NE(expected.find("[keep]\n"), std::string::npos) << expected;

  Win32Registry registry;
  test::RemoveTree(registry, kHkeyCurrentUser, base);
  const fs::path path =
      fs::temp_directory_path() / ("nwk-forms-" + std::to_string(GetCurrentProcessId()) + ".reg");
  std::ofstream(path, std::ios::binary) << file;
  EXPECT_EQ(RegImport(Reg64(), path), 0u);
  EXPECT_EQ(Lines(test::DumpTree(registry, kHkeyCurrentUser, base)), Lines(expected));
  test::RemoveTree(registry, kHkeyCurrentUser, base);
  fs::remove(path);
}

}  // namespace
}  // namespace nw::nwk
