// The Windows registry through the ANSI entry points of advapi32, and through
// its wide-character ones where nothing may be lost.
#pragma once

#include "EasyReg/Registry.h"

namespace nw {

class Win32Registry final : public Registry {
 public:
  // The registry's ANSI entry points convert with the system's code page.
  CodePage AnsiCodePage() const override { return {}; }

  long CreateKey(KeyHandle base, std::string_view path, std::uint32_t access, KeyHandle& key) override;
  long OpenKey(KeyHandle base, std::string_view path, std::uint32_t access, KeyHandle& key) override;
  long SetValue(KeyHandle key, std::string_view name, long type,
                const std::vector<std::uint8_t>& data) override;
  long DeleteValue(KeyHandle key, std::string_view name) override;
  long QueryValue(KeyHandle key, std::string_view name, long& type, std::vector<std::uint8_t>& data) override;
  long EnumKey(KeyHandle key, std::uint32_t index, std::string& name) override;
  long EnumValue(KeyHandle key, std::uint32_t index, std::string& name) override;
  long DeleteKey(KeyHandle parent, std::string_view subkey, std::uint32_t access) override;
  long CloseKey(KeyHandle key) override;

  long CreateKeyWide(KeyHandle base, std::wstring_view path, std::uint32_t options, std::uint32_t access,
                     KeyHandle& key) override;
  long OpenKeyWide(KeyHandle base, std::wstring_view path, std::uint32_t options, std::uint32_t access,
                   KeyHandle& key) override;
  long SetValueWide(KeyHandle key, std::wstring_view name, long type,
                    const std::vector<std::uint8_t>& data) override;
  long DeleteValueWide(KeyHandle key, std::wstring_view name) override;
  long QueryValueWide(KeyHandle key, std::wstring_view name, long& type,
                      std::vector<std::uint8_t>& data) override;
  long EnumKeyWide(KeyHandle key, std::uint32_t index, std::wstring& name) override;
  long EnumValueWide(KeyHandle key, std::uint32_t index, std::wstring& name) override;
  long ReadValueAtWide(KeyHandle key, std::uint32_t index, std::wstring& name, long& type,
                       std::vector<std::uint8_t>& data) override;
  long DeleteTree(KeyHandle parent, std::wstring_view subkey, std::uint32_t access) override;
};

}  // namespace nw
