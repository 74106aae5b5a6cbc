// The registry compared with the definition's layout: every key and value the
// layout writes, below the three keys removal deletes, and nothing else.
#include <map>
#include <optional>
#include <utility>

#include "EasyReg/KeyTree.h"
#include "NW_Core/NW_Core.h"
#include "nwk/Nwk.h"
#include "nwk/Texts.h"
#include "nwk/Verbs.h"
#include "platform/AnsiText.h"

namespace nw::nwk {
namespace {

using Value = RegistryValue;

struct Key {
  std::wstring path;  // with its root's name, as printed
  std::vector<Value> values;
};

// Keys by their lower-case path, in the order they were met.
struct Tree {
  std::vector<Key> keys;
  std::map<std::wstring, std::size_t> index;

  Key& At(const std::wstring& path) {
    const std::wstring folded = FoldCase(path);
    auto found = index.find(folded);
    if (found != index.end()) return keys[found->second];
    index.emplace(folded, keys.size());
    keys.push_back({path, {}});
    return keys.back();
  }
  const Key* Find(const std::wstring& path) const {
    auto found = index.find(FoldCase(path));
    return found == index.end() ? nullptr : &keys[found->second];
  }
};

// The key the registry makes of a path: it reads a doubled backslash as one
// and ignores one at the end. A menu line with an empty name is written to
// the paths "Shell\" and "Shell\\Command" below the class key, which the
// registry holds as "Shell" and "Shell\Command".
std::wstring HeldPath(const std::wstring& path) {
  std::wstring held;
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    if (end > start) held += (held.empty() ? L"" : L"\\") + path.substr(start, end - start);
    start = end + 1;
  }
  return held;
}

const Value* FindValue(const Key& key, const std::wstring& name) {
  for (const Value& value : key.values)
    if (FoldCase(value.name) == FoldCase(name)) return &value;
  return nullptr;
}

// The value a step writes, as the registry then holds it (text in UTF-16LE).
Value Expected(const RegistryStep& step) {
  return {step.valueName, step.type, ValueBytes(step.type, step.data, kUtf16Le)};
}

std::wstring ValueLabel(const std::wstring& key, const std::wstring& name) {
  return key + L" " + (name.empty() ? L"@" : L"\"" + name + L"\"");
}

// Puts a key read and everything below it into the tree, each key under its path.
void Flatten(const KeyTree& read, const std::wstring& path, Tree& tree) {
  tree.At(path).values = read.values;
  for (const KeyTree& subkey : read.subkeys) Flatten(subkey, path + L"\\" + subkey.name, tree);
}

std::wstring ValueText(const Value& value) {
  if (std::optional<std::wstring> text = nw::ValueText(value.type, value.data)) return L"\"" + *text + L"\"";
  return L"type " + std::to_wstring(value.type) + L":" + (value.data.empty() ? L"" : L" " + Hex(value.data));
}

// Reads the key and everything below it into the tree; nothing when it is not
// there. Every refusal is an error: a key read in part would show as
// differences that are not there.
void ReadTree(Registry& registry, RootKey root, const std::wstring& path, Tree& tree) {
  const std::wstring shown = FullKeyName(root, path);
  try {
    if (std::optional<KeyTree> read = ReadKeyTree(registry, root, path, shown, TreeReading{}))
      Flatten(*read, shown, tree);
  } catch (const UnreadableKey& failure) {
    throw RegistryReadError(failure.path(), failure.code());
  }
}

}  // namespace

std::wstring FullKeyName(RootKey root, const std::wstring& path) {
  return RootName(root) + L"\\" + path;
}

std::optional<UniqueKey> OpenToRead(Registry& registry, RootKey root, const std::wstring& path) {
  UniqueKey key(registry);
  const long rc = registry.OpenKeyWide(RootHandle(root), path, 0, kReadRights, key.put());
  if (rc == kErrorFileNotFound) return std::nullopt;
  if (rc != kErrorSuccess) throw RegistryReadError(FullKeyName(root, path), rc);
  return key;
}

