// Text in ANSI code pages other than the Western one: the conversions, the
// settings reader, the registry backends and the registration, with the
// double-byte code page 932 (where the second byte of a character can be a
// backslash or an ASCII letter), the Cyrillic 1251, and UTF-8 (65001), which
// Windows 10 1903 and later may use as the ANSI code page (three bytes a
// character for Devanagari, four and two UTF-16 units beyond U+FFFF).
//
// Byte strings are split where a hex escape would otherwise run on into the
// next character ("\x83\x41" "b").
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "EasyReg/MemoryRegistry.h"
#include "NW_Core/Layout.h"
#include "NW_Core/NW_Core.h"
#include "NW_Core/SettingsGrammar.h"
#include "NW_Core/Texts.h"
#include "platform/AnsiText.h"
#include "support/Backends.h"
#include "support/Fakes.h"
#include "support/Kit.h"
#include "support/RegistryDump.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace nw::test {
namespace {

namespace fs = std::filesystem;

// Characters of 932 used below: 表 95 5C, 示 8E A6, ソ 83 5C, フ 83 74, ト 83 67,
// 能 94 5C, ア 83 41, ヂ 83 61, Ａ 82 60, ａ 82 81, 亜 88 9F, halfwidth ｸ B8.
// Of 1251: А C0, Ё A8, Ч D7, Я DF, ё B8, ч F7, я FF.
// Of 65001: क E0 A4 95, ख E0 A4 96, ग E0 A4 97, Я D0 AF, я D1 8F, 😀 F0 9F 98 80
// (U+1F600, two UTF-16 units).

// --- Conversions -----------------------------------------------------------

enum class Direction { Both, ToText, ToBytes };

struct ConversionCase {
  const char* name;
  unsigned codePage;
  std::string bytes;
  std::wstring text;
  Direction direction = Direction::Both;
};

void PrintTo(const ConversionCase& c, std::ostream* out) {
  *out << c.name;
}

class CodePageConversion : public testing::TestWithParam<ConversionCase> {};

TEST_P(CodePageConversion, ConvertsAsWindowsDoes) {
  const ConversionCase& c = GetParam();
  const CodePage codePage(c.codePage);
  if (c.direction != Direction::ToBytes) {
    EXPECT_EQ(FromAnsi(c.bytes, codePage), c.text);
  }
  if (c.direction != Direction::ToText) {
    EXPECT_EQ(HexBytes(ToAnsi(c.text, codePage)), HexBytes(c.bytes));
  }
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, CodePageConversion,
    testing::Values(ConversionCase{"Cp932_BackslashTrailBytes", 932, "\x95\x5C\x83\x5C", L"\u8868\u30BD"},
                    ConversionCase{"Cp932_LetterTrailBytes", 932, "\x83\x41\x83\x61", L"\u30A2\u30C2"},
                    ConversionCase{"Cp932_AsciiAndHalfwidth", 932, "a\\b\xB8", L"a\\b\uFF78"},
                    ConversionCase{"Cp932_LeadByteTakesTheNextByte", 932, "\x81 x", L"\u30FBx",
                                   Direction::ToText},
                    ConversionCase{"Cp932_LeadByteAtTheEnd", 932, "a\x95", L"a\u30FB", Direction::ToText},
                    ConversionCase{"Cp932_Unrepresentable", 932, "a?", L"a\u20AC", Direction::ToBytes},
                    ConversionCase{"Cp1251_Cyrillic", 1251, "\xC0\xFF\xA8\xB8", L"\u0410\u044F\u0401\u0451"},
                    ConversionCase{"Cp1251_ByteWithoutCharacter", 1251, "\x98", L"\u0098"},
                    ConversionCase{"Cp1251_Unrepresentable", 1251, "?", L"\u4E9C", Direction::ToBytes},
                    ConversionCase{"Cp1252_Western", 1252, "Caf\xE9 \x80", L"Caf\u00E9 \u20AC"},
                    ConversionCase{"Cp1252_BytesWithoutCharacter", 1252, "\x81\x8D\x8F\x90\x9D",
                                   L"\u0081\u008D\u008F\u0090\u009D"},
                    ConversionCase{"Cp1252_Unrepresentable", 1252, "?", L"\u4E9C", Direction::ToBytes},
                    ConversionCase{"Cp65001_ThreeAndFourBytes", 65001,
                                   "\xE0\xA4\x95"
                                   "a\xF0\x9F\x98\x80",
                                   L"\u0915a\U0001F600"},
                    // A broken-off sequence, a byte that starts none, a lone
                    // continuation byte, an overlong lead: each one U+FFFD.
                    ConversionCase{"Cp65001_BrokenSequences", 65001,
                                   "a\xE3\x81"
                                   "x\xFF"
                                   "\x80"
                                   "\xC0\x80"
                                   "\xF0\x9F\x98"
                                   "b",
                                   L"a\uFFFDx\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDb", Direction::ToText},
                    ConversionCase{"Cp65001_LoneSurrogate", 65001,
                                   "\xEF\xBF\xBD"
                                   "a",
                                   std::wstring{static_cast<wchar_t>(0xD800), L'a'}, Direction::ToBytes}),
    [](const testing::TestParamInfo<ConversionCase>& info) { return std::string(info.param.name); });

#ifdef _WIN32
// The test script's runs in other locales name the code page they set up: a
// run whose processes did not get it would only skip the cases written for it.
TEST(CodePageProcess, Cp932Cp1251AndCp65001RunsGetTheirCodePage) {
  const char* expected = std::getenv("NW_EXPECTED_ACP");
  if (expected == nullptr) GTEST_SKIP() << "not one of the test script's code-page runs";
  EXPECT_EQ(GetACP(), std::strtoul(expected, nullptr, 10));
}
#endif

TEST(CodePageDefault, IsTheSystemsCodePage) {
  const unsigned system = CodePage{}.Number();
#ifdef _WIN32
  EXPECT_EQ(system, GetACP());
#else
  EXPECT_EQ(system, 1252u);
#endif
  std::string every;
  for (int b = 1; b < 256; ++b) every += static_cast<char>(b);
  EXPECT_EQ(FromAnsi(every), FromAnsi(every, CodePage(system)));
  const std::wstring text = FromAnsi(every);
  EXPECT_EQ(ToAnsi(text), ToAnsi(text, CodePage(system)));
}

// --- The settings reader ---------------------------------------------------

struct Read {
  FolderDefinition definition;
  SettingsRead read = SettingsRead::NoFileNamed;
};

Read ReadFile(const std::string& bytes, CodePage codePage) {
  SettingsFile file(bytes);
  Read read;
  read.read = ReadSettings(file.path(), read.definition, codePage);
  return read;
}

// Skips a row written for the Western code page where the system has another.
bool SystemIsNot1252(unsigned codePage) {
  return codePage == 0 && CodePage{}.Number() != 1252;
}

std::string Repeat(const std::string& bytes, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += bytes;
  return out;
}
std::wstring RepeatText(const std::wstring& text, std::size_t times) {
  std::wstring out;
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

struct ReaderCase {
  const char* name;
  unsigned codePage;  // 0: the system's
  std::string bytes;  // after the magic line
  bool refused;
  std::wstring folderName, folderIcon, folderClsid;
  std::size_t menuCount;
  std::wstring menuName = {}, menuCommand = {};
};

void PrintTo(const ReaderCase& c, std::ostream* out) {
  *out << c.name;
}

class CodePageReader : public testing::TestWithParam<ReaderCase> {};

TEST_P(CodePageReader, MatchesKeysOnCharactersAndKeepsValuesWhole) {
  const ReaderCase& c = GetParam();
  if (SystemIsNot1252(c.codePage)) GTEST_SKIP() << "the row is written for code page 1252";
  // Read in the row's code page and, where the system has that one, in the system's.
  std::vector<CodePage> readings{CodePage(c.codePage)};
  if (c.codePage != 0 && CodePage{}.Number() == c.codePage) readings.push_back(CodePage{});
  for (const CodePage codePage : readings) {
    SCOPED_TRACE(codePage.IsSystem() ? "the system's code page" : "the row's code page");
    const Read r = ReadFile(kMagicLine + c.bytes, codePage);
    EXPECT_EQ(r.read, c.refused ? SettingsRead::Incomplete : SettingsRead::Complete);
    EXPECT_EQ(r.definition.FolderName, c.folderName);
    EXPECT_EQ(r.definition.FolderIcon, c.folderIcon);
    EXPECT_EQ(r.definition.FolderClsid, c.folderClsid);
    ASSERT_EQ(r.definition.MenuItems.size(), c.menuCount);
    const MenuEntry first = r.definition.MenuItems.empty() ? MenuEntry{} : r.definition.MenuItems[0];
    EXPECT_EQ(first.MenuName, c.menuName);
    EXPECT_EQ(first.MenuCommand, c.menuCommand);
  }
}

std::wstring Clsid(const std::wstring& clsid5) {
  return grammar::kClsidPrefix + clsid5 + grammar::kClsidSuffix;
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, CodePageReader,
    testing::Values(
        ReaderCase{"Cp932_BackslashTrailBytesStayInTheirCharacters", 932,
                   "name=\x95\x5C\x8E\xA6\r\n"
                   "icon=C:\\\x83\x5C\x83\x74\x83\x67\\\x94\x5C.ico\r\n"
                   "clsid5=00000000000C\r\n"
                   "\x95\x5C\x8E\xA6;\x83\x5C\x83\x74\x83\x67.exe \\\x95\x5C;\r\n",
                   false, L"\u8868\u793A", L"C:\\\u30BD\u30D5\u30C8\\\u80FD.ico", Clsid(L"00000000000C"), 1,
                   L"\u8868\u793A", L"\u30BD\u30D5\u30C8.exe \\\u8868"},
        // Twelve bytes, but eleven characters and not all digits.
        ReaderCase{"Cp932_ClsidWithABackslashTrailByteIsRefused", 932,
                   "name=A\r\nicon=I\r\nclsid5=0000000000\x95\x5C\r\n", true, L"A", L"I", L"", 0},
        ReaderCase{"Cp932_KeysInAnyCaseLetterTrailBytesUnchanged", 932,
                   "NAME=\x83\x41\x83\x61\r\nIcon=\x82\x60\r\nClsId5=00000000000C\r\n\x83\x41;\x82\x81;\r\n",
                   false, L"\u30A2\u30C2", L"\uFF21", Clsid(L"00000000000C"), 1, L"\u30A2", L"\uFF41"},
        ReaderCase{"Cp932_FullwidthKeyIsNoKey", 932,
                   "\x82\x8E\x82\x81\x82\x8D\x82\x85\x81\x81x\r\nicon=I\r\nclsid5=00000000000C\r\n", true,
                   L"", L"", L"", 0},
        ReaderCase{"Cp932_LeadByteAtLineEndKeepsTheLineEnd", 932,
                   "name=a\x95\r\nicon=I\r\nclsid5=00000000000C\r\n", false, L"a\u30FB", L"I",
                   Clsid(L"00000000000C"), 0},
        ReaderCase{"Cp1251_Cyrillic", 1251,
                   "name=\xCF\xE0\xEF\xEA\xE0\r\nicon=I\r\nclsid5=00000000000C\r\n"
                   "\xCE\xF2\xEA\xF0\xFB\xF2\xFC;\xD7\\\xFF.exe;\r\n",
                   false, L"\u041F\u0430\u043F\u043A\u0430", L"I", Clsid(L"00000000000C"), 1,
                   L"\u041E\u0442\u043A\u0440\u044B\u0442\u044C", L"\u0427\\\u044F.exe"},
        // फ़ोल्डर, खोलें
        ReaderCase{
            "Cp65001_Devanagari", 65001,
            "name=\xE0\xA4\xAB\xE0\xA4\xBC\xE0\xA5\x8B\xE0\xA4\xB2\xE0\xA5\x8D\xE0\xA4\xA1\xE0\xA4\xB0\r\n"
            "icon=I\r\nclsid5=00000000000C\r\n"
            "\xE0\xA4\x96\xE0\xA5\x8B\xE0\xA4\xB2\xE0\xA5\x87\xE0\xA4\x82;\xE0\xA4\x95.exe;\r\n",
            false, L"\u092B\u093C\u094B\u0932\u094D\u0921\u0930", L"I", Clsid(L"00000000000C"), 1,
            L"\u0916\u094B\u0932\u0947\u0902", L"\u0915.exe"},
        // A key name holds 255 UTF-16 units: 127 characters beyond U+FFFF and one more.
        ReaderCase{
            "Cp65001_VerbNameOf255Units", 65001,
            "name=A\r\nicon=I\r\nclsid5=00000000000C\r\n" + Repeat("\xF0\x9F\x98\x80", 127) + "a;x;\r\n",
            false, L"A", L"I", Clsid(L"00000000000C"), 1, RepeatText(L"\U0001F600", 127) + L"a", L"x"},
        ReaderCase{
            "Cp65001_VerbNameOf256UnitsIsRefused", 65001,
            "name=A\r\nicon=I\r\nclsid5=00000000000C\r\n" + Repeat("\xF0\x9F\x98\x80", 128) + ";x;\r\n", true,
            L"A", L"I", Clsid(L"00000000000C"), 0},
        // Broken sequences are read as Windows reads them, and the file is still read.
        ReaderCase{"Cp65001_BrokenSequence", 65001, "name=a\xE0\xA4\r\nicon=I\r\nclsid5=00000000000C\r\n",
                   false, L"a\uFFFD", L"I", Clsid(L"00000000000C"), 0},
        ReaderCase{"Default_SystemCodePage", 0,
                   "name=Caf\xE9\r\nicon=I\r\nclsid5=00000000000C\r\n\x80;x;\r\n", false, L"Caf\u00E9", L"I",
                   Clsid(L"00000000000C"), 1, L"\u20AC", L"x"}),
    [](const testing::TestParamInfo<ReaderCase>& info) { return std::string(info.param.name); });

// A byte-order mark in front of the magic line refuses the file in UTF-8 too,
// where it is one character (U+FEFF) and Notepad may write it.
TEST(CodePageReaderMark, Cp65001_AByteOrderMarkBeforeTheMagicLineRefusesTheFile) {
  const std::string rest = "name=A\r\nicon=I\r\nclsid5=00000000000C\r\n";
  std::vector<CodePage> readings{kUtf8};
  if (CodePage{}.Number() == kUtf8.Requested()) readings.push_back(CodePage{});
  for (const CodePage codePage : readings) {
    SCOPED_TRACE(codePage.IsSystem() ? "the system's code page" : "UTF-8");
    EXPECT_EQ(ReadFile(kMagicLine + rest, codePage).read, SettingsRead::Complete);
    EXPECT_EQ(ReadFile("\xEF\xBB\xBF" + kMagicLine + rest, codePage).read, SettingsRead::Incomplete);
  }
}

#ifndef _WIN32
// Names of files and the arguments of nwk are UTF-8 on Linux, whatever the
// code page of the file's text.
TEST(CodePageFileNames, AreUtf8HereAndTheTextKeepsItsCodePage) {
  const fs::path dir = fs::temp_directory_path() / "nw-codepage-names";
  fs::create_directories(dir);
  const std::string name = "caf\xC3\xA9 \xE8\xA1\xA8.nwk";  // café 表.nwk
  std::ofstream(dir / name, std::ios::binary)
      << kMagicLine + "name=\x95\x5C\r\nicon=I\r\nclsid5=00000000000C\r\n";
  FolderDefinition definition;
  EXPECT_EQ(ReadSettings(FromAnsi(dir.string() + "/" + name, kUtf8), definition, CodePage(932)),
            SettingsRead::Complete);
  EXPECT_EQ(definition.FolderName, L"\u8868");
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}
#endif

// --- The registry backends -------------------------------------------------

const std::string kSandbox = "Software\\NookwayerTests\\CodePage";
constexpr std::uint32_t kAll = kKeyRights | kKeyWow64_64Key;

// Opens a registry of the backend for the code page, or skips the test.
#define NW_OPEN_REGISTRY(backend, codePage)                                \
  do {                                                                     \
    std::string why;                                                       \
    registry = (backend).make(CodePage(codePage), why);                    \
    if (!registry) GTEST_SKIP() << (backend).name << " registry: " << why; \
  } while (false)

struct NamesCase {
  const char* name;
  unsigned codePage;
  std::vector<std::string> keys;    // created below the sandbox, in this order
  std::vector<std::string> values;  // written into the sandbox key, in this order
  std::string dump;                 // of the sandbox afterwards
};

void PrintTo(const NamesCase& c, std::ostream* out) {
  *out << c.name;
}

using NamesParam = std::tuple<CodePageBackend, NamesCase>;

class CodePageRegistry : public testing::TestWithParam<NamesParam> {
 protected:
  void SetUp() override {
    NW_OPEN_REGISTRY(std::get<0>(GetParam()), std::get<1>(GetParam()).codePage);
    RemoveTree(*registry, kHkeyCurrentUser, kSandbox);
  }
  void TearDown() override {
    if (registry) RemoveTree(*registry, kHkeyCurrentUser, kSandbox);
  }
  std::unique_ptr<Registry> registry;
};

TEST_P(CodePageRegistry, SplitsComparesAndListsNamesAsCharacters) {
  const NamesCase& c = std::get<1>(GetParam());
  UniqueKey sandbox(*registry);
  ASSERT_EQ(registry->CreateKey(RootHandle(kHkeyCurrentUser), kSandbox, kAll, sandbox.put()), kErrorSuccess);
  for (const std::string& path : c.keys) {
    UniqueKey key(*registry);
    EXPECT_EQ(registry->CreateKey(sandbox.get(), path, kAll, key.put()), kErrorSuccess) << HexBytes(path);
  }
  for (const std::string& name : c.values)
    EXPECT_EQ(registry->SetValue(sandbox.get(), name, kRegSz, {0}), kErrorSuccess) << HexBytes(name);
  EXPECT_EQ(DumpTree(*registry, kHkeyCurrentUser, kSandbox), c.dump);
}

std::string NamesCaseName(const testing::TestParamInfo<NamesParam>& info) {
  return std::get<0>(info.param).name + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, CodePageRegistry,
    testing::Combine(testing::ValuesIn(CodePageBackends()),
                     testing::Values(
                         // A byte-wise split would make 95 and "\Sub" of 95 5C "\Sub".
                         NamesCase{"Cp932_BackslashTrailByteSplitsNoName",
                                   932,
                                   {"\x95\x5C\\Sub", "\x83\x5C\x95\x5C"},
                                   {"\x95\x5C"},
                                   "[]\n\x95\x5C=1:00\n[\x83\x5C\x95\x5C]\n[\x95\x5C]\n[\x95\x5C\\Sub]\n"},
                         // Trail bytes 41 and 61 are A and a, but ア and ヂ are different characters.
                         NamesCase{"Cp932_LetterTrailBytesAreNoLetters",
                                   932,
                                   {"\x83\x41", "\x83\x61"},
                                   {"\x83\x41", "\x83\x61"},
                                   "[]\n\x83\x41=1:00\n\x83\x61=1:00\n[\x83\x41]\n[\x83\x61]\n"},
                         NamesCase{"Cp932_FullwidthLettersMatchInAnyCase",
                                   932,
                                   {"\x82\x60", "\x82\x81\\Sub"},
                                   {"\x82\x60", "\x82\x81"},
                                   "[]\n\x82\x60=1:00\n[\x82\x60]\n[\x82\x60\\Sub]\n"},
                         // Listed by lower-case characters: _ b ア ａ ｸ, where bytes would put ａ before ア.
                         NamesCase{"Cp932_ListedInCharacterOrder",
                                   932,
                                   {"b", "\xB8", "\x82\x81", "_", "\x83\x41"},
                                   {},
                                   "[]\n[_]\n[b]\n[\x83\x41]\n[\x82\x81]\n[\xB8]\n"},
                         NamesCase{"Cp1251_CyrillicMatchesInAnyCase",
                                   1251,
                                   {"\xD7", "\xF7\\Sub", "\xDF", "\xFF\\Sub", "\xA8", "\xB8"},
                                   {"\xD7", "\xF7"},
                                   "[]\n\xD7=1:00\n[\xD7]\n[\xD7\\Sub]\n[\xDF]\n[\xDF\\Sub]\n[\xA8]\n"},
                         // я (044F) before ё (0451), where bytes would put B8 before FF.
                         NamesCase{"Cp1251_ListedInCharacterOrder",
                                   1251,
                                   {"b", "\xB8", "\xFF", "_"},
                                   {},
                                   "[]\n[_]\n[b]\n[\xFF]\n[\xB8]\n"},
                         // The same bytes as above are other characters in 1252: × ÷ ß ÿ.
                         NamesCase{"Cp1252_SameBytesOtherCharacters",
                                   1252,
                                   {"\xD7", "\xF7", "\xDF", "\xFF", "\xC9", "\xE9\\Sub"},
                                   {},
                                   "[]\n[\xD7]\n[\xDF]\n[\xC9]\n[\xC9\\Sub]\n[\xF7]\n[\xFF]\n"},
                         NamesCase{"Cp65001_NamesOfThreeBytesACharacter",
                                   65001,
                                   {"\xE0\xA4\x95\xE0\xA4\x96\\Sub", "\xE0\xA4\x97"},
                                   {"\xE0\xA4\x95"},
                                   "[]\n\xE0\xA4\x95=1:00\n[\xE0\xA4\x95\xE0\xA4\x96]\n"
                                   "[\xE0\xA4\x95\xE0\xA4\x96\\Sub]\n[\xE0\xA4\x97]\n"},
                         NamesCase{"Cp65001_CyrillicMatchesInAnyCase",
                                   65001,
                                   {"\xD0\xAF", "\xD1\x8F\\Sub"},
                                   {"\xD0\xAF", "\xD1\x8F"},
                                   "[]\n\xD0\xAF=1:00\n[\xD0\xAF]\n[\xD0\xAF\\Sub]\n"},
                         // By UTF-16 units: 😀 (D83D DE00) before ａ (FF41), where code points
                         // would put U+1F600 last.
                         NamesCase{"Cp65001_ListedByUtf16Units",
                                   65001,
                                   {"\xF0\x9F\x98\x80", "\xEF\xBC\xA1", "b"},
                                   {},
                                   "[]\n[b]\n[\xF0\x9F\x98\x80]\n[\xEF\xBC\xA1]\n"})),
    NamesCaseName);

// One character of the code page that takes more than one byte.
struct LimitsCase {
  const char* name;
  unsigned codePage;
  std::string character;
};

void PrintTo(const LimitsCase& c, std::ostream* out) {
  *out << c.name;
}

using LimitsParam = std::tuple<CodePageBackend, LimitsCase>;

class CodePageLimits : public testing::TestWithParam<LimitsParam> {
 protected:
  void SetUp() override {
    NW_OPEN_REGISTRY(std::get<0>(GetParam()), std::get<1>(GetParam()).codePage);
    RemoveTree(*registry, kHkeyCurrentUser, kSandbox);
  }
  void TearDown() override {
    if (registry) RemoveTree(*registry, kHkeyCurrentUser, kSandbox);
  }
  std::string Characters(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += std::get<1>(GetParam()).character;
    return text;
  }
  std::unique_ptr<Registry> registry;
};

TEST_P(CodePageLimits, NamesAndPathsAreMeasuredInCharacters) {
  UniqueKey key(*registry);
  // A name of 200 characters in more bytes, and a path of 260 characters in more bytes.
  const std::size_t room = 260 - kSandbox.size() - 1;
  EXPECT_EQ(
      registry->CreateKey(RootHandle(kHkeyCurrentUser), kSandbox + "\\" + Characters(200), kAll, key.put()),
      kErrorSuccess);
  EXPECT_EQ(
      registry->CreateKey(RootHandle(kHkeyCurrentUser), kSandbox + "\\" + Characters(room), kAll, key.put()),
      kErrorSuccess);
  EXPECT_EQ(registry->CreateKey(RootHandle(kHkeyCurrentUser), kSandbox + "\\" + Characters(room + 1), kAll,
                                key.put()),
            kErrorMoreData);
  // One name of 256 characters, not one more, and the ANSI calls list it whole.
  UniqueKey sandbox(*registry);
  ASSERT_EQ(registry->OpenKey(RootHandle(kHkeyCurrentUser), kSandbox, kAll, sandbox.put()), kErrorSuccess);
  EXPECT_EQ(registry->CreateKey(sandbox.get(), Characters(256), kAll, key.put()), kErrorSuccess);
  EXPECT_EQ(registry->CreateKey(sandbox.get(), Characters(257), kAll, key.put()), kErrorInvalidParameter);
  key.reset();
  EXPECT_EQ(DumpTree(*registry, kHkeyCurrentUser, kSandbox),
            "[]\n[" + Characters(200) + "]\n[" + Characters(room) + "]\n[" + Characters(256) + "]\n");
  EXPECT_EQ(registry->DeleteKey(sandbox.get(), Characters(256), kAll), kErrorSuccess);
}

std::string LimitsCaseName(const testing::TestParamInfo<LimitsParam>& info) {
  return std::get<0>(info.param).name + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(CodePages, CodePageLimits,
                         testing::Combine(testing::ValuesIn(CodePageBackends()),
                                          testing::Values(LimitsCase{"Cp932", 932, "\x88\x9F"},  // 亜
                                                          LimitsCase{"Cp65001", 65001,
                                                                     "\xE0\xA4\x95"})),  // क
                         LimitsCaseName);

// --- Registration ----------------------------------------------------------

struct RegistrationCase {
  const char* name;
  unsigned codePage;  // 0: the system's
  std::string clsid5, folderName, verb, command;
};

void PrintTo(const RegistrationCase& c, std::ostream* out) {
  *out << c.name;
}

using RegistrationParam = std::tuple<CodePageBackend, RegistrationCase>;

class CodePageRegistration : public testing::TestWithParam<RegistrationParam> {
 protected:
  void SetUp() override {
    const RegistrationCase& c = std::get<1>(GetParam());
    if (SystemIsNot1252(c.codePage)) GTEST_SKIP() << "the row is written for code page 1252";
    NW_OPEN_REGISTRY(std::get<0>(GetParam()), c.codePage);
    classKey = "Software\\Classes\\CLSID\\{0000000D-CF0D-D10A-A240-" + c.clsid5 + "}";
    desktopKey = ToAnsi(layout::kDesktopNameSpace) + "\\{0000000D-CF0D-D10A-A240-" + c.clsid5 + "}";
    Clean();
  }
  void TearDown() override {
    if (registry) Clean();
  }
  void Clean() {
    RemoveTree(*registry, kHkeyLocalMachine, classKey);
    RemoveTree(*registry, kHkeyLocalMachine, desktopKey);
  }
  std::unique_ptr<Registry> registry;
  std::string classKey, desktopKey;
};

TEST_P(CodePageRegistration, MakeLinkWritesEachVerbAsOneKeyAndRemoveLinkLeavesNothing) {
  const RegistrationCase& c = std::get<1>(GetParam());
  const CodePage codePage(c.codePage);
  SettingsFile file(kMagicLine + "name=" + c.folderName + "\r\nicon=I\r\nclsid5=" + c.clsid5 + "\r\n" +
                    c.verb + ";" + c.command + ";\r\n");
  FakePlatform fake(*registry, file.path());
  FolderDefinition definition;
  ASSERT_EQ(ReadSettings(file.path(), definition, codePage), SettingsRead::Complete);
  ASSERT_EQ(definition.MenuItems.size(), 1u);

  MakeLink(fake.link, definition, Placement::Desktop);
  // The verb is one key, whatever its trail bytes, and its command comes back byte for byte.
  EXPECT_EQ(DumpTree(*registry, kHkeyLocalMachine, classKey + "\\Shell"),
            "[]\n[" + c.verb + "]\n[" + c.verb + "\\Command]\n@=1:" + HexBytes(c.command + '\0') + "\n");
  EXPECT_TRUE(DumpTree(*registry, kHkeyLocalMachine, classKey)
                  .starts_with("[]\n@=1:" + HexBytes(c.folderName + '\0')));
  EXPECT_TRUE(KeyExists(*registry, kHkeyLocalMachine, desktopKey));

  RemoveLink(fake.link, definition);
  EXPECT_EQ(DumpTree(*registry, kHkeyLocalMachine, classKey), "");
  EXPECT_FALSE(KeyExists(*registry, kHkeyLocalMachine, desktopKey));
}

std::string RegistrationCaseName(const testing::TestParamInfo<RegistrationParam>& info) {
  return std::get<0>(info.param).name + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, CodePageRegistration,
    testing::Combine(
        testing::ValuesIn(CodePageBackends()),
        testing::Values(
            // 表示 "Show", 表 and ソ with a backslash as their second byte.
            RegistrationCase{"Cp932", 932, "00000CD00932", "\x95\x5C\x83\x5C", "\x95\x5C\x8E\xA6",
                             "\x83\x5C\x83\x74\x83\x67.exe"},
            // Папка, Открыть, Чтение.exe
            RegistrationCase{"Cp1251", 1251, "00000CD01251", "\xCF\xE0\xEF\xEA\xE0",
                             "\xCE\xF2\xEA\xF0\xFB\xF2\xFC", "\xD7\xF2\xE5\xED\xE8\xE5.exe"},
            // फ़ोल्डर, खोलें, क.exe
            RegistrationCase{
                "Cp65001", 65001, "0000CD065001",
                "\xE0\xA4\xAB\xE0\xA4\xBC\xE0\xA5\x8B\xE0\xA4\xB2\xE0\xA5\x8D\xE0\xA4\xA1\xE0\xA4\xB0",
                "\xE0\xA4\x96\xE0\xA5\x8B\xE0\xA4\xB2\xE0\xA5\x87\xE0\xA4\x82", "\xE0\xA4\x95.exe"},
            RegistrationCase{"Default", 0, "00000CD00000", "Caf\xE9",
                             "\xC9"
                             "diter",
                             "\x80.exe"})),
    RegistrationCaseName);

}  // namespace
}  // namespace nw::test
