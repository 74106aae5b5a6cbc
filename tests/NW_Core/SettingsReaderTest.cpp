#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

#include "EasyReg/MemoryRegistry.h"
#include "NW_Core/NW_Core.h"
#include "NW_Core/Texts.h"
#include "platform/AnsiText.h"
#include "platform/TextInput.h"
#include "support/Fakes.h"
#include "support/Kit.h"

namespace nw::test {
namespace {

namespace fs = std::filesystem;

const std::string kHeader = kMagic + "\r\nname=Tools\r\nicon=shell32.dll,3\r\nclsid5=000000000001\r\n";
const std::wstring kClsid = L"{0000000D-CF0D-D10A-A240-000000000001}";

struct ReadResult {
  FolderDefinition definition;
  SettingsRead read;
};

ReadResult Read(const std::wstring& commandLine) {
  ReadResult result;
  result.read = ReadSettings(commandLine, result.definition);
  return result;
}

ReadResult ReadBytes(const std::string& bytes) {
  SettingsFile file(bytes);
  return Read(file.path());
}

struct ReaderCase {
  const char* name;
  std::string bytes;
  bool refused;
  std::wstring folderName, folderIcon, folderClsid;
  std::size_t menuCount;
  std::wstring menuName = {}, menuCommand = {};
};

std::string MenuLines(int count) {
  std::string lines;
  for (int i = 1; i <= count; ++i)
    lines += "Verb " + std::to_string(i) + ";cmd" + std::to_string(i) + ".exe;\r\n";
  return lines;
}

void PrintTo(const ReaderCase& c, std::ostream* out) {
  *out << c.name;
}

class ReaderTable : public testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTable, FillsTheRecordAsFarAsTheFileAllows) {
  const ReaderCase& c = GetParam();
  ReadResult r = ReadBytes(c.bytes);
  EXPECT_EQ(r.read, c.refused ? SettingsRead::Incomplete : SettingsRead::Complete);
  EXPECT_EQ(r.definition.FolderName, c.folderName);
  EXPECT_EQ(r.definition.FolderIcon, c.folderIcon);
  EXPECT_EQ(r.definition.FolderClsid, c.folderClsid);
  ASSERT_EQ(r.definition.MenuItems.size(), c.menuCount);
  const MenuEntry first = r.definition.MenuItems.empty() ? MenuEntry{} : r.definition.MenuItems[0];
  EXPECT_EQ(first.MenuName, c.menuName);
  EXPECT_EQ(first.MenuCommand, c.menuCommand);
}

const std::string kCr = "\r";
INSTANTIATE_TEST_SUITE_P(
    Files, ReaderTable,
    testing::Values(
        ReaderCase{"Valid", kHeader + "Open;notepad.exe;\r\nEdit;wordpad.exe;", false, L"Tools",
                   L"shell32.dll,3", kClsid, 2, L"Open", L"notepad.exe"},
        ReaderCase{"HeaderOnlyWithoutLineEnd", kMagic + "\r\nname=A\r\nicon=B\r\nclsid5=00000000000C", false,
                   L"A", L"B", L"{0000000D-CF0D-D10A-A240-00000000000C}", 0},
        ReaderCase{"HeaderOnlyWithLineEnd", kHeader, false, L"Tools", L"shell32.dll,3", kClsid, 0},
        ReaderCase{"BlankLineAtEndIsAnEntry", kHeader + "Open;x;\r\n\r\n", false, L"Tools", L"shell32.dll,3",
                   kClsid, 2, L"Open", L"x"},
        ReaderCase{
            "LoneCrEndsLines",
            kMagic + kCr + "name=A" + kCr + "icon=B" + kCr + "clsid5=00000000000C" + kCr + "M;c;" + kCr,
            false, L"A", L"B", L"{0000000D-CF0D-D10A-A240-00000000000C}", 1, L"M", L"c"},
        ReaderCase{"LoneLfDoesNotEndALine", kMagic + "\nname=A\nicon=B\nclsid5=C\n", true, L"", L"", L"", 0},
        ReaderCase{"LfInsideAValueIsKept", kMagic + "\r\nname=A\nB\r\nicon=I\r\nclsid5=00000000000C\r\n",
                   false, L"A\nB", L"I", L"{0000000D-CF0D-D10A-A240-00000000000C}", 0},
        ReaderCase{"MagicInAnyCase",
                   "HOLLOWPINE'S nookway V1_[a1]\r\nname=A\r\nicon=B\r\nclsid5=00000000000C\r\n", false, L"A",
                   L"B", L"{0000000D-CF0D-D10A-A240-00000000000C}", 0},
        ReaderCase{"MagicWithTrailingBlank", kMagic + " \r\nname=A\r\nicon=B\r\nclsid5=00000000000C\r\n",
                   true, L"", L"", L"", 0},
        ReaderCase{"MagicWithLeadingBlank", " " + kMagic + "\r\nname=A\r\nicon=B\r\nclsid5=00000000000C\r\n",
                   true, L"", L"", L"", 0},
        ReaderCase{"MagicAfterByteOrderMark", "\xEF\xBB\xBF" + kHeader, true, L"", L"", L"", 0},
        ReaderCase{"EmptyFile", "", true, L"", L"", L"", 0},
        ReaderCase{"NameMissing", kMagic + "\r\n", true, L"", L"", L"", 0},
        ReaderCase{"BlankBeforeNameKey", kMagic + "\r\n name=A\r\nicon=B\r\nclsid5=00000000000C\r\n", true,
                   L"", L"", L"", 0},
        ReaderCase{"IconMissing", kMagic + "\r\nname=A\r\n", true, L"A", L"", L"", 0},
        ReaderCase{"BlankBeforeIconEquals", kMagic + "\r\nname=A\r\nicon =B\r\nclsid5=00000000000C\r\n", true,
                   L"A", L"", L"", 0},
        ReaderCase{"ClsidMissing", kMagic + "\r\nname=A\r\nicon=B\r\n", true, L"A", L"B", L"", 0},
        ReaderCase{"ClsidKeyWrong", kMagic + "\r\nname=A\r\nicon=B\r\nclsid=C\r\nM;c;\r\n", true, L"A", L"B",
                   L"", 0},
        ReaderCase{"KeysInAnyCaseValuesKeepTheirs",
                   kMagic + "\r\nNAME=MiXed\r\nIcon=ICO\r\nClsId5=abcDEF012345\r\n", false, L"MiXed", L"ICO",
                   L"{0000000D-CF0D-D10A-A240-abcDEF012345}", 0},
        ReaderCase{"EmptyNameAndIcon", kMagic + "\r\nname=\r\nicon=\r\nclsid5=00000000000C\r\n", false, L"",
                   L"", L"{0000000D-CF0D-D10A-A240-00000000000C}", 0},
        ReaderCase{"ValuesKeepSemicolonsEqualsAndBlanks",
                   kMagic + "\r\nname= a=b;c \r\nicon=x\r\nclsid5=0000000000A1\r\n"
                            "  Open ; run me ;rest\r\n",
                   false, L" a=b;c ", L"x", L"{0000000D-CF0D-D10A-A240-0000000000A1}", 1, L"  Open ",
                   L" run me "},
        // The last group of a CLSID is twelve hexadecimal digits; any other
        // value would register a class no shell can find, or split its key.
        ReaderCase{"ClsidEmpty", kMagic + "\r\nname=A\r\nicon=B\r\nclsid5=\r\nM;c;\r\n", true, L"A", L"B",
                   L"", 0},
        ReaderCase{"ClsidShort", kMagic + "\r\nname=A\r\nicon=B\r\nclsid5=12345\r\n", true, L"A", L"B", L"",
                   0},
        ReaderCase{"ClsidLong", kMagic + "\r\nname=A\r\nicon=B\r\nclsid5=00000000000C0\r\n", true, L"A", L"B",
                   L"", 0},
        ReaderCase{"ClsidNotHex", kMagic + "\r\nname=A\r\nicon=B\r\nclsid5=0000M2E0A0B2\r\n", true, L"A",
                   L"B", L"", 0},
        ReaderCase{"ClsidWithBlanks", kMagic + "\r\nname=A\r\nicon=B\r\nclsid5= 0000000000C \r\n", true, L"A",
                   L"B", L"", 0},
        ReaderCase{"ClsidSplittingTheKey", kMagic + "\r\nname=A\r\nicon=B\r\nclsid5=0000}\\{000C\r\n", true,
                   L"A", L"B", L"", 0},
        // A menu name is one key name; its command may hold any path.
        ReaderCase{"BackslashInMenuName", kHeader + "Open;x;\r\nTools\\Edit;y;\r\nLast;z;\r\n", true,
                   L"Tools", L"shell32.dll,3", kClsid, 1, L"Open", L"x"},
        ReaderCase{"BackslashInCommand", kHeader + "Open;C:\\Tools\\x.exe \"%1\";\r\n", false, L"Tools",
                   L"shell32.dll,3", kClsid, 1, L"Open", L"C:\\Tools\\x.exe \"%1\""},
        ReaderCase{"MenuNameOfTheLongestKeyName", kHeader + std::string(255, 'v') + ";x;\r\n", false,
                   L"Tools", L"shell32.dll,3", kClsid, 1, std::wstring(255, L'v'), L"x"},
        ReaderCase{"MenuNameLongerThanAKeyName", kHeader + "Open;x;\r\n" + std::string(256, 'v') + ";x;\r\n",
                   true, L"Tools", L"shell32.dll,3", kClsid, 1, L"Open", L"x"},
        ReaderCase{"AnsiBytesBecomeTheirCharacters",
                   kMagic + "\r\nname=Caf\xE9\r\nicon=x\r\nclsid5=00000000000C\r\n", false, L"Caf\u00E9",
                   L"x", L"{0000000D-CF0D-D10A-A240-00000000000C}", 0},
        ReaderCase{"TwentyMenuLines", kHeader + MenuLines(20), false, L"Tools", L"shell32.dll,3", kClsid, 20,
                   L"Verb 1", L"cmd1.exe"},
        ReaderCase{"TwentyOneMenuLinesAreRefused", kHeader + MenuLines(21), true, L"Tools", L"shell32.dll,3",
                   kClsid, 20, L"Verb 1", L"cmd1.exe"}),
    [](const testing::TestParamInfo<ReaderCase>& info) { return std::string(info.param.name); });

// The keys match in any letter case by the same folding as every other name
// of the program, whatever the file's code page: a character of the code page
// stands for a key letter exactly when the two fold alike. In code page 1254
// (Turkish) the capital of "i" is "\u0130", byte DD, which the Linux build
// folds to "i".
TEST(ReaderTest, KeyLettersMatchByTheProgramsOneCaseFolding) {
  for (unsigned number : {1252u, 1254u, 1251u}) {
    SCOPED_TRACE(number);
    const CodePage codePage(number);
    try {
      FromAnsi("A", codePage);
    } catch (const std::invalid_argument&) {
      continue;  // no such code page on this system
    }
    int accepted = 0;
    for (int byte = 0x21; byte <= 0xFF; ++byte) {
      const std::string letter(1, static_cast<char>(byte));
      SettingsFile file(kMagic + "\r\nname=A\r\n" + letter + "con=B\r\nclsid5=00000000000C\r\n");
      std::optional<TextInput> input = TextInput::Open(file.path());
      ASSERT_TRUE(input.has_value());
      FolderDefinition definition;
      const bool read = ReadDefinition(*input, definition, codePage);
      EXPECT_EQ(read, FoldCase(FromAnsi(letter, codePage)) == L"i") << "byte " << byte;
      accepted += read ? 1 : 0;
    }
    // "i" and "I" at least. Whether "\u0130" folds to "i" is the system's
    // table's say: it does in the C library's, not in Wine's LCMapStringW.
    EXPECT_GE(accepted, 2);
  }
}

TEST(ReaderTest, TwentyMenuLinesFillEverySlotInFileOrder) {
  ReadResult r = ReadBytes(kHeader + MenuLines(21));
  ASSERT_EQ(r.definition.MenuItems.size(), 20u);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(r.definition.MenuItems[i].MenuName, L"Verb " + std::to_wstring(i + 1));
    EXPECT_EQ(r.definition.MenuItems[i].MenuCommand, L"cmd" + std::to_wstring(i + 1) + L".exe");
  }
}