std::vector<std::wstring> RegistryLines(Registry& registry, RootKey root, const std::wstring& path) {
  Tree tree;
  ReadTree(registry, root, path, tree);
  std::vector<std::wstring> lines;
  for (const Key& read : tree.keys) {
    lines.push_back(read.path);
    for (const Value& value : read.values)
      lines.push_back(L"  " + (value.name.empty() ? std::wstring(L"@") : L"\"" + value.name + L"\"") +
                      L" = " + ValueText(value));
  }
  return lines;
}

std::vector<std::wstring> Differences(Registry& registry, const FolderDefinition& definition,
                                      Placement placement, Scope scope) {
  const std::vector<RemovalKey> tops = RemovalKeys(definition, scope);

  // The layout: every key a step names, with the keys between it and its top.
  Tree expected;
  for (const RegistryStep& step : LayoutSteps(definition, placement, scope)) {
    const std::wstring path = HeldPath(FullKeyName(step.root, step.keyPath));
    for (const RemovalKey& top : tops) {
      const std::wstring topPath = FullKeyName(top.parent.root, top.parent.path + L"\\" + top.name);
      if (FoldCase(path).starts_with(FoldCase(topPath)))
        for (std::size_t at = path.find(L'\\', topPath.size()); at != std::wstring::npos;
             at = path.find(L'\\', at + 1))
          expected.At(path.substr(0, at));
    }
    Key& key = expected.At(path);
    if (step.action == RegistryStep::Action::SetValue) key.values.push_back(Expected(step));
  }

  Tree actual;
  for (const RemovalKey& top : tops)
    ReadTree(registry, top.parent.root, top.parent.path + L"\\" + top.name, actual);

  std::vector<std::wstring> differences;
  for (const Key& want : expected.keys) {
    const Key* have = actual.Find(want.path);
    if (!have) {
      differences.push_back(msg::kMissingKey + want.path);
      continue;
    }
    for (const Value& value : want.values) {
      const Value* found = FindValue(*have, value.name);
      if (!found)
        differences.push_back(msg::kMissingValueAt + ValueLabel(want.path, value.name));
      else if (found->type != value.type || found->data != value.data)
        differences.push_back(msg::kDifferentValue + ValueLabel(want.path, value.name));
    }
    for (const Value& value : have->values)
      if (!FindValue(want, value.name))
        differences.push_back(msg::kExtraValue + ValueLabel(want.path, value.name));
  }
  for (const Key& have : actual.keys)
    if (!expected.Find(have.path)) differences.push_back(msg::kExtraKey + have.path);
  return differences;
}

int RunStatus(const Options& options, Context& context) {
  std::optional<SettingsFile> file = ReadSettingsFile(options, context);
  if (!file) return kExitUnreadable;
  if (!file->complete) return Fail(context.output, kExitRefused, msg::kRefused + options.operand);
  if (!context.registry) return Fail(context.output, kExitNoRegistry, msg::kNoRegistry);
  Registry& registry = *context.registry;
  const FolderDefinition& definition = file->definition;
  // A CLSID that names another folder already: the two would overwrite each
  // other. (What cannot be read shows in the differences.)
  std::vector<std::wstring> others;
  try {
    others = OtherRegistrations(registry, definition);
  } catch (const RegistryReadError&) {
  }
  std::vector<std::wstring> differences;
  try {
    differences = Differences(registry, definition, options.placement, options.scope);
  } catch (const RegistryReadError& failure) {
    return FailUnreadable(context.output, failure);
  }
  Output& output = context.output;
  for (const std::wstring& other : others)
    output.err += Utf8(msg::kWarningPrefix + std::wstring(msg::kWarnOtherFolder) + other) + "\n";
  for (const InstalledProduct& owner : Owners(context.installer, definition.FolderClsid, options.scope))
    output.err += Utf8(msg::kNotePrefix + std::wstring(msg::kOwnedBy) + Owner(owner)) + "\n";
  for (const std::wstring& line : differences) output.out += Utf8(line) + "\n";
  if (differences.empty()) output.out += Utf8(msg::kMatches) + "\n";
  return differences.empty() ? kExitDone : kExitDiffers;
}

}  // namespace nw::nwk
