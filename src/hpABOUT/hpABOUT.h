// The about window, shown modally over the main window.
#pragma once

#include <windows.h>

namespace nw {

// Shows the about window and returns when it has been closed; the owner takes
// no input meanwhile. Throws std::runtime_error when the window cannot be shown.
void ShowAboutModal(HINSTANCE instance, HWND owner);

}  // namespace nw
