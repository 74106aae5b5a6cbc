// A registry tree read before a command changes it, and put back exactly when
// the command fails: keys that were not there are deleted, keys that were get
// back their values (type and bytes) and subkeys, and nothing else stays. It
// is read and written through the wide-character entry points, so every name
// and every value comes back as it was, whatever its characters; each key is
// read as itself, so a registry link in the tree is kept, and put back, as a
// link, and the key it names is no part of the tree.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "EasyReg/EasyReg.h"
#include "EasyReg/KeyTree.h"

namespace nw {

// The key `name` below `parent` under `root`, read as itself with all below
// it, or no key at all.
struct TreeSnapshot {
  RootKey root = 0;
  std::wstring parent;
  std::wstring name;
  std::optional<KeyTree> key;
};

// Reads the key and everything below it; raises RegistryError when the
// registry refuses a read. A key that is not there is recorded as such.
TreeSnapshot TakeSnapshot(Registry& registry, RootKey root, const std::wstring& parentPath,
                          const std::wstring& name);

// A key, or a value (its key's path, a backslash and its name), that could not
// be put back; named in the registry's ANSI code page.
struct Unrestored {
  RootKey root = 0;
  std::string path;
  bool operator==(const Unrestored&) const = default;
};

// Puts the tree back as the snapshot holds it, going on past what it cannot
// put back and trying nothing twice. Gives what it could not put back; nothing
// when all went back.
std::vector<Unrestored> RestoreSnapshot(Registry& registry, const TreeSnapshot& snapshot);

// A command failed, and putting the registry back failed as well.
class NotRestored : public std::runtime_error {
 public:
  NotRestored(const std::string& what, std::vector<Unrestored> left)
      : std::runtime_error(what), left_(std::move(left)) {}
  const std::vector<Unrestored>& left() const { return left_; }

 private:
  std::vector<Unrestored> left_;
};

}  // namespace nw
