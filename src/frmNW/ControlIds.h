// Identifiers of the main window's controls. Make Link and Cancel carry the
// dialog identifiers, so Enter and Esc reach them through the dialog keyboard.
#pragma once

#include <windows.h>

namespace nw {

enum ControlId : int {
  kMakeLink = IDOK,
  kCancel = IDCANCEL,
  kAbout = 101,
  kRemoveLink = 102,
  kDesktop = 110,
  kSystem = 111,
  kManual = 112,
  kFrame = 120,
  kTxtClsid,
  kTxtCom,
  kTxtIcon,
  kLblIcon,
  kTxtMenu,
  kTxtName,
  kLblName,
  kLblMenu,
  kLblCommand,
  kLblClsid,
  kLblVer,
  kImgLogo,
  kLblThanks,
};

// The class name of the main window.
inline constexpr wchar_t kMainWindowClass[] = L"NookwayerMain";

}  // namespace nw
