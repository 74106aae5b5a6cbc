// The package's tables as data, in every build: each Registry row reads back
// as the step of the layout it stands for, the codes follow from what they
// should and from nothing else, and what a package cannot carry is refused
// before any file is made. (The packages themselves are installed under
// Wine's msiexec in NwkPackageInstallTest.)
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "EasyReg/MemoryRegistry.h"
#include "nwk/Nwk.h"
#include "nwk/Package.h"
#include "platform/AnsiText.h"
#include "support/Kit.h"
#include "support/RegistryDump.h"

#ifdef _WIN32
#include "nwk/Win32Installer.h"
#else
#include <openssl/sha.h>
#endif

namespace nw::nwk {
namespace {

Sha1Digest TestSha1(const std::string& bytes) {
#ifdef _WIN32
  return Win32Installer().Hash(bytes);
#else
  Sha1Digest digest{};
  SHA1(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest.data());
  return digest;
#endif
}

const std::wstring kClsid = L"{0000000D-CF0D-D10A-A240-0000E2E0A0C1}";

FolderDefinition Tools() {
  FolderDefinition definition;
  definition.FolderName = L"Tools";
  definition.FolderClsid = kClsid;
  definition.FolderIcon = L"shell32.dll,4";
  definition.MenuItems = {{L"Open", L"notepad.exe \"%1\""}, {L"Edit", L"C:\\ed.exe"}};
  return definition;
}

PackagePlan Plan(const FolderDefinition& definition, PackageOptions options = {},
                 const std::string& icon = "ICO") {
  return PlanPackage(definition, options, CodePage(1252), icon, TestSha1);
}

const Table& TableOf(const PackagePlan& plan, const std::wstring& name) {
  for (const Table& table : plan.tables)
    if (table.name == name) return table;
  throw std::runtime_error("no table " + ToAnsi(name));
}

std::optional<std::wstring> Property(const PackagePlan& plan, const std::wstring& name) {
  for (const auto& row : TableOf(plan, L"Property").rows)
    if (std::get<std::wstring>(row[0]) == name) return std::get<std::wstring>(row[1]);
  return std::nullopt;
}

// Formatted text as Windows Installer resolves it, for text that names no
// property: "[\x]" is the character x; any other bracket or brace, or a
// "[~]", would make the installer read something else, and fails the test.
std::wstring Literal(const std::wstring& formatted) {
  std::wstring out;
  for (std::size_t i = 0; i < formatted.size(); ++i) {
    const wchar_t c = formatted[i];
    if (c == L'[' && i + 3 < formatted.size() && formatted[i + 1] == L'\\' && formatted[i + 3] == L']') {
      out += formatted[i + 2];
      i += 3;
      continue;
    }
    if (c == L'[' || c == L']' || c == L'{' || c == L'}') {
      ADD_FAILURE() << "unescaped " << static_cast<char>(c) << " in " << ToAnsi(formatted);
      return {};
    }
    out += c;
  }
  return out;
}

// A Value column as the installer stores it: type and text.
std::pair<long, std::wstring> StoredValue(const std::wstring& value) {
  if (value.starts_with(L"##")) return {kRegSz, Literal(value.substr(1))};
  if (value.starts_with(L"#x")) return {kRegBinary, value.substr(2)};
  if (value.starts_with(L"#")) return {-1, value};  // a number or an expandable string
  return {kRegSz, Literal(value)};
}

TEST(Package, NameBasedCodesAreVersionFiveUuids) {
  // The RFC 4122 namespace for domain names, and a name whose version 5 UUID
  // other tools give as 886313e1-3b8a-5372-9b90-0c9aee199e5d.
  const std::array<std::uint8_t, 16> dns = {0x6b, 0xa7, 0xb8, 0x10, 0x9d, 0xad, 0x11, 0xd1,
                                            0x80, 0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8};
  EXPECT_EQ(NameBasedUuid(dns, "python.org", TestSha1), L"{886313E1-3B8A-5372-9B90-0C9AEE199E5D}");
}

TEST(Package, RegistryRowsReadBackAsTheLayoutOfMake) {
  const struct {
    Placement placement;
    Scope scope;
    int root;
  } cases[] = {{Placement::Desktop, Scope::Machine, 2},
               {Placement::MyComputer, Scope::Machine, 2},
               {Placement::Manual, Scope::Machine, 2},
               {Placement::Desktop, Scope::User, 1}};
  FolderDefinition definition = Tools();
  definition.FolderName = L"[ProductName] {x} #1 [~] 50%";
  definition.MenuItems[0].MenuName = L"Open [it]";
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.placement) * 10 + static_cast<int>(c.scope));
    const PackagePlan plan = Plan(definition, {c.placement, c.scope, Arch::X64, L"1.0.0"});
    // Every value and every key of the layout, as the rows give them back.
    std::map<std::wstring, std::pair<long, std::wstring>> values;
    std::vector<std::wstring> keys;
    std::vector<std::wstring> wholeKeys;
    for (const auto& row : TableOf(plan, L"Registry").rows) {
      EXPECT_EQ(std::get<int>(row[1]), c.root);
      const std::wstring key = Literal(std::get<std::wstring>(row[2]));
      keys.push_back(key);
      if (std::holds_alternative<std::monostate>(row[4])) {
        const std::wstring name = std::get<std::wstring>(row[3]);
        ASSERT_TRUE(name == L"+" || name == L"*") << ToAnsi(name);
        if (name == L"*") wholeKeys.push_back(key);
        continue;
      }
      const std::wstring name =
          std::holds_alternative<std::monostate>(row[3]) ? L"" : Literal(std::get<std::wstring>(row[3]));
      values[key + L"|" + name] = StoredValue(std::get<std::wstring>(row[4]));
    }
    std::map<std::wstring, std::pair<long, std::wstring>> expected;
    std::vector<std::wstring> expectedKeys;
    for (const RegistryStep& step : LayoutSteps(definition, c.placement, c.scope)) {
      if (step.action == RegistryStep::Action::CreateKey) {
        expectedKeys.push_back(step.keyPath);
        continue;
      }
      std::wstring data;
      if (step.type == kRegSz) data = std::get<std::wstring>(step.data);
      if (step.type == kRegBinary) data = L"0000000000";
      expected[step.keyPath + L"|" + step.valueName] = {step.type, data};
    }
    EXPECT_EQ(values, expected);
    // Every key of the layout is made, by a value or by a row of its own.
    for (const std::wstring& key : expectedKeys)
      EXPECT_TRUE(std::count(keys.begin(), keys.end(), key) > 0) << ToAnsi(key);
    // Removal takes out what Remove Link deletes: the class key and the
    // namespace entry, whole.
    std::vector<std::wstring> removed;
    for (const RemovalKey& key : RemovalKeys(definition, c.scope)) {
      const std::wstring path = key.parent.path + L"\\" + key.name;
      if (std::count(expectedKeys.begin(), expectedKeys.end(), path) > 0) removed.push_back(path);
    }
    EXPECT_EQ(wholeKeys, removed);
  }
}

