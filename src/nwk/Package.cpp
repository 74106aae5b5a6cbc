// The tables of a folder's package. Windows Installer writes each Registry row
// when the package is installed and takes it out when it is removed; the rows
// are the layout "nwk make" writes, step for step, in the same hive and view.
#include "nwk/Package.h"

#include <algorithm>
#include <map>

#include "EasyReg/EasyReg.h"
#include "nwk/Texts.h"
#include "nwk/Verbs.h"
#include "platform/AnsiText.h"

namespace nw::nwk {
namespace {

// The namespaces of the name-based codes: one for upgrade codes, one for
// product codes, one for package codes and one for component codes, so that
// no two kinds of code can ever coincide.
constexpr std::array<std::uint8_t, 16> kUpgradeSpace = {0x4e, 0x57, 0x4b, 0x01, 0x9a, 0x43, 0x4c, 0x55,
                                                        0x8b, 0x6f, 0x2d, 0x1e, 0x70, 0x61, 0x63, 0x6b};
constexpr std::array<std::uint8_t, 16> kProductSpace = {0x4e, 0x57, 0x4b, 0x02, 0x9a, 0x43, 0x4c, 0x55,
                                                        0x8b, 0x6f, 0x2d, 0x1e, 0x70, 0x61, 0x63, 0x6b};
constexpr std::array<std::uint8_t, 16> kPackageSpace = {0x4e, 0x57, 0x4b, 0x03, 0x9a, 0x43, 0x4c, 0x55,
                                                        0x8b, 0x6f, 0x2d, 0x1e, 0x70, 0x61, 0x63, 0x6b};
constexpr std::array<std::uint8_t, 16> kComponentSpace = {0x4e, 0x57, 0x4b, 0x04, 0x9a, 0x43, 0x4c, 0x55,
                                                          0x8b, 0x6f, 0x2d, 0x1e, 0x70, 0x61, 0x63, 0x6b};

constexpr int kRootCurrentUser = 1;
constexpr int kRootLocalMachine = 2;

// Component attributes: the key path is a Registry row; the component is 64-bit.
constexpr int kComponentRegistryKeyPath = 0x4;
constexpr int kComponent64Bit = 0x100;
// Feature attributes: never advertised, always installed.
constexpr int kFeatureDisallowAdvertise = 0x8;
// Upgrade attributes.
constexpr int kUpgradeOnlyDetect = 0x2;
constexpr int kUpgradeVersionMaxInclusive = 0x200;

const wchar_t kComponent[] = L"Folder";
const wchar_t kFeature[] = L"Folder";
const wchar_t kIconName[] = L"folder.ico";
const wchar_t kOlderFound[] = L"NWOLDERFOUND";
const wchar_t kNewerFound[] = L"NWNEWERFOUND";

std::wstring Hex(std::uint8_t byte) {
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  return {kDigits[byte >> 4], kDigits[byte & 15]};
}

// Where a text of the definition stands in the settings file.
struct Source {
  int line;
  std::wstring text;
};

// The text of every field a row takes from the definition, with its line.
std::vector<Source> Sources(const FolderDefinition& definition) {
  std::vector<Source> sources = {{2, definition.FolderName}, {3, definition.FolderIcon}};
  for (std::size_t i = 0; i < definition.MenuItems.size(); ++i) {
    const int line = static_cast<int>(5 + i);
    sources.push_back({line, definition.MenuItems.at(i).MenuName});
    sources.push_back({line, definition.MenuItems.at(i).MenuCommand});
  }
  return sources;
}

bool IsAscii(const std::wstring& text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}

// The code page of the database's text, or a refusal for text no code page
// of Windows Installer holds as it is.
int DatabaseCodePage(const std::vector<Source>& sources, CodePage codePage) {
  int result = 0;
  for (const Source& source : sources) {
    if (IsAscii(source.text)) continue;
    const unsigned number = codePage.Number();
    // Windows Installer keeps its text in one ANSI code page: UTF-8 is none.
    if (number == kUtf8.Number() || number == kUtf16Le.Number())
      throw PackageRefused(source.line, msg::kPackageCodePage + std::to_wstring(number));
    if (FromAnsi(ToAnsi(source.text, CodePage(number)), CodePage(number)) != source.text)
      throw PackageRefused(source.line, msg::kPackageCodePage + std::to_wstring(number));
    result = static_cast<int>(number);
  }
  return result;
}

// What the Registry table cannot write as "nwk make" does.
void RefuseWhatCannotArrive(const FolderDefinition& definition) {
  // An empty Value column means "no value" to Windows Installer, and an empty
  // string cannot be written otherwise.
  if (definition.FolderName.empty()) throw PackageRefused(2, msg::kPackageEmptyValue);
  if (definition.FolderIcon.empty()) throw PackageRefused(3, msg::kPackageEmptyValue);
  for (std::size_t i = 0; i < definition.MenuItems.size(); ++i) {
    const int line = static_cast<int>(5 + i);
    const MenuEntry& entry = definition.MenuItems.at(i);
    if (entry.MenuCommand.empty()) throw PackageRefused(line, msg::kPackageEmptyValue);
    // "Shell\" + "" names Shell itself to the registry and another key to the
    // installer.
    if (entry.MenuName.empty()) throw PackageRefused(line, msg::kPackageEmptyName);
  }
}

std::wstring ArchName(Arch arch) {
  return arch == Arch::X64 ? L"x64" : L"x86";
}

std::wstring PlacementName(Placement placement) {
  switch (placement) {
    case Placement::Desktop: return L"desktop";
    case Placement::MyComputer: return L"system";
    case Placement::Manual: break;
  }
  return L"manual";
}

// Everything a table holds, as one text: what the product code follows from.
std::string Canonical(const std::vector<Table>& tables, const Summary& summary, const Sha1& sha1) {
  std::wstring text;
  auto add = [&](const std::wstring& part) { text += std::to_wstring(part.size()) + L":" + part + L";"; };
  for (const Table& table : tables) {
    add(table.name);
    for (const Column& column : table.columns) add(column.name + L" " + column.type);
    for (const auto& row : table.rows) {
      for (const Field& field : row) {
        if (std::holds_alternative<std::monostate>(field)) add(L"null");
        if (const int* number = std::get_if<int>(&field)) add(L"i" + std::to_wstring(*number));
        if (const std::wstring* string = std::get_if<std::wstring>(&field)) add(L"s" + *string);
        if (const StreamBytes* stream = std::get_if<StreamBytes>(&field))
          add(L"b" + NameBasedUuid({}, stream->bytes, sha1));
      }
      text += L"\n";
    }
  }
  add(std::to_wstring(summary.codePage));
  add(summary.platforms);
  add(std::to_wstring(summary.wordCount));
  return Utf8(text);
}

struct ColumnSpec {
  const wchar_t* name;
  const wchar_t* type;
};

// A table's schema, from plain text.
Table Make(const wchar_t* name, std::initializer_list<ColumnSpec> columns,
           std::initializer_list<const wchar_t*> keys) {
  Table table{name, {}, {}, {}};
  for (const ColumnSpec& column : columns) table.columns.push_back({column.name, column.type});
  for (const wchar_t* key : keys) table.keys.emplace_back(key);
  return table;
}

const wchar_t kId[] = L"CHAR(72) NOT NULL";
const wchar_t kGuid[] = L"CHAR(38)";

}  // namespace

std::wstring FormattedLiteral(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    if (c == L'[' || c == L']' || c == L'{' || c == L'}') {
      out += L"[\\";
      out += c;
      out += L']';
    } else {
      out += c;
    }
  }
  return out;
}

