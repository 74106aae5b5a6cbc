// The strict .reg reader the exports are checked with, and the exports held to
// what make and remove do for every input the fuzzer keeps.
#include <gtest/gtest.h>

#include <filesystem>

#include "nwk/Nwk.h"
#include "support/ExportCheck.h"
#include "support/RegReader.h"

namespace nw::test {
namespace {

namespace fs = std::filesystem;
using Kind = RegEntry::Kind;

std::string File(const std::wstring& body) {
  return "\xFF\xFE" + Utf16Le(L"Windows Registry Editor Version 5.00\r\n\r\n" + body);
}

std::vector<std::uint8_t> Sz(const std::wstring& text) {
  const std::string bytes = Utf16Le(text + L'\0');
  return {bytes.begin(), bytes.end()};
}

TEST(StrictRegReader, ReadsSectionsValuesAndDeletions) {
  const std::vector<RegEntry> entries = ReadRegFile(File(
      L"; a comment\r\n[HKEY_CLASSES_ROOT\\CLSID\\{x} [a]\r\n@=\"C:\\\\a \\\"b\\\"\"\r\n"
      L"\"Attributes\"=hex:00,0A,ff\r\n\"Long\"=hex(1):61,00,\\\r\n  0a,00,00,00\r\n\"N\"=dword:0000010a\r\n"
      L"\r\n[-HKEY_CURRENT_USER\\Software\\x]\r\n[HKEY_LOCAL_MACHINE\\Software\\y]\r\n\"q\\\"\\\\\"="
      L"\"\"\r\n"));
  const std::vector<RegEntry> expected = {
      {Kind::Key, kHkeyClassesRoot, L"CLSID\\{x} [a", {}, 0, {}},
      {Kind::Value, kHkeyClassesRoot, L"CLSID\\{x} [a", L"", kRegSz, Sz(L"C:\\a \"b\"")},
      {Kind::Value, kHkeyClassesRoot, L"CLSID\\{x} [a", L"Attributes", kRegBinary, {0x00, 0x0a, 0xff}},
      {Kind::Value, kHkeyClassesRoot, L"CLSID\\{x} [a", L"Long", kRegSz, Sz(L"a\n")},
      {Kind::Value, kHkeyClassesRoot, L"CLSID\\{x} [a", L"N", kRegDword, {0x0a, 0x01, 0, 0}},
      {Kind::DeleteKey, kHkeyCurrentUser, L"Software\\x", {}, 0, {}},
      {Kind::Key, kHkeyLocalMachine, L"Software\\y", {}, 0, {}},
      {Kind::Value, kHkeyLocalMachine, L"Software\\y", L"q\"\\", kRegSz, Sz(L"")},
  };
  EXPECT_EQ(entries, expected);
}

TEST(StrictRegReader, RefusesWhatAnImporterCouldReadOtherwise) {
  const std::string good = File(L"[HKEY_CURRENT_USER\\a]\r\n");
  const struct {
    std::string file;
    std::string why;
  } cases[] = {
      {File(L"[HKEY_CURRENT_USER\\a]b]\r\n"), "a stray \"]\""},
      {File(L"[HKEY_CURRENT_USER\\a]]\r\n"), "a stray \"]\""},
      {File(L"[HKEY_CURRENT_USER\\a] \r\n"), "does not end in \"]\""},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n@=\"x\" \r\n"), "text after a string's closing quote"},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n@=\"say \"hi\"\"\r\n"), "text after a string's closing quote"},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n\"na\"me\"=\"x\"\r\n"), "no \"=\" right after"},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n@=\"a\\nb\"\r\n"), "an escape other than"},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n@=\"open\r\n"), "without its closing quote"},
      {File(L" [HKEY_CURRENT_USER\\a]\r\n"), "neither a section nor a value"},
      {File(L"[HKEY_CURRENT_USER\\a\nb]\r\n"), "not CR LF"},
      {File(L"[HKEY_CURRENT_USER\\a\rb]\r\n"), "not CR LF"},
      {File(L"[HKEY_CURRENT_USER\\a]"), "no CR LF"},
      {File(L"[HKCU\\a]\r\n"), "unknown root key"},
      {File(L"[HKEY_CURRENT_USER\\]\r\n"), "no key below its root"},
      {File(L"@=\"x\"\r\n"), "outside a section"},
      {File(L"[-HKEY_CURRENT_USER\\a]\r\n@=\"x\"\r\n"), "outside a section"},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n\"\"=\"x\"\r\n"), "written \"@\""},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n@ =\"x\"\r\n"), "no \"=\" right after"},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n@=hex:0,1\r\n"), "pairs of hex digits"},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n@=hex:00 01\r\n"), "separated by commas"},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n@=hex:00,\r\n"), "a comma after the last"},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n@=hex:00,\\\r\n01\r\n"), "must be indented"},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n@=hex:00,\\\r\n"), "ends inside a continued value"},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n@=hex(x):00\r\n"), "hex type number"},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n@=dword:1\r\n"), "eight hex digits"},
      {File(L"[HKEY_CURRENT_USER\\a]\r\n@=-\r\n"), "no string, dword or hex"},
      {good.substr(2), "byte-order mark"},
      {good + "x", "odd number of bytes"},
      {"\xFF\xFE" + Utf16Le(L"REGEDIT4\r\n"), "not the version line"},
      {good + Utf16Le(std::wstring(L"x\0y\r\n", 5)), "a NUL character"},
  };
  ASSERT_NO_THROW(ReadRegFile(good));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    try {
      ReadRegFile(c.file);
      ADD_FAILURE() << "read";
    } catch (const RegSyntaxError& error) {
      EXPECT_NE(std::string(error.what()).find(c.why), std::string::npos) << error.what();
    }
  }
}

// Every seed, among them the input of every fault found: each read as a
// settings file must leave the exports holding to make and remove.
TEST(ExportProperty, HoldsForEveryKeptInput) {
  std::size_t complete = 0;
  for (const char* folder : {"seeds", "export-seeds"}) {
    const fs::path dir = fs::path(NW_FUZZ_DIR) / folder;
    for (const fs::directory_entry& file : fs::directory_iterator(dir)) {
      SCOPED_TRACE(file.path().string());
      std::optional<TextInput> input = TextInput::Open(file.path().wstring());
      ASSERT_TRUE(input);
      FolderDefinition definition;
      if (!ReadDefinition(*input, definition, CodePage(1252))) continue;
      ++complete;
      EXPECT_EQ(CheckExports(definition, CodePage(1252)), "");
    }
  }
  EXPECT_GT(complete, 0u);
}

}  // namespace
}  // namespace nw::test