TEST(Package, LeadingNumberSignsStayText) {
  const struct {
    std::wstring text, value;
  } cases[] = {
      {L"#1", L"##1"}, {L"##", L"###"}, {L"#x00", L"##x00"}, {L"#%PATH%", L"##%PATH%"}, {L"a#", L"a#"}};
  for (const auto& c : cases) {
    EXPECT_EQ(RegistryStringValue(c.text), c.value);
    EXPECT_EQ(StoredValue(RegistryStringValue(c.text)), std::make_pair(kRegSz, c.text));
  }
}

TEST(Package, CodesFollowFromIdentityAndContentAlone) {
  const PackagePlan first = Plan(Tools());
  const PackagePlan again = Plan(Tools());
  EXPECT_EQ(first.productCode, again.productCode);
  EXPECT_EQ(first.summary.packageCode, again.summary.packageCode);
  EXPECT_EQ(Property(first, L"ProductCode"), first.productCode);
  EXPECT_EQ(Property(first, L"UpgradeCode"), first.upgradeCode);
  EXPECT_NE(first.productCode, first.summary.packageCode);

  // A change of content is a new product of the same folder.
  FolderDefinition changed = Tools();
  changed.MenuItems[1].MenuCommand = L"C:\\other.exe";
  FolderDefinition renamed = Tools();
  renamed.FolderName = L"Tools 2";
  for (const PackagePlan& plan : {Plan(changed), Plan(renamed), Plan(Tools(), {}, "OTHER ICON"),
                                  Plan(Tools(), {Placement::Desktop, Scope::Machine, Arch::X64, L"1.0.1"})}) {
    EXPECT_NE(plan.productCode, first.productCode);
    EXPECT_NE(plan.summary.packageCode, first.summary.packageCode);
    EXPECT_EQ(plan.upgradeCode, first.upgradeCode);
  }
  // Another placement, scope or platform is another folder's package.
  std::vector<std::wstring> upgradeCodes = {first.upgradeCode};
  for (const PackageOptions& options :
       {PackageOptions{Placement::MyComputer, Scope::Machine, Arch::X64, L"1.0.0"},
        PackageOptions{Placement::Manual, Scope::Machine, Arch::X64, L"1.0.0"},
        PackageOptions{Placement::Desktop, Scope::User, Arch::X64, L"1.0.0"},
        PackageOptions{Placement::Desktop, Scope::Machine, Arch::X86, L"1.0.0"}})
    upgradeCodes.push_back(Plan(Tools(), options).upgradeCode);
  std::sort(upgradeCodes.begin(), upgradeCodes.end());
  EXPECT_EQ(std::unique(upgradeCodes.begin(), upgradeCodes.end()), upgradeCodes.end());
  // Another CLSID too, and the letter case of the file's CLSID does not count.
  FolderDefinition other = Tools();
  other.FolderClsid = L"{0000000D-CF0D-D10A-A240-0000E2E0A0C2}";
  EXPECT_NE(Plan(other).upgradeCode, first.upgradeCode);
  FolderDefinition lower = Tools();
  lower.FolderClsid = L"{0000000d-cf0d-d10a-a240-0000e2e0a0c1}";
  EXPECT_EQ(Plan(lower).upgradeCode, first.upgradeCode);
}