std::wstring RegistryStringValue(const std::wstring& text) {
  std::wstring value = FormattedLiteral(text);
  if (!value.empty() && value[0] == L'#') value.insert(0, 1, L'#');
  return value;
}

std::wstring NameBasedUuid(const std::array<std::uint8_t, 16>& nameSpace, const std::string& name,
                           const Sha1& sha1) {
  std::string input(nameSpace.begin(), nameSpace.end());
  input += name;
  const Sha1Digest digest = sha1(input);
  std::array<std::uint8_t, 16> uuid{};
  std::copy_n(digest.begin(), 16, uuid.begin());
  uuid[6] = static_cast<std::uint8_t>((uuid[6] & 0x0F) | 0x50);  // version 5
  uuid[8] = static_cast<std::uint8_t>((uuid[8] & 0x3F) | 0x80);  // the RFC 4122 variant
  std::wstring out = L"{";
  for (std::size_t i = 0; i < uuid.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out += L'-';
    out += Hex(uuid[i]);
  }
  return out + L"}";
}

std::wstring UpgradeCode(const std::wstring& clsid, Scope scope, Placement placement, Arch arch,
                         const Sha1& sha1) {
  // The registry matches names in any letter case: so does a folder's identity.
  const std::wstring identity = FoldCase(clsid) + L"\n" + (scope == Scope::User ? L"user" : L"machine") +
                                L"\n" + PlacementName(placement) + L"\n" + ArchName(arch);
  return NameBasedUuid(kUpgradeSpace, Utf8(identity), sha1);
}

