// Writing the folder definition into the registry as a namespace folder, and
// taking it out again.
#include "EasyReg/Snapshot.h"
#include "NW_Core/Layout.h"
#include "NW_Core/NW_Core.h"
#include "NW_Core/Texts.h"

namespace nw {
namespace {

using Action = RegistryStep::Action;

RegistryStep Create(const KeyLocation& key) {
  return {Action::CreateKey, key.root, key.path, {}, 0, {}};
}

RegistryStep Set(const KeyLocation& key, std::wstring name, ValueData data, long type = kRegSz) {
  return {Action::SetValue, key.root, key.path, std::move(name), type, std::move(data)};
}

KeyLocation Below(const KeyLocation& key, const std::wstring& name) {
  return {key.root, key.path + L"\\" + name};
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

// Runs a command so that it changes the registry all or not at all: every key
// it may touch is read first, and put back as it was when any step fails. When
// that fails too, NotRestored names what stays changed. Gives, for each key,
// whether it was there before the command.
std::vector<bool> AllOrNothing(Registry& registry, const std::vector<RemovalKey>& touched,
                               const std::function<void()>& command) {
  std::vector<TreeSnapshot> before;
  for (const RemovalKey& key : touched)
    before.push_back(TakeSnapshot(registry, key.parent.root, key.parent.path, key.name));
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
  std::vector<bool> existed;
  for (const TreeSnapshot& tree : before) existed.push_back(tree.key.has_value());
  return existed;
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
  const KeyLocation verb = Below(Below(places.classKey.Key(), layout::kShell), entry.MenuName);
  const KeyLocation command = Below(verb, layout::kCommand);
  return {Create(verb), Create(command), Set(command, L"", entry.MenuCommand)};
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
  for (std::size_t i = 0; i < definition.MenuItems.size(); ++i) {
    std::vector<RegistryStep> verb = VerbSteps(definition, places, i);
    steps.insert(steps.end(), verb.begin(), verb.end());
  }
  std::vector<RegistryStep> where = PlacementSteps(places, placement);
  steps.insert(steps.end(), where.begin(), where.end());
  return steps;
}

void ClipboardPlacement::Receive(const std::wstring& clsid) {
  clipboard_.ReplaceText(clsid);
  messageBox_.Show(text::kClsidCopied, text::kProgramName, kStyleInformation);
}

void MakeLink(const LinkServices& services, const FolderDefinition& definition, Placement placement,
              Scope scope) {
  RefuseWithoutClsid(definition);
  const std::vector<RegistryStep> layout = LayoutSteps(definition, placement, scope);
  AllOrNothing(services.registry, RemovalKeys(definition, scope), [&] {
    ApplySteps(services.registry, layout);
    if (placement == Placement::Manual) services.manual.Receive(definition.FolderClsid);
  });
  if (services.shell == nullptr) return;
  // The class first: the folder's window then reads the new class as it lists it again.
  services.shell->ClassesChanged();
  const FolderPlaces places = PlacesOf(scope, definition.FolderClsid);
  if (const FolderPlace* entry = places.Of(placement)) services.shell->FolderChanged(*entry->shellFolder);
}

void RemoveLink(const LinkServices& services, const FolderDefinition& definition, Scope scope) {
  RefuseWithoutClsid(definition);
  const FolderPlaces places = PlacesOf(scope, definition.FolderClsid);
  const std::vector<RemovalKey> keys = RemovalKeys(definition, scope);
  const std::vector<bool> existed = AllOrNothing(services.registry, keys, [&] {
    for (const RemovalKey& key : keys)
      DeleteKey(services.registry, key.parent.root, key.parent.path, key.name);
  });
  // What was not there was not changed: the shell hears only of what was
  // deleted: the class, and each folder that listed it.
  if (services.shell == nullptr) return;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (!existed[i]) continue;
    const FolderPlace& place = *places.All()[i];
    if (place.shellFolder)
      services.shell->FolderChanged(*place.shellFolder);
    else
      services.shell->ClassesChanged();
  }
}

}  // namespace nw