TEST(Package, PlatformAndScopeSetComponentsSummaryAndConditions) {
  const struct {
    Arch arch;
    Scope scope;
    int componentAttributes;
    std::wstring platforms;
    int wordCount;
    bool allUsers;
    bool only32BitWindows;
  } cases[] = {
      {Arch::X64, Scope::Machine, 0x104, L"x64;1033", 2, true, false},
      {Arch::X86, Scope::Machine, 0x004, L"Intel;1033", 2, true, true},
      {Arch::X64, Scope::User, 0x104, L"x64;1033", 10, false, false},
      {Arch::X86, Scope::User, 0x004, L"Intel;1033", 10, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToAnsi(c.platforms) + std::to_string(c.wordCount));
    const PackagePlan plan = Plan(Tools(), {Placement::Desktop, c.scope, c.arch, L"1.0.0"});
    for (const auto& row : TableOf(plan, L"Component").rows)
      EXPECT_EQ(std::get<int>(row[3]), c.componentAttributes);
    EXPECT_EQ(plan.summary.platforms, c.platforms);
    EXPECT_EQ(plan.summary.wordCount, c.wordCount);
    EXPECT_EQ(plan.summary.pageCount, 200);
    EXPECT_EQ(Property(plan, L"ALLUSERS").has_value(), c.allUsers);
    EXPECT_EQ(Property(plan, L"ARPNOMODIFY"), L"1");
    EXPECT_EQ(Property(plan, L"Manufacturer"), L"Nookwayer");
    EXPECT_EQ(Property(plan, L"ProductName"), L"Tools (" + kClsid + L")");
    bool only32 = false;
    for (const auto& row : TableOf(plan, L"LaunchCondition").rows)
      only32 |= std::get<std::wstring>(row[0]) == L"NOT VersionNT64";
    EXPECT_EQ(only32, c.only32BitWindows);
  }
}