bool IsProductVersion(const std::wstring& version) {
  static constexpr unsigned long kLimits[] = {255, 255, 65535};
  std::size_t start = 0;
  for (std::size_t part = 0; part < 3; ++part) {
    const std::size_t end = part < 2 ? version.find(L'.', start) : version.size();
    if (end == std::wstring::npos || end == start || end - start > 5) return false;
    unsigned long value = 0;
    for (std::size_t i = start; i < end; ++i) {
      if (version[i] < L'0' || version[i] > L'9') return false;
      value = value * 10 + static_cast<unsigned long>(version[i] - L'0');
    }
    if (value > kLimits[part]) return false;
    start = end + 1;
  }
  return true;
}

namespace {

// The Registry rows: the layout, step for step. A key that receives no value
// gets a row of its own that creates it; the class key and the namespace
// entry are taken out whole when the package is removed, as Remove Link
// takes them out. Gives the row of the folder's name, the component's key path.
Table RegistryTable(const FolderDefinition& definition, const PackageOptions& options,
                    std::wstring& keyPathRow) {
  const std::vector<RegistryStep> layout = LayoutSteps(definition, options.placement, options.scope);
  const std::vector<KeyLocation> wholeKeys = [&] {
    std::vector<KeyLocation> keys;
    for (const RemovalKey& key : RemovalKeys(definition, options.scope))
      keys.push_back({key.parent.root, key.parent.path + L"\\" + key.name});
    return keys;
  }();
  Table registry = Make(L"Registry",
                        {{L"Registry", kId},
                         {L"Root", L"SHORT NOT NULL"},
                         {L"Key", L"CHAR(255) NOT NULL LOCALIZABLE"},
                         {L"Name", L"CHAR(255) LOCALIZABLE"},
                         {L"Value", L"LONGCHAR LOCALIZABLE"},
                         {L"Component_", kId}},
                        {L"Registry"});
  auto rowId = [&] { return L"r" + std::to_wstring(registry.rows.size() + 1); };
  for (const RegistryStep& step : layout) {
    const int root = step.root == kHkeyCurrentUser ? kRootCurrentUser : kRootLocalMachine;
    const std::wstring key = FormattedLiteral(step.keyPath);
    if (step.action == RegistryStep::Action::CreateKey) {
      const bool whole = std::any_of(wholeKeys.begin(), wholeKeys.end(), [&](const KeyLocation& k) {
        return k.root == step.root && FoldCase(k.path) == FoldCase(step.keyPath);
      });
      const bool getsValue = std::any_of(layout.begin(), layout.end(), [&](const RegistryStep& other) {
        return other.action == RegistryStep::Action::SetValue && other.root == step.root &&
               other.keyPath == step.keyPath;
      });
      if (whole)
        registry.rows.push_back(
            {rowId(), root, key, std::wstring(L"*"), std::monostate{}, std::wstring(kComponent)});
      else if (!getsValue)
        registry.rows.push_back(
            {rowId(), root, key, std::wstring(L"+"), std::monostate{}, std::wstring(kComponent)});
      continue;
    }
    Field value;
    if (step.type == kRegSz) {
      value = RegistryStringValue(std::get<std::wstring>(step.data));
    } else if (step.type == kRegBinary) {
      std::wstring hex = L"#x";
      for (std::uint8_t byte : ValueBytes(step.type, step.data, kUtf16Le)) hex += Hex(byte);
      value = hex;
    } else {
      throw std::invalid_argument("a value type the package does not write");
    }
    Field name = std::monostate{};
    if (!step.valueName.empty()) name = FormattedLiteral(step.valueName);
    // The folder's name, the class key's default value, tells the installer
    // whether the component is there.
    if (keyPathRow.empty() && step.valueName.empty()) keyPathRow = rowId();
    registry.rows.push_back({rowId(), root, key, name, value, std::wstring(kComponent)});
  }

  return registry;
}

Table PropertyTable(const PackagePlan& plan, const PackageOptions& options, bool withIcon) {
  Table property =
      Make(L"Property", {{L"Property", kId}, {L"Value", L"LONGCHAR NOT NULL LOCALIZABLE"}}, {L"Property"});
  auto prop = [&](const wchar_t* name, const std::wstring& value) {
    property.rows.push_back({std::wstring(name), value});
  };
  prop(L"ProductName", plan.productName);
  prop(L"ProductVersion", options.version);
  prop(L"Manufacturer", msg::kPackageManufacturer);
  prop(L"ProductLanguage", L"1033");
  prop(L"UpgradeCode", plan.upgradeCode);
  prop(L"ARPNOMODIFY", L"1");
  if (withIcon) prop(L"ARPPRODUCTICON", kIconName);
  if (options.scope != Scope::User) prop(L"ALLUSERS", L"1");
  prop(L"SecureCustomProperties", std::wstring(kOlderFound) + L";" + kNewerFound);

  return property;
}

// Where the component goes (nowhere: it holds no files) and the one feature
// that installs it.
std::vector<Table> FeatureTables() {
  Table directory = Make(L"Directory",
                         {{L"Directory", kId},
                          {L"Directory_Parent", L"CHAR(72)"},
                          {L"DefaultDir", L"CHAR(255) NOT NULL LOCALIZABLE"}},
                         {L"Directory"});
  directory.rows.push_back({std::wstring(L"TARGETDIR"), std::monostate{}, std::wstring(L"SourceDir")});

  Table feature = Make(L"Feature",
                       {{L"Feature", L"CHAR(38) NOT NULL"},
                        {L"Feature_Parent", L"CHAR(38)"},
                        {L"Title", L"CHAR(64) LOCALIZABLE"},
                        {L"Description", L"CHAR(255) LOCALIZABLE"},
                        {L"Display", L"SHORT"},
                        {L"Level", L"SHORT NOT NULL"},
                        {L"Directory_", L"CHAR(72)"},
                        {L"Attributes", L"SHORT NOT NULL"}},
                       {L"Feature"});
  feature.rows.push_back({std::wstring(kFeature), std::monostate{}, std::monostate{}, std::monostate{}, 0, 1,
                          std::monostate{}, kFeatureDisallowAdvertise});

  Table featureComponents =
      Make(L"FeatureComponents", {{L"Feature_", L"CHAR(38) NOT NULL"}, {L"Component_", kId}},
           {L"Feature_", L"Component_"});
  featureComponents.rows.push_back({std::wstring(kFeature), std::wstring(kComponent)});

  return {directory, feature, featureComponents};
}

std::vector<Table> UpgradeTables(const std::wstring& upgradeCode, const PackageOptions& options) {
  Table upgrade = Make(L"Upgrade",
                       {{L"UpgradeCode", L"CHAR(38) NOT NULL"},
                        {L"VersionMin", L"CHAR(20)"},
                        {L"VersionMax", L"CHAR(20)"},
                        {L"Language", L"CHAR(255)"},
                        {L"Attributes", L"LONG NOT NULL"},
                        {L"Remove", L"CHAR(255)"},
                        {L"ActionProperty", kId}},
                       {L"UpgradeCode", L"VersionMin", L"VersionMax", L"Language", L"Attributes"});
  // An installed package of this folder up to this version, another build
  // of the same version included, is removed first; a newer one stops the
  // install.
  upgrade.rows.push_back({upgradeCode, std::monostate{}, options.version, std::monostate{},
                          kUpgradeVersionMaxInclusive, std::monostate{}, std::wstring(kOlderFound)});
  upgrade.rows.push_back({upgradeCode, options.version, std::monostate{}, std::monostate{},
                          kUpgradeOnlyDetect, std::monostate{}, std::wstring(kNewerFound)});

  Table launch =
      Make(L"LaunchCondition",
           {{L"Condition", L"CHAR(255) NOT NULL"}, {L"Description", L"CHAR(255) NOT NULL LOCALIZABLE"}},
           {L"Condition"});
  launch.rows.push_back({L"NOT " + std::wstring(kNewerFound), std::wstring(msg::kPackageNewerInstalled)});
  // A 32-bit package on 64-bit Windows would write the 32-bit view of the
  // registry, where the 64-bit shell never looks.
  if (options.arch != Arch::X64)
    launch.rows.push_back({std::wstring(L"NOT VersionNT64"), std::wstring(msg::kPackageNeeds32Bit)});

  return {upgrade, launch};
}

std::vector<Table> SequenceTables() {
  auto sequence = [&](const wchar_t* name, std::initializer_list<std::pair<const wchar_t*, int>> actions) {
    Table table =
        Make(name, {{L"Action", kId}, {L"Condition", L"CHAR(255)"}, {L"Sequence", L"SHORT"}}, {L"Action"});
    for (const auto& [action, number] : actions)
      table.rows.push_back({std::wstring(action), std::monostate{}, number});
    return table;
  };
  // The old package goes before the new one is written: its removal takes
  // the class key out whole, which would take the new rows with it.
  Table execute = sequence(L"InstallExecuteSequence", {{L"FindRelatedProducts", 200},
                                                       {L"LaunchConditions", 400},
                                                       {L"CostInitialize", 800},
                                                       {L"FileCost", 900},
                                                       {L"CostFinalize", 1000},
                                                       {L"InstallValidate", 1400},
                                                       {L"RemoveExistingProducts", 1450},
                                                       {L"InstallInitialize", 1500},
                                                       {L"ProcessComponents", 1600},
                                                       {L"UnpublishFeatures", 1800},
                                                       {L"RemoveRegistryValues", 2600},
                                                       {L"WriteRegistryValues", 5000},
                                                       {L"RegisterProduct", 6100},
                                                       {L"PublishFeatures", 6300},
                                                       {L"PublishProduct", 6400},
                                                       {L"InstallFinalize", 6600}});
  Table ui = sequence(L"InstallUISequence", {{L"FindRelatedProducts", 200},
                                             {L"LaunchConditions", 400},
                                             {L"CostInitialize", 800},
                                             {L"FileCost", 900},
                                             {L"CostFinalize", 1000},
                                             {L"ExecuteAction", 1300}});

  return {execute, ui};
}

}  // namespace

