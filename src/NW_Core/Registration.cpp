// Writing the folder definition into the registry as a namespace folder, and
// taking it out again.
#include <iterator>
#include <map>
#include <string_view>
#include <utility>

#include "EasyReg/Snapshot.h"
#include "NW_Core/Layout.h"
#include "NW_Core/NW_Core.h"
#include "NW_Core/Texts.h"

namespace nw {
namespace {

using Action = RegistryStep::Action;

RegistryStep Create(KeyLocation key) {
  return {Action::CreateKey, key.root, std::move(key.path), {}, 0, {}};
}

RegistryStep Set(KeyLocation key, std::wstring name, ValueData data, long type = kRegSz) {
  return {Action::SetValue, key.root, std::move(key.path), std::move(name), type, std::move(data)};
}

KeyLocation Below(const KeyLocation& key, std::wstring_view name) {
  std::wstring path;
  path.reserve(key.path.size() + 1 + name.size());
  path.append(key.path).append(1, L'\\').append(name);
  return {key.root, std::move(path)};
}

void RefuseWithoutClsid(const FolderDefinition& definition) {
  // Without a CLSID every path would name a shared parent key: CLSID itself,
  // or a whole NameSpace key.
  if (definition.FolderClsid.empty()) throw CommandRefused("no folder definition loaded");
}

std::string WhatFailed() {
  try {
    throw;
  } catch (const std::exception& failure) {
    return failure.what();
  } catch (...) {
    return "the command failed";
  }
}

// Reads every key a command may touch, with all below it, before it changes any.
std::vector<TreeSnapshot> ReadBefore(Registry& registry, const std::vector<RemovalKey>& touched) {
  std::vector<TreeSnapshot> before;
  for (const RemovalKey& key : touched)
    before.push_back(TakeSnapshot(registry, key.parent.root, key.parent.path, key.name));
  return before;
}

// Runs a command so that it changes the registry all or not at all: the keys it
// may touch, read before, are put back as they were when any step fails. When
// that fails too, NotRestored names what stays changed.
void AllOrNothing(Registry& registry, const std::vector<TreeSnapshot>& before,
                  const std::function<void()>& command) {
  try {
    command();
  } catch (...) {
    std::vector<Unrestored> left;
    for (auto it = before.rbegin(); it != before.rend(); ++it) {
      std::vector<Unrestored> more = RestoreSnapshot(registry, *it);
      left.insert(left.end(), more.begin(), more.end());
    }
    if (!left.empty()) throw NotRestored(WhatFailed(), std::move(left));
    throw;
  }
}

// A key the steps name, and the steps that set its values.
struct NamedKey {
  RootKey root;
  std::wstring_view path;           // into the steps
  std::vector<std::size_t> values;  // indexes into the steps
  bool hasLower = false;            // another named key lies below it
  bool there = false;
  // Read by itself where it has values to compare or no named key below it;
  // otherwise known from a key below it.
  bool Read() const { return !values.empty() || !hasLower; }
};

// Reads the key by the path the write takes (the same ANSI path, links and all)
// and marks each of its values held where the registry holds it as the step
// writes it, read through the wide calls: type and bytes, text as the ANSI
// calls would leave it.
void ReadHeld(Registry& registry, const std::vector<RegistryStep>& steps, NamedKey& key,
              std::vector<bool>& held) {
  const CodePage codePage = registry.AnsiCodePage();
  const std::string path = ToAnsi(key.path, codePage);
  UniqueKey open(registry);
  long rc = registry.OpenKey(RootHandle(key.root), path, kAccess, open.put());
  if (rc != kErrorSuccess && rc != kErrorFileNotFound) throw RegistryError("read " + path, rc);
  key.there = rc == kErrorSuccess;
  if (!key.there) return;
  for (std::size_t index : key.values) {
    const RegistryStep& step = steps[index];
    long type = 0;
    std::vector<std::uint8_t> data;
    const std::wstring name = FromAnsi(ToAnsi(step.valueName, codePage), codePage);
    rc = registry.QueryValueWide(open.get(), name, type, data);
    if (rc != kErrorSuccess && rc != kErrorFileNotFound)
      throw RegistryError("read " + path + "\\" + ToAnsi(name, codePage), rc);
    if (rc != kErrorSuccess || type != step.type) continue;
    std::vector<std::uint8_t> bytes = ValueBytes(step.type, step.data, codePage);
    if (step.type == kRegSz) {
      const std::string text = Utf16Le(FromAnsi(std::string(bytes.begin(), bytes.end()), codePage));
      bytes.assign(text.begin(), text.end());
    }
    held[index] = data == bytes;
  }
}

// Orders the named keys by root, then length, then text read from the end:
// their paths share long beginnings, so two of them differ soon from the end.
struct NamedKeyOrder {
  using Name = std::pair<RootKey, std::wstring_view>;
  bool operator()(const Name& a, const Name& b) const {
    if (a.first != b.first) return a.first < b.first;
    if (a.second.size() != b.second.size()) return a.second.size() < b.second.size();
    for (std::size_t i = a.second.size(); i-- > 0;)
      if (a.second[i] != b.second[i]) return a.second[i] < b.second[i];
    return false;
  }
};

// The steps whose writes would change the registry: a key that is not there
// yet, a value it does not hold as the step writes it. The rest would leave
// the registry as it is, so they are left out. A key with no value to compare
// that another step's key lies below is there when that one is: reaching the
// lower key by its path went through it.
std::vector<RegistryStep> StepsNotHeld(Registry& registry, const std::vector<RegistryStep>& steps) {
  std::vector<NamedKey> keys;
  std::map<NamedKeyOrder::Name, std::size_t, NamedKeyOrder> indexOf;  // of each named key
  std::vector<std::size_t> keyOf;                                     // of each step
  keys.reserve(steps.size());
  keyOf.reserve(steps.size());
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const RegistryStep& step = steps[i];
    const auto [at, added] = indexOf.try_emplace({step.root, step.keyPath}, keys.size());
    if (added) keys.push_back(NamedKey{step.root, step.keyPath, {}, false, false});
    if (step.action == Action::SetValue) keys[at->second].values.push_back(i);
    keyOf.push_back(at->second);
  }
  // Each named key above another, found by cutting the lower one's path at
  // each separator: (lower, upper).
  std::vector<std::pair<std::size_t, std::size_t>> above;
  for (std::size_t lower = 0; lower < keys.size(); ++lower) {
    const std::wstring_view path = keys[lower].path;
    for (std::size_t end = path.rfind(L'\\'); end != std::wstring_view::npos && end > 0;
         end = path.rfind(L'\\', end - 1)) {
      const auto upper = indexOf.find({keys[lower].root, path.substr(0, end)});
      if (upper == indexOf.end()) continue;
      above.emplace_back(lower, upper->second);
      keys[upper->second].hasLower = true;
    }
  }
  std::vector<bool> held(steps.size(), false);
  for (NamedKey& key : keys)
    if (key.Read()) ReadHeld(registry, steps, key, held);
  for (const auto& [lower, upper] : above)
    if (keys[lower].Read() && keys[lower].there) keys[upper].there = keys[upper].there || !keys[upper].Read();
  std::vector<RegistryStep> changes;
  for (std::size_t i = 0; i < steps.size(); ++i)
    if (!(steps[i].action == Action::CreateKey ? keys[keyOf[i]].there : held[i])) changes.push_back(steps[i]);
  return changes;
}

}  // namespace

