// The show command: the definition as the reader left it, its verdict, and
// warnings for what the windowed program takes silently.
#include "NW_Core/Texts.h"
#include "nwk/Nwk.h"
#include "nwk/Texts.h"
#include "nwk/Verbs.h"
#include "platform/AnsiText.h"

namespace nw::nwk {

std::wstring ShowText(const FolderDefinition& definition, bool complete,
                      const std::vector<std::wstring>& others) {
  std::wstring out = std::wstring(complete ? msg::kShowComplete : msg::kShowRefused) + L"\n";
  out += msg::kShowName + definition.FolderName + L"\n";
  out += msg::kShowClsid + definition.FolderClsid + L"\n";
  out += msg::kShowIcon + definition.FolderIcon + L"\n";
  for (std::size_t i = 0; i < definition.MenuItems.size(); ++i) {
    const MenuEntry& entry = definition.MenuItems[i];
    out += msg::kShowMenu + std::to_wstring(i + 1) + L": " + entry.MenuName + msg::kShowCommandArrow +
           entry.MenuCommand + L"\n";
  }

  std::wstring warnings;
  auto warn = [&](const wchar_t* what, const std::wstring& detail) {
    warnings += std::wstring(msg::kWarningPrefix) + what + detail + L"\n";
  };
  for (std::size_t i = 0; i < definition.MenuItems.size(); ++i) {
    const std::wstring& name = definition.MenuItems[i].MenuName;
    const std::wstring line = std::to_wstring(i + 1);
    if (name.empty()) warn(msg::kWarnEmptyVerb, line);
    for (std::size_t j = 0; j < i; ++j)
      if (!name.empty() && FoldCase(definition.MenuItems[j].MenuName) == FoldCase(name)) {
        warn(msg::kWarnDuplicateVerb, line);
        break;
      }
  }
  for (const std::wstring& other : others) warn(msg::kWarnOtherFolder, other);
  return out + warnings;
}

int RunShow(const Options& options, Context& context) {
  const std::optional<SettingsFile> file = ReadSettingsFile(options, context);
  if (!file) return kExitUnreadable;
  // A CLSID that names another folder already: the two would overwrite each other.
  std::vector<std::wstring> others;
  if (context.registry && file->complete) {
    try {
      others = OtherRegistrations(*context.registry, file->definition);
    } catch (const RegistryReadError&) {
      // What cannot be read is status's to report; show shows the file alone.
    }
  }
  context.output.out += Utf8(ShowText(file->definition, file->complete, others));
  return file->complete ? kExitDone : kExitRefused;
}

}  // namespace nw::nwk
