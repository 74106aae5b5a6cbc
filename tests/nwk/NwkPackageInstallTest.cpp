// A folder's package under an installer we did not write: Wine's own msiexec
// must install from it exactly the registry "nwk make" writes, repair it,
// replace it with a later package of the same folder, refuse an older one and
// take it all out again, leaving every other folder as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "EasyReg/EasyReg.h"
#include "EasyReg/Win32Registry.h"
#include "nwk/Nwk.h"
#include "nwk/Win32Installer.h"
#include "platform/AnsiText.h"
#include "support/Kit.h"
#include "support/Processes.h"
#include "support/RegistryDump.h"

namespace nw::nwk {
namespace {

namespace fs = std::filesystem;

const std::string kClsid5 = "0000E2E0A0D1";
const std::string kClsid = "{0000000D-CF0D-D10A-A240-" + kClsid5 + "}";
const std::string kNeighbour5 = "0000E2E0A0D2";
const std::string kNeighbour = "{0000000D-CF0D-D10A-A240-" + kNeighbour5 + "}";

// Runs msiexec of the system's own architecture (a 64-bit package is the
// 64-bit installer's to write) and returns its exit code.
DWORD RunMsiexec(const std::wstring& arguments) {
  return test::RunAndWait(test::NativeSystemProgram(L"msiexec.exe"), L"msiexec.exe " + arguments, 120000);
}

std::string Settings(const std::string& name, const std::string& icon, const std::string& clsid5,
                     const std::string& verbs) {
  return test::kMagicLine + "name=" + name + "\r\nicon=" + icon + "\r\nclsid5=" + clsid5 + "\r\n" + verbs;
}

class NwkPackageInstall : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("nwk-package-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(dir_);
    Clean();
  }
  void TearDown() override {
    // Whatever a failed test left installed goes first.
    for (const std::wstring& msi : installed_) RunMsiexec(L"/x \"" + msi + L"\" /qn");
    Clean();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  void Clean() {
    test::RemoveFolderKeys(registry_, kClsid);
    test::RemoveFolderKeys(registry_, kNeighbour);
  }
  std::string Dump(const std::string& clsid = kClsid) {
    std::string dump;
    for (const auto& [root, path] : test::FolderKeys(clsid))
      dump += test::DumpTree(registry_, root, path) + "|";
    return dump;
  }
  std::wstring Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return (dir_ / name).wstring();
  }
  Output Nwk(std::vector<std::wstring> args, int expected = kExitDone) {
    Output output;
    EXPECT_EQ(nwk::Run(args, output, &registry_, nullptr, &installer_), expected) << output.err;
    return output;
  }
  // Writes the package and gives its path.
  std::wstring Package(const std::wstring& file, const std::string& name,
                       std::vector<std::wstring> options = {}) {
    const std::wstring msi = (dir_ / name).wstring();
    std::vector<std::wstring> args = {L"package", file, L"-o", msi};
    args.insert(args.end(), options.begin(), options.end());
    Nwk(args);
    return msi;
  }
  DWORD Install(const std::wstring& msi, const std::wstring& extra = L"") {
    installed_.push_back(msi);
    return RunMsiexec(L"/i \"" + msi + L"\" /qn " + extra);
  }
  DWORD Uninstall(const std::wstring& msi) { return RunMsiexec(L"/x \"" + msi + L"\" /qn"); }
  // The layout make writes for the file, and then removes.
  std::string Made(const std::wstring& file, const std::vector<std::wstring>& options) {
    std::vector<std::wstring> make = {L"make", file};
    make.insert(make.end(), options.begin(), options.end());
    Nwk(make);
    const std::string made = Dump();
    test::RemoveFolderKeys(registry_, kClsid);
    return made;
  }

