#include "EasyReg/Win32Registry.h"

#include <windows.h>

#include "platform/Module.h"

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
bool HasNul(std::wstring_view text) {
  return text.find(L'\0') != std::wstring_view::npos;
}

// The longest key name in characters: Windows documents 255, Wine takes 256.
// With the terminating NUL, the room a listed name needs.
constexpr DWORD kKeyNameRoom = 256 + 1;
// The longest value name in characters, and its room.
constexpr DWORD kValueNameRoom = 16383 + 1;
// An ANSI name takes up to three bytes a UTF-16 unit: in UTF-8, which Windows
// 10 (1903 and later) may use as the ANSI code page (a character of two units
// takes four bytes). Double-byte code pages take at most two.
constexpr DWORD kAnsiBytesPerUnit = 3;

// The data with a non-zero unit after its end. Where text data does not end in
// a NUL, Windows counts one more character when the unit after the data is
// zero: the value then gets exactly the bytes given, terminated or not.
std::vector<std::uint8_t> Padded(const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> padded(data);
  padded.push_back(0xFF);
  padded.push_back(0xFF);
  return padded;
}

// Reads a value's data with `query` (RegQueryValueExA or W bound to the key and
// name, or RegEnumValueW bound to the key and index), asking again while it
// grows: the size an ANSI query gives before converting need not be the size of
// the text it converts. With `room`, the first call has that much room, so one
// call reads most values; without, the first call asks only the size.
template <typename Query>
long ReadData(Query query, DWORD room, long& type, std::vector<std::uint8_t>& data) {
  for (;;) {
    data.assign(room, 0);
    DWORD size = room, kind = 0;
    const LONG rc = query(&kind, room == 0 ? nullptr : data.data(), &size);
    if ((rc == ERROR_SUCCESS && room == 0 && size > 0) || (rc == ERROR_MORE_DATA && size > room)) {
      room = size;
      continue;
    }
    if (rc != ERROR_SUCCESS) return rc;
    data.resize(size);
    type = static_cast<long>(kind);
    return ERROR_SUCCESS;
  }
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
  const std::vector<std::uint8_t> padded = Padded(data);
  return RegSetValueExA(ToHkey(key), ansi.c_str(), 0, static_cast<DWORD>(type), padded.data(),
                        static_cast<DWORD>(data.size()));
}

long Win32Registry::DeleteValue(KeyHandle key, std::string_view name) {
  if (HasNul(name)) return ERROR_INVALID_PARAMETER;
  std::string ansi(name);
  return RegDeleteValueA(ToHkey(key), ansi.c_str());
}

long Win32Registry::QueryValue(KeyHandle key, std::string_view name, long& type,
                               std::vector<std::uint8_t>& data) {
  if (HasNul(name)) return ERROR_INVALID_PARAMETER;
  const std::string ansi(name);
  return ReadData(
      [&](DWORD* kind, BYTE* bytes, DWORD* size) {
        return RegQueryValueExA(ToHkey(key), ansi.c_str(), nullptr, kind, bytes, size);
      },
      0, type, data);
}

long Win32Registry::EnumKey(KeyHandle key, std::uint32_t index, std::string& name) {
  char buffer[kAnsiBytesPerUnit * (kKeyNameRoom - 1) + 1];
  DWORD length = sizeof buffer;  // in bytes for the ANSI function
  LONG rc = RegEnumKeyExA(ToHkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS) name.assign(buffer, length);
  return rc;
}

