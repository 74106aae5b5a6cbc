// The list command: every folder of this program's layout that the registry
// holds in one scope, and the check of a file's CLSID against them. It only
// reads, with read rights alone.
#include <algorithm>
#include <map>
#include <optional>

#include "EasyReg/KeyTree.h"
#include "NW_Core/Layout.h"
#include "NW_Core/SettingsGrammar.h"
#include "NW_Core/Texts.h"
#include "nwk/Nwk.h"
#include "nwk/Texts.h"
#include "nwk/Verbs.h"
#include "platform/AnsiText.h"

namespace nw::nwk {
namespace {

KeyLocation Below(const KeyLocation& where, const std::wstring& name) {
  return {where.root, where.path + L"\\" + name};
}

std::optional<UniqueKey> OpenToRead(Registry& registry, const KeyLocation& where) {
  return nwk::OpenToRead(registry, where.root, where.path);
}

std::wstring Full(const KeyLocation& where) {
  return FullKeyName(where.root, where.path);
}

// The names of the subkeys that name a folder of this layout.
std::vector<std::wstring> FolderNames(Registry& registry, const KeyLocation& where) {
  std::vector<std::wstring> names;
  std::optional<UniqueKey> key = OpenToRead(registry, where);
  if (!key) return names;
  const std::wstring prefix = FoldCase(nw::grammar::kClsidPrefix);
  std::vector<std::wstring> listed;
  if (const long rc = SubkeyNames(registry, key->get(), listed); rc != kErrorSuccess)
    throw RegistryReadError(Full(where), rc);
  for (std::wstring& name : listed)
    if (FoldCase(name).starts_with(prefix)) names.push_back(std::move(name));
  return names;
}

// The text of a key's string value; nothing when the key or value is not
// there or holds no text.
std::optional<std::wstring> TextValue(Registry& registry, const KeyLocation& where,
                                      const std::wstring& name) {
  std::optional<UniqueKey> key = OpenToRead(registry, where);
  if (!key) return std::nullopt;
  long type = 0;
  std::vector<std::uint8_t> data;
  const long rc = registry.QueryValueWide(key->get(), name, type, data);
  if (rc == kErrorFileNotFound) return std::nullopt;
  if (rc != kErrorSuccess) throw RegistryReadError(Full(where), rc);
  return ValueText(type, data);
}

// The verbs below Shell, each with its command.
std::vector<std::pair<std::wstring, std::wstring>> Verbs(Registry& registry, const KeyLocation& classKey) {
  std::vector<std::pair<std::wstring, std::wstring>> verbs;
  const KeyLocation shell = Below(classKey, layout::kShell);
  std::optional<UniqueKey> key = OpenToRead(registry, shell);
  if (!key) return verbs;
  std::vector<std::wstring> names;
  if (const long rc = SubkeyNames(registry, key->get(), names); rc != kErrorSuccess)
    throw RegistryReadError(Full(shell), rc);
  for (const std::wstring& verb : names)
    verbs.push_back(
        {verb, TextValue(registry, Below(Below(shell, verb), layout::kCommand), L"").value_or(L"")});
  return verbs;
}

// The keys that list the folders of the scope: the classes, the Desktop's
// and My Computer's namespace.
struct Places {
  KeyLocation classes, desktop, myComputer;
};

Places PlacesOf(Scope scope) {
  const FolderPlaces places = nw::PlacesOf(scope, L"");
  return {places.classKey.parent, places.desktop.parent, places.myComputer.parent};
}

bool Holds(const std::vector<std::wstring>& names, const std::wstring& name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::wstring& held) { return FoldCase(held) == FoldCase(name); });
}

}  // namespace

std::wstring ListText(Registry& registry, Scope scope, bool withRegistry, Installer* installer) {
  const Places places = PlacesOf(scope);
  const std::vector<std::wstring> classes = FolderNames(registry, places.classes);
  const std::vector<std::wstring> desktop = FolderNames(registry, places.desktop);
  const std::vector<std::wstring> myComputer = FolderNames(registry, places.myComputer);

  // Every folder met anywhere, once, in the order of their lower-case names.
  std::map<std::wstring, std::wstring> folders;
  for (const auto* list : {&classes, &desktop, &myComputer})
    for (const std::wstring& name : *list) folders.emplace(FoldCase(name), name);

  std::wstring out;
  for (const auto& [folded, clsid] : folders) {
    const KeyLocation classKey = Below(places.classes, clsid);
    const bool hasClass = Holds(classes, clsid);
    out += clsid;
    if (hasClass) out += L"  " + TextValue(registry, classKey, L"").value_or(L"");
    out += L"\n";
    std::vector<std::wstring> where;
    if (Holds(desktop, clsid)) where.push_back(msg::kListDesktop);
    if (Holds(myComputer, clsid)) where.push_back(msg::kListMyComputer);
    if (hasClass) {
      out += msg::kListIcon + TextValue(registry, Below(classKey, layout::kDefaultIcon), L"").value_or(L"") +
             L"\n";
      for (const auto& [verb, command] : Verbs(registry, classKey))
        out += msg::kListVerb + verb + msg::kShowCommandArrow + command + L"\n";
    }
    std::wstring placed;
    for (const std::wstring& place : where) placed += (placed.empty() ? L"" : L", ") + place;
    out += msg::kListPlaced + (placed.empty() ? std::wstring(msg::kListNowhere) : placed) + L"\n";
    if (!hasClass) out += std::wstring(msg::kWarningPrefix) + msg::kListNoClass + L"\n";
    for (const InstalledProduct& owner : Owners(installer, clsid, scope))
      out += msg::kListPackage + Owner(owner) + L"\n";
    if (withRegistry) {
      std::vector<KeyLocation> keys;
      if (hasClass) keys.push_back(classKey);
      if (Holds(desktop, clsid)) keys.push_back(Below(places.desktop, clsid));
      if (Holds(myComputer, clsid)) keys.push_back(Below(places.myComputer, clsid));
      for (const KeyLocation& key : keys)
        for (const std::wstring& line : RegistryLines(registry, key.root, key.path))
          out += L"    " + line + L"\n";
    }
  }
  if (folders.empty()) out += std::wstring(msg::kListNone) + L"\n";
  return out;
}

std::vector<std::wstring> OtherRegistrations(Registry& registry, const FolderDefinition& definition) {
  std::vector<std::wstring> others;
  for (Scope scope : {Scope::Machine, Scope::User}) {
    const KeyLocation classKey = Below(PlacesOf(scope).classes, definition.FolderClsid);
    if (!OpenToRead(registry, classKey)) continue;
    const std::wstring name = TextValue(registry, classKey, L"").value_or(L"");
    if (name != definition.FolderName) others.push_back(L"\"" + name + L"\" (" + Full(classKey) + L")");
  }
  return others;
}

int RunList(const Options& options, Context& context) {
  if (!context.registry) return Fail(context.output, kExitNoRegistry, msg::kNoRegistry);
  try {
    context.output.out +=
        Utf8(ListText(*context.registry, options.scope, options.registryLines, context.installer));
  } catch (const RegistryReadError& failure) {
    return FailUnreadable(context.output, failure);
  }
  return kExitDone;
}

}  // namespace nw::nwk
