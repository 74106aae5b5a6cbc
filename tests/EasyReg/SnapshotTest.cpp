// Reading a tree before a change and putting it back, over every backend.
#include <gtest/gtest.h>

#include <functional>

#include "EasyReg/MemoryRegistry.h"
#include "EasyReg/Snapshot.h"
#include "platform/AnsiText.h"
#include "support/Backends.h"
#include "support/RegistryDump.h"

namespace nw::test {
namespace {

const std::string kParent = "Software\\NookwayerTests\\Snapshot";
const std::string kTree = kParent + "\\Tree";
// A key outside the tree, in the machine's hive, for links in the tree to name.
const std::string kOutside = "Software\\NookwayerTests\\SnapshotOutside";
const std::wstring kOutsideTarget = L"\\Registry\\Machine\\Software\\NookwayerTests\\SnapshotOutside";
constexpr std::uint32_t kAll = kKeyRights | kKeyWow64_64Key;

std::vector<std::uint8_t> Text(std::wstring_view text) {
  const std::string bytes = Utf16Le(text);
  return {bytes.begin(), bytes.end()};
}

class SnapshotTest : public testing::TestWithParam<Backend> {
 public:
  void SetUp() override {
    registry = GetParam().make();
    RemoveTree(*registry, kHkeyCurrentUser, kParent);
    RemoveTree(*registry, kHkeyLocalMachine, kOutside);
  }
  void TearDown() override {
    RemoveTree(*registry, kHkeyCurrentUser, kParent);
    RemoveTree(*registry, kHkeyLocalMachine, kOutside);
  }

  // Every name and byte, through the wide calls, with links as themselves; and the key outside.
  std::string Dump() {
    return DumpTreeWide(*registry, kHkeyCurrentUser, FromAnsi(kParent)) + "|" +
           DumpTree(*registry, kHkeyLocalMachine, kOutside);
  }
  TreeSnapshot Take() {
    return TakeSnapshot(*registry, kHkeyCurrentUser, L"Software\\NookwayerTests\\Snapshot", L"Tree");
  }

  // Creates the key (below the parent) and writes the value, when a name is given.
  void Put(const std::string& path, const char* name = nullptr, long type = kRegSz,
           std::vector<std::uint8_t> data = {}) {
    UniqueKey key(*registry);
    ASSERT_EQ(registry->CreateKey(RootHandle(kHkeyCurrentUser), kParent + "\\" + path, kAll, key.put()),
              kErrorSuccess);
    if (name != nullptr) {
      ASSERT_EQ(registry->SetValue(key.get(), name, type, data), kErrorSuccess);
    }
  }
  // The same through the wide calls, as a program that writes Unicode does.
  void PutWide(const std::wstring& path, const std::wstring& name, long type,
               std::vector<std::uint8_t> data) {
    UniqueKey key(*registry);
    ASSERT_EQ(registry->CreateKeyWide(RootHandle(kHkeyCurrentUser), FromAnsi(kParent) + L"\\" + path, 0, kAll,
                                      key.put()),
              kErrorSuccess);
    ASSERT_EQ(registry->SetValueWide(key.get(), name, type, data), kErrorSuccess);
  }
  // A registry link (below the parent) to the key outside the tree, or to `target`.
  void PutLink(const std::wstring& path, const std::wstring& target = kOutsideTarget) {
    UniqueKey key(*registry);
    ASSERT_EQ(registry->CreateKeyWide(RootHandle(kHkeyCurrentUser), FromAnsi(kParent) + L"\\" + path,
                                      kRegOptionCreateLink, kAll, key.put()),
              kErrorSuccess);
    ASSERT_EQ(registry->SetValueWide(key.get(), kSymbolicLinkValue, kRegLink, Text(target)), kErrorSuccess);
  }
  void Drop(const std::string& path) { RemoveTree(*registry, kHkeyCurrentUser, kParent + "\\" + path); }
  void DropValue(const std::string& path, const char* name) {
    UniqueKey key(*registry);
    ASSERT_EQ(registry->OpenKey(RootHandle(kHkeyCurrentUser), kParent + "\\" + path, kAll, key.put()),
              kErrorSuccess);
    ASSERT_EQ(registry->DeleteValue(key.get(), name), kErrorSuccess);
  }

