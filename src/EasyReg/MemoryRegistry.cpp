#include "EasyReg/MemoryRegistry.h"

#include <algorithm>

namespace nw {
namespace {

// The longest key name, and the longest path the ANSI entry points take, in
// UTF-16 units: Windows converts a name to Unicode before it looks at it.
constexpr std::size_t kMaxComponent = 256;
constexpr std::size_t kMaxAnsiPath = 260;

constexpr std::uint32_t kQueryValue = 0x01, kSetValue = 0x02, kEnumerateSubKeys = 0x08;

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
// refused, as is an overlong name or path.
long MemoryRegistry::SplitPath(std::string_view path, std::vector<std::wstring>& parts) const {
  parts.clear();
  if (path.find('\0') != std::string_view::npos) return kErrorInvalidParameter;
  const std::wstring text = FromAnsi(path, codePage_);
  if (Utf16Length(text) > kMaxAnsiPath) return kErrorMoreData;
  if (!text.empty() && text.front() == L'\\') return kErrorBadPathname;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(L'\\', start);
    if (end == std::wstring::npos) end = text.size();
    if (end > start) {
      parts.push_back(text.substr(start, end - start));
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

long MemoryRegistry::CreateKey(KeyHandle base, std::string_view path, std::uint32_t access, KeyHandle& key) {
  return Create(base, path, access, false, key);
}

long MemoryRegistry::CreateVolatileKey(KeyHandle base, std::string_view path) {
  KeyHandle key = 0;
  const long rc = Create(base, path, kKeyRights, true, key);
  if (rc == kErrorSuccess) CloseKey(key);
  return rc;
}

long MemoryRegistry::Create(KeyHandle base, std::string_view path, std::uint32_t access, bool isVolatile,
                            KeyHandle& key) {
  key = 0;
  std::shared_ptr<Node> node;
  if (long rc = Resolve(base, node, 0); rc != kErrorSuccess) return rc;
  std::vector<std::wstring> parts;
  if (long rc = SplitPath(path, parts); rc != kErrorSuccess) return rc;
  if (long rc = Journaled({"CreateKey", node->path + (path.empty() ? "" : "\\") + std::string(path), ""});
      rc != kErrorSuccess)
    return rc;
  for (const std::wstring& part : parts) {
    auto it = node->children.find(Fold(part));
    if (it == node->children.end()) {
      if (node->isVolatile && !isVolatile) return kErrorChildMustBeVolatile;
      auto child = std::make_shared<Node>();
      child->name = part;
      child->path = node->path + "\\" + ToAnsi(part, codePage_);
      child->parent = node.get();
      child->isVolatile = isVolatile;
      it = node->children.emplace(Fold(part), std::move(child)).first;
    }
    node = it->second;
  }
  key = NewHandle(node, access);
  return kErrorSuccess;
}

long MemoryRegistry::OpenKey(KeyHandle base, std::string_view path, std::uint32_t access, KeyHandle& key) {
  key = 0;
  std::shared_ptr<Node> node;
  if (long rc = Resolve(base, node, 0); rc != kErrorSuccess) return rc;
  std::vector<std::wstring> parts;
  if (long rc = SplitPath(path, parts); rc != kErrorSuccess) return rc;
  if (long rc = Journaled({"OpenKey", node->path + (path.empty() ? "" : "\\") + std::string(path), ""});
      rc != kErrorSuccess)
    return rc;
  for (const std::wstring& part : parts) {
    auto it = node->children.find(Fold(part));
    if (it == node->children.end()) return kErrorFileNotFound;
    node = it->second;
  }
  key = NewHandle(node, access);
  return kErrorSuccess;
}

long MemoryRegistry::SetValue(KeyHandle key, std::string_view name, long type,
                              const std::vector<std::uint8_t>& data) {
  std::shared_ptr<Node> node;
  if (long rc = Resolve(key, node, kSetValue); rc != kErrorSuccess) return rc;
  if (name.find('\0') != std::string_view::npos) return kErrorInvalidParameter;
  if (long rc = Journaled({"SetValue", node->path, std::string(name)}); rc != kErrorSuccess) return rc;
  const std::wstring text = FromAnsi(name, codePage_);
  const Folded folded = Fold(text);
  auto it = std::lower_bound(node->values.begin(), node->values.end(), folded,
                             [](const Value& v, const Folded& key) { return Fold(v.name) < key; });
  if (it != node->values.end() && Fold(it->name) == folded) {
    it->type = type;
    it->data = data;
  } else {
    node->values.insert(it, {text, type, data});
  }
  return kErrorSuccess;
}

long MemoryRegistry::DeleteValue(KeyHandle key, std::string_view name) {
  std::shared_ptr<Node> node;
  if (long rc = Resolve(key, node, kSetValue); rc != kErrorSuccess) return rc;
  if (name.find('\0') != std::string_view::npos) return kErrorInvalidParameter;
  if (long rc = Journaled({"DeleteValue", node->path, std::string(name)}); rc != kErrorSuccess) return rc;
  const Folded folded = Fold(FromAnsi(name, codePage_));
  auto it = std::find_if(node->values.begin(), node->values.end(),
                         [&](const Value& v) { return Fold(v.name) == folded; });
  if (it == node->values.end()) return kErrorFileNotFound;
  node->values.erase(it);
  return kErrorSuccess;
}

long MemoryRegistry::QueryValue(KeyHandle key, std::string_view name, long& type,
                                std::vector<std::uint8_t>& data) {
  std::shared_ptr<Node> node;
  if (long rc = Resolve(key, node, kQueryValue); rc != kErrorSuccess) return rc;
  if (long rc = Read({"QueryValue", node->path, std::string(name)}); rc != kErrorSuccess) return rc;
  const Folded folded = Fold(FromAnsi(name, codePage_));
  for (const Value& v : node->values) {
    if (Fold(v.name) == folded) {
      type = v.type;
      data = v.data;
      return kErrorSuccess;
    }
  }
  return kErrorFileNotFound;
}

long MemoryRegistry::EnumKey(KeyHandle key, std::uint32_t index, std::string& name) {
  std::shared_ptr<Node> node;
  if (long rc = Resolve(key, node, kEnumerateSubKeys); rc != kErrorSuccess) return rc;
  if (long rc = Read({"EnumKey", node->path, ""}); rc != kErrorSuccess) return rc;
  if (index >= node->children.size()) return kErrorNoMoreItems;
  name = ToAnsi(std::next(node->children.begin(), index)->second->name, codePage_);
  return kErrorSuccess;
}

long MemoryRegistry::EnumValue(KeyHandle key, std::uint32_t index, std::string& name) {
  std::shared_ptr<Node> node;
  if (long rc = Resolve(key, node, kQueryValue); rc != kErrorSuccess) return rc;
  if (long rc = Read({"EnumValue", node->path, ""}); rc != kErrorSuccess) return rc;
  if (index >= node->values.size()) return kErrorNoMoreItems;
  name = ToAnsi(node->values[index].name, codePage_);
  return kErrorSuccess;
}

long MemoryRegistry::DeleteKey(KeyHandle parent, std::string_view subkey, std::uint32_t) {
  std::shared_ptr<Node> node;
  if (long rc = Resolve(parent, node, 0); rc != kErrorSuccess) return rc;
  std::vector<std::wstring> parts;
  if (long rc = SplitPath(subkey, parts); rc != kErrorSuccess) return rc;
  if (long rc = Journaled({"DeleteKey", node->path, std::string(subkey)}); rc != kErrorSuccess) return rc;
  for (const std::wstring& part : parts) {
    auto it = node->children.find(Fold(part));
    if (it == node->children.end()) return kErrorFileNotFound;
    node = it->second;
  }
  // An empty subkey names the key itself; a root key cannot be deleted.
  if (node->parent == nullptr) return kErrorAccessDenied;
  if (!node->children.empty()) return kErrorAccessDenied;
  node->deleted = true;
  node->parent->children.erase(Fold(node->name));
  return kErrorSuccess;
}

// Every name here has an ANSI form (it came in through one), so the walk
// goes through the backend's own calls, each journaled as it is made.
long MemoryRegistry::DeleteTree(KeyHandle parent, std::string_view subkey, std::uint32_t access) {
  {
    UniqueKey key(*this);
    if (long rc = OpenKey(parent, subkey, access, key.put()); rc != kErrorSuccess) return rc;
    // Delete the first child until none is left, so indexes stay valid.
    for (;;) {
      std::string child;
      long rc = EnumKey(key.get(), 0, child);
      if (rc == kErrorNoMoreItems) break;
      if (rc != kErrorSuccess) return rc;
      if (rc = DeleteTree(key.get(), child, access); rc != kErrorSuccess) return rc;
    }
  }
  return DeleteKey(parent, subkey, access);
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