TEST(Package, TheProgramIconIsCarriedWhenThereIsOne) {
  const PackagePlan with = Plan(Tools(), {}, "ICONBYTES");
  EXPECT_EQ(Property(with, L"ARPPRODUCTICON"), L"folder.ico");
  ASSERT_EQ(TableOf(with, L"Icon").rows.size(), 1u);
  EXPECT_EQ(std::get<StreamBytes>(TableOf(with, L"Icon").rows[0][1]).bytes, "ICONBYTES");
  const PackagePlan without = Plan(Tools(), {}, "");
  EXPECT_FALSE(Property(without, L"ARPPRODUCTICON").has_value());
  EXPECT_TRUE(TableOf(without, L"Icon").rows.empty());
}

TEST(Package, UpgradeRowsReplaceUpToThisVersionAndStopAtANewerOne) {
  const PackagePlan plan = Plan(Tools(), {Placement::Desktop, Scope::Machine, Arch::X64, L"2.1.7"});
  const auto& rows = TableOf(plan, L"Upgrade").rows;
  ASSERT_EQ(rows.size(), 2u);
  // Older and same versions: detected and removed (maximum included).
  EXPECT_EQ(rows[0][0], Field(plan.upgradeCode));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(rows[0][1]));
  EXPECT_EQ(rows[0][2], Field(std::wstring(L"2.1.7")));
  EXPECT_EQ(std::get<int>(rows[0][4]), 0x200);
  // Newer versions: only detected, and the launch condition stops the install.
  EXPECT_EQ(rows[1][1], Field(std::wstring(L"2.1.7")));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(rows[1][2]));
  EXPECT_EQ(std::get<int>(rows[1][4]), 0x2);
  const std::wstring newer = std::get<std::wstring>(rows[1][6]);
  bool stops = false;
  for (const auto& row : TableOf(plan, L"LaunchCondition").rows)
    stops |= std::get<std::wstring>(row[0]) == L"NOT " + newer;
  EXPECT_TRUE(stops);
  EXPECT_NE(Property(plan, L"SecureCustomProperties")->find(newer), std::wstring::npos);
}

TEST(Package, VersionsAreThoseWindowsInstallerCompares) {
  for (const wchar_t* good : {L"1.0.0", L"255.255.65535", L"0.0.1"})
    EXPECT_TRUE(IsProductVersion(good)) << ToAnsi(good);
  for (const wchar_t* bad :
       {L"", L"1", L"1.0", L"1.0.0.0", L"256.0.0", L"1.256.0", L"1.0.65536", L"1.a.0", L"1..0", L"-1.0.0"})
    EXPECT_FALSE(IsProductVersion(bad)) << ToAnsi(bad);
}

// An installer that records what nwk asks of it.
class FakeInstaller final : public Installer {
 public:
  class Database final : public InstallerDatabase {
   public:
    explicit Database(FakeInstaller& owner) : owner_(owner) {}
    void SetCodePage(int codePage) override { owner_.codePage = codePage; }
    void Execute(const std::wstring& sql, const std::vector<Field>&) override {
      owner_.statements.push_back(sql);
    }
    void SetSummary(const Summary&) override {}
    void Commit() override {
      if (owner_.failCommit) throw std::runtime_error("disk full");
      owner_.committed = true;
    }