const FolderPlace* FolderPlaces::Of(Placement placement) const {
  for (const FolderPlace* place : All())
    if (place->placement == placement) return place;
  return nullptr;
}

FolderPlaces PlacesOf(Scope scope, const std::wstring& clsid) {
  const RootKey hive = scope == Scope::Machine ? kHkeyLocalMachine : kHkeyCurrentUser;
  FolderPlaces places;
  places.classKey = {
      {{hive, std::wstring(layout::kHiveClassesKey) + L"\\" + layout::kClassesKey}, clsid}, {}, {}};
  places.desktop = {
      {{hive, layout::kDesktopNameSpace}, clsid}, ShellNotifier::Folder::Desktop, Placement::Desktop};
  places.myComputer = {{{hive, layout::kMyComputerNameSpace}, clsid},
                       ShellNotifier::Folder::MyComputer,
                       Placement::MyComputer};
  return places;
}

std::vector<RemovalKey> RemovalKeys(const FolderDefinition& definition, Scope scope) {
  const FolderPlaces places = PlacesOf(scope, definition.FolderClsid);
  std::vector<RemovalKey> keys;
  for (const FolderPlace* place : places.All()) keys.push_back(*place);
  return keys;
}

std::vector<RegistryStep> ClassSteps(const FolderDefinition& definition, const FolderPlaces& places) {
  const KeyLocation k = places.classKey.Key();
  const KeyLocation icon = Below(k, layout::kDefaultIcon), server = Below(k, layout::kInProcServer32),
                    folder = Below(k, layout::kShellFolder);
  return {
      Create(k),
      Set(k, L"", definition.FolderName),
      Create(icon),
      Set(icon, L"", definition.FolderIcon),
      Create(server),
      Set(server, L"", layout::kShellServer),
      Set(server, layout::kThreadingModel, layout::kApartment),
      Create(Below(Below(k, layout::kPropertySheetHandlers), definition.FolderClsid)),
      Create(folder),
      Set(folder, layout::kAttributes, std::vector<std::uint8_t>(5, 0x00), kRegBinary),
      Create(Below(k, layout::kShell)),
  };
}

