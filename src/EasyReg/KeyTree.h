// Reading a registry tree: a key with its values and everything below it,
// through the wide-character entry points, so every name and value comes as
// the registry holds it, whatever its characters. The rollback snapshot, the
// comparison with a layout, the listing of folders and the tests' dumps all
// read keys this one way.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "EasyReg/EasyReg.h"

namespace nw {

// Names as the registry holds them; text values as their UTF-16LE bytes.
struct RegistryValue {
  std::wstring name;
  long type = 0;
  std::vector<std::uint8_t> data;
};

struct KeyTree {
  std::wstring name;
  // A registry link read as itself: its values (its kSymbolicLinkValue among
  // them) are its own, and the key it names is no part of the tree.
  bool link = false;
  // A subkey that could not be opened, where the reader is told to go on past it.
  bool unreadable = false;
  std::vector<RegistryValue> values;
  std::vector<KeyTree> subkeys;
};

// How a tree is read.
struct TreeReading {
  // The rights, and the view, every key is opened with.
  std::uint32_t access = kReadRights;
  // Each key opened as itself, so that a link is read as the link it is;
  // otherwise a link stands for the key it names.
  bool asItself = false;
  // A subkey the registry refuses to open is marked unreadable and the rest
  // read on; otherwise the refusal ends the reading.
  bool goOnPastRefusals = false;
};

// The registry refused to list, open or read a key of the tree. `path` names
// it as the caller named the tree's top.
class UnreadableKey : public RegistryError {
 public:
  UnreadableKey(const std::wstring& path, long code, CodePage codePage)
      : RegistryError("read " + ToAnsi(path, codePage), code), path_(path) {}
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// Reads the key `name` below the open key `parent`, open in `key`, and
// everything below it; `path` names it in errors and below it its subkeys. A
// subkey deleted between its listing and its opening is left out. Raises
// UnreadableKey.
KeyTree ReadKeyTree(Registry& registry, KeyHandle parent, KeyHandle key, const std::wstring& name,
                    const std::wstring& path, const TreeReading& how);

// Opens the key at `path` below the root and reads it; nothing where it is
// not there. `shownAs` names it in errors.
std::optional<KeyTree> ReadKeyTree(Registry& registry, RootKey root, const std::wstring& path,
                                   const std::wstring& shownAs, const TreeReading& how);

// Whether the key `name` below `parent`, which holds `target` as its
// kSymbolicLinkValue of type kRegLink, is a registry link. An ordinary key may
// hold such a value as well; but an open of a link by its name reaches not the
// link but the key that value names, or nothing where that is gone. Gives the
// registry's code when it refuses.
long IsLinkTo(Registry& registry, KeyHandle parent, const std::wstring& name,
              const std::vector<std::uint8_t>& target, bool& link);

// Adds the name of every subkey (every value) of the open key to `names`, in
// the registry's order; gives the registry's code when it refuses the listing.
long SubkeyNames(Registry& registry, KeyHandle key, std::vector<std::wstring>& names);
long ValueNames(Registry& registry, KeyHandle key, std::vector<std::wstring>& names);

// A key's path below another's: `name` after `path` and a backslash, or
// `name` alone below the root.
std::wstring JoinKeyPath(const std::wstring& path, const std::wstring& name);

// What a text value says: the text of a string (type 1 or 2) up to its first
// NUL, as the shell and the registry editor read it; nothing for any other type.
std::optional<std::wstring> ValueText(long type, const std::vector<std::uint8_t>& data);

}  // namespace nw