PackagePlan PlanPackage(const FolderDefinition& definition, const PackageOptions& options, CodePage codePage,
                        const std::string& icon, const Sha1& sha1) {
  if (definition.FolderClsid.empty()) throw CommandRefused("no folder definition loaded");
  RefuseWhatCannotArrive(definition);
  PackagePlan plan;
  plan.codePage = DatabaseCodePage(Sources(definition), codePage);
  plan.upgradeCode =
      UpgradeCode(definition.FolderClsid, options.scope, options.placement, options.arch, sha1);
  plan.productName = definition.FolderName + L" (" + definition.FolderClsid + L")";
  const bool x64 = options.arch == Arch::X64;

  std::wstring keyPathRow;
  const Table registry = RegistryTable(definition, options, keyPathRow);
  Table iconTable = Make(L"Icon", {{L"Name", kId}, {L"Data", L"OBJECT NOT NULL"}}, {L"Name"});
  if (!icon.empty()) iconTable.rows.push_back({std::wstring(kIconName), StreamBytes{icon}});

  plan.summary.codePage = plan.codePage;
  plan.summary.title = msg::kPackageTitle;
  plan.summary.subject = plan.productName;
  plan.summary.author = msg::kPackageManufacturer;
  plan.summary.keywords = msg::kPackageKeywords;
  plan.summary.comments = msg::kPackageComments;
  plan.summary.platforms = (x64 ? L"x64" : L"Intel") + std::wstring(L";1033");
  plan.summary.wordCount = options.scope == Scope::User ? 2 | 8 : 2;

  // The component's code follows from what it holds, so a changed folder
  // is a new component.
  Table component = Make(L"Component",
                         {{L"Component", kId},
                          {L"ComponentId", kGuid},
                          {L"Directory_", kId},
                          {L"Attributes", L"SHORT NOT NULL"},
                          {L"Condition", L"CHAR(255)"},
                          {L"KeyPath", L"CHAR(72)"}},
                         {L"Component"});
  const std::string rows = Canonical({registry}, plan.summary, sha1);
  component.rows.push_back(
      {std::wstring(kComponent), NameBasedUuid(kComponentSpace, rows, sha1), std::wstring(L"TARGETDIR"),
       kComponentRegistryKeyPath | (x64 ? kComponent64Bit : 0), std::monostate{}, keyPathRow});

  plan.tables = {PropertyTable(plan, options, !icon.empty())};
  for (std::vector<Table> group : {FeatureTables(),
                                   {component, registry},
                                   UpgradeTables(plan.upgradeCode, options),
                                   SequenceTables(),
                                   {iconTable}})
    plan.tables.insert(plan.tables.end(), group.begin(), group.end());
  const std::string content = Canonical(plan.tables, plan.summary, sha1);
  plan.productCode = NameBasedUuid(kProductSpace, content, sha1);
  plan.tables.front().rows.push_back({std::wstring(L"ProductCode"), plan.productCode});
  plan.summary.packageCode = NameBasedUuid(kPackageSpace, content, sha1);
  return plan;
}

