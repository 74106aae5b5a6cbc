#include "NW_Core/NW_Core.h"

#include "NW_Core/Texts.h"

namespace nw {

void ShowDefinition(MainWindowView& window, const FolderDefinition& definition) {
  using Field = MainWindowView::Field;
  window.SetField(Field::Name, definition.FolderName);
  window.SetField(Field::Clsid, definition.FolderClsid);
  window.SetField(Field::Icon, definition.FolderIcon);
  // The first menu line; blank where there is none.
  const MenuEntry first = definition.MenuItems.empty() ? MenuEntry{} : definition.MenuItems.front();
  window.SetField(Field::Menu, first.MenuName);
  window.SetField(Field::Command, first.MenuCommand);
}

bool RunCommand(MessageBoxService& messageBox, const std::function<void()>& command) {
  try {
    command();
    return true;
  } catch (...) {
    messageBox.Show(text::kCommandFailed, text::kErrorTitle, kStyleStop);
    return false;
  }
}

}  // namespace nw
