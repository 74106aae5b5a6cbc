#include <gtest/gtest.h>

#include "EasyReg/EasyReg.h"
#include "EasyReg/MemoryRegistry.h"
#include "support/Backends.h"
#include "support/RegistryDump.h"

namespace nw::test {
namespace {

const std::wstring kSandbox = L"Software\\NookwayerTests\\EasyReg";

class EasyRegTest : public testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    registry = GetParam().make();
    RemoveTree(*registry, kHkeyCurrentUser, "Software\\NookwayerTests\\EasyReg");
  }
  void TearDown() override { RemoveTree(*registry, kHkeyCurrentUser, "Software\\NookwayerTests\\EasyReg"); }
  std::string Dump() { return DumpTree(*registry, kHkeyCurrentUser, "Software\\NookwayerTests\\EasyReg"); }

  std::unique_ptr<Registry> registry;
};

TEST_P(EasyRegTest, ValuesAreStoredWithTheirExactLengths) {
  CreateKey(*registry, kSandbox + L"\\Server", kHkeyCurrentUser);
  struct Case {
    std::wstring name;
    ValueData data;
    long type;
  };
  const Case cases[] = {
      {L"", std::wstring(L"shell32.dll"), kRegSz},                   // eleven characters and the NUL
      {L"Empty", std::wstring(), kRegSz},                            // the NUL alone
      {L"Attributes", std::vector<std::uint8_t>(5, 0), kRegBinary},  // five zero bytes
  };
  for (const Case& c : cases)
    SetKeyValue(*registry, kHkeyCurrentUser, kSandbox + L"\\Server", c.name, c.data, c.type);
  EXPECT_EQ(Dump(),
            "[]\n[Server]\n"
            "@=1:73,68,65,6c,6c,33,32,2e,64,6c,6c,00\n"
            "Attributes=3:00,00,00,00,00\n"
            "Empty=1:00\n");
}

TEST_P(EasyRegTest, DataThatDoesNotFitItsTypeRaisesAndWritesNothing) {
  CreateKey(*registry, kSandbox, kHkeyCurrentUser);
  EXPECT_THROW(SetKeyValue(*registry, kHkeyCurrentUser, kSandbox, L"n", std::wstring(L"x"), kRegBinary),
               std::invalid_argument);
  EXPECT_THROW(SetKeyValue(*registry, kHkeyCurrentUser, kSandbox, L"n", std::vector<std::uint8_t>{1}, kRegSz),
               std::invalid_argument);
  // A type the helpers do not write is refused, never passed over as written.
  for (long type : {0L, kRegExpandSz, kRegDword, 7L, 11L})
    EXPECT_THROW(SetKeyValue(*registry, kHkeyCurrentUser, kSandbox, L"n", std::wstring(L"7"), type),
                 std::invalid_argument);
  EXPECT_EQ(Dump(), "[]\n");
}

TEST_P(EasyRegTest, WritingIntoAMissingKeyRaisesAndCreatesNothing) {
  try {
    SetKeyValue(*registry, kHkeyCurrentUser, kSandbox + L"\\Missing", L"", std::wstring(L"x"), kRegSz);
    FAIL() << "no error raised";
  } catch (const RegistryError& error) {
    EXPECT_EQ(error.code(), kErrorFileNotFound);
  }
  EXPECT_EQ(Dump(), "");
}

TEST_P(EasyRegTest, DeleteKeyRemovesTheWholeSubtreeAndNothingElse) {
  CreateKey(*registry, kSandbox + L"\\Keep", kHkeyCurrentUser);
  CreateKey(*registry, kSandbox + L"\\Gone\\A\\B", kHkeyCurrentUser);
  CreateKey(*registry, kSandbox + L"\\Gone\\C", kHkeyCurrentUser);
  SetKeyValue(*registry, kHkeyCurrentUser, kSandbox + L"\\Gone\\A", L"v", std::wstring(L"x"), kRegSz);
  DeleteKey(*registry, kHkeyCurrentUser, kSandbox, L"gone");
  EXPECT_EQ(Dump(), "[]\n[Keep]\n");
}