void WritePackage(const PackagePlan& plan, InstallerDatabase& database) {
  if (plan.codePage != 0) database.SetCodePage(plan.codePage);
  for (const Table& table : plan.tables) {
    std::wstring create = L"CREATE TABLE `" + table.name + L"` (";
    std::wstring names, markers;
    for (const Column& column : table.columns) {
      if (!names.empty()) names += L", ", markers += L", ";
      create += L"`" + column.name + L"` " + column.type + L", ";
      names += L"`" + column.name + L"`";
      markers += L"?";
    }
    create.resize(create.size() - 2);
    for (std::size_t i = 0; i < table.keys.size(); ++i)
      create += (i == 0 ? L" PRIMARY KEY `" : L", `") + table.keys[i] + L"`";
    database.Execute(create + L")", {});
    const std::wstring insert =
        L"INSERT INTO `" + table.name + L"` (" + names + L") VALUES (" + markers + L")";
    for (const auto& row : table.rows) database.Execute(insert, row);
  }
  database.SetSummary(plan.summary);
  database.Commit();
}

std::vector<InstalledProduct> OwningPackages(Installer& installer, const std::wstring& clsid, Scope scope) {
  std::vector<InstalledProduct> owners;
  const Sha1 sha1 = [&](const std::string& bytes) { return installer.Hash(bytes); };
  for (Placement placement : {Placement::Desktop, Placement::MyComputer, Placement::Manual})
    for (Arch arch : {Arch::X64, Arch::X86})
      for (InstalledProduct& product :
           installer.RelatedProducts(UpgradeCode(clsid, scope, placement, arch, sha1)))
        owners.push_back(std::move(product));
  return owners;
}

