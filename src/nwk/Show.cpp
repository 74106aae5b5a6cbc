// The show command: the definition as the reader left it, its verdict, and
// warnings for what the windowed program takes silently.
#include <cwctype>

#include "NW_Core/Texts.h"
#include "nwk/Nwk.h"
#include "nwk/Texts.h"
#include "platform/AnsiText.h"

namespace nw::nwk {
namespace {

bool IsClsid5(const std::wstring& value) {
  if (value.size() != 12) return false;
  for (wchar_t c : value)
    if (!std::iswxdigit(static_cast<wint_t>(c)) || c > 0x7F) return false;
  return true;
}

}  // namespace

std::wstring ShowText(const FolderDefinition& definition, bool complete) {
  std::wstring out = std::wstring(complete ? text::kShowComplete : text::kShowRefused) + L"\n";
  out += text::kShowName + definition.FolderName + L"\n";
  out += text::kShowClsid + definition.FolderClsid + L"\n";
  out += text::kShowIcon + definition.FolderIcon + L"\n";
  for (std::size_t i = 0; i < definition.MenuCount; ++i) {
    const MenuEntry& entry = definition.MenuItems[i];
    out += text::kShowMenu + std::to_wstring(i + 1) + L": " + entry.MenuName + text::kShowCommandArrow +
           entry.MenuCommand + L"\n";
  }

  std::wstring warnings;
  auto warn = [&](const wchar_t* what, const std::wstring& detail) {
    warnings += std::wstring(text::kWarningPrefix) + what + detail + L"\n";
  };
  const std::wstring prefix = nw::text::kClsidPrefix;
  const std::wstring& clsid = definition.FolderClsid;
  if (clsid.size() >= prefix.size() + 1) {
    const std::wstring clsid5 = clsid.substr(prefix.size(), clsid.size() - prefix.size() - 1);
    if (!IsClsid5(clsid5)) warn(text::kWarnClsid5, L"\"" + clsid5 + L"\"");
  }
  for (std::size_t i = 0; i < definition.MenuCount; ++i) {
    const std::wstring& name = definition.MenuItems[i].MenuName;
    const std::wstring line = std::to_wstring(i + 1);
    if (name.empty()) warn(text::kWarnEmptyVerb, line);
    if (name.find(L'\\') != std::wstring::npos) warn(text::kWarnBackslashVerb, line);
    for (std::size_t j = 0; j < i; ++j)
      if (!name.empty() && FoldCase(definition.MenuItems[j].MenuName) == FoldCase(name)) {
        warn(text::kWarnDuplicateVerb, line);
        break;
      }
  }
  return out + warnings;
}

}  // namespace nw::nwk
