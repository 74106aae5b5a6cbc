// Writing the folder definition into the registry as a namespace folder, and
// taking it out again.
#include "EasyReg/Snapshot.h"
#include "NW_Core/NW_Core.h"
#include "NW_Core/Texts.h"

namespace nw {
namespace {

using Action = RegistryStep::Action;

std::wstring ClassKey(const FolderDefinition& definition) {
  return std::wstring(text::kClassesKey) + L"\\" + definition.FolderClsid;
}

RegistryStep Create(RootKey root, std::wstring path) {
  return {Action::CreateKey, root, std::move(path), {}, 0, {}};
}

RegistryStep Set(std::wstring path, std::wstring name, std::wstring data) {
  return {Action::SetValue, kHkeyClassesRoot, std::move(path), std::move(name), kRegSz, std::move(data)};
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

std::vector<RegistryStep> ClassSteps(const FolderDefinition& definition) {
  const std::wstring k = ClassKey(definition);
  const RootKey hkcr = kHkeyClassesRoot;
  return {
      Create(hkcr, k),
      Set(k, L"", definition.FolderName),
      Create(hkcr, k + L"\\DefaultIcon"),
      Set(k + L"\\DefaultIcon", L"", definition.FolderIcon),
      Create(hkcr, k + L"\\InProcServer32"),
      Set(k + L"\\InProcServer32", L"", text::kShellServer),
      Set(k + L"\\InProcServer32", text::kThreadingModel, text::kApartment),
      Create(hkcr, k + L"\\ShellEx\\PropertySheetHandler\\" + definition.FolderClsid),
      Create(hkcr, k + L"\\ShellFolder"),
      {Action::SetValue, hkcr, k + L"\\ShellFolder", text::kAttributes, kRegBinary,
       std::vector<std::uint8_t>(5, 0x00)},
      Create(hkcr, k + L"\\Shell"),
  };
}

std::vector<RegistryStep> VerbSteps(const FolderDefinition& definition, std::size_t index) {
  const MenuEntry& entry = definition.MenuItems.at(index);
  const std::wstring verb = ClassKey(definition) + L"\\Shell\\" + entry.MenuName;
  return {
      Create(kHkeyClassesRoot, verb),
      Create(kHkeyClassesRoot, verb + L"\\Command"),
      Set(verb + L"\\Command", L"", entry.MenuCommand),
  };
}

std::vector<RegistryStep> PlacementSteps(const FolderDefinition& definition, Placement placement) {
  switch (placement) {
    case Placement::Desktop:
      return {
          Create(kHkeyLocalMachine, std::wstring(text::kDesktopNameSpace) + L"\\" + definition.FolderClsid)};
    case Placement::MyComputer:
      return {Create(kHkeyLocalMachine,
                     std::wstring(text::kMyComputerNameSpace) + L"\\" + definition.FolderClsid)};
    case Placement::Manual: break;
  }
  return {};
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

KeyLocation InScope(RootKey root, const std::wstring& path, Scope scope) {
  const RootKey hive = scope == Scope::Machine ? kHkeyLocalMachine : kHkeyCurrentUser;
  if (root == kHkeyClassesRoot) return {hive, std::wstring(text::kHiveClassesKey) + L"\\" + path};
  if (root == kHkeyLocalMachine) return {hive, path};
  return {root, path};
}

std::vector<RegistryStep> InScope(std::vector<RegistryStep> steps, Scope scope) {
  for (RegistryStep& step : steps) {
    KeyLocation where = InScope(step.root, step.keyPath, scope);
    step.root = where.root;
    step.keyPath = std::move(where.path);
  }
  return steps;
}

std::vector<RemovalKey> RemovalKeys(const FolderDefinition& definition, Scope scope) {
  static constexpr struct {
    RootKey root;
    const wchar_t* parent;
  } kEntries[] = {
      {kHkeyClassesRoot, text::kClassesKey},
      {kHkeyLocalMachine, text::kDesktopNameSpace},
      {kHkeyLocalMachine, text::kMyComputerNameSpace},
  };
  std::vector<RemovalKey> keys;
  for (const auto& entry : kEntries)
    keys.push_back({InScope(entry.root, entry.parent, scope), definition.FolderClsid});
  return keys;
}

std::vector<RegistryStep> LayoutSteps(const FolderDefinition& definition, Placement placement, Scope scope) {
  std::vector<RegistryStep> steps = ClassSteps(definition);
  for (std::size_t i = 0; i < definition.MenuCount; ++i) {
    std::vector<RegistryStep> verb = VerbSteps(definition, i);
    steps.insert(steps.end(), verb.begin(), verb.end());
  }
  std::vector<RegistryStep> where = PlacementSteps(definition, placement);
  steps.insert(steps.end(), where.begin(), where.end());
  return InScope(std::move(steps), scope);
}

void ClipboardPlacement::Receive(const std::wstring& clsid) {
  clipboard_.ReplaceText(clsid);
  messageBox_.Show(text::kClsidCopied, text::kProgramName, kStyleInformation);
}

void MakeLink(const LinkServices& services, const FolderDefinition& definition,
              const std::function<Placement()>& placement, Scope scope) {
  RefuseWithoutClsid(definition);
  const Placement where = placement();
  const std::vector<RegistryStep> layout = LayoutSteps(definition, where, scope);
  AllOrNothing(services.registry, RemovalKeys(definition, scope), [&] {
    ApplySteps(services.registry, layout);
    if (where == Placement::Manual) services.manual.Receive(definition.FolderClsid);
  });
  if (services.shell == nullptr) return;
  // The class first: the folder's window then reads the new class as it lists it again.
  services.shell->ClassesChanged();
  if (where == Placement::Desktop) services.shell->FolderChanged(ShellNotifier::Folder::Desktop);
  if (where == Placement::MyComputer) services.shell->FolderChanged(ShellNotifier::Folder::MyComputer);
}

void RemoveLink(const LinkServices& services, const FolderDefinition& definition, Scope scope) {
  RefuseWithoutClsid(definition);
  const std::vector<RemovalKey> keys = RemovalKeys(definition, scope);
  const std::vector<bool> existed = AllOrNothing(services.registry, keys, [&] {
    for (const RemovalKey& key : keys)
      DeleteKey(services.registry, key.parent.root, key.parent.path, key.name);
  });
  // What was not there was not changed: the shell hears only of what was deleted.
  if (services.shell == nullptr) return;
  // RemovalKeys lists the class key, then the Desktop and My Computer entries.
  if (existed[0]) services.shell->ClassesChanged();
  if (existed[1]) services.shell->FolderChanged(ShellNotifier::Folder::Desktop);
  if (existed[2]) services.shell->FolderChanged(ShellNotifier::Folder::MyComputer);
}

}  // namespace nw
