#include "support/RegistryDump.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

#include "EasyReg/EasyReg.h"
#include "EasyReg/KeyTree.h"
#include "EasyReg/MemoryRegistry.h"

namespace nw::test {
namespace {

constexpr std::uint32_t kRead = kReadRights & ~kKeyWow64_64Key;  // in the view the caller names

// The tree as a program that uses the ANSI calls sees it: each name and text
// converted with the code page, and a value or key whose name the code page
// cannot spell reached by no name (what the wide reader cannot show).
void DumpKey(Registry& registry, KeyHandle key, const std::string& relative, std::uint32_t view,
             std::string& out) {
  out += "[" + relative + "]\n";
  for (std::uint32_t i = 0;; ++i) {
    std::string name;
    if (registry.EnumValue(key, i, name) != kErrorSuccess) break;
    long type = 0;
    std::vector<std::uint8_t> data;
    registry.QueryValue(key, name, type, data);
    out += (name.empty() ? std::string("@") : name) + "=" + std::to_string(type) + ":";
    out += HexBytes(std::string_view(reinterpret_cast<const char*>(data.data()), data.size())) + "\n";
  }
  for (std::uint32_t i = 0;; ++i) {
    std::string child;
    if (registry.EnumKey(key, i, child) != kErrorSuccess) break;
    UniqueKey sub(registry);
    if (registry.OpenKey(key, child, kRead | view, sub.put()) != kErrorSuccess) {
      out += "[" + relative + "\\" + child + "] (cannot open)\n";
      continue;
    }
    DumpKey(registry, sub.get(), relative.empty() ? child : relative + "\\" + child, view, out);
  }
}

void DumpKeyWide(const KeyTree& key, const std::wstring& relative, std::string& out) {
  out += "[" + Utf8(relative) + "]\n";
  for (const RegistryValue& value : key.values) {
    out +=
        (value.name.empty() ? std::string("@") : Utf8(value.name)) + "=" + std::to_string(value.type) + ":";
    out += HexBytes(std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size())) +
           "\n";
  }
  for (const KeyTree& subkey : key.subkeys) {
    const std::wstring path = relative.empty() ? subkey.name : relative + L"\\" + subkey.name;
    if (subkey.unreadable)
      out += "[" + Utf8(path) + "] (cannot open)\n";
    else
      DumpKeyWide(subkey, path, out);
  }
}

}  // namespace

std::string DumpTreeWide(Registry& registry, RootKey root, const std::wstring& path, std::uint32_t view) {
  // Each key as itself, and past the keys that cannot be opened.
  std::optional<KeyTree> tree;
  try {
    tree = ReadKeyTree(registry, root, path, path, TreeReading{kRead | view, true, true});
  } catch (const UnreadableKey&) {
  }
  if (!tree) return {};
  std::string out;
  DumpKeyWide(*tree, L"", out);
  return out;
}

std::string HexBytes(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i]));
    out += (i == 0 ? "" : ",") + std::string(pair);
  }
  return out;
}

std::string DumpTree(Registry& registry, RootKey root, const std::string& path, std::uint32_t view) {
  UniqueKey key(registry);
  if (registry.OpenKey(RootHandle(root), path, kRead | view, key.put()) != kErrorSuccess) return {};
  std::string out;
  DumpKey(registry, key.get(), "", view, out);
  return out;
}

bool KeyExists(Registry& registry, RootKey root, const std::string& path, std::uint32_t view) {
  UniqueKey key(registry);
  return registry.OpenKey(RootHandle(root), path, kRead | view, key.put()) == kErrorSuccess;
}

void RemoveTree(Registry& registry, RootKey root, const std::string& path, std::uint32_t view) {
  registry.DeleteTree(RootHandle(root), FromAnsi(path, registry.AnsiCodePage()), kKeyRights | view);
}

long CreateVolatileKey(Registry& registry, RootKey root, const std::string& path) {
  if (auto* memory = dynamic_cast<MemoryRegistry*>(&registry))
    return memory->CreateVolatileKey(RootHandle(root), path);
#ifdef _WIN32
  HKEY key = nullptr;
  const LONG rc =
      RegCreateKeyExA(reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root))), path.c_str(), 0,
                      nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr);
  if (rc == ERROR_SUCCESS) RegCloseKey(key);
  return rc;
#else
  return kErrorInvalidHandle;
#endif
}

}  // namespace nw::test
