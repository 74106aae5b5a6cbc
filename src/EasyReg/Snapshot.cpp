#include "EasyReg/Snapshot.h"

#include <algorithm>

namespace nw {
namespace {

std::string Join(const std::string& path, const std::string& name) {
  return path.empty() ? name : path + "\\" + name;
}

// Lists a key's value or subkey names with `list` (EnumValue or EnumKey).
template <typename List>
long Names(KeyHandle key, List list, std::vector<std::string>& names) {
  for (std::uint32_t index = 0;; ++index) {
    std::string name;
    const long rc = list(key, index, name);
    if (rc == kErrorNoMoreItems) return kErrorSuccess;
    if (rc != kErrorSuccess) return rc;
    names.push_back(std::move(name));
  }
}

long ValueNames(Registry& registry, KeyHandle key, std::vector<std::string>& names) {
  return Names(
      key, [&](KeyHandle k, std::uint32_t i, std::string& n) { return registry.EnumValue(k, i, n); }, names);
}

long SubkeyNames(Registry& registry, KeyHandle key, std::vector<std::string>& names) {
  return Names(
      key, [&](KeyHandle k, std::uint32_t i, std::string& n) { return registry.EnumKey(k, i, n); }, names);
}

// Reads the open key `key`, named `path` from the root, with all below it.
KeySnapshot ReadKey(Registry& registry, KeyHandle key, const std::string& name, const std::string& path) {
  auto refuse = [&](long rc) { return RegistryError("read " + path, rc); };
  KeySnapshot snapshot{name, {}, {}};
  std::vector<std::string> names;
  if (long rc = ValueNames(registry, key, names); rc != kErrorSuccess) throw refuse(rc);
  for (std::string& valueName : names) {
    ValueSnapshot value{std::move(valueName), 0, {}};
    if (long rc = registry.QueryValue(key, value.name, value.type, value.data); rc != kErrorSuccess)
      throw refuse(rc);
    snapshot.values.push_back(std::move(value));
  }
  names.clear();
  if (long rc = SubkeyNames(registry, key, names); rc != kErrorSuccess) throw refuse(rc);
  for (const std::string& subkeyName : names) {
    UniqueKey subkey(registry);
    const std::string subkeyPath = Join(path, subkeyName);
    const long rc = registry.OpenKey(key, subkeyName, kAccess, subkey.put());
    if (rc == kErrorFileNotFound) {
      snapshot.subkeys.push_back({subkeyName, {}, {}, true});
      continue;
    }
    if (rc != kErrorSuccess) throw RegistryError("read " + subkeyPath, rc);
    snapshot.subkeys.push_back(ReadKey(registry, subkey.get(), subkeyName, subkeyPath));
  }
  return snapshot;
}

// Compares names as the registry does: in any letter case.
class SameName {
 public:
  SameName(const Registry& registry, const std::string& name)
      : codePage_(registry.AnsiCodePage()), folded_(Fold(name)) {}
  bool operator()(const std::string& other) const { return Fold(other) == folded_; }
  template <typename Named>
  bool operator()(const Named& other) const {
    return (*this)(other.name);
  }

 private:
  std::wstring Fold(const std::string& name) const { return FoldCase(FromAnsi(name, codePage_)); }
  CodePage codePage_;
  std::wstring folded_;
};

class Restorer {
 public:
  Restorer(Registry& registry, RootKey root) : registry_(registry), root_(root) {}

  // Puts back the key `snapshot` below the open key `parent`.
  void Key(KeyHandle parent, const KeySnapshot& snapshot, const std::string& path) {
    UniqueKey key(registry_);
    if (registry_.CreateKey(parent, snapshot.name, kAccess, key.put()) != kErrorSuccess) return Left(path);

    std::vector<std::string> names;
    if (ValueNames(registry_, key.get(), names) != kErrorSuccess) {
      Left(path);
    } else {
      for (const std::string& name : names)
        if (std::none_of(snapshot.values.begin(), snapshot.values.end(), SameName(registry_, name)) &&
            registry_.DeleteValue(key.get(), name) != kErrorSuccess)
          Left(Join(path, name));
    }
    for (const ValueSnapshot& value : snapshot.values)
      if (registry_.SetValue(key.get(), value.name, value.type, value.data) != kErrorSuccess)
        Left(Join(path, value.name));

    names.clear();
    if (SubkeyNames(registry_, key.get(), names) != kErrorSuccess) {
      Left(path);
    } else {
      for (const std::string& name : names)
        if (std::none_of(snapshot.subkeys.begin(), snapshot.subkeys.end(), SameName(registry_, name)))
          Gone(key.get(), name, Join(path, name));
    }
    for (const KeySnapshot& subkey : snapshot.subkeys) {
      if (!subkey.unreadable) {
        Key(key.get(), subkey, Join(path, subkey.name));
      } else if (std::none_of(names.begin(), names.end(), SameName(registry_, subkey.name))) {
        Left(Join(path, subkey.name));  // gone, and what it held is not known
      }
    }
  }

  // Deletes the key `name` below the open key `parent`; one already gone is done.
  void Gone(KeyHandle parent, const std::string& name, const std::string& path) {
    const long rc = DeleteTree(registry_, parent, name, kAccess);
    if (rc != kErrorSuccess && rc != kErrorFileNotFound) Left(path);
  }

  std::vector<Unrestored> left;

 private:
  void Left(const std::string& path) { left.push_back({root_, path}); }

  Registry& registry_;
  RootKey root_;
};

}  // namespace

TreeSnapshot TakeSnapshot(Registry& registry, RootKey root, const std::wstring& parentPath,
                          const std::wstring& name) {
  const CodePage codePage = registry.AnsiCodePage();
  TreeSnapshot snapshot{root, ToAnsi(parentPath, codePage), ToAnsi(name, codePage), std::nullopt};
  const std::string path = Join(snapshot.parent, snapshot.name);
  // The parent first, then the key by its name, as deleting it does: the two
  // paths may each be within the registry's limits where the whole is not.
  UniqueKey parent(registry), key(registry);
  long rc = registry.OpenKey(RootHandle(root), snapshot.parent, kAccess, parent.put());
  if (rc == kErrorSuccess) rc = registry.OpenKey(parent.get(), snapshot.name, kAccess, key.put());
  if (rc == kErrorFileNotFound) return snapshot;
  if (rc != kErrorSuccess) throw RegistryError("read " + path, rc);
  snapshot.key = ReadKey(registry, key.get(), snapshot.name, path);
  return snapshot;
}

std::vector<Unrestored> RestoreSnapshot(Registry& registry, const TreeSnapshot& snapshot) {
  Restorer restore(registry, snapshot.root);
  const std::string path = Join(snapshot.parent, snapshot.name);
  UniqueKey parent(registry);
  if (!snapshot.key) {
    // It was not there: whatever is there now goes.
    const long rc = registry.OpenKey(RootHandle(snapshot.root), snapshot.parent, kAccess, parent.put());
    if (rc == kErrorFileNotFound) return {};
    if (rc != kErrorSuccess) return {{snapshot.root, path}};
    restore.Gone(parent.get(), snapshot.name, path);
    return restore.left;
  }
  if (registry.CreateKey(RootHandle(snapshot.root), snapshot.parent, kAccess, parent.put()) != kErrorSuccess)
    return {{snapshot.root, path}};
  restore.Key(parent.get(), *snapshot.key, path);
  return restore.left;
}

}  // namespace nw
