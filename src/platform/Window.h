// What the program's windows share: a table of controls in twips, created in
// place and laid out again for a new DPI; their fonts; the window that shows
// modally over its owner.
#pragma once

#include <windows.h>

#include <functional>
#include <span>

#include "platform/Gdi.h"

namespace nw {

// Left, top, width and height in twips (1/1440 inch), in the client area.
struct TwipsBox {
  int left, top, width, height;
};

// A box in pixels at a DPI. Origin and size are scaled apart, so controls of
// one size in twips keep one size in pixels wherever they stand.
RECT ScaleBox(const TwipsBox& box, UINT dpi);

// One control of a window: a child window of a standard class.
struct ControlRow {
  int id;
  const wchar_t* className;
  const wchar_t* text;
  DWORD style;
  DWORD exStyle;
  TwipsBox box;
  int tabIndex;  // where it comes in the focus order; -1: it never takes the focus
  int font;      // which of the window's fonts it shows its text in
};

// Creates every control of the table where it belongs at `dpi`, with its font,
// so nothing moves or redraws before the window first shows. They are created
// in focus order (Tab follows the order of creation): first the rows with a tab
// index, by that index, then the others in the table's order, group boxes last
// so that they lie beneath the controls inside them. False when one of them
// could not be created.
bool CreateControls(HWND parent, HINSTANCE instance, std::span<const ControlRow> rows, UINT dpi,
                    const std::function<HFONT(const ControlRow&)>& fontOf);

// Moves every control of the table to its place at a new DPI and hands it its
// font there. The caller deletes the old fonts only after this, since a
// control must never hold a deleted font.
void LayoutControls(HWND parent, std::span<const ControlRow> rows, UINT dpi,
                    const std::function<HFONT(const ControlRow&)>& fontOf);

// For WM_DPICHANGED: takes the window rectangle Windows suggests for the new DPI.
void TakeSuggestedRect(HWND window, LPARAM suggested);

// The system's message font at a DPI.
UniqueFont MessageFont(UINT dpi);
// A font of a face at a size in hundredths of a point, at a DPI.
UniqueFont PointFont(const wchar_t* face, int centipoints, UINT dpi, BYTE charset, bool underlined = false);

// Shows `window` over its owner, which takes no input meanwhile, and returns
// once the window is gone (`window` is the owner object's handle, which its
// window procedure clears when the window is destroyed). The focus then goes
// back to the owner's control that had it. A WM_QUIT that arrives meanwhile is
// posted again for the caller's loop.
void RunModal(const HWND& window, HWND owner);

}  // namespace nw
