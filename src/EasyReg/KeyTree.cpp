#include "EasyReg/KeyTree.h"

#include <algorithm>

namespace nw {

std::wstring JoinKeyPath(const std::wstring& path, const std::wstring& name) {
  return path.empty() ? name : path + L"\\" + name;
}

long IsLinkTo(Registry& registry, KeyHandle parent, const std::wstring& name,
              const std::vector<std::uint8_t>& target, bool& link) {
  link = false;
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
  link = rc == kErrorFileNotFound || reachedType != kRegLink || reachedTarget != target;
  return kErrorSuccess;
}

namespace {

// Lists names by index with `enumerate` (EnumKeyWide or EnumValueWide) until
// there are no more.
long Names(Registry& registry, KeyHandle key, std::vector<std::wstring>& names,
           long (Registry::*enumerate)(KeyHandle, std::uint32_t, std::wstring&)) {
  for (std::uint32_t index = 0;; ++index) {
    std::wstring name;
    const long rc = (registry.*enumerate)(key, index, name);
    if (rc == kErrorNoMoreItems) return kErrorSuccess;
    if (rc != kErrorSuccess) return rc;
    names.push_back(std::move(name));
  }
}

}  // namespace

long SubkeyNames(Registry& registry, KeyHandle key, std::vector<std::wstring>& names) {
  return Names(registry, key, names, &Registry::EnumKeyWide);
}

long ValueNames(Registry& registry, KeyHandle key, std::vector<std::wstring>& names) {
  return Names(registry, key, names, &Registry::EnumValueWide);
}

KeyTree ReadKeyTree(Registry& registry, KeyHandle parent, KeyHandle key, const std::wstring& name,
                    const std::wstring& path, const TreeReading& how) {
  const CodePage codePage = registry.AnsiCodePage();
  KeyTree tree{name, false, false, {}, {}};
  // Each value is named and read in one call. A registry link, open as
  // itself, shows its kSymbolicLinkValue among them.
  for (std::uint32_t index = 0;; ++index) {
    RegistryValue value;
    const long rc = registry.ReadValueAtWide(key, index, value.name, value.type, value.data);
    if (rc == kErrorNoMoreItems) break;
    if (rc != kErrorSuccess) throw UnreadableKey(path, rc, codePage);
    tree.values.push_back(std::move(value));
  }
  if (how.asItself) {
    const std::wstring linkName = FoldCase(kSymbolicLinkValue);
    const auto target = std::find_if(tree.values.begin(), tree.values.end(), [&](const RegistryValue& v) {
      return v.type == kRegLink && FoldCase(v.name) == linkName;
    });
    if (target != tree.values.end())
      if (const long rc = IsLinkTo(registry, parent, name, target->data, tree.link); rc != kErrorSuccess)
        throw UnreadableKey(path, rc, codePage);
  }
  std::vector<std::wstring> names;
  if (const long rc = SubkeyNames(registry, key, names); rc != kErrorSuccess)
    throw UnreadableKey(path, rc, codePage);
  const std::uint32_t options = how.asItself ? kRegOptionOpenLink : 0;
  for (const std::wstring& subkeyName : names) {
    const std::wstring subkeyPath = JoinKeyPath(path, subkeyName);
    UniqueKey subkey(registry);
    const long rc = registry.OpenKeyWide(key, subkeyName, options, how.access, subkey.put());
    if (rc == kErrorFileNotFound) continue;  // deleted since it was listed
    if (rc != kErrorSuccess) {
      if (!how.goOnPastRefusals) throw UnreadableKey(subkeyPath, rc, codePage);
      tree.subkeys.push_back({subkeyName, false, true, {}, {}});
      continue;
    }
    tree.subkeys.push_back(ReadKeyTree(registry, key, subkey.get(), subkeyName, subkeyPath, how));
  }
  return tree;
}

std::optional<KeyTree> ReadKeyTree(Registry& registry, RootKey root, const std::wstring& path,
                                   const std::wstring& shownAs, const TreeReading& how) {
  // The parent first, then the key by its name, so that a link there is
  // known for one.
  const std::size_t split = path.rfind(L'\\');
  const std::wstring parentPath = split == std::wstring::npos ? L"" : path.substr(0, split);
  const std::wstring name = split == std::wstring::npos ? path : path.substr(split + 1);
  UniqueKey parent(registry), key(registry);
  long rc = registry.OpenKeyWide(RootHandle(root), parentPath, 0, how.access, parent.put());
  if (rc == kErrorSuccess)
    rc = registry.OpenKeyWide(parent.get(), name, how.asItself ? kRegOptionOpenLink : 0, how.access,
                              key.put());
  if (rc == kErrorFileNotFound) return std::nullopt;
  if (rc != kErrorSuccess) throw UnreadableKey(shownAs, rc, registry.AnsiCodePage());
  return ReadKeyTree(registry, parent.get(), key.get(), name, shownAs, how);
}

std::optional<std::wstring> ValueText(long type, const std::vector<std::uint8_t>& data) {
  if (type != kRegSz && type != kRegExpandSz) return std::nullopt;
  std::wstring text = FromUtf16Le(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
  if (const std::size_t nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
  return text;
}

}  // namespace nw
