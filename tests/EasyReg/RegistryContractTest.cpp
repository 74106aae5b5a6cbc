// One set of expectations for every registry backend. Under Wine it runs
// against the real registry as well; where the two disagree, the in-memory
// registry is the one to mend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EasyReg/MemoryRegistry.h"
#include "platform/AnsiText.h"
#include "support/Backends.h"
#include "support/RegistryDump.h"

namespace nw::test {
namespace {

const std::string kSandbox = "Software\\NookwayerTests\\Contract";
constexpr std::uint32_t kAll = kKeyRights | kKeyWow64_64Key;

class RegistryContract : public testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    registry = GetParam().make();
    RemoveTree(*registry, kHkeyCurrentUser, kSandbox);
  }
  void TearDown() override { RemoveTree(*registry, kHkeyCurrentUser, kSandbox); }

  // Creates a key below the sandbox and hands its handle to the caller.
  UniqueKey Create(const std::string& path, long expected = kErrorSuccess) {
    UniqueKey key(*registry);
    EXPECT_EQ(registry->CreateKey(RootHandle(kHkeyCurrentUser), kSandbox + "\\" + path, kAll, key.put()),
              expected)
        << path;
    return key;
  }
  long Open(const std::string& path, std::uint32_t access = kAll) {
    UniqueKey key(*registry);
    return registry->OpenKey(RootHandle(kHkeyCurrentUser), kSandbox + "\\" + path, access, key.put());
  }
  std::string Dump() { return DumpTree(*registry, kHkeyCurrentUser, kSandbox); }

  std::unique_ptr<Registry> registry;
};

TEST_P(RegistryContract, CreateMakesEveryMissingKeyAndOpensExistingOnes) {
  { UniqueKey key = Create("One\\Two\\Three"); }
  EXPECT_EQ(Dump(), "[]\n[One]\n[One\\Two]\n[One\\Two\\Three]\n");
  UniqueKey again = Create("One\\Two");
  ASSERT_EQ(registry->SetValue(again.get(), "v", kRegSz, {'x', 0}), kErrorSuccess);
  UniqueKey third = Create("One\\Two");
  EXPECT_EQ(Dump(), "[]\n[One]\n[One\\Two]\nv=1:78,00\n[One\\Two\\Three]\n");
}

TEST_P(RegistryContract, KeyNamesMatchInAnyCaseAndKeepTheirFirstSpelling) {
  { UniqueKey key = Create("Alpha\\Beta"); }
  EXPECT_EQ(Open("ALPHA\\beta"), kErrorSuccess);
  { UniqueKey key = Create("aLPHA\\BETA\\Gamma"); }
  EXPECT_EQ(Dump(), "[]\n[Alpha]\n[Alpha\\Beta]\n[Alpha\\Beta\\Gamma]\n");
}

// Windows documents no order for either list. Wine lists both by the names'
// lower-case forms, unit by unit, so "_" and the other signs between "Z" and
// "a" come before every letter and a prefix before its longer names; the
// in-memory registry lists them the same way.
TEST_P(RegistryContract, KeysAndValuesAreListedInTheOrderOfTheirLowerCaseNames) {
  UniqueKey key = Create("Order");
  for (const char* name : {"delta", "Bravo", "_under", "alpha", "[bracket", "Charlie", "b", "B_", "a", "Z",
                           "1", "9x", "a_", "aa", "A1", "_", "`", "~", "^"}) {
    UniqueKey child = Create(std::string("Order\\") + name);
    ASSERT_EQ(registry->SetValue(key.get(), name, kRegSz, {0}), kErrorSuccess);
  }
  const std::vector<std::string> listed = {"1",     "9x",      "[bracket", "^",  "_",     "_under", "`",
                                           "a",     "A1",      "a_",       "aa", "alpha", "b",      "B_",
                                           "Bravo", "Charlie", "delta",    "Z",  "~"};
  std::string values, keys;
  for (const std::string& name : listed) {
    values += name + "=1:00\n";
    keys += "[Order\\" + name + "]\n";
  }
  EXPECT_EQ(Dump(), "[]\n[Order]\n" + values + keys);
}