TEST_P(EasyRegTest, DeletingWhatIsNotThereIsDone) {
  CreateKey(*registry, kSandbox, kHkeyCurrentUser);
  EXPECT_NO_THROW(DeleteKey(*registry, kHkeyCurrentUser, kSandbox, L"Missing"));
  EXPECT_NO_THROW(DeleteKey(*registry, kHkeyCurrentUser, kSandbox + L"\\NoParent", L"Missing"));
  EXPECT_EQ(Dump(), "[]\n");
}

TEST_P(EasyRegTest, AnEmptySubkeyNameNeverDeletesTheParent) {
  CreateKey(*registry, kSandbox + L"\\Child", kHkeyCurrentUser);
  EXPECT_THROW(DeleteKey(*registry, kHkeyCurrentUser, kSandbox, L""), std::invalid_argument);
  EXPECT_EQ(Dump(), "[]\n[Child]\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, EasyRegTest, testing::ValuesIn(AllBackends()), BackendName);

TEST(EasyRegCalls, EachHelperOpensAndClosesItsOwnKey) {
  MemoryRegistry registry;
  CreateKey(registry, L"A\\B", kHkeyCurrentUser);
  SetKeyValue(registry, kHkeyCurrentUser, L"A\\B", L"", std::wstring(L"x"), kRegSz);
  EXPECT_THROW(SetKeyValue(registry, kHkeyCurrentUser, L"A\\B", L"", std::wstring(L"x"), 7),
               std::invalid_argument);
  DeleteKey(registry, kHkeyCurrentUser, L"A", L"B");
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(EasyRegCalls, AnUnknownTypeIsRefusedBeforeAnyRegistryCall) {
  MemoryRegistry registry;
  int calls = 0;
  KeyHandle key = RootHandle(kHkeyCurrentUser);
  registry.inject = [&](const MemoryRegistry::Call&) {
    ++calls;
    return kErrorSuccess;
  };
  EXPECT_THROW(WriteValueData(registry, key, L"v", 11, std::wstring(L"x")), std::invalid_argument);
  EXPECT_EQ(calls, 0);
}

TEST(EasyRegCalls, ARefusalOfAnyStepRaisesWithItsCode) {
  for (const char* operation : {"CreateKey", "OpenKey", "SetValue", "DeleteKey"}) {
    MemoryRegistry registry;
    CreateKey(registry, L"A\\B", kHkeyCurrentUser);
    registry.inject = [&](const MemoryRegistry::Call& call) {
      return call.operation == operation ? kErrorAccessDenied : kErrorSuccess;
    };
    try {
      CreateKey(registry, L"A\\B", kHkeyCurrentUser);
      SetKeyValue(registry, kHkeyCurrentUser, L"A\\B", L"", std::wstring(L"x"), kRegSz);
      DeleteKey(registry, kHkeyCurrentUser, L"A", L"B");
      ADD_FAILURE() << operation << ": no error raised";
    } catch (const RegistryError& error) {
      EXPECT_EQ(error.code(), kErrorAccessDenied) << operation;
    }
    EXPECT_EQ(registry.OpenHandles(), 0u) << operation;
  }
}

// The one encoding of values, which the helpers write and nwk exports and compares.
TEST(ValueBytes, EachTypeInEachTextForm) {
  using Bytes = std::vector<std::uint8_t>;
  struct Case {
    long type;
    ValueData data;
    CodePage form;
    Bytes bytes;
  };
  const Case cases[] = {
      {kRegSz, std::wstring(L"a\u00e9"), CodePage(1252), {'a', 0xE9, 0}},
      {kRegSz, std::wstring(L"a\u00e9"), kUtf16Le, {'a', 0, 0xE9, 0, 0, 0}},
      {kRegSz, std::wstring(L"\U0001F600"), kUtf16Le, {0x3D, 0xD8, 0x00, 0xDE, 0, 0}},  // one surrogate pair
      {kRegSz, std::wstring(), kUtf16Le, {0, 0}},
      {kRegBinary, Bytes{1, 0, 2}, kUtf16Le, {1, 0, 2}},
  };
  for (const Case& c : cases) EXPECT_EQ(ValueBytes(c.type, c.data, c.form), c.bytes) << c.type;
  EXPECT_THROW(ValueBytes(kRegExpandSz, std::wstring(L"x"), kUtf16Le), std::invalid_argument);
}

}  // namespace
}  // namespace nw::test
