// One set of expectations for every registry backend. Under Wine it runs
// against the real registry as well; where the two disagree, the in-memory
// registry is the one to mend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EasyReg/MemoryRegistry.h"
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
