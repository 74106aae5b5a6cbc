// Reads a registry tree back as text, one line per key and per value, with
// every value's type and exact bytes, so a test can compare whole layouts.
#pragma once

#include <string>
#include <string_view>

#include "EasyReg/Registry.h"

namespace nw::test {

// Bytes as the dump shows them: two hex digits each, joined by commas ("41,00").
std::string HexBytes(std::string_view bytes);

// Keys as "[path]" relative to the dumped key, values as "name=type:hex,bytes"
// ("@" for the default value). Empty when the key does not exist.
std::string DumpTree(Registry& registry, RootKey root, const std::string& path,
                     std::uint32_t view = kKeyWow64_64Key);
// The same through the wide-character calls, each key opened as itself: names
// in UTF-8, so that names of any characters show as they are, and a link as
// the key it is (its own values), never as the key it names.
std::string DumpTreeWide(Registry& registry, RootKey root, const std::wstring& path,
                         std::uint32_t view = kKeyWow64_64Key);
bool KeyExists(Registry& registry, RootKey root, const std::string& path,
               std::uint32_t view = kKeyWow64_64Key);
// Deletes the key and everything below it, whatever is there; for test set-up.
void RemoveTree(Registry& registry, RootKey root, const std::string& path,
                std::uint32_t view = kKeyWow64_64Key);
// Creates the key, and those missing above it, as volatile keys (in the
// 64-bit view) in either backend: an obstacle no lasting key can be created
// below. Returns the registry's answer.
long CreateVolatileKey(Registry& registry, RootKey root, const std::string& path);

}  // namespace nw::test