TEST_P(RegistryContract, PathSyntax) {
  { UniqueKey key = Create("Doubled\\\\Backslash"); }
  { UniqueKey key = Create("Trailing\\"); }
  EXPECT_EQ(Dump(), "[]\n[Doubled]\n[Doubled\\Backslash]\n[Trailing]\n");
  UniqueKey key(*registry);
  EXPECT_EQ(registry->CreateKey(RootHandle(kHkeyCurrentUser), "\\" + kSandbox, kAll, key.put()),
            kErrorBadPathname);
}

TEST_P(RegistryContract, LengthLimitsOfPathsAndNames) {
  // The ANSI entry points take paths of up to 260 characters.
  const std::size_t room = 260 - kSandbox.size() - 1;
  { UniqueKey key = Create(std::string(room, 'p')); }
  { UniqueKey key = Create(std::string(room + 1, 'q'), kErrorMoreData); }
  EXPECT_EQ(Dump(), "[]\n[" + std::string(room, 'p') + "]\n");
  // One name may have up to 256 characters.
  UniqueKey key(*registry);
  const std::string longest(256, 'k');
  EXPECT_EQ(registry->CreateKey(RootHandle(kHkeyCurrentUser), longest, kAll, key.put()), kErrorSuccess);
  key.reset();
  EXPECT_EQ(registry->DeleteKey(RootHandle(kHkeyCurrentUser), longest, kAll), kErrorSuccess);
  EXPECT_EQ(registry->CreateKey(RootHandle(kHkeyCurrentUser), longest + "k", kAll, key.put()),
            kErrorInvalidParameter);
}

TEST_P(RegistryContract, ANulInsideANameIsRefused) {
  const std::string withNul("Cut\0Short", 9);
  UniqueKey sandbox = Create("Inside");
  UniqueKey key(*registry);
  EXPECT_EQ(registry->CreateKey(sandbox.get(), withNul, kAll, key.put()), kErrorInvalidParameter);
  EXPECT_EQ(registry->SetValue(sandbox.get(), withNul, kRegSz, {0}), kErrorInvalidParameter);
  { UniqueKey cut = Create("Inside\\Cut"); }
  EXPECT_EQ(registry->DeleteKey(sandbox.get(), withNul, kAll), kErrorInvalidParameter);
  EXPECT_EQ(Dump(), "[]\n[Inside]\n[Inside\\Cut]\n");
}

TEST_P(RegistryContract, OpenOfAMissingKeyIsNotFound) {
  EXPECT_EQ(Open("Nowhere"), kErrorFileNotFound);
  { UniqueKey key = Create("Here"); }
  EXPECT_EQ(Open("Here\\Nowhere"), kErrorFileNotFound);
}

