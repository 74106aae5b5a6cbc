// The registry as the program sees it: a small backend interface with the real
// Windows registry and an in-memory registry behind it. Result codes are the
// Windows error numbers, so both backends answer alike.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AnsiText.h"

namespace nw {

// A predefined root key, named by its 32-bit handle value.
using RootKey = std::uint32_t;
inline constexpr RootKey kHkeyClassesRoot = 0x80000000u;
inline constexpr RootKey kHkeyCurrentUser = 0x80000001u;
inline constexpr RootKey kHkeyLocalMachine = 0x80000002u;

// Registry value types the program knows. The three text types (1, 2, 7) are
// held as UTF-16LE: the ANSI entry points convert them, the wide ones do not.
inline constexpr long kRegSz = 1;
inline constexpr long kRegExpandSz = 2;
inline constexpr long kRegBinary = 3;
inline constexpr long kRegDword = 4;
inline constexpr long kRegLink = 6;
inline constexpr long kRegMultiSz = 7;
constexpr bool IsTextType(long type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// Options of a create or an open: a key that lasts only until the system
// restarts; a registry link, whose value kSymbolicLinkValue (of type kRegLink,
// the full path of another key, \Registry\Machine\..., in UTF-16LE
// without a NUL) makes every open through it reach that key; and, for an open,
// the link itself rather than the key it names.
inline constexpr std::uint32_t kRegOptionVolatile = 0x1;
inline constexpr std::uint32_t kRegOptionCreateLink = 0x2;
inline constexpr std::uint32_t kRegOptionOpenLink = 0x8;
inline constexpr wchar_t kSymbolicLinkValue[] = L"SymbolicLinkValue";

// Access rights: the six key-specific rights, and the flag that selects the
// 64-bit view of the registry from a 32-bit process.
inline constexpr std::uint32_t kKeyRights = 0x3F;
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;
// The rights to read a key in the 64-bit view: query its values, list its
// subkeys, be told of changes. They need no administrator.
inline constexpr std::uint32_t kReadRights = 0x19 | kKeyWow64_64Key;

// Windows error numbers the backends return.
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorBadPathname = 161;
inline constexpr long kErrorAlreadyExists = 183;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorNoMoreItems = 259;
inline constexpr long kErrorChildMustBeVolatile = 1021;

// A key handle: either a root key value or a key the backend opened.
using KeyHandle = std::uintptr_t;
constexpr KeyHandle RootHandle(RootKey root) {
  return static_cast<KeyHandle>(root);
}

// Text at this boundary is in an ANSI code page, the one AnsiCodePage names,
// or, through the calls whose names end in Wide, Unicode as the registry holds
// it: names of any characters, text values as their UTF-16LE bytes.
class Registry {
 public:
  virtual ~Registry() = default;

  // The code page of every name and text that passes this boundary.
  virtual CodePage AnsiCodePage() const = 0;

  // Opens the key at path below base, creating it and every missing key on the way.
  virtual long CreateKey(KeyHandle base, std::string_view path, std::uint32_t access, KeyHandle& key) = 0;
  // Opens an existing key.
  virtual long OpenKey(KeyHandle base, std::string_view path, std::uint32_t access, KeyHandle& key) = 0;
  // Writes one typed value; an empty name is the key's default value.
  virtual long SetValue(KeyHandle key, std::string_view name, long type,
                        const std::vector<std::uint8_t>& data) = 0;
  // Deletes one value; an empty name is the key's default value.
  virtual long DeleteValue(KeyHandle key, std::string_view name) = 0;
  // Reads one value back.
  virtual long QueryValue(KeyHandle key, std::string_view name, long& type,
                          std::vector<std::uint8_t>& data) = 0;
  // Names the index-th subkey, or returns kErrorNoMoreItems.
  virtual long EnumKey(KeyHandle key, std::uint32_t index, std::string& name) = 0;
  // Names the index-th value, or returns kErrorNoMoreItems.
  virtual long EnumValue(KeyHandle key, std::uint32_t index, std::string& name) = 0;
  // Deletes a subkey that has no subkeys of its own, in the view that access selects.
  virtual long DeleteKey(KeyHandle parent, std::string_view subkey, std::uint32_t access) = 0;
  virtual long CloseKey(KeyHandle key) = 0;

  // The same through the wide-character entry points, which neither convert
  // nor lose a character: what a tree holds can be read and written back
  // exactly, whatever the code page. Options as above (kRegOptionVolatile,
  // kRegOptionCreateLink for a create, kRegOptionOpenLink for an open); a link
  // on the way to the last key is always followed. Paths have no limit of 260
  // characters here.
  virtual long CreateKeyWide(KeyHandle base, std::wstring_view path, std::uint32_t options,
                             std::uint32_t access, KeyHandle& key) = 0;
  virtual long OpenKeyWide(KeyHandle base, std::wstring_view path, std::uint32_t options,
                           std::uint32_t access, KeyHandle& key) = 0;
  virtual long SetValueWide(KeyHandle key, std::wstring_view name, long type,
                            const std::vector<std::uint8_t>& data) = 0;
  virtual long DeleteValueWide(KeyHandle key, std::wstring_view name) = 0;
  virtual long QueryValueWide(KeyHandle key, std::wstring_view name, long& type,
                              std::vector<std::uint8_t>& data) = 0;
  virtual long EnumKeyWide(KeyHandle key, std::uint32_t index, std::wstring& name) = 0;
  virtual long EnumValueWide(KeyHandle key, std::uint32_t index, std::wstring& name) = 0;
  // Names the index-th value and reads it in the same call, or returns
  // kErrorNoMoreItems: a key's values are read in one call each.
  virtual long ReadValueAtWide(KeyHandle key, std::uint32_t index, std::wstring& name, long& type,
                               std::vector<std::uint8_t>& data) = 0;
  // Deletes a subkey and everything below it, deepest keys first, in the view
  // that access selects. Each key is opened as itself (kRegOptionOpenLink) and
  // deleted through that handle, so a registry link in the tree goes, and the
  // key it names stays untouched.
  virtual long DeleteTree(KeyHandle parent, std::wstring_view subkey, std::uint32_t access) = 0;
};

}  // namespace nw

namespace nw {

// Owns one opened key handle and closes it when it goes out of scope.
class UniqueKey {
 public:
  explicit UniqueKey(Registry& registry) : registry_(&registry) {}
  UniqueKey(const UniqueKey&) = delete;
  UniqueKey& operator=(const UniqueKey&) = delete;
  UniqueKey(UniqueKey&& other) noexcept : registry_(other.registry_), key_(other.release()) {}
  UniqueKey& operator=(UniqueKey&& other) noexcept {
    if (this != &other) {
      reset();
      registry_ = other.registry_;
      key_ = other.release();
    }
    return *this;
  }
  ~UniqueKey() { reset(); }

  KeyHandle get() const { return key_; }
  explicit operator bool() const { return key_ != 0; }
  // Receives a handle from a backend call; any handle held before is closed.
  KeyHandle& put() {
    reset();
    return key_;
  }
  KeyHandle release() {
    KeyHandle key = key_;
    key_ = 0;
    return key;
  }
  void reset() {
    if (key_ != 0) registry_->CloseKey(key_);
    key_ = 0;
  }

 private:
  Registry* registry_;
  KeyHandle key_ = 0;
};

}  // namespace nw