int RunPackage(const Options& options, Context& context) {
  int status = kExitDone;
  const std::optional<FolderDefinition> definition = CompleteDefinition(options, context, status);
  if (!definition) return status;
  Output& output = context.output;
  if (!context.installer) return Fail(output, kExitNoRegistry, msg::kNoInstaller);
  Installer& installer = *context.installer;
  PackageOptions package{options.placement, options.scope, options.arch.value_or(Arch::X64), options.version};
  PackagePlan plan;
  try {
    if (!options.arch) package.arch = installer.NativeArch();
    const Sha1 sha1 = [&](const std::string& bytes) { return installer.Hash(bytes); };
    plan = PlanPackage(*definition, package, context.registry ? context.registry->AnsiCodePage() : CodePage{},
                       installer.ProgramIcon(), sha1);
  } catch (const PackageRefused& refused) {
    return Fail(output, kExitRefused,
                msg::kPackageRefusedLine + std::to_wstring(refused.line) + msg::kPackageRefusedOf +
                    options.operand + L": " + refused.reason);
  }
  try {
    std::unique_ptr<InstallerDatabase> database = installer.Create(*options.outPath);
    WritePackage(plan, *database);
  } catch (const std::exception& failure) {
    return Fail(output, kExitCannotWrite,
                msg::kCannotWrite + *options.outPath + L" (" + FromAnsi(failure.what()) + L")");
  }
  output.err += Utf8(msg::kPackageWritten + *options.outPath) + "\n";
  output.out += Utf8(msg::kProductCode + plan.productCode) + "\n";
  output.out += Utf8(msg::kUpgradeCode + plan.upgradeCode) + "\n";
  return kExitDone;
}

}  // namespace nw::nwk