  std::unique_ptr<Registry> registry;
};

// An older tree with values of several types (one the program never writes),
// odd bytes, an empty default value and nested keys.
void OlderTree(SnapshotTest& t) {
  t.Put("Tree", "", kRegSz, {'O', 'l', 'd', 0});
  t.Put("Tree", "Expand", 2, {'%', 'X', '%', 0});
  t.Put("Tree", "Raw", kRegBinary, {0x00, 0xFF, 0x5C});
  t.Put("Tree\\Shell\\Mine\\Command", "", kRegSz, {'m', 0});
  t.Put("Tree\\Empty");
}

// An older tree another program wrote in Unicode: a verb and a value named in
// Devanagari (no ANSI code page has it), text in it, text without its NUL.
void UnicodeTree(SnapshotTest& t) {
  t.PutWide(L"Tree", L"", kRegSz, Text(std::wstring(L"\u092B\u094B\u0932\u094D\u0921\u0930\0", 7)));
  t.PutWide(L"Tree", L"\u0928\u093E\u092E", kRegExpandSz, Text(L"%\u0915%"));
  t.PutWide(L"Tree\\Shell\\\u0916\u094B\u0932\u0947\u0902\\Command", L"", kRegSz,
            Text(std::wstring(L"\u0915.exe\0", 6)));
}

// A tree with a registry link in it, to a key outside the tree.
void LinkedTree(SnapshotTest& t) {
  t.Put("Tree", "", kRegSz, {'L', 0});
  t.PutLink(L"Tree\\Link");
}

TEST_P(SnapshotTest, PutsBackExactlyWhatWasThereWhateverChanged) {
  using Step = std::function<void(SnapshotTest&)>;
  const Step nothing = [](SnapshotTest&) {};
  struct Case {
    const char* name;
    Step before, change;
  };
  const Case cases[] = {
      {"a new tree goes", nothing,
       [](SnapshotTest& t) {
         t.Put("Tree\\Shell\\New\\Command", "", kRegSz, {'n', 0});
         t.Put("Tree", "", kRegSz, {'N', 0});
       }},
      {"nothing changed", OlderTree, nothing},
      {"overwritten values get their type and bytes back", OlderTree,
       [](SnapshotTest& t) {
         t.Put("Tree", "", kRegSz, {'N', 'e', 'w', 0});
         t.Put("Tree", "Expand", kRegSz, {'x', 0});
         t.Put("Tree\\Shell\\Mine\\Command", "", kRegBinary, {1});
       }},
      {"added values and keys go, deleted ones come back", OlderTree,
       [](SnapshotTest& t) {
         t.Put("Tree", "ThreadingModel", kRegSz, {'A', 0});
         t.Put("Tree\\Empty", "", kRegSz, {0});
         t.Put("Tree\\Shell\\Other\\Command", "", kRegSz, {'o', 0});
         t.DropValue("Tree", "Raw");
         t.Drop("Tree\\Shell\\Mine");
       }},
      {"a deleted tree comes back whole", OlderTree, [](SnapshotTest& t) { t.Drop("Tree"); }},
      {"names and text in any characters come back as they were", UnicodeTree,
       [](SnapshotTest& t) {
         t.Put("Tree", "", kRegSz, {'N', 'e', 'w', 0});
         t.Put("Tree\\Shell\\Open\\Command", "", kRegSz, {'o', 0});
         t.PutWide(L"Tree", L"\u0928\u093E\u092E", kRegSz, Text(L"x"));
       }},
      {"a deleted tree in any characters comes back whole", UnicodeTree,
       [](SnapshotTest& t) { t.Drop("Tree"); }},
      {"a deleted link comes back as a link", LinkedTree, [](SnapshotTest& t) { t.Drop("Tree"); }},
      {"a link replaced by a key comes back", LinkedTree,
       [](SnapshotTest& t) {
         t.Drop("Tree\\Link");
         t.Put("Tree\\Link\\Sub", "v", kRegSz, {'k', 0});
       }},
      {"a link pointed elsewhere points back", LinkedTree,
       [](SnapshotTest& t) {
         UniqueKey link(*t.registry);
         ASSERT_EQ(t.registry->OpenKeyWide(RootHandle(kHkeyCurrentUser), FromAnsi(kTree) + L"\\Link",
                                           kRegOptionOpenLink, kAll, link.put()),
                   kErrorSuccess);
         ASSERT_EQ(t.registry->SetValueWide(link.get(), kSymbolicLinkValue, kRegLink,
                                            Text(L"\\Registry\\Machine\\Software")),
                   kErrorSuccess);
       }},
      {"a key replaced by a link comes back", OlderTree,
       [](SnapshotTest& t) {
         t.Drop("Tree\\Shell");
         t.PutLink(L"Tree\\Shell");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveTree(*registry, kHkeyCurrentUser, kParent);
    RemoveTree(*registry, kHkeyLocalMachine, kOutside);
    Put("");  // the parent, which stays
    {
      // What links in the tree name: through them, it looks like part of the tree.
      UniqueKey outside(*registry);
      ASSERT_EQ(registry->CreateKey(RootHandle(kHkeyLocalMachine), kOutside + "\\Child", kAll, outside.put()),
                kErrorSuccess);
      ASSERT_EQ(registry->SetValue(outside.get(), "o", kRegSz, {'o', 0}), kErrorSuccess);
    }
    c.before(*this);
    const std::string before = Dump();
    const TreeSnapshot snapshot = Take();
    EXPECT_EQ(snapshot.key.has_value(), before.find("[Tree]") != std::string::npos);
    c.change(*this);
    EXPECT_EQ(RestoreSnapshot(*registry, snapshot), std::vector<Unrestored>{});
    EXPECT_EQ(Dump(), before);
  }
}

TEST_P(SnapshotTest, KeyNamesMatchInAnyCaseWhenPuttingBack) {
  Put("Tree\\Keep", "v", kRegSz, {'k', 0});
  const std::string before = Dump();
  const TreeSnapshot snapshot = Take();
  // The same key and value, named in another case, are not "added" ones.
  Put("TREE\\KEEP", "V", kRegSz, {'c', 0});
  EXPECT_EQ(RestoreSnapshot(*registry, snapshot), std::vector<Unrestored>{});
  EXPECT_EQ(Dump(), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, SnapshotTest, testing::ValuesIn(AllBackends()), BackendName);

// What cannot be put back is named, the rest still goes back, and nothing is tried twice.
TEST(SnapshotFaults, NamesWhatItCouldNotPutBackAndGoesOn) {
  MemoryRegistry registry;
  auto put = [&](const std::string& path, const char* name, std::uint8_t byte) {
    UniqueKey key(registry);
    ASSERT_EQ(registry.CreateKey(RootHandle(kHkeyCurrentUser), kParent + "\\" + path, kAll, key.put()),
              kErrorSuccess);
    ASSERT_EQ(registry.SetValue(key.get(), name, kRegSz, {byte, 0}), kErrorSuccess);
  };
  put("Tree\\A", "a", 'a');
  put("Tree\\B", "b", 'b');
  const TreeSnapshot snapshot =
      TakeSnapshot(registry, kHkeyCurrentUser, L"Software\\NookwayerTests\\Snapshot", L"Tree");
  put("Tree\\A", "a", 'x');
  put("Tree\\B", "b", 'y');
  put("Tree\\C", "c", 'z');
  std::size_t calls = 0;
  registry.inject = [&](const MemoryRegistry::Call& call) {
    ++calls;
    return call.operation == "SetValue" && call.name == "a" ? kErrorAccessDenied : kErrorSuccess;
  };
  EXPECT_EQ(RestoreSnapshot(registry, snapshot),
            (std::vector<Unrestored>{{kHkeyCurrentUser, kParent + "\\Tree\\A\\a"}}));
  registry.inject = nullptr;
  EXPECT_EQ(DumpTree(registry, kHkeyCurrentUser, kTree),
            "[]\n[A]\na=1:78,00\n[B]\nb=1:62,00\n");  // A stays changed, B and C are back
  EXPECT_LT(calls, 20u);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

}  // namespace
}  // namespace nw::test