struct SplitCase {
  std::wstring line, name, command;
};

TEST(ReaderTest, SplitRule) {
  const SplitCase cases[] = {
      {L"A;B;", L"A", L"B"}, {L"A;B;C;D", L"A", L"B"}, {L"A;B", L"A", L""}, {L"A;", L"A", L""},
      {L";B;", L"", L"B"},   {L"A;;B;", L"A", L""},    {L"A", L"", L""},    {L"", L"", L""},
  };
  for (const SplitCase& c : cases) {
    MenuEntry entry = SplitMenuLine(c.line);
    EXPECT_EQ(entry.MenuName, c.name) << c.line;
    EXPECT_EQ(entry.MenuCommand, c.command) << c.line;
  }
}

TEST(ReaderTest, AnEmptyCommandLineReadsNothing) {
  FolderDefinition definition;
  EXPECT_FALSE(CheckCommandLine(L""));
  EXPECT_TRUE(CheckCommandLine(L" "));
  EXPECT_EQ(ReadSettings(L"", definition), SettingsRead::NoFileNamed);
  EXPECT_TRUE(definition.FolderName.empty());
}

TEST(ReaderTest, PathsThatNameNoReadableFile) {
  SettingsFile file(kHeader, "with blank.nwk");
  const std::wstring cases[] = {
      file.dir(),                    // a folder
      file.path() + L".missing",     // no such file
      L"\"" + file.path() + L"\"x",  // quotes that do not surround the whole text
      L"\"\"",                       // quotes around nothing
  };
  for (const std::wstring& path : cases) {
    ReadResult r = Read(path);
    EXPECT_EQ(r.read, SettingsRead::Incomplete);
    EXPECT_TRUE(r.definition.FolderName.empty());
  }
}