   private:
    FakeInstaller& owner_;
  };
  std::unique_ptr<InstallerDatabase> Create(const std::wstring& path) override {
    created.push_back(path);
    if (failCreate) throw std::runtime_error("access denied");
    return std::make_unique<Database>(*this);
  }
  Sha1Digest Hash(const std::string& bytes) override { return TestSha1(bytes); }
  Arch NativeArch() override { return native; }
  std::string ProgramIcon() override { return "ICON"; }
  std::vector<InstalledProduct> RelatedProducts(const std::wstring& upgradeCode) override {
    auto found = installed.find(upgradeCode);
    return found == installed.end() ? std::vector<InstalledProduct>{} : found->second;
  }

  Arch native = Arch::X64;
  bool failCreate = false, failCommit = false, committed = false;
  int codePage = 0;
  std::vector<std::wstring> created, statements;
  std::map<std::wstring, std::vector<InstalledProduct>> installed;
};

struct Result {
  int status;
  Output output;
};

Result Nwk(std::vector<std::wstring> args, Registry* registry, Installer* installer) {
  Result result{};
  result.status = Run(args, result.output, registry, nullptr, installer);
  return result;
}

std::string Header(const std::string& name, const std::string& icon) {
  return test::kMagicLine + "name=" + name + "\r\nicon=" + icon + "\r\nclsid5=0000E2E0A0C1\r\n";
}

