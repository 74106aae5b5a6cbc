#include "EasyReg/Snapshot.h"

#include <algorithm>

namespace nw {
namespace {

// Whether the key `name` below `parent`, open as itself in `key`, is a
// registry link (see IsLinkTo).
long IsLink(Registry& registry, KeyHandle parent, const std::wstring& name, KeyHandle key, bool& link) {
  link = false;
  long type = 0;
  std::vector<std::uint8_t> target;
  const long rc = registry.QueryValueWide(key, kSymbolicLinkValue, type, target);
  if (rc == kErrorFileNotFound || (rc == kErrorSuccess && type != kRegLink)) return kErrorSuccess;
  if (rc != kErrorSuccess) return rc;
  return IsLinkTo(registry, parent, name, target, link);
}

// Every key of a snapshot is read as itself, with the rights to put it back.
constexpr TreeReading kSnapshotReading{kAccess, true, false};

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
  void Key(KeyHandle parent, const KeyTree& snapshot, const std::wstring& path) {
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
          Left(JoinKeyPath(path, name));
    }
    for (const RegistryValue& value : snapshot.values)
      if (registry_.SetValueWide(key.get(), value.name, value.type, value.data) != kErrorSuccess)
        Left(JoinKeyPath(path, value.name));

    names.clear();
    if (SubkeyNames(registry_, key.get(), names) != kErrorSuccess) {
      Left(path);
    } else {
      for (const std::wstring& name : names)
        if (std::none_of(snapshot.subkeys.begin(), snapshot.subkeys.end(), SameName(name)))
          Gone(key.get(), name, JoinKeyPath(path, name));
    }
    for (const KeyTree& subkey : snapshot.subkeys) Key(key.get(), subkey, JoinKeyPath(path, subkey.name));
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
  const std::wstring path = JoinKeyPath(parentPath, name);
  return {root, parentPath, name, ReadKeyTree(registry, root, path, path, kSnapshotReading)};
}

std::vector<Unrestored> RestoreSnapshot(Registry& registry, const TreeSnapshot& snapshot) {
  Restorer restore(registry, snapshot.root);
  const std::wstring path = JoinKeyPath(snapshot.parent, snapshot.name);
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
