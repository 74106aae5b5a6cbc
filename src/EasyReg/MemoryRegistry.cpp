#include "EasyReg/MemoryRegistry.h"

#include <algorithm>

namespace nw {
namespace {

// The longest key name, and the longest path the ANSI entry points take, in
// UTF-16 units: Windows converts a name to Unicode before it looks at it.
constexpr std::size_t kMaxComponent = 256;
constexpr std::size_t kMaxAnsiPath = 260;
// How many links one open follows before it gives up, as Wine does.
constexpr int kMaxLinks = 16;
// Where a link's target starts: the machine's hive.
constexpr std::wstring_view kMachineRoot = L"\\registry\\machine";

constexpr std::uint32_t kQueryValue = 0x01, kSetValue = 0x02, kEnumerateSubKeys = 0x08;

std::string_view Bytes(const std::vector<std::uint8_t>& data) {
  return {reinterpret_cast<const char*>(data.data()), data.size()};
}

std::vector<std::uint8_t> ToVector(const std::string& bytes) {
  return {bytes.begin(), bytes.end()};
}

}  // namespace

MemoryRegistry::Folded MemoryRegistry::Fold(std::wstring_view name) {
  Folded folded;
  for (wchar_t c : FoldCase(name)) {
    const auto point = static_cast<std::uint32_t>(c);
    if (point < 0x10000) {
      folded += static_cast<char16_t>(point);
    } else {
      folded += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
      folded += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
    }
  }
  return folded;
}

// Splits a key path at its backslashes, after conversion to Unicode, so that
// the second byte of a double-byte character is never taken for one. Doubled
// backslashes and a trailing one name no extra level; a leading backslash is
// refused, as is an overlong name, or an overlong path through the ANSI entry points.
long MemoryRegistry::SplitPath(std::wstring_view text, Entry entry, std::vector<std::wstring>& parts) const {
  parts.clear();
  if (text.find(L'\0') != std::wstring_view::npos) return kErrorInvalidParameter;
  if (entry == Entry::Ansi && Utf16Length(text) > kMaxAnsiPath) return kErrorMoreData;
  if (!text.empty() && text.front() == L'\\') return kErrorBadPathname;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(L'\\', start);
    if (end == std::wstring_view::npos) end = text.size();
    if (end > start) {
      parts.emplace_back(text.substr(start, end - start));
      if (Utf16Length(parts.back()) > kMaxComponent) return kErrorInvalidParameter;
    }
    start = end + 1;
  }
  return kErrorSuccess;
}

MemoryRegistry::MemoryRegistry(CodePage codePage)
    : codePage_(codePage), currentUser_(std::make_shared<Node>()), localMachine_(std::make_shared<Node>()) {
  currentUser_->path = "HKEY_CURRENT_USER";
  localMachine_->path = "HKEY_LOCAL_MACHINE";
  KeyHandle classes = 0;
  CreateKey(RootHandle(kHkeyLocalMachine), "Software\\Classes", kKeyRights, classes);
  CloseKey(classes);
  journal_.clear();
}

MemoryRegistry::~MemoryRegistry() = default;

long MemoryRegistry::Resolve(KeyHandle base, std::shared_ptr<Node>& node, std::uint32_t need) const {
  switch (base) {
    case RootHandle(kHkeyCurrentUser): node = currentUser_; return kErrorSuccess;
    case RootHandle(kHkeyLocalMachine): node = localMachine_; return kErrorSuccess;
    default: break;
  }
  auto it = handles_.find(base);
  if (it == handles_.end()) return kErrorInvalidHandle;
  if (it->second.node->deleted) return 1018;  // ERROR_KEY_DELETED
  if ((it->second.access & need) != need) return kErrorAccessDenied;
  node = it->second.node;
  return kErrorSuccess;
}

long MemoryRegistry::Journaled(const Call& call) {
  journal_.push_back(call);
  return inject ? inject(call) : kErrorSuccess;
}

KeyHandle MemoryRegistry::NewHandle(std::shared_ptr<Node> node, std::uint32_t access) {
  KeyHandle handle = nextHandle_;
  nextHandle_ += 4;
  handles_.emplace(handle, Open{std::move(node), access});
  return handle;
}

