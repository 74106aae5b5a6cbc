// Settings files and definitions made to break the program: each gives the
// failure message or a sound result, and nothing lands outside the folder's keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

namespace nw::test {
namespace {

namespace fs = std::filesystem;

const std::string kClsid5 = "0000000BAD01";
const std::string kHeader = kMagicLine + "name=N\r\nicon=I\r\nclsid5=" + kClsid5 + "\r\n";
const std::string kLong(64 * 1024, 'x');

struct HostileCase {
  const char* name;
  std::string bytes;
  bool refused;
  std::size_t nameLength;  // of FolderName afterwards
  std::size_t menuCount;
};

void PrintTo(const HostileCase& c, std::ostream* out) {
  *out << c.name;
}

std::string MenuLines(int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) lines += "V" + std::to_string(i) + ";c;\r\n";
  return lines;
}

class HostileFiles : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileFiles, AreRefusedOrReadSoundly) {
  const HostileCase& c = GetParam();
  const fs::path path = fs::temp_directory_path() / ("nw-hostile-" + std::string(c.name) + ".nwk");
  std::ofstream(path, std::ios::binary) << c.bytes;
  FolderDefinition definition;
  const SettingsRead read = ReadSettings(path.wstring(), definition);
  fs::remove(path);
  EXPECT_EQ(read, c.refused ? SettingsRead::Incomplete : SettingsRead::Complete);
  EXPECT_EQ(definition.FolderName.size(), c.nameLength);
  EXPECT_EQ(definition.MenuItems.size(), c.menuCount);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileFiles,
    testing::Values(
        HostileCase{"NulInMagicLine", std::string("Hollowpine's\0Nookway v1_[A1]\r\n", 30) + "name=N\r\n",
                    true, 0, 0},
        HostileCase{"NulInName",
                    kMagicLine + std::string("name=A\0B\r\nicon=I\r\nclsid5=00000000000C\r\n", 26), true, 0,
                    0},
        HostileCase{"NulInMenuLine", kHeader + "Open;a.exe;\r\n" + std::string("Ed\0it;b.exe;\r\n", 14), true,
                    1, 1},
        HostileCase{"LongMagicLine", kLong + "\r\n" + kHeader, true, 0, 0},
        HostileCase{"LongName", kMagicLine + "name=" + kLong + "\r\nicon=I\r\nclsid5=00000000000C\r\n", false,
                    kLong.size(), 0},
        HostileCase{"LongIcon", kMagicLine + "name=N\r\nicon=" + kLong + "\r\nclsid5=00000000000C\r\n", false,
                    1, 0},
        HostileCase{"LongClsid", kMagicLine + "name=N\r\nicon=I\r\nclsid5=" + kLong + "\r\n", true, 1, 0},
        HostileCase{"LongMenuName", kHeader + kLong + ";" + kLong + ";" + kLong + "\r\n", true, 1, 0},
        HostileCase{"LongMenuCommand", kHeader + "V;" + kLong + ";" + kLong + "\r\n", false, 1, 1},
        HostileCase{"LineOverOneMebibyte", kMagicLine + "name=" + std::string(1 << 20, 'y') + "\r\n", true, 0,
                    0},
        HostileCase{"CodePageGaps",
                    kMagicLine + "name=\x81\x8D\x8F\x90\x9D\r\nicon=I\r\nclsid5=00000000000C\r\n", false, 5,
                    0},
        HostileCase{"HundredThousandMenuLines", kHeader + MenuLines(100000), true, 1, 20}),
    [](const testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

// A definition whose verbs the registry cannot take: the command fails with one
// report, and whatever was written lies inside the folder's own class key.
class HostileDefinitions : public testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    registry = GetParam().make();
    Clean();
  }
  void TearDown() override { Clean(); }
  void Clean() { RemoveFolderKeys(*registry, ToAnsi(Clsid())); }
  static std::wstring Clsid() { return grammar::kClsidPrefix + FromAnsi(kClsid5) + grammar::kClsidSuffix; }

  std::unique_ptr<Registry> registry;
};

TEST_P(HostileDefinitions, AVerbNameTheRegistryRefusesFailsTheCommandAndLeavesNothing) {
  FolderDefinition d;
  d.FolderName = L"N";
  d.FolderClsid = Clsid();
  d.MenuItems = {{L"Fine", L"a.exe"}, {std::wstring(300, L'v'), L"b.exe"}, {L"Never", L"c.exe"}};
  FakePlatform fake(*registry, L"x.nwk");
  EXPECT_FALSE(RunCommand(fake.messages, [&] { MakeLink(fake.link, d, Placement::Desktop); }));
  EXPECT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(fake.messages.shown[0].title, L"Nookwayer Error");
  // Nothing stays: not the class key with the verb before it, nor a placement.
  EXPECT_FALSE(KeyExists(*registry, kHkeyLocalMachine, ToAnsi(L"Software\\Classes\\CLSID\\" + Clsid())));
  EXPECT_FALSE(KeyExists(*registry, kHkeyLocalMachine,
                         ToAnsi(std::wstring(layout::kDesktopNameSpace) + L"\\" + Clsid())));
}

TEST_P(HostileDefinitions, BytesOfTheCodePageReachTheRegistryUnchanged) {
  FolderDefinition d;
  d.FolderName = FromAnsi("Caf\xE9 \x80\x81\x8D\x8F\x90\x9D\xFF");
  d.FolderClsid = Clsid();
  FakePlatform fake(*registry, L"x.nwk");
  MakeLink(fake.link, d, Placement::Manual);
  UniqueKey key(*registry);
  ASSERT_EQ(registry->OpenKey(RootHandle(kHkeyLocalMachine), ToAnsi(L"Software\\Classes\\CLSID\\" + Clsid()),
                              kReadRights, key.put()),
            kErrorSuccess);
  long type = 0;
  std::vector<std::uint8_t> data;
  ASSERT_EQ(registry->QueryValue(key.get(), "", type, data), kErrorSuccess);
  const std::string expected = "Caf\xE9 \x80\x81\x8D\x8F\x90\x9D\xFF";
  EXPECT_EQ(std::string(data.begin(), data.end()), expected + '\0');
}

INSTANTIATE_TEST_SUITE_P(Backends, HostileDefinitions, testing::ValuesIn(AllBackends()), BackendName);

}  // namespace
}  // namespace nw::test
