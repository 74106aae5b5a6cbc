// Feeds arbitrary bytes to the settings reader and checks what it leaves in
// the folder definition.
#include <cstdio>
#include <cstdlib>

#include "NW_Core/NW_Core.h"
#include "NW_Core/SettingsGrammar.h"
#include "NW_Core/Texts.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (stream == nullptr) return 0;  // fmemopen refuses an empty buffer
  nw::TextInput input(stream);
  nw::FolderDefinition definition;
  const bool complete = nw::ReadDefinition(input, definition);

  Check(definition.MenuItems.size() <= nw::kMenuSlots);
  // Fields are set in file order: a later one never without the earlier ones' lines.
  if (!definition.FolderClsid.empty()) {
    const std::wstring prefix = nw::grammar::kClsidPrefix;
    Check(definition.FolderClsid.compare(0, prefix.size(), prefix) == 0);
    Check(definition.FolderClsid.back() == L'}');
  } else {
    Check(definition.MenuItems.empty());
  }
  if (!definition.MenuItems.empty() || complete) Check(!definition.FolderClsid.empty());
  // No field holds a NUL or a line end, and no field exceeds the line limit.
  for (const std::wstring* field :
       {&definition.FolderName, &definition.FolderIcon, &definition.FolderClsid}) {
    Check(field->find(L'\0') == std::wstring::npos);
    Check(field->find(L'\r') == std::wstring::npos);
    Check(field->size() <= (1u << 20) + 32);
  }
  for (const nw::MenuEntry& entry : definition.MenuItems) {
    Check(entry.MenuName.find(L';') == std::wstring::npos);
    Check(entry.MenuCommand.find(L';') == std::wstring::npos);
    Check(entry.MenuName.find(L'\r') == std::wstring::npos);
  }
  return 0;
}
