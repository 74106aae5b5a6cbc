// The registry helpers the commands write and delete through (the snapshot
// puts a tree back through the registry's own calls). Each works in the 64-bit
// view, closes what it opens (but the key CreateKey hands over) and raises
// RegistryError when the registry refuses.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "EasyReg/Registry.h"

namespace nw {

// Every create, open and delete asks for the six key rights in the 64-bit view.
inline constexpr std::uint32_t kAccess = kKeyRights | kKeyWow64_64Key;

// Data of a value: text for type 1, bytes for type 3.
using ValueData = std::variant<std::wstring, std::vector<std::uint8_t>>;

class RegistryError : public std::runtime_error {
 public:
  RegistryError(const std::string& what, long code) : std::runtime_error(what), code_(code) {}
  long code() const { return code_; }

 private:
  long code_;
};

// Creates the key (with every missing key on its path) or opens it if it
// exists, and hands it over open, so that values can be written into it
// without opening it again.
UniqueKey CreateKey(Registry& registry, const std::wstring& keyPath, RootKey root);
// Opens an existing key and writes one value; an empty name is the default value.
void SetKeyValue(Registry& registry, RootKey root, const std::wstring& keyPath, const std::wstring& valueName,
                 const ValueData& data, long type);
// Writes one value into a key the caller holds open; keyPath names it in errors.
void SetKeyValue(Registry& registry, const UniqueKey& key, const std::wstring& keyPath,
                 const std::wstring& valueName, const ValueData& data, long type);
// UTF-16LE, numbered as Windows numbers it: the registry's own form of text.
inline constexpr CodePage kUtf16Le{1200};

// The bytes a value holds once written: for type 1 the text and its
// terminating NUL in the code page (kUtf16Le for the registry's own form), for
// type 3 the bytes in order. Throws std::invalid_argument for any other type
// and for data that does not fit the type.
std::vector<std::uint8_t> ValueBytes(long type, const ValueData& data, CodePage codePage);

// Writes one value into an open key. Returns the registry's result; throws as
// ValueBytes does before any registry call.
long WriteValueData(Registry& registry, KeyHandle key, const std::wstring& valueName, long type,
                    const ValueData& data);
// Deletes the named subkey of the parent with everything below it, through
// the wide-character entry points. A subkey or parent that does not exist is
// already gone; an empty subkey name is refused. A link by that name, or in
// the tree, is deleted; the key it names stays.
void DeleteKey(Registry& registry, RootKey root, const std::wstring& parentPath,
               const std::wstring& subkeyName);

}  // namespace nw