// The key a link names, as names from the machine's hive; false when its
// value is missing, of another type or names a key elsewhere.
bool MemoryRegistry::LinkTarget(const Node& link, std::vector<std::wstring>& parts) const {
  const Folded name = Fold(kSymbolicLinkValue);
  auto value = std::find_if(link.values.begin(), link.values.end(),
                            [&](const Value& v) { return Fold(v.name) == name; });
  if (value == link.values.end() || value->type != kRegLink) return false;
  const std::wstring target = FromUtf16Le(Bytes(value->data));
  if (target.size() < kMachineRoot.size() || FoldCase(target.substr(0, kMachineRoot.size())) != kMachineRoot)
    return false;
  const std::wstring rest = target.substr(kMachineRoot.size());
  if (!rest.empty() && rest.front() != L'\\') return false;
  std::size_t start = 0;
  while (start < rest.size()) {
    std::size_t end = rest.find(L'\\', start);
    if (end == std::wstring::npos) end = rest.size();
    if (end > start) parts.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

// Walks the names from the key `node`, making the missing keys when asked. A
// link on the way is followed, the last key too unless it is opened as itself:
// the walk goes on from the link's target with the names still to come.
long MemoryRegistry::Find(std::shared_ptr<Node> node, std::vector<std::wstring> parts, const Walk& walk,
                          std::shared_ptr<Node>& found) {
  const bool isVolatile = (walk.options & kRegOptionVolatile) != 0;
  int links = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    auto it = node->children.find(Fold(parts[i]));
    if (it == node->children.end()) {
      if (!walk.create) return kErrorFileNotFound;
      if (node->isVolatile && !isVolatile) return kErrorChildMustBeVolatile;
      auto child = std::make_shared<Node>();
      child->name = parts[i];
      child->path = node->path + "\\" + Ansi(parts[i]);
      child->parent = node.get();
      child->isVolatile = isVolatile;
      child->isLink = last && (walk.options & kRegOptionCreateLink) != 0;
      node = node->children.emplace(Fold(parts[i]), std::move(child)).first->second;
      continue;
    }
    if (last && walk.create && (walk.options & kRegOptionCreateLink) != 0) return kErrorAlreadyExists;
    node = it->second;
    if (!node->isLink || (last && (walk.options & kRegOptionOpenLink) != 0)) continue;
    std::vector<std::wstring> target;
    if (++links > kMaxLinks || !LinkTarget(*node, target)) return kErrorFileNotFound;
    target.insert(target.end(), parts.begin() + static_cast<std::ptrdiff_t>(i) + 1, parts.end());
    parts = std::move(target);
    node = localMachine_;
    i = static_cast<std::size_t>(-1);  // from the first of the new names
  }
  found = node;
  return kErrorSuccess;
}

long MemoryRegistry::Reach(bool create, KeyHandle base, std::wstring_view path, Entry entry,
                           std::uint32_t options, std::uint32_t access, KeyHandle& key) {
  key = 0;
  std::shared_ptr<Node> node;
  if (long rc = Resolve(base, node, 0); rc != kErrorSuccess) return rc;
  std::vector<std::wstring> parts;
  if (long rc = SplitPath(path, entry, parts); rc != kErrorSuccess) return rc;
  if (long rc = Journaled(
          {create ? "CreateKey" : "OpenKey", node->path + (path.empty() ? "" : "\\") + Ansi(path), ""});
      rc != kErrorSuccess)
    return rc;
  // Opening takes only the option to open a link as itself.
  const std::uint32_t used = create ? options : options & kRegOptionOpenLink;
  if (long rc = Find(node, std::move(parts), {create, used}, node); rc != kErrorSuccess) return rc;
  key = NewHandle(node, access);
  return kErrorSuccess;
}

long MemoryRegistry::CreateKey(KeyHandle base, std::string_view path, std::uint32_t access, KeyHandle& key) {
  key = 0;
  if (path.find('\0') != std::string_view::npos) return kErrorInvalidParameter;
  return Reach(true, base, FromAnsi(path, codePage_), Entry::Ansi, 0, access, key);
}

long MemoryRegistry::CreateVolatileKey(KeyHandle base, std::string_view path) {
  KeyHandle key = 0;
  const long rc =
      Reach(true, base, FromAnsi(path, codePage_), Entry::Ansi, kRegOptionVolatile, kKeyRights, key);
  if (rc == kErrorSuccess) CloseKey(key);
  return rc;
}

long MemoryRegistry::OpenKey(KeyHandle base, std::string_view path, std::uint32_t access, KeyHandle& key) {
  key = 0;
  if (path.find('\0') != std::string_view::npos) return kErrorInvalidParameter;
  return Reach(false, base, FromAnsi(path, codePage_), Entry::Ansi, 0, access, key);
}

long MemoryRegistry::CreateKeyWide(KeyHandle base, std::wstring_view path, std::uint32_t options,
                                   std::uint32_t access, KeyHandle& key) {
  return Reach(true, base, path, Entry::Wide, options, access, key);
}

long MemoryRegistry::OpenKeyWide(KeyHandle base, std::wstring_view path, std::uint32_t options,
                                 std::uint32_t access, KeyHandle& key) {
  return Reach(false, base, path, Entry::Wide, options, access, key);
}

long MemoryRegistry::SetValueOf(KeyHandle key, std::wstring_view name, long type,
                                const std::vector<std::uint8_t>& data) {
  std::shared_ptr<Node> node;
  if (long rc = Resolve(key, node, kSetValue); rc != kErrorSuccess) return rc;
  if (name.find(L'\0') != std::wstring_view::npos) return kErrorInvalidParameter;
  if (long rc = Journaled({"SetValue", node->path, Ansi(name)}); rc != kErrorSuccess) return rc;
  const Folded folded = Fold(name);
  auto it = std::lower_bound(node->values.begin(), node->values.end(), folded,
                             [](const Value& v, const Folded& key) { return Fold(v.name) < key; });
  if (it != node->values.end() && Fold(it->name) == folded) {
    it->type = type;
    it->data = data;
  } else {
    node->values.insert(it, {std::wstring(name), type, data});
  }
  return kErrorSuccess;
}

long MemoryRegistry::DeleteValueOf(KeyHandle key, std::wstring_view name) {
  std::shared_ptr<Node> node;
  if (long rc = Resolve(key, node, kSetValue); rc != kErrorSuccess) return rc;
  if (name.find(L'\0') != std::wstring_view::npos) return kErrorInvalidParameter;
  if (long rc = Journaled({"DeleteValue", node->path, Ansi(name)}); rc != kErrorSuccess) return rc;
  const Folded folded = Fold(name);
  auto it = std::find_if(node->values.begin(), node->values.end(),
                         [&](const Value& v) { return Fold(v.name) == folded; });
  if (it == node->values.end()) return kErrorFileNotFound;
  node->values.erase(it);
  return kErrorSuccess;
}

long MemoryRegistry::QueryValueOf(KeyHandle key, std::wstring_view name, long& type,
                                  std::vector<std::uint8_t>& data) {
  std::shared_ptr<Node> node;
  if (long rc = Resolve(key, node, kQueryValue); rc != kErrorSuccess) return rc;
  if (long rc = Read({"QueryValue", node->path, Ansi(name)}); rc != kErrorSuccess) return rc;
  const Folded folded = Fold(name);
  for (const Value& v : node->values) {
    if (Fold(v.name) == folded) {
      type = v.type;
      data = v.data;
      return kErrorSuccess;
    }
  }
  return kErrorFileNotFound;
}

long MemoryRegistry::EnumKeyOf(KeyHandle key, std::uint32_t index, std::wstring& name) {
  std::shared_ptr<Node> node;
  if (long rc = Resolve(key, node, kEnumerateSubKeys); rc != kErrorSuccess) return rc;
  if (long rc = Read({"EnumKey", node->path, ""}); rc != kErrorSuccess) return rc;
  if (index >= node->children.size()) return kErrorNoMoreItems;
  name = std::next(node->children.begin(), index)->second->name;
  return kErrorSuccess;
}

long MemoryRegistry::EnumValueOf(KeyHandle key, std::uint32_t index, std::wstring& name) {
  std::shared_ptr<Node> node;
  if (long rc = Resolve(key, node, kQueryValue); rc != kErrorSuccess) return rc;
  if (long rc = Read({"EnumValue", node->path, ""}); rc != kErrorSuccess) return rc;
  if (index >= node->values.size()) return kErrorNoMoreItems;
  name = node->values[index].name;
  return kErrorSuccess;
}

// Through the ANSI entry points names are converted with the code page, and so
// is the data of text values: written as the code page's bytes, held as UTF-16LE.
long MemoryRegistry::SetValue(KeyHandle key, std::string_view name, long type,
                              const std::vector<std::uint8_t>& data) {
  if (name.find('\0') != std::string_view::npos) return kErrorInvalidParameter;
  const std::vector<std::uint8_t> held =
      IsTextType(type) ? ToVector(Utf16Le(FromAnsi(Bytes(data), codePage_))) : data;
  return SetValueOf(key, FromAnsi(name, codePage_), type, held);
}

long MemoryRegistry::DeleteValue(KeyHandle key, std::string_view name) {
  if (name.find('\0') != std::string_view::npos) return kErrorInvalidParameter;
  return DeleteValueOf(key, FromAnsi(name, codePage_));
}

long MemoryRegistry::QueryValue(KeyHandle key, std::string_view name, long& type,
                                std::vector<std::uint8_t>& data) {
  const long rc = QueryValueOf(key, FromAnsi(name, codePage_), type, data);
  if (rc == kErrorSuccess && IsTextType(type)) data = ToVector(ToAnsi(FromUtf16Le(Bytes(data)), codePage_));
  return rc;
}

long MemoryRegistry::EnumKey(KeyHandle key, std::uint32_t index, std::string& name) {
  std::wstring wide;
  const long rc = EnumKeyOf(key, index, wide);
  if (rc == kErrorSuccess) name = Ansi(wide);
  return rc;
}

long MemoryRegistry::EnumValue(KeyHandle key, std::uint32_t index, std::string& name) {
  std::wstring wide;
  const long rc = EnumValueOf(key, index, wide);
  if (rc == kErrorSuccess) name = Ansi(wide);
  return rc;
}

long MemoryRegistry::SetValueWide(KeyHandle key, std::wstring_view name, long type,
                                  const std::vector<std::uint8_t>& data) {
  return SetValueOf(key, name, type, data);
}

long MemoryRegistry::DeleteValueWide(KeyHandle key, std::wstring_view name) {
  return DeleteValueOf(key, name);
}

long MemoryRegistry::QueryValueWide(KeyHandle key, std::wstring_view name, long& type,
                                    std::vector<std::uint8_t>& data) {
  return QueryValueOf(key, name, type, data);
}

long MemoryRegistry::EnumKeyWide(KeyHandle key, std::uint32_t index, std::wstring& name) {
  return EnumKeyOf(key, index, name);
}

long MemoryRegistry::EnumValueWide(KeyHandle key, std::uint32_t index, std::wstring& name) {
  return EnumValueOf(key, index, name);
}

long MemoryRegistry::ReadValueAtWide(KeyHandle key, std::uint32_t index, std::wstring& name, long& type,
                                     std::vector<std::uint8_t>& data) {
  std::shared_ptr<Node> node;
  if (long rc = Resolve(key, node, kQueryValue); rc != kErrorSuccess) return rc;
  if (long rc = Read({"EnumValue", node->path, ""}); rc != kErrorSuccess) return rc;
  if (index >= node->values.size()) return kErrorNoMoreItems;
  const Value& value = node->values[index];
  name = value.name;
  type = value.type;
  data = value.data;
  return kErrorSuccess;
}

// By its name, as RegDeleteKeyEx does: a link on the way, the last key too, is
// followed, so a link's name deletes the key it names.
long MemoryRegistry::DeleteKey(KeyHandle parent, std::string_view subkey, std::uint32_t) {
  std::shared_ptr<Node> node;
  if (long rc = Resolve(parent, node, 0); rc != kErrorSuccess) return rc;
  if (subkey.find('\0') != std::string_view::npos) return kErrorInvalidParameter;
  std::vector<std::wstring> parts;
  if (long rc = SplitPath(FromAnsi(subkey, codePage_), Entry::Ansi, parts); rc != kErrorSuccess) return rc;
  if (long rc = Journaled({"DeleteKey", node->path, std::string(subkey)}); rc != kErrorSuccess) return rc;
  if (long rc = Find(node, std::move(parts), {}, node); rc != kErrorSuccess) return rc;
  // An empty subkey names the key itself; a root key cannot be deleted.
  if (node->parent == nullptr) return kErrorAccessDenied;
  if (!node->children.empty()) return kErrorAccessDenied;
  node->deleted = true;
  node->parent->children.erase(Fold(node->name));
  return kErrorSuccess;
}

// Through the backend's own calls, each journaled as it is made. Each key is
// opened as itself and deleted through its handle, so a link goes and the key
// it names stays.
long MemoryRegistry::DeleteTree(KeyHandle parent, std::wstring_view subkey, std::uint32_t access) {
  std::shared_ptr<Node> above;
  if (long rc = Resolve(parent, above, 0); rc != kErrorSuccess) return rc;
  UniqueKey key(*this);
  if (long rc = OpenKeyWide(parent, subkey, kRegOptionOpenLink, access, key.put()); rc != kErrorSuccess)
    return rc;
  // Delete the first child until none is left, so indexes stay valid.
  for (;;) {
    std::wstring child;
    long rc = EnumKeyWide(key.get(), 0, child);
    if (rc == kErrorNoMoreItems) break;
    if (rc != kErrorSuccess) return rc;
    if (rc = DeleteTree(key.get(), child, access); rc != kErrorSuccess) return rc;
  }
  if (long rc = Journaled({"DeleteKey", above->path, Ansi(subkey)}); rc != kErrorSuccess) return rc;
  std::shared_ptr<Node> node = handles_.at(key.get()).node;
  if (node->parent == nullptr) return kErrorAccessDenied;
  if (!node->children.empty()) return kErrorAccessDenied;
  node->deleted = true;
  node->parent->children.erase(Fold(node->name));
  return kErrorSuccess;
}

long MemoryRegistry::CloseKey(KeyHandle key) {
  switch (key) {
    case RootHandle(kHkeyCurrentUser):
    case RootHandle(kHkeyLocalMachine): return kErrorSuccess;
    default: break;
  }
  return handles_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace nw