TEST(ReaderTest, PathWithBlanksWorksPlainAndInOnePairOfQuotes) {
  SettingsFile file(kHeader, "with blank.nwk");
  for (const std::wstring& commandLine : {file.path(), L"\"" + file.path() + L"\""}) {
    ReadResult r = Read(commandLine);
    EXPECT_EQ(r.read, SettingsRead::Complete);
    EXPECT_EQ(r.definition.FolderClsid, kClsid);
  }
}

TEST(ReaderTest, FileIsClosedAfterSuccessAndFailure) {
  for (const std::string& bytes : {kHeader, kMagic + "\r\nnam=x\r\n"}) {
    SettingsFile file(bytes);
    Read(file.path());
    fs::path renamed = fs::path(file.path()).concat(L".moved");
    std::error_code error;
    fs::rename(file.path(), renamed, error);
    EXPECT_FALSE(error) << error.message();
    EXPECT_TRUE(fs::remove(renamed, error)) << error.message();
  }
}

TEST(ReaderTest, ShowDefinitionCopiesFiveFieldsVerbatimInOrder) {
  FolderDefinition d;
  d.FolderName = L"A & B";
  d.FolderClsid = kClsid;
  d.FolderIcon = L" icon ";
  d.MenuItems = {{L"First", L"first.exe"}, {L"Second", L"second.exe"}};
  FakeWindow window;
  ShowDefinition(window, d);
  EXPECT_EQ(window.events,
            (std::vector<std::wstring>{L"field 0", L"field 1", L"field 2", L"field 3", L"field 4"}));
  const std::wstring expected[] = {L"A & B", kClsid, L" icon ", L"First", L"first.exe"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(window.fields[i], expected[i]);
}

}  // namespace
}  // namespace nw::test
