#include "EasyReg/EasyReg.h"

#include "platform/AnsiText.h"

namespace nw {
namespace {

std::string Describe(const char* operation, const std::string& path) {
  return std::string(operation) + " " + path;
}

// Type 1: the text and its terminating NUL, in the code page.
std::vector<std::uint8_t> TextBytes(const ValueData& data, CodePage codePage) {
  const auto* text = std::get_if<std::wstring>(&data);
  if (text == nullptr) throw std::invalid_argument("type mismatch: text expected");
  const std::wstring terminated = *text + L'\0';
  const std::string bytes =
      codePage.Requested() == kUtf16Le.Requested() ? Utf16Le(terminated) : ToAnsi(terminated, codePage);
  return {bytes.begin(), bytes.end()};
}

// Type 3: the bytes in order.
std::vector<std::uint8_t> BinaryBytes(const ValueData& data) {
  const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&data);
  if (bytes == nullptr) throw std::invalid_argument("type mismatch: bytes expected");
  return *bytes;
}

}  // namespace

UniqueKey CreateKey(Registry& registry, const std::wstring& keyPath, RootKey root) {
  const std::string path = ToAnsi(keyPath, registry.AnsiCodePage());
  UniqueKey key(registry);
  if (long rc = registry.CreateKey(RootHandle(root), path, kAccess, key.put()); rc != kErrorSuccess)
    throw RegistryError(Describe("create", path), rc);
  return key;
}

void SetKeyValue(Registry& registry, RootKey root, const std::wstring& keyPath, const std::wstring& valueName,
                 const ValueData& data, long type) {
  const std::string path = ToAnsi(keyPath, registry.AnsiCodePage());
  UniqueKey key(registry);
  if (long rc = registry.OpenKey(RootHandle(root), path, kAccess, key.put()); rc != kErrorSuccess)
    throw RegistryError(Describe("open", path), rc);
  SetKeyValue(registry, key, keyPath, valueName, data, type);
}

void SetKeyValue(Registry& registry, const UniqueKey& key, const std::wstring& keyPath,
                 const std::wstring& valueName, const ValueData& data, long type) {
  if (long rc = WriteValueData(registry, key.get(), valueName, type, data); rc != kErrorSuccess) {
    const CodePage codePage = registry.AnsiCodePage();
    throw RegistryError(Describe("write value", ToAnsi(keyPath + L"\\" + valueName, codePage)), rc);
  }
}

std::vector<std::uint8_t> ValueBytes(long type, const ValueData& data, CodePage codePage) {
  switch (type) {
    case kRegSz: return TextBytes(data, codePage);
    case kRegBinary: return BinaryBytes(data);
    default: throw std::invalid_argument("a value of type " + std::to_string(type) + " is never written");
  }
}

long WriteValueData(Registry& registry, KeyHandle key, const std::wstring& valueName, long type,
                    const ValueData& data) {
  const CodePage codePage = registry.AnsiCodePage();
  return registry.SetValue(key, ToAnsi(valueName, codePage), type, ValueBytes(type, data, codePage));
}

void DeleteKey(Registry& registry, RootKey root, const std::wstring& parentPath,
               const std::wstring& subkeyName) {
  // An empty name would stand for the parent itself: never delete that.
  if (subkeyName.empty()) throw std::invalid_argument("no subkey named to delete");
  const std::string parent = ToAnsi(parentPath, registry.AnsiCodePage());
  const std::string subkey = ToAnsi(subkeyName, registry.AnsiCodePage());
  UniqueKey key(registry);
  long rc = registry.OpenKeyWide(RootHandle(root), parentPath, 0, kAccess, key.put());
  if (rc == kErrorFileNotFound) return;  // no parent, so nothing below it either
  if (rc != kErrorSuccess) throw RegistryError(Describe("open", parent), rc);
  {
    // As itself: a link by that name is there even when the key it names is not.
    UniqueKey existing(registry);
    rc = registry.OpenKeyWide(key.get(), subkeyName, kRegOptionOpenLink, kAccess, existing.put());
    if (rc == kErrorFileNotFound) return;  // already gone
    if (rc != kErrorSuccess) throw RegistryError(Describe("open", parent + "\\" + subkey), rc);
  }
  // From here on the key exists, so every refusal, "not found" included, is a failure.
  if (rc = registry.DeleteTree(key.get(), subkeyName, kAccess); rc != kErrorSuccess)
    throw RegistryError(Describe("delete", parent + "\\" + subkey), rc);
}

}  // namespace nw
