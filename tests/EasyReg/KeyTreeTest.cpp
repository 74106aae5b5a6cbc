// The one way a key tree is read: what a refused subkey does, and what a
// value says as text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EasyReg/KeyTree.h"
#include "EasyReg/MemoryRegistry.h"

namespace nw::test {
namespace {

const std::wstring kTop = L"Software\\NookwayerTests\\Tree";

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

// A tree with a refused subkey: told to go on, the reader marks it and reads
// the rest; otherwise it names the refused key, as the caller named the top.
TEST(KeyTree, ARefusedSubkeyIsMarkedOrEndsTheReading) {
  MemoryRegistry registry;
  for (const wchar_t* path : {L"\\A\\Deep", L"\\Locked\\Below", L"\\Z"}) {
    KeyHandle key = 0;
    ASSERT_EQ(registry.CreateKeyWide(RootHandle(kHkeyCurrentUser), kTop + path, 0, kAccess, key),
              kErrorSuccess);
    ASSERT_EQ(registry.SetValueWide(key, L"v", kRegBinary, {1}), kErrorSuccess);
    registry.CloseKey(key);
  }
  registry.inject = [](const MemoryRegistry::Call& call) {
    return call.operation == "OpenKey" && call.path.ends_with("\\Locked") ? kErrorAccessDenied
                                                                          : kErrorSuccess;
  };
  const std::optional<KeyTree> marked =
      ReadKeyTree(registry, kHkeyCurrentUser, kTop, L"top", TreeReading{kReadRights, false, true});
  ASSERT_TRUE(marked);
  std::vector<std::string> seen;
  for (const KeyTree& subkey : marked->subkeys)
    seen.push_back(Utf8(subkey.name) + (subkey.unreadable ? " unreadable" : "") + " " +
                   std::to_string(subkey.values.size() + subkey.subkeys.size()));
  EXPECT_EQ(seen, (std::vector<std::string>{"A 1", "Locked unreadable 0", "Z 1"}));

  try {
    ReadKeyTree(registry, kHkeyCurrentUser, kTop, L"top", TreeReading{kReadRights, false, false});
    ADD_FAILURE() << "read past a refusal";
  } catch (const UnreadableKey& refused) {
    EXPECT_EQ(refused.path(), L"top\\Locked");
    EXPECT_EQ(refused.code(), kErrorAccessDenied);
  }
  EXPECT_FALSE(ReadKeyTree(registry, kHkeyCurrentUser, kTop + L"\\Missing", L"", TreeReading{}));
}

TEST(KeyTree, AValueSaysAsTextWhatItsStringHoldsUpToItsFirstNul) {
  const struct {
    long type;
    std::vector<std::uint8_t> data;
    std::optional<std::wstring> text;
  } cases[] = {
      {kRegSz, Bytes(std::string("a\0b\0\0\0", 6)), L"ab"},
      {kRegExpandSz, Bytes(std::string("%\0X\0%\0\0\0", 8)), L"%X%"},
      {kRegSz, Bytes(std::string("a\0\0\0b\0\0\0", 8)), L"a"},             // a second string after the NUL
      {kRegSz, Bytes(std::string("a\0b", 3)), L"a"},                       // an odd last byte is no character
      {kRegSz, Bytes(std::string("\x3d\xd8\x00\xde", 4)), L"\U0001F600"},  // a surrogate pair
      {kRegSz, {}, L""},
      {kRegMultiSz, Bytes(std::string("a\0\0\0", 4)), std::nullopt},
      {kRegBinary, Bytes("ab"), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ValueText(c.type, c.data), c.text) << c.type;
}

}  // namespace
}  // namespace nw::test
