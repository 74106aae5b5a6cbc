#include "EasyReg/Snapshot.h"

#include <algorithm>

namespace nw {
namespace {

std::wstring Join(const std::wstring& path, const std::wstring& name) {
  return path.empty() ? name : path + L"\\" + name;
}

// Lists a key's value or subkey names with `list` (EnumValueWide or EnumKeyWide).
template <typename List>
long Names(KeyHandle key, List list, std::vector<std::wstring>& names) {
  for (std::uint32_t index = 0;; ++index) {
    std::wstring name;
    const long rc = list(key, index, name);
    if (rc == kErrorNoMoreItems) return kErrorSuccess;
    if (rc != kErrorSuccess) return rc;
    names.push_back(std::move(name));
  }
}

long ValueNames(Registry& registry, KeyHandle key, std::vector<std::wstring>& names) {
  return Names(
      key, [&](KeyHandle k, std::uint32_t i, std::wstring& n) { return registry.EnumValueWide(k, i, n); },
      names);
}

long SubkeyNames(Registry& registry, KeyHandle key, std::vector<std::wstring>& names) {
  return Names(
      key, [&](KeyHandle k, std::uint32_t i, std::wstring& n) { return registry.EnumKeyWide(k, i, n); },
      names);
}

// Whether the key `name` below `parent`, which holds `target` as its
// kSymbolicLinkValue of type kRegLink, is a registry link. An ordinary key may
// hold such a value as well; but an open of a link by its name reaches not the
// link but the key that value names, or nothing where that is gone.
long IsLinkTo(Registry& registry, KeyHandle parent, const std::wstring& name,
              const std::vector<std::uint8_t>& target, bool& link) {
  link = false;
  constexpr long type = kRegLink;
  UniqueKey reached(registry);
  long rc = registry.OpenKeyWide(parent, name, 0, kReadRights, reached.put());
  if (rc == kErrorFileNotFound) {
    link = true;
    return kErrorSuccess;
  }
  if (rc != kErrorSuccess) return rc;
  long reachedType = 0;
  std::vector<std::uint8_t> reachedTarget;
  rc = registry.QueryValueWide(reached.get(), kSymbolicLinkValue, reachedType, reachedTarget);
  if (rc != kErrorSuccess && rc != kErrorFileNotFound) return rc;
  link = rc == kErrorFileNotFound || reachedType != type || reachedTarget != target;
  return kErrorSuccess;
}

// The same for the key open as itself in `key`, whose values are not read yet.
long IsLink(Registry& registry, KeyHandle parent, const std::wstring& name, KeyHandle key, bool& link) {
  link = false;
  long type = 0;
  std::vector<std::uint8_t> target;
  const long rc = registry.QueryValueWide(key, kSymbolicLinkValue, type, target);
  if (rc == kErrorFileNotFound || (rc == kErrorSuccess && type != kRegLink)) return kErrorSuccess;
  if (rc != kErrorSuccess) return rc;
  return IsLinkTo(registry, parent, name, target, link);
}

// Reads the key `name` below the open key `parent`, open as itself in `key`
// and named `path` from the root, with all below it.
KeySnapshot ReadKey(Registry& registry, KeyHandle parent, KeyHandle key, const std::wstring& name,
                    const std::wstring& path) {
  const CodePage codePage = registry.AnsiCodePage();
  auto refuse = [&](const std::wstring& where, long rc) {
    return RegistryError("read " + ToAnsi(where, codePage), rc);
  };
  KeySnapshot snapshot{name, false, {}, {}};
  // Each value is named and read in one call. A registry link, open as
  // itself, shows its kSymbolicLinkValue among them.
  for (std::uint32_t index = 0;; ++index) {
    ValueSnapshot value{{}, 0, {}};
    const long rc = registry.ReadValueAtWide(key, index, value.name, value.type, value.data);
    if (rc == kErrorNoMoreItems) break;
    if (rc != kErrorSuccess) throw refuse(path, rc);
    snapshot.values.push_back(std::move(value));
  }
  const auto linkValue =
      std::find_if(snapshot.values.begin(), snapshot.values.end(), [](const ValueSnapshot& v) {
        return v.type == kRegLink && FoldCase(v.name) == FoldCase(kSymbolicLinkValue);
      });
  if (linkValue != snapshot.values.end())
    if (long rc = IsLinkTo(registry, parent, name, linkValue->data, snapshot.link); rc != kErrorSuccess)
      throw refuse(path, rc);
  std::vector<std::wstring> names;
  if (long rc = SubkeyNames(registry, key, names); rc != kErrorSuccess) throw refuse(path, rc);
  for (const std::wstring& subkeyName : names) {
    UniqueKey subkey(registry);
    const std::wstring subkeyPath = Join(path, subkeyName);
    if (long rc = registry.OpenKeyWide(key, subkeyName, kRegOptionOpenLink, kAccess, subkey.put());
        rc != kErrorSuccess)
      throw refuse(subkeyPath, rc);
    snapshot.subkeys.push_back(ReadKey(registry, key, subkey.get(), subkeyName, subkeyPath));
  }
  return snapshot;
}

// Compares names as the registry does: in any letter case.
class SameName {
 public:
  explicit SameName(const std::wstring& name) : folded_(FoldCase(name)) {}
  bool operator()(const std::wstring& other) const { return FoldCase(other) == folded_; }
  template <typename Named>
  bool operator()(const Named& other) const {
    return (*this)(other.name);
  }