TEST(NwkPackage, RefusesWhatAPackageCannotCarryNamingTheLineAndMakesNoFile) {
  const struct {
    std::string file;
    int line;
  } cases[] = {
      {Header("", "i.ico") + "Open;x;\r\n", 2},
      {Header("Tools", "") + "Open;x;\r\n", 3},
      {Header("Tools", "i.ico") + "Open;x;\r\nEdit;;\r\n", 6},
      {Header("Tools", "i.ico") + ";x;\r\n", 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    test::SettingsFile file(c.file);
    FakeInstaller installer;
    MemoryRegistry registry;
    const Result result = Nwk({L"package", file.path(), L"-o", L"out.msi"}, &registry, &installer);
    EXPECT_EQ(result.status, kExitRefused);
    EXPECT_NE(result.output.err.find("line " + std::to_string(c.line) + " of"), std::string::npos)
        << result.output.err;
    EXPECT_TRUE(installer.created.empty());
    EXPECT_TRUE(result.output.out.empty());
  }
}

TEST(NwkPackage, WritesThePackageAndPrintsItsCodes) {
  test::SettingsFile file(Header("Tools", "i.ico") + "Open;x;\r\n");
  FakeInstaller installer;
  installer.native = Arch::X86;
  MemoryRegistry registry;
  const Result result =
      Nwk({L"package", file.path(), L"-o", L"out.msi", L"--version", L"1.2.3"}, &registry, &installer);
  ASSERT_EQ(result.status, kExitDone) << result.output.err;
  EXPECT_TRUE(installer.committed);
  EXPECT_EQ(installer.created, std::vector<std::wstring>{L"out.msi"});
  FolderDefinition definition;
  definition.FolderClsid = kClsid;
  const Sha1 sha1 = TestSha1;
  // The platform of this Windows, when none is given.
  const std::wstring upgrade = UpgradeCode(kClsid, Scope::Machine, Placement::Desktop, Arch::X86, sha1);
  EXPECT_NE(result.output.out.find("UpgradeCode " + ToAnsi(upgrade) + "\n"), std::string::npos)
      << result.output.out;
  EXPECT_NE(result.output.out.find("ProductCode {"), std::string::npos);
  // Every row goes in through markers, never as quoted text.
  for (const std::wstring& sql : installer.statements) {
    EXPECT_EQ(sql.find(L'\''), std::wstring::npos) << ToAnsi(sql);
    EXPECT_EQ(sql.find(L"Tools"), std::wstring::npos) << ToAnsi(sql);
  }
}

TEST(NwkPackage, ExitStatusesOfTheCommandLine) {
  test::SettingsFile good(Header("Tools", "i.ico") + "Open;x;\r\n");
  test::SettingsFile bad(test::kMagicLine + "name=Tools\r\n");
  MemoryRegistry registry;
  const struct {
    std::vector<std::wstring> args;
    bool failCreate, failCommit, withInstaller;
    int status;
  } cases[] = {
      {{L"package", good.path()}, false, false, true, kExitUsage},
      {{L"package", good.path(), L"-o", L"x.msi", L"--arch", L"arm"}, false, false, true, kExitUsage},
      {{L"package", good.path(), L"-o", L"x.msi", L"--version", L"1.0"}, false, false, true, kExitUsage},
      {{L"package", good.path(), L"-o", L"x.msi", L"--remove"}, false, false, true, kExitUsage},
      {{L"package", bad.path(), L"-o", L"x.msi"}, false, false, true, kExitRefused},
      {{L"package", good.path(), L"-o", L"x.msi"}, true, false, true, kExitCannotWrite},
      {{L"package", good.path(), L"-o", L"x.msi"}, false, true, true, kExitCannotWrite},
      {{L"package", good.path(), L"-o", L"x.msi"}, false, false, false, kExitNoRegistry},
      {{L"package", good.path(), L"-o", L"x.msi", L"--user", L"--placement", L"manual", L"--arch", L"x86"},
       false,
       false,
       true,
       kExitDone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToAnsi(c.args.back()) + " " + std::to_string(c.status));
    FakeInstaller installer;
    installer.failCreate = c.failCreate;
    installer.failCommit = c.failCommit;
    const Result result = Nwk(c.args, &registry, c.withInstaller ? &installer : nullptr);
    EXPECT_EQ(result.status, c.status) << result.output.err;
    EXPECT_EQ(installer.committed, c.status == kExitDone);
  }
}

TEST(NwkPackage, RemoveLeavesAFolderAnInstalledPackageOwnsUnlessForced) {
  test::SettingsFile file(Header("Tools", "i.ico") + "Open;x;\r\n");
  for (Placement packaged : {Placement::Desktop, Placement::Manual}) {
    MemoryRegistry registry;
    FakeInstaller installer;
    ASSERT_EQ(Nwk({L"make", file.path()}, &registry, &installer).status, kExitDone);
    const std::string made = test::DumpTree(registry, kHkeyLocalMachine, test::kClassesKey + ToAnsi(kClsid));
    installer.installed[UpgradeCode(kClsid, Scope::Machine, packaged, Arch::X86, TestSha1)] = {
        {L"{11111111-2222-3333-4444-555555555555}", L"Tools (" + kClsid + L")"}};

    const Result status = Nwk({L"status", file.path()}, &registry, &installer);
    EXPECT_EQ(status.status, kExitDone);
    EXPECT_NE(status.output.err.find("an installed package owns this folder: Tools"), std::string::npos);

    const Result listed = Nwk({L"list"}, &registry, &installer);
    EXPECT_NE(listed.output.out.find("  package Tools (" + ToAnsi(kClsid) + ") {11111111-"),
              std::string::npos)
        << listed.output.out;

    const Result refused = Nwk({L"remove", file.path()}, &registry, &installer);
    EXPECT_EQ(refused.status, kExitOwned);
    EXPECT_NE(refused.output.err.find("msiexec /x {11111111-2222-3333-4444-555555555555} /qn"),
              std::string::npos)
        << refused.output.err;
    EXPECT_EQ(test::DumpTree(registry, kHkeyLocalMachine, test::kClassesKey + ToAnsi(kClsid)), made);

    // The user's own scope is another folder's.
    EXPECT_EQ(Nwk({L"remove", file.path(), L"--user"}, &registry, &installer).status, kExitDone);

    EXPECT_EQ(Nwk({L"remove", file.path(), L"--force"}, &registry, &installer).status, kExitDone);
    EXPECT_EQ(test::DumpTree(registry, kHkeyLocalMachine, test::kClassesKey + ToAnsi(kClsid)), "");
  }
}

}  // namespace
}  // namespace nw::nwk
