#include "EasyReg/Win32Registry.h"

#include <windows.h>

namespace nw {
namespace {

// Root values are 32-bit and sign-extended into a handle, as windows.h does.
HKEY ToHkey(KeyHandle key) {
  if ((key & 0xFFFFFFF0u) == 0x80000000u && key <= 0x8000000Fu)
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(key))));
  return reinterpret_cast<HKEY>(key);
}

KeyHandle FromHkey(HKEY key) {
  return reinterpret_cast<KeyHandle>(key);
}

bool IsRoot(KeyHandle key) {
  return key >= 0x80000000u && key <= 0x8000000Fu;
}

// The registry functions take C strings: a NUL inside a name would cut it short
// and address another key or value than the one meant.
bool HasNul(std::string_view text) {
  return text.find('\0') != std::string_view::npos;
}

}  // namespace

long Win32Registry::CreateKey(KeyHandle base, std::string_view path, std::uint32_t access, KeyHandle& key) {
  key = 0;
  if (HasNul(path)) return ERROR_INVALID_PARAMETER;
  std::string ansi(path);
  HKEY hkey = nullptr;
  DWORD disposition = 0;
  LONG rc = RegCreateKeyExA(ToHkey(base), ansi.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                            &hkey, &disposition);
  key = rc == ERROR_SUCCESS ? FromHkey(hkey) : 0;
  return rc;
}

long Win32Registry::OpenKey(KeyHandle base, std::string_view path, std::uint32_t access, KeyHandle& key) {
  key = 0;
  if (HasNul(path)) return ERROR_INVALID_PARAMETER;
  std::string ansi(path);
  HKEY hkey = nullptr;
  LONG rc = RegOpenKeyExA(ToHkey(base), ansi.c_str(), 0, access, &hkey);
  key = rc == ERROR_SUCCESS ? FromHkey(hkey) : 0;
  return rc;
}

long Win32Registry::SetValue(KeyHandle key, std::string_view name, long type,
                             const std::vector<std::uint8_t>& data) {
  if (HasNul(name)) return ERROR_INVALID_PARAMETER;
  std::string ansi(name);
  return RegSetValueExA(ToHkey(key), ansi.c_str(), 0, static_cast<DWORD>(type),
                        data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()));
}

long Win32Registry::DeleteValue(KeyHandle key, std::string_view name) {
  if (HasNul(name)) return ERROR_INVALID_PARAMETER;
  std::string ansi(name);
  return RegDeleteValueA(ToHkey(key), ansi.c_str());
}

long Win32Registry::QueryValue(KeyHandle key, std::string_view name, long& type,
                               std::vector<std::uint8_t>& data) {
  if (HasNul(name)) return ERROR_INVALID_PARAMETER;
  std::string ansi(name);
  DWORD size = 0, kind = 0;
  LONG rc = RegQueryValueExA(ToHkey(key), ansi.c_str(), nullptr, &kind, nullptr, &size);
  if (rc != ERROR_SUCCESS) return rc;
  data.assign(size, 0);
  rc = RegQueryValueExA(ToHkey(key), ansi.c_str(), nullptr, &kind, data.empty() ? nullptr : data.data(),
                        &size);
  data.resize(size);
  type = static_cast<long>(kind);
  return rc;
}

long Win32Registry::EnumKey(KeyHandle key, std::uint32_t index, std::string& name) {
  // A name has up to 256 characters, each of up to two bytes in a double-byte code page.
  char buffer[2 * 256 + 1];
  DWORD length = sizeof buffer;
  LONG rc = RegEnumKeyExA(ToHkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS) name.assign(buffer, length);
  return rc;
}

long Win32Registry::EnumValue(KeyHandle key, std::uint32_t index, std::string& name) {
  // A value name has up to 16383 characters, each of up to two bytes in a
  // double-byte code page; the length is counted in bytes here.
  std::string buffer(2 * 16383 + 1, '\0');
  DWORD length = static_cast<DWORD>(buffer.size());
  LONG rc = RegEnumValueA(ToHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS) name.assign(buffer.data(), length);
  return rc;
}

long Win32Registry::DeleteKey(KeyHandle parent, std::string_view subkey, std::uint32_t access) {
  if (HasNul(subkey)) return ERROR_INVALID_PARAMETER;
  std::string ansi(subkey);
  // Only the Ex form deletes in the view the access names.
  return RegDeleteKeyExA(ToHkey(parent), ansi.c_str(), access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY), 0);
}

namespace {

// One key opened through the wide-character entry points, closed when it goes.
class WideKey {
 public:
  WideKey() = default;
  WideKey(const WideKey&) = delete;
  WideKey& operator=(const WideKey&) = delete;
  ~WideKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  HKEY* put() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Through the wide-character entry points: a subkey that another program
// named in characters the ANSI code page lacks comes back from RegEnumKeyExA
// with those characters replaced, and no ANSI name opens it.
long DeleteTreeWide(HKEY parent, const std::wstring& subkey, REGSAM access) {
  {
    WideKey key;
    LONG rc = RegOpenKeyExW(parent, subkey.c_str(), 0, access, key.put());
    if (rc != ERROR_SUCCESS) return rc;
    // Delete the first child until none is left, so indexes stay valid.
    for (;;) {
      wchar_t name[256];   // a key name has at most 255 characters
      DWORD length = 256;  // in characters, with room for the terminating NUL
      rc = RegEnumKeyExW(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_NO_MORE_ITEMS) break;
      if (rc != ERROR_SUCCESS) return rc;
      rc = DeleteTreeWide(key.get(), std::wstring(name, length), access);
      if (rc != ERROR_SUCCESS) return rc;
    }
  }
  return RegDeleteKeyExW(parent, subkey.c_str(), access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY), 0);
}

}  // namespace

long Win32Registry::DeleteTree(KeyHandle parent, std::string_view subkey, std::uint32_t access) {
  if (HasNul(subkey)) return ERROR_INVALID_PARAMETER;
  return DeleteTreeWide(ToHkey(parent), FromAnsi(subkey, AnsiCodePage()), access);
}

long Win32Registry::CloseKey(KeyHandle key) {
  if (key == 0 || IsRoot(key)) return ERROR_SUCCESS;
  return RegCloseKey(ToHkey(key));
}

}  // namespace nw