TEST_P(RegistryContract, ValuesKeepTypeAndExactBytes) {
  UniqueKey key = Create("Values");
  const std::vector<std::uint8_t> sz{'s', 'h', 0}, empty{0}, bin(5, 0), dword{1, 2, 3, 4};
  ASSERT_EQ(registry->SetValue(key.get(), "", kRegSz, sz), kErrorSuccess);
  ASSERT_EQ(registry->SetValue(key.get(), "Empty", kRegSz, empty), kErrorSuccess);
  ASSERT_EQ(registry->SetValue(key.get(), "Bin", kRegBinary, bin), kErrorSuccess);
  ASSERT_EQ(registry->SetValue(key.get(), "Num", kRegDword, dword), kErrorSuccess);
  // A value name matches in any case: this overwrites "Bin" and keeps its spelling.
  ASSERT_EQ(registry->SetValue(key.get(), "BIN", kRegBinary, {9}), kErrorSuccess);
  EXPECT_EQ(Dump(), "[]\n[Values]\n@=1:73,68,00\nBin=3:09\nEmpty=1:00\nNum=4:01,02,03,04\n");
  long type = 0;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(registry->QueryValue(key.get(), "empty", type, data), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(data, empty);
  EXPECT_EQ(registry->QueryValue(key.get(), "Missing", type, data), kErrorFileNotFound);
}

// Reading a key's values by index gives, in one call each, what naming them
// and querying each by its name gives: the largest ones, larger than any
// first guess at their size, and values without any bytes as well.
TEST_P(RegistryContract, ValuesReadByIndexAreTheValuesQueriedByName) {
  UniqueKey key = Create("ByIndex");
  std::vector<std::uint8_t> large(70000);
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<std::uint8_t>(i * 7);
  const struct {
    std::wstring name;
    long type;
    std::vector<std::uint8_t> data;
  } values[] = {
      {L"", kRegSz, {'d', 0, 0, 0}},
      {L"Large", kRegBinary, large},
      {L"Nothing", kRegBinary, {}},
      {L"Num", kRegDword, {1, 2, 3, 4}},
      {L"\u00e9t\u00e9 \u2603", kRegExpandSz, {'%', 0, 'x', 0, '%', 0, 0, 0}},
  };
  for (const auto& v : values)
    ASSERT_EQ(registry->SetValueWide(key.get(), v.name, v.type, v.data), kErrorSuccess);
  std::uint32_t index = 0;
  for (;; ++index) {
    std::wstring name;
    long type = 0;
    std::vector<std::uint8_t> data{0xEE};
    const long rc = registry->ReadValueAtWide(key.get(), index, name, type, data);
    if (rc == kErrorNoMoreItems) break;
    ASSERT_EQ(rc, kErrorSuccess);
    std::wstring named;
    ASSERT_EQ(registry->EnumValueWide(key.get(), index, named), kErrorSuccess);
    EXPECT_EQ(name, named);
    long queriedType = 0;
    std::vector<std::uint8_t> queried;
    ASSERT_EQ(registry->QueryValueWide(key.get(), name, queriedType, queried), kErrorSuccess);
    EXPECT_EQ(type, queriedType) << index;
    EXPECT_EQ(data, queried) << index;
  }
  EXPECT_EQ(index, std::size(values));
}

TEST_P(RegistryContract, DeleteValueRemovesOneValueInAnyCaseAndNeedsTheSetValueRight) {
  UniqueKey key = Create("Values");
  for (const char* name : {"", "Keep", "Gone"})
    ASSERT_EQ(registry->SetValue(key.get(), name, kRegSz, {0}), kErrorSuccess);
  EXPECT_EQ(registry->DeleteValue(key.get(), "GONE"), kErrorSuccess);
  EXPECT_EQ(registry->DeleteValue(key.get(), ""), kErrorSuccess);  // the default value
  EXPECT_EQ(registry->DeleteValue(key.get(), "Gone"), kErrorFileNotFound);
  EXPECT_EQ(registry->DeleteValue(key.get(), std::string("Keep\0x", 6)), kErrorInvalidParameter);
  UniqueKey readOnly(*registry);
  ASSERT_EQ(
      registry->OpenKey(RootHandle(kHkeyCurrentUser), kSandbox + "\\Values", kReadRights, readOnly.put()),
      kErrorSuccess);
  EXPECT_EQ(registry->DeleteValue(readOnly.get(), "Keep"), kErrorAccessDenied);
  EXPECT_EQ(Dump(), "[]\n[Values]\nKeep=1:00\n");
}

TEST_P(RegistryContract, WritingNeedsTheSetValueRight) {
  { UniqueKey key = Create("ReadOnly"); }
  UniqueKey key(*registry);
  ASSERT_EQ(registry->OpenKey(RootHandle(kHkeyCurrentUser), kSandbox + "\\ReadOnly", kReadRights, key.put()),
            kErrorSuccess);
  EXPECT_EQ(registry->SetValue(key.get(), "v", kRegSz, {0}), kErrorAccessDenied);
}

TEST_P(RegistryContract, DeleteRemovesOnlyKeysWithoutSubkeys) {
  { UniqueKey key = Create("Parent\\Child"); }
  UniqueKey sandbox(*registry);
  ASSERT_EQ(registry->OpenKey(RootHandle(kHkeyCurrentUser), kSandbox, kAll, sandbox.put()), kErrorSuccess);
  EXPECT_EQ(registry->DeleteKey(sandbox.get(), "Parent", kAll), kErrorAccessDenied);
  EXPECT_EQ(registry->DeleteKey(sandbox.get(), "Missing", kAll), kErrorFileNotFound);
  EXPECT_EQ(registry->DeleteKey(sandbox.get(), "PARENT\\child", kAll), kErrorSuccess);
  EXPECT_EQ(registry->DeleteKey(sandbox.get(), "Parent", kAll), kErrorSuccess);
  EXPECT_EQ(Dump(), "[]\n");
}

TEST_P(RegistryContract, AHandleToADeletedKeyNoLongerWrites) {
  UniqueKey doomed = Create("Doomed");
  UniqueKey sandbox(*registry);
  ASSERT_EQ(registry->OpenKey(RootHandle(kHkeyCurrentUser), kSandbox, kAll, sandbox.put()), kErrorSuccess);
  ASSERT_EQ(registry->DeleteKey(sandbox.get(), "Doomed", kAll), kErrorSuccess);
  EXPECT_NE(registry->SetValue(doomed.get(), "v", kRegSz, {0}), kErrorSuccess);
  EXPECT_EQ(Dump(), "[]\n");
}

// Below a volatile key only volatile keys can be created; the volatile key
// itself, and what is already below it, open as any other.
TEST_P(RegistryContract, NoLastingKeyIsCreatedBelowAVolatileOne) {
  { UniqueKey key = Create("Lasting"); }
  ASSERT_EQ(CreateVolatileKey(*registry, kHkeyCurrentUser, kSandbox + "\\Lasting\\Passing"), kErrorSuccess);
  { UniqueKey key = Create("Lasting\\Passing"); }
  { UniqueKey key = Create("Lasting\\Passing\\Below", kErrorChildMustBeVolatile); }
  ASSERT_EQ(CreateVolatileKey(*registry, kHkeyCurrentUser, kSandbox + "\\Lasting\\Passing\\Also"),
            kErrorSuccess);
  { UniqueKey key = Create("Lasting\\Passing\\Also"); }
  { UniqueKey key = Create("Lasting\\Beside"); }
  EXPECT_EQ(Dump(), "[]\n[Lasting]\n[Lasting\\Beside]\n[Lasting\\Passing]\n[Lasting\\Passing\\Also]\n");
}

// --- The wide-character calls ------------------------------------------------

std::vector<std::uint8_t> Data(std::string_view bytes) {
  return {bytes.begin(), bytes.end()};
}
std::vector<std::uint8_t> Wide(std::wstring_view text) {
  return Data(Utf16Le(text));
}

// The registry holds names and text in Unicode: the ANSI calls convert both
// with the code page, the wide calls take and give them as they are. A name or
// text of characters the code page lacks is exact through the wide calls and
// comes back through the ANSI ones with "?" in their place (no ANSI name then
// reaches it); bytes of the other types pass either way unchanged.
TEST_P(RegistryContract, AnsiAndWideCallsAgreeOnNamesAndText) {
  if (registry->AnsiCodePage().Number() != 1252) GTEST_SKIP() << "the bytes below are of code page 1252";
  UniqueKey key = Create("Both");
  // Through the ANSI calls: é is E9 in 1252.
  ASSERT_EQ(registry->SetValue(key.get(), "Caf\xE9", kRegSz, Data(std::string_view("\xE9t\xE9", 4))),
            kErrorSuccess);
  ASSERT_EQ(registry->SetValue(key.get(), "Expand", kRegExpandSz, Data(std::string_view("%\xE9%", 4))),
            kErrorSuccess);
  ASSERT_EQ(registry->SetValue(key.get(), "Multi", kRegMultiSz, Data(std::string_view("a\0\xE9\0", 5))),
            kErrorSuccess);
  ASSERT_EQ(registry->SetValue(key.get(), "Raw", kRegBinary, {0xE9, 0x00}), kErrorSuccess);
  { UniqueKey sub = Create("Both\\Caf\xE9"); }
  // Through the wide calls, with Devanagari, which no ANSI code page holds.
  ASSERT_EQ(registry->SetValueWide(key.get(), L"Mixed", kRegSz, Wide(std::wstring(L"\u0915 \u00E9\0", 4))),
            kErrorSuccess);
  ASSERT_EQ(registry->SetValueWide(key.get(), L"\u0917", kRegSz, Wide(std::wstring(L"x\0", 2))),
            kErrorSuccess);
  {
    UniqueKey sub(*registry);
    ASSERT_EQ(registry->CreateKeyWide(key.get(), L"\u0915\u0916", 0, kAll, sub.put()), kErrorSuccess);
  }
  EXPECT_EQ(Dump(),
            "[]\n[Both]\n"
            "Caf\xE9=1:e9,74,e9,00\n"
            "Expand=2:25,e9,25,00\n"
            "Mixed=1:3f,20,e9,00\n"
            "Multi=7:61,00,e9,00,00\n"
            "Raw=3:e9,00\n"
            "?=0:\n"  // listed as "?", which names no value
            "[Both\\Caf\xE9]\n"
            "[Both\\??] (cannot open)\n");
  EXPECT_EQ(DumpTreeWide(*registry, kHkeyCurrentUser, L"Software\\NookwayerTests\\Contract\\Both"),
            "[]\n"
            "Caf\xC3\xA9=1:e9,00,74,00,e9,00,00,00\n"
            "Expand=2:25,00,e9,00,25,00,00,00\n"
            "Mixed=1:15,09,20,00,e9,00,00,00\n"
            "Multi=7:61,00,00,00,e9,00,00,00,00,00\n"
            "Raw=3:e9,00\n"
            "\xE0\xA4\x97=1:78,00,00,00\n"
            "[Caf\xC3\xA9]\n"
            "[\xE0\xA4\x95\xE0\xA4\x96]\n");
}

// The wide calls write a value's bytes as given: text without its NUL, or of
// an odd length, stays so (Windows adds a NUL to text data that lacks one
// when the unit after it happens to be zero).
TEST_P(RegistryContract, WideCallsWriteTheBytesGiven) {
  UniqueKey key = Create("Exact");
  const struct {
    const wchar_t* name;
    long type;
    std::string bytes;
  } values[] = {
      {L"Unterminated", kRegSz, std::string("a\0b\0c\0", 6)},
      {L"Odd", kRegSz, std::string("a\0b\0c", 5)},
      {L"Empty", kRegExpandSz, ""},
      {L"Link", kRegLink, std::string("\\\0x\0", 4)},
  };
  for (const auto& value : values) {
    ASSERT_EQ(registry->SetValueWide(key.get(), value.name, value.type, Data(value.bytes)), kErrorSuccess);
    long type = 0;
    std::vector<std::uint8_t> data{1, 2, 3};
    ASSERT_EQ(registry->QueryValueWide(key.get(), value.name, type, data), kErrorSuccess);
    EXPECT_EQ(type, value.type);
    EXPECT_EQ(data, Data(value.bytes)) << Utf8(value.name);
  }
  EXPECT_EQ(registry->DeleteValueWide(key.get(), L"ODD"), kErrorSuccess);
  EXPECT_EQ(registry->DeleteValueWide(key.get(), L"Odd"), kErrorFileNotFound);
  long type = 0;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(registry->QueryValueWide(key.get(), L"Odd", type, data), kErrorFileNotFound);
}

// Only the ANSI calls stop at paths of 260 characters; a name has up to 256
// either way.
TEST_P(RegistryContract, WidePathsAreNotLimitedTo260Characters) {
  std::wstring path = L"Software\\NookwayerTests\\Contract";
  while (path.size() <= 300) path += L"\\Level" + std::to_wstring(path.size());
  UniqueKey key(*registry);
  EXPECT_EQ(registry->CreateKeyWide(RootHandle(kHkeyCurrentUser), path, 0, kAll, key.put()), kErrorSuccess);
  EXPECT_EQ(registry->OpenKeyWide(RootHandle(kHkeyCurrentUser), path, 0, kAll, key.put()), kErrorSuccess);
  UniqueKey ansi(*registry);
  EXPECT_EQ(registry->OpenKey(RootHandle(kHkeyCurrentUser), ToAnsi(path), kAll, ansi.put()), kErrorMoreData);
  UniqueKey longest(*registry);
  EXPECT_EQ(registry->CreateKeyWide(key.get(), std::wstring(256, L'\u0915'), 0, kAll, longest.put()),
            kErrorSuccess);
  EXPECT_EQ(registry->CreateKeyWide(RootHandle(kHkeyCurrentUser), path + L"\\" + std::wstring(257, L'k'), 0,
                                    kAll, key.put()),
            kErrorInvalidParameter);
  std::wstring name;
  UniqueKey parent(*registry);
  ASSERT_EQ(registry->OpenKeyWide(RootHandle(kHkeyCurrentUser), path, 0, kAll, parent.put()), kErrorSuccess);
  ASSERT_EQ(registry->EnumKeyWide(parent.get(), 0, name), kErrorSuccess);
  EXPECT_EQ(name, std::wstring(256, L'\u0915'));
}

// A registry link (created with kRegOptionCreateLink, its kSymbolicLinkValue
// the full name of another key) stands for that key: every open through it,
// and by its own name, reaches that key; only an open with kRegOptionOpenLink
// reaches the link. A delete by name (RegDeleteKeyEx) so acts on the key it
// names; DeleteTree opens each key as itself and deletes the link alone.
TEST_P(RegistryContract, ALinkStandsForTheKeyItNamesUntilOpenedAsItself) {
  const std::string target = "Software\\NookwayerTests\\LinkTarget";
  RemoveTree(*registry, kHkeyLocalMachine, target);
  {
    UniqueKey key(*registry);
    ASSERT_EQ(registry->CreateKey(RootHandle(kHkeyLocalMachine), target + "\\Child", kAll, key.put()),
              kErrorSuccess);
    ASSERT_EQ(registry->OpenKey(RootHandle(kHkeyLocalMachine), target, kAll, key.put()), kErrorSuccess);
    ASSERT_EQ(registry->SetValue(key.get(), "v", kRegSz, {'t', 0}), kErrorSuccess);
  }
  const std::string targetBefore = DumpTree(*registry, kHkeyLocalMachine, target);
  UniqueKey sandbox = Create("Links");
  {
    UniqueKey link(*registry);
    ASSERT_EQ(registry->CreateKeyWide(sandbox.get(), L"Link", kRegOptionCreateLink, kAll, link.put()),
              kErrorSuccess);
    ASSERT_EQ(registry->SetValueWide(link.get(), kSymbolicLinkValue, kRegLink,
                                     Wide(L"\\Registry\\Machine\\Software\\NookwayerTests\\LinkTarget")),
              kErrorSuccess);
  }
  UniqueKey key(*registry);
  EXPECT_EQ(registry->CreateKeyWide(sandbox.get(), L"Link", kRegOptionCreateLink, kAll, key.put()),
            kErrorAlreadyExists);
  EXPECT_EQ(Open("Links\\Link\\Child"), kErrorSuccess);
  // Through the link, the target's values and subkeys; as itself, its own.
  EXPECT_EQ(Dump(), "[]\n[Links]\n[Links\\Link]\nv=1:74,00\n[Links\\Link\\Child]\n");
  EXPECT_EQ(DumpTreeWide(*registry, kHkeyCurrentUser, L"Software\\NookwayerTests\\Contract\\Links"),
            "[]\n[Link]\nSymbolicLinkValue=6:" +
                HexBytes(Utf16Le(L"\\Registry\\Machine\\Software\\NookwayerTests\\LinkTarget")) + "\n");
  // By its name: the target, which has a subkey, cannot be deleted.
  EXPECT_EQ(registry->DeleteKey(sandbox.get(), "Link", kAll), kErrorAccessDenied);
  EXPECT_EQ(registry->DeleteTree(sandbox.get(), L"Link", kAll), kErrorSuccess);
  EXPECT_EQ(Dump(), "[]\n[Links]\n");
  EXPECT_EQ(DumpTree(*registry, kHkeyLocalMachine, target), targetBefore);
  RemoveTree(*registry, kHkeyLocalMachine, target);
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryContract, testing::ValuesIn(AllBackends()), BackendName);

// HKEY_CLASSES_ROOT is a view that Windows and Wine build differently (a
// merge of the user's classes over the machine's, or the machine's alone), so
// no contract holds for it: the in-memory registry refuses it outright, and
// the program names the hive of every class key it touches.
TEST(MemoryRegistryRoots, TheClassesViewIsRefused) {
  MemoryRegistry registry;
  UniqueKey key(registry);
  EXPECT_EQ(registry.CreateKey(RootHandle(kHkeyClassesRoot), "CLSID", kAll, key.put()), kErrorInvalidHandle);
  EXPECT_EQ(registry.OpenKey(RootHandle(kHkeyClassesRoot), "", kAll, key.put()), kErrorInvalidHandle);
  EXPECT_EQ(registry.OpenKey(RootHandle(kHkeyLocalMachine), "Software\\Classes", kAll, key.put()),
            kErrorSuccess);
}

}  // namespace
}  // namespace nw::test