long Win32Registry::EnumValue(KeyHandle key, std::uint32_t index, std::string& name) {
  std::string buffer(kAnsiBytesPerUnit * (kValueNameRoom - 1) + 1, '\0');
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

long Win32Registry::CloseKey(KeyHandle key) {
  if (key == 0 || IsRoot(key)) return ERROR_SUCCESS;
  return RegCloseKey(ToHkey(key));
}

long Win32Registry::CreateKeyWide(KeyHandle base, std::wstring_view path, std::uint32_t options,
                                  std::uint32_t access, KeyHandle& key) {
  key = 0;
  if (HasNul(path)) return ERROR_INVALID_PARAMETER;
  const std::wstring wide(path);
  HKEY hkey = nullptr;
  DWORD disposition = 0;
  LONG rc =
      RegCreateKeyExW(ToHkey(base), wide.c_str(), 0, nullptr, options, access, nullptr, &hkey, &disposition);
  key = rc == ERROR_SUCCESS ? FromHkey(hkey) : 0;
  return rc;
}

long Win32Registry::OpenKeyWide(KeyHandle base, std::wstring_view path, std::uint32_t options,
                                std::uint32_t access, KeyHandle& key) {
  key = 0;
  if (HasNul(path)) return ERROR_INVALID_PARAMETER;
  const std::wstring wide(path);
  HKEY hkey = nullptr;
  LONG rc = RegOpenKeyExW(ToHkey(base), wide.c_str(), options, access, &hkey);
  key = rc == ERROR_SUCCESS ? FromHkey(hkey) : 0;
  return rc;
}

long Win32Registry::SetValueWide(KeyHandle key, std::wstring_view name, long type,
                                 const std::vector<std::uint8_t>& data) {
  if (HasNul(name)) return ERROR_INVALID_PARAMETER;
  const std::wstring wide(name);
  const std::vector<std::uint8_t> padded = Padded(data);
  return RegSetValueExW(ToHkey(key), wide.c_str(), 0, static_cast<DWORD>(type), padded.data(),
                        static_cast<DWORD>(data.size()));
}

long Win32Registry::DeleteValueWide(KeyHandle key, std::wstring_view name) {
  if (HasNul(name)) return ERROR_INVALID_PARAMETER;
  const std::wstring wide(name);
  return RegDeleteValueW(ToHkey(key), wide.c_str());
}

long Win32Registry::QueryValueWide(KeyHandle key, std::wstring_view name, long& type,
                                   std::vector<std::uint8_t>& data) {
  if (HasNul(name)) return ERROR_INVALID_PARAMETER;
  const std::wstring wide(name);
  return ReadData(
      [&](DWORD* kind, BYTE* bytes, DWORD* size) {
        return RegQueryValueExW(ToHkey(key), wide.c_str(), nullptr, kind, bytes, size);
      },
      512, type, data);
}

long Win32Registry::EnumKeyWide(KeyHandle key, std::uint32_t index, std::wstring& name) {
  wchar_t buffer[kKeyNameRoom];
  DWORD length = kKeyNameRoom;  // in characters
  LONG rc = RegEnumKeyExW(ToHkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS) name.assign(buffer, length);
  return rc;
}

long Win32Registry::EnumValueWide(KeyHandle key, std::uint32_t index, std::wstring& name) {
  std::wstring buffer(kValueNameRoom, L'\0');
  DWORD length = kValueNameRoom;  // in characters
  LONG rc = RegEnumValueW(ToHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS) name.assign(buffer.data(), length);
  return rc;
}

long Win32Registry::ReadValueAtWide(KeyHandle key, std::uint32_t index, std::wstring& name, long& type,
                                    std::vector<std::uint8_t>& data) {
  std::wstring buffer(kValueNameRoom, L'\0');
  DWORD length = 0;  // in characters
  const long rc = ReadData(
      [&](DWORD* kind, BYTE* bytes, DWORD* size) {
        length = kValueNameRoom;
        return RegEnumValueW(ToHkey(key), index, buffer.data(), &length, nullptr, kind, bytes, size);
      },
      256, type, data);
  if (rc == ERROR_SUCCESS) name.assign(buffer.data(), length);
  return rc;
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

// Deletes the key a handle (opened with DELETE) stands for: NtDeleteKey, the
// user-mode name of ZwDeleteKey, the one documented call that deletes a key by
// its handle. RegDeleteKeyEx "opens the subkey with the DELETE access right",
// without REG_OPTION_OPEN_LINK, and an open of a link without that option
// gets the key the link names; so RegDeleteKeyEx on a link deletes that key
// (when it has no subkeys) and leaves the link, and RegDeleteTree deletes that
// key with its whole tree (both measured so under Wine 8). Looked up at run
// time, so the programs import nothing from ntdll, which every process has
// loaded.
long DeleteOpenKey(HKEY key) {
  using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
  using RtlNtStatusToDosErrorFn = ULONG(NTAPI*)(LONG);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const auto deleteKey = FindFunction<NtDeleteKeyFn>(ntdll, "NtDeleteKey");
  const auto toError = FindFunction<RtlNtStatusToDosErrorFn>(ntdll, "RtlNtStatusToDosError");
  if (deleteKey == nullptr || toError == nullptr) return ERROR_PROC_NOT_FOUND;
  return static_cast<long>(toError(deleteKey(key)));
}

// Through the wide-character entry points: a subkey that another program
// named in characters the ANSI code page lacks comes back from RegEnumKeyExA
// with those characters replaced, and no ANSI name opens it. Each key is
// opened as itself: a link in the tree is deleted, never followed into the
// key it names (which may lie anywhere, or above this one).
long DeleteTreeWide(HKEY parent, const std::wstring& subkey, REGSAM access) {
  WideKey key;
  LONG rc = RegOpenKeyExW(parent, subkey.c_str(), REG_OPTION_OPEN_LINK, access | DELETE, key.put());
  if (rc != ERROR_SUCCESS) return rc;
  // Delete the first child until none is left, so indexes stay valid.
  for (;;) {
    wchar_t name[kKeyNameRoom];
    DWORD length = kKeyNameRoom;  // in characters, with room for the terminating NUL
    rc = RegEnumKeyExW(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) return rc;
    rc = DeleteTreeWide(key.get(), std::wstring(name, length), access);
    if (rc != ERROR_SUCCESS) return rc;
  }
  return DeleteOpenKey(key.get());
}

}  // namespace

long Win32Registry::DeleteTree(KeyHandle parent, std::wstring_view subkey, std::uint32_t access) {
  if (HasNul(subkey)) return ERROR_INVALID_PARAMETER;
  return DeleteTreeWide(ToHkey(parent), std::wstring(subkey), access);
}

}  // namespace nw