 private:
  std::wstring folded_;
};

class Restorer {
 public:
  Restorer(Registry& registry, RootKey root) : registry_(registry), root_(root) {}

  // Puts back the key `snapshot` below the open key `parent`.
  void Key(KeyHandle parent, const KeySnapshot& snapshot, const std::wstring& path) {
    UniqueKey key(registry_);
    // What stands there now, opened as itself: a key of the other kind (a link
    // where a key was, or a key where a link was) goes first.
    long rc = registry_.OpenKeyWide(parent, snapshot.name, kRegOptionOpenLink, kAccess, key.put());
    if (rc == kErrorSuccess) {
      bool link = false;
      if (IsLink(registry_, parent, snapshot.name, key.get(), link) != kErrorSuccess) return Left(path);
      if (link != snapshot.link) {
        key.reset();
        if (registry_.DeleteTree(parent, snapshot.name, kAccess) != kErrorSuccess) return Left(path);
        rc = kErrorFileNotFound;
      }
    }
    if (rc == kErrorFileNotFound)
      rc = registry_.CreateKeyWide(parent, snapshot.name, snapshot.link ? kRegOptionCreateLink : 0, kAccess,
                                   key.put());
    if (rc != kErrorSuccess) return Left(path);

    std::vector<std::wstring> names;
    if (ValueNames(registry_, key.get(), names) != kErrorSuccess) {
      Left(path);
    } else {
      for (const std::wstring& name : names)
        if (std::none_of(snapshot.values.begin(), snapshot.values.end(), SameName(name)) &&
            registry_.DeleteValueWide(key.get(), name) != kErrorSuccess)
          Left(Join(path, name));
    }
    for (const ValueSnapshot& value : snapshot.values)
      if (registry_.SetValueWide(key.get(), value.name, value.type, value.data) != kErrorSuccess)
        Left(Join(path, value.name));

    names.clear();
    if (SubkeyNames(registry_, key.get(), names) != kErrorSuccess) {
      Left(path);
    } else {
      for (const std::wstring& name : names)
        if (std::none_of(snapshot.subkeys.begin(), snapshot.subkeys.end(), SameName(name)))
          Gone(key.get(), name, Join(path, name));
    }
    for (const KeySnapshot& subkey : snapshot.subkeys) Key(key.get(), subkey, Join(path, subkey.name));
  }

  // Deletes the key `name` below the open key `parent`; one already gone is done.
  void Gone(KeyHandle parent, const std::wstring& name, const std::wstring& path) {
    const long rc = registry_.DeleteTree(parent, name, kAccess);
    if (rc != kErrorSuccess && rc != kErrorFileNotFound) Left(path);
  }

  void Left(const std::wstring& path) { left.push_back({root_, ToAnsi(path, registry_.AnsiCodePage())}); }

  std::vector<Unrestored> left;

 private:
  Registry& registry_;
  RootKey root_;
};

}  // namespace

TreeSnapshot TakeSnapshot(Registry& registry, RootKey root, const std::wstring& parentPath,
                          const std::wstring& name) {
  TreeSnapshot snapshot{root, parentPath, name, std::nullopt};
  const std::wstring path = Join(parentPath, name);
  // The parent first, then the key by its name, as deleting it does; the key
  // as itself, so a link there is read as the link it is.
  UniqueKey parent(registry), key(registry);
  long rc = registry.OpenKeyWide(RootHandle(root), parentPath, 0, kAccess, parent.put());
  if (rc == kErrorSuccess)
    rc = registry.OpenKeyWide(parent.get(), name, kRegOptionOpenLink, kAccess, key.put());
  if (rc == kErrorFileNotFound) return snapshot;
  if (rc != kErrorSuccess) throw RegistryError("read " + ToAnsi(path, registry.AnsiCodePage()), rc);
  snapshot.key = ReadKey(registry, parent.get(), key.get(), name, path);
  return snapshot;
}

std::vector<Unrestored> RestoreSnapshot(Registry& registry, const TreeSnapshot& snapshot) {
  Restorer restore(registry, snapshot.root);
  const std::wstring path = Join(snapshot.parent, snapshot.name);
  UniqueKey parent(registry);
  if (!snapshot.key) {
    // It was not there: whatever is there now goes.
    const long rc =
        registry.OpenKeyWide(RootHandle(snapshot.root), snapshot.parent, 0, kAccess, parent.put());
    if (rc == kErrorFileNotFound) return {};
    if (rc != kErrorSuccess) {
      restore.Left(path);
      return restore.left;
    }
    restore.Gone(parent.get(), snapshot.name, path);
    return restore.left;
  }
  if (registry.CreateKeyWide(RootHandle(snapshot.root), snapshot.parent, 0, kAccess, parent.put()) !=
      kErrorSuccess) {
    restore.Left(path);
    return restore.left;
  }
  restore.Key(parent.get(), *snapshot.key, path);
  return restore.left;
}

}  // namespace nw