std::vector<RegistryStep> VerbSteps(const FolderDefinition& definition, const FolderPlaces& places,
                                    std::size_t index) {
  const MenuEntry& entry = definition.MenuItems.at(index);
  KeyLocation verb = Below(Below(places.classKey.Key(), layout::kShell), entry.MenuName);
  KeyLocation command = Below(verb, layout::kCommand);
  // Built step by step, not from a braced list, which would copy each step
  // (a verb's steps are made once for every menu line).
  std::vector<RegistryStep> steps;
  steps.reserve(3);
  steps.push_back(Create(std::move(verb)));
  steps.push_back(Create(command));
  steps.push_back(Set(std::move(command), L"", entry.MenuCommand));
  return steps;
}

std::vector<RegistryStep> PlacementSteps(const FolderPlaces& places, Placement placement) {
  const FolderPlace* entry = places.Of(placement);
  if (entry == nullptr) return {};
  return {Create(entry->Key())};
}

void ApplySteps(Registry& registry, const std::vector<RegistryStep>& steps) {
  // A created key stays open while the values that follow it are written into it.
  UniqueKey open(registry);
  const RegistryStep* created = nullptr;
  for (const RegistryStep& step : steps) {
    if (step.action == Action::CreateKey) {
      open = CreateKey(registry, step.keyPath, step.root);
      created = &step;
    } else if (created != nullptr && created->root == step.root && created->keyPath == step.keyPath) {
      SetKeyValue(registry, open, step.keyPath, step.valueName, step.data, step.type);
    } else {
      SetKeyValue(registry, step.root, step.keyPath, step.valueName, step.data, step.type);
    }
  }
}

std::vector<RegistryStep> LayoutSteps(const FolderDefinition& definition, Placement placement, Scope scope) {
  const FolderPlaces places = PlacesOf(scope, definition.FolderClsid);
  std::vector<RegistryStep> steps = ClassSteps(definition, places);
  const auto append = [&steps](std::vector<RegistryStep> more) {
    steps.insert(steps.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  };
  steps.reserve(steps.size() + 3 * definition.MenuItems.size() + 1);
  for (std::size_t i = 0; i < definition.MenuItems.size(); ++i) append(VerbSteps(definition, places, i));
  append(PlacementSteps(places, placement));
  return steps;
}

void ClipboardPlacement::Receive(const std::wstring& clsid) {
  clipboard_.ReplaceText(clsid);
  messageBox_.Show(text::kClsidCopied, text::kProgramName, kStyleInformation);
}

void MakeLink(const LinkServices& services, const FolderDefinition& definition, Placement placement,
              Scope scope) {
  RefuseWithoutClsid(definition);
  Registry& registry = services.registry;
  // Only what the registry does not hold already is written: a folder made
  // again as it stands changes nothing, and has nothing to put back.
  const std::vector<RegistryStep> changes = StepsNotHeld(registry, LayoutSteps(definition, placement, scope));
  const std::vector<TreeSnapshot> before =
      changes.empty() ? std::vector<TreeSnapshot>{} : ReadBefore(registry, RemovalKeys(definition, scope));
  AllOrNothing(registry, before, [&] {
    ApplySteps(registry, changes);
    if (placement == Placement::Manual) services.manual.Receive(definition.FolderClsid);
  });
  if (services.shell == nullptr || changes.empty()) return;
  // The class first: the folder's window then reads the new class as it lists it again.
  services.shell->ClassesChanged();
  const FolderPlaces places = PlacesOf(scope, definition.FolderClsid);
  if (const FolderPlace* entry = places.Of(placement)) services.shell->FolderChanged(*entry->shellFolder);
}

void RemoveLink(const LinkServices& services, const FolderDefinition& definition, Scope scope) {
  RefuseWithoutClsid(definition);
  const FolderPlaces places = PlacesOf(scope, definition.FolderClsid);
  const std::vector<RemovalKey> keys = RemovalKeys(definition, scope);
  const std::vector<TreeSnapshot> before = ReadBefore(services.registry, keys);
  AllOrNothing(services.registry, before, [&] {
    for (const RemovalKey& key : keys)
      DeleteKey(services.registry, key.parent.root, key.parent.path, key.name);
  });
  // What was not there was not changed: the shell hears only of what was
  // deleted: the class, and each folder that listed it.
  if (services.shell == nullptr) return;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (!before[i].key) continue;
    const FolderPlace& place = *places.All()[i];
    if (place.shellFolder)
      services.shell->FolderChanged(*place.shellFolder);
    else
      services.shell->ClassesChanged();
  }
}

}  // namespace nw