  Win32Registry registry_;
  Win32Installer installer_;
  fs::path dir_;
  std::vector<std::wstring> installed_;
};

TEST_F(NwkPackageInstall, InstallsWhatMakeWritesRepairsAndUninstallsLeavingItsNeighbour) {
  const std::wstring file = Write("folder.nwk", Settings("Tools", "shell32.dll,4", kClsid5,
                                                         "Open;notepad.exe \"%1\";\r\nEdit;C:\\ed.exe;\r\n"));
  const struct {
    std::vector<std::wstring> options;  // of make and package alike
    std::string scope;                  // of the neighbour
  } cases[] = {
      {{L"--placement", L"desktop"}, ""},
      {{L"--placement", L"system"}, ""},
      {{L"--placement", L"manual"}, ""},
      {{L"--placement", L"desktop", L"--user"}, "--user"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToAnsi(c.options[1]) + (c.options.size() > 2 ? " --user" : ""));
    const bool user = c.options.size() > 2;
    // A neighbour in the same place, registered by make.
    const std::wstring neighbour =
        Write("neighbour.nwk", Settings("Neighbour", "n.ico", kNeighbour5, "Run;n.exe;\r\n"));
    std::vector<std::wstring> make = {L"make", neighbour, L"--placement",
                                      c.options[1] == L"manual" ? L"desktop" : c.options[1]};
    if (user) make.push_back(L"--user");
    Nwk(make);
    const std::string neighbourBefore = Dump(kNeighbour);

    const std::string made = Made(file, c.options);
    ASSERT_EQ(Dump(), "||||||");
    const std::wstring msi = Package(file, "folder.msi", c.options);
    ASSERT_EQ(Install(msi), 0u);
    EXPECT_EQ(Dump(), made);
    std::vector<std::wstring> status = {L"status", file};
    status.insert(status.end(), c.options.begin(), c.options.end());
    Nwk(status);

    // A repair puts back a deleted verb and a deleted value.
    const RootKey hive = user ? kHkeyCurrentUser : kHkeyLocalMachine;
    test::RemoveTree(registry_, hive, test::kClassesKey + kClsid + "\\Shell\\Edit");
    {
      UniqueKey key = CreateKey(registry_, FromAnsi(test::kClassesKey + kClsid + "\\DefaultIcon"), hive);
      ASSERT_EQ(registry_.DeleteValue(key.get(), ""), kErrorSuccess);
    }
    ASSERT_NE(Dump(), made);
    ASSERT_EQ(Install(msi, L"REINSTALL=ALL REINSTALLMODE=amus"), 0u);
    EXPECT_EQ(Dump(), made);

    ASSERT_EQ(Uninstall(msi), 0u);
    EXPECT_EQ(Dump(), "||||||");
    EXPECT_EQ(Dump(kNeighbour), neighbourBefore);
    test::RemoveFolderKeys(registry_, kNeighbour);
  }
}

TEST_F(NwkPackageInstall, ALaterPackageReplacesTheInstalledOneAndAnOlderOneIsRefused) {
  const std::wstring first =
      Write("first.nwk", Settings("Tools", "a.ico", kClsid5, "Open;a.exe;\r\nGone;g.exe;\r\n"));
  const std::wstring second =
      Write("second.nwk", Settings("Tools 2", "b.ico", kClsid5, "Open;b.exe;\r\nNew;n.exe;\r\n"));
  const std::string madeSecond = Made(second, {});

  const std::wstring v1 = Package(first, "v1.msi", {L"--version", L"1.0.0"});
  const std::wstring v1changed = Package(second, "v1-changed.msi", {L"--version", L"1.0.0"});
  const std::wstring v09 = Package(first, "v09.msi", {L"--version", L"0.9.0"});
  const std::wstring upgrade =
      UpgradeCode(FromAnsi(kClsid), Scope::Machine, Placement::Desktop, installer_.NativeArch(),
                  [&](const std::string& bytes) { return installer_.Hash(bytes); });

  ASSERT_EQ(Install(v1), 0u);
  ASSERT_EQ(installer_.RelatedProducts(upgrade).size(), 1u);
  // The same version built again from a changed file replaces it in place.
  ASSERT_EQ(Install(v1changed), 0u);
  EXPECT_EQ(Dump(), madeSecond);
  const std::vector<InstalledProduct> products = installer_.RelatedProducts(upgrade);
  ASSERT_EQ(products.size(), 1u);
  EXPECT_EQ(products[0].name, L"Tools 2 (" + FromAnsi(kClsid) + L")");
  // The same package again changes nothing.
  ASSERT_EQ(Install(v1changed), 0u);
  EXPECT_EQ(Dump(), madeSecond);
  EXPECT_EQ(installer_.RelatedProducts(upgrade).size(), 1u);
  // An older version is refused and changes nothing.
  EXPECT_EQ(Install(v09), 1603u);
  EXPECT_EQ(Dump(), madeSecond);
  EXPECT_EQ(installer_.RelatedProducts(upgrade)[0].productCode, products[0].productCode);

  // Remove notices the package and leaves the folder to it.
  EXPECT_NE(Nwk({L"remove", second}, kExitOwned).err.find("msiexec /x " + ToAnsi(products[0].productCode)),
            std::string::npos);
  EXPECT_EQ(Dump(), madeSecond);
  ASSERT_EQ(Uninstall(v1changed), 0u);
  EXPECT_EQ(Dump(), "||||||");
  EXPECT_TRUE(installer_.RelatedProducts(upgrade).empty());
}

// Texts that mean something to Windows Installer's formatting, as names,
// icons, verbs and commands: each arrives as the text make writes.
TEST_F(NwkPackageInstall, TextsTheInstallerWouldReadAsFormattingArriveLiterally) {
  const std::string hostile[] = {
      "[ProductName]", "[~]",          "a[~]b",        "{braces}",   "[[x]]", "#1", "##",
      "#x00",          "#%PATH%",      "50% [%PATH%]", "\"quo\"te'", "+",     "-",  "*",
      "]x[",           "{[ALLUSERS]}", "caf\xE9",
  };
  std::string verbs;
  for (const std::string& text : hostile) verbs += text + ";" + text + ";\r\n";
  // A backslash belongs in commands only: in a menu name it would nest keys.
  verbs += "Escaped;[\\[] [\\]];\r\n";
  // A menu name that makes the longest key path the registry's ANSI functions
  // take (259 characters), over the 255 of the Registry table's usual Key column.
  verbs += std::string(184, 'v') + ";long;\r\n";
  const std::wstring file =
      Write("hostile.nwk", Settings("[ProductName] {x} #1", "#%SystemRoot%\\x.ico", kClsid5, verbs));
  const std::string made = Made(file, {});
  // The text reaches the registry as it was written, as make writes it.
  ASSERT_NE(made.find(test::HexBytes("[ProductName]")), std::string::npos) << made;
  const std::wstring msi = Package(file, "hostile.msi");
  ASSERT_EQ(Install(msi), 0u);
  EXPECT_EQ(Dump(), made);
  ASSERT_EQ(Uninstall(msi), 0u);
  EXPECT_EQ(Dump(), "||||||");
}

// A package that cannot be put where -o says is not left anywhere, half
// written or whole, and an older file there stays as it was.
TEST_F(NwkPackageInstall, AnUnwritablePackageLeavesNoFileBehind) {
  const std::wstring file = Write("folder.nwk", Settings("Tools", "i.ico", kClsid5, "Open;a.exe;\r\n"));
  fs::create_directories(dir_ / "taken.msi");
  const std::wstring targets[] = {(dir_ / "missing" / "out.msi").wstring(), (dir_ / "taken.msi").wstring()};
  for (const std::wstring& target : targets) {
    SCOPED_TRACE(ToAnsi(target));
    EXPECT_NE(Nwk({L"package", file, L"-o", target}, kExitCannotWrite).err.find("cannot write"),
              std::string::npos);
  }
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
  EXPECT_TRUE(fs::is_directory(dir_ / "taken.msi"));
  std::vector<std::wstring> left;
  for (const auto& entry : fs::directory_iterator(dir_)) left.push_back(entry.path().filename().wstring());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::wstring>{L"folder.nwk", L"taken.msi"}));
}

// Windows Installer is slow to load, and make has nothing to ask it: only
// package, status, remove and list load it.
TEST_F(NwkPackageInstall, MakeLeavesWindowsInstallerUnloaded) {
  if (GetModuleHandleW(L"msi.dll") != nullptr) GTEST_SKIP() << "another test of this process loaded it";
  const std::wstring file = Write("folder.nwk", Settings("Tools", "i.ico", kClsid5, "Open;a.exe;\r\n"));
  Nwk({L"make", file});
  EXPECT_EQ(GetModuleHandleW(L"msi.dll"), nullptr);
  Nwk({L"status", file});
  EXPECT_NE(GetModuleHandleW(L"msi.dll"), nullptr);
}

TEST_F(NwkPackageInstall, AThirtyTwoBitPackageRefusesSixtyFourBitWindows) {
  const std::wstring file = Write("folder.nwk", Settings("Tools", "i.ico", kClsid5, "Open;a.exe;\r\n"));
  const std::wstring msi = Package(file, "x86.msi", {L"--arch", L"x86"});
  EXPECT_EQ(Install(msi), 1603u);
  EXPECT_EQ(Dump(), "||||||");
}

}  // namespace
}  // namespace nw::nwk
