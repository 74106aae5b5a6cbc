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
// so that they lie beneath the controls inside them. `created`, where given,
// sees each control as soon as it exists, before the ones after it. False when
// one of them could not be created.
bool CreateControls(HWND parent, HINSTANCE instance, std::span<const ControlRow> rows, UINT dpi,
                    const std::function<HFONT(const ControlRow&)>& fontOf,
                    const std::function<void(const ControlRow&, HWND)>& created = {});

// Moves every control of the table to its place at a new DPI and hands it its
// font there. The caller deletes the old fonts only after this, since a
// control must never hold a deleted font.
void LayoutControls(HWND parent, std::span<const ControlRow> rows, UINT dpi,
                    const std::function<HFONT(const ControlRow&)>& fontOf);

// For WM_DPICHANGED: takes the window rectangle Windows suggests for the new DPI.
void TakeSuggestedRect(HWND window, LPARAM suggested);

// WM_GETDPISCALEDSIZE, sent on Windows 10 1703 and later (the headers for
// Windows 7 leave it out).
inline constexpr UINT kWmGetDpiScaledSize = 0x02E4;
// Answers WM_GETDPISCALEDSIZE for a window whose client area measures
// widthTwips x heightTwips: the size of the whole window at the new DPI (wParam)
// goes into the SIZE at lParam, and WM_DPICHANGED then suggests that size.
// Windows' own answer scales the old size, frame and all, and misses the client
// area by a pixel or two, as captions and frames do not grow with the DPI
// exactly. Returns TRUE: the size was given.
LRESULT AnswerDpiScaledSize(WPARAM dpi, LPARAM size, int widthTwips, int heightTwips, DWORD style,
                            DWORD exStyle);

// The system's message font at a DPI.
UniqueFont MessageFont(UINT dpi);
// A font of a face at a size in hundredths of a point, at a DPI.
UniqueFont PointFont(const wchar_t* face, int centipoints, UINT dpi, BYTE charset, bool underlined = false);
// The same where the face can draw its characters at that size. A raster face
// has a few sizes only: where none comes within a pixel of the size, the font
// is `scalable` at that size instead.
UniqueFont PointFontOrScalable(const wchar_t* face, const wchar_t* scalable, int centipoints, UINT dpi,
                               BYTE charset);

// How wide a caption may be in its control at a DPI: the control's width less
// what it draws beside its text (a push button's edges, an option's circle, a
// group box's corner), and as high as the control.
SIZE CaptionRoom(const ControlRow& row, UINT dpi);
// How much room a caption takes in a font, drawn as its control draws it,
// measured in `dc` (a screen DC the caller holds for a series of captions).
SIZE CaptionSize(HDC dc, const wchar_t* caption, DWORD style, const wchar_t* className, HFONT font);

// The font made from `wanted`, a pixel smaller at a time while a fixed caption
// of the rows that show it (font == `font`) would not fit its room at `dpi`.
// Text sizes do not grow exactly with the DPI, so a caption that fits at 96
// DPI may not at another; a font that fits already is taken as it is.
UniqueFont FitCaptions(UniqueFont wanted, std::span<const ControlRow> rows, int font, UINT dpi);

// Shows `window` over its owner, which takes no input meanwhile, and returns
// once the window is gone (`window` is the owner object's handle, which its
// window procedure clears when the window is destroyed). The focus then goes
// back to the owner's control that had it. A WM_QUIT that arrives meanwhile is
// posted again for the caller's loop.
void RunModal(const HWND& window, HWND owner);

}  // namespace nw
