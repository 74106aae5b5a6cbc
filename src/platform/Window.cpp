#include "platform/Window.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/Dpi.h"

namespace nw {

RECT ScaleBox(const TwipsBox& box, UINT dpi) {
  const int left = Scale(box.left, dpi), top = Scale(box.top, dpi);
  return RECT{left, top, left + Scale(box.width, dpi), top + Scale(box.height, dpi)};
}

namespace {

bool IsGroupBox(const ControlRow& row) {
  return (row.style & BS_TYPEMASK) == BS_GROUPBOX && lstrcmpiW(row.className, L"Button") == 0;
}

std::vector<const ControlRow*> CreationOrder(std::span<const ControlRow> rows) {
  std::vector<const ControlRow*> order;
  for (const ControlRow& row : rows) order.push_back(&row);
  auto rank = [](const ControlRow* row) {
    return row->tabIndex >= 0 ? row->tabIndex : IsGroupBox(*row) ? 2000 : 1000;
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](const ControlRow* a, const ControlRow* b) { return rank(a) < rank(b); });
  return order;
}

}  // namespace

bool CreateControls(HWND parent, HINSTANCE instance, std::span<const ControlRow> rows, UINT dpi,
                    const std::function<HFONT(const ControlRow&)>& fontOf,
                    const std::function<void(const ControlRow&, HWND)>& created) {
  for (const ControlRow* row : CreationOrder(rows)) {
    const RECT place = ScaleBox(row->box, dpi);
    // No text is no name: a picture control would look its picture up by that
    // name in the program and in the system, and find none.
    const wchar_t* text = row->text != nullptr && row->text[0] != L'\0' ? row->text : nullptr;
    HWND control = CreateWindowExW(row->exStyle, row->className, text, row->style, place.left, place.top,
                                   place.right - place.left, place.bottom - place.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(row->id)), instance, nullptr);
    if (control == nullptr) return false;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(*row)), FALSE);
    if (created) created(*row, control);
  }
  return true;
}

void LayoutControls(HWND parent, std::span<const ControlRow> rows, UINT dpi,
                    const std::function<HFONT(const ControlRow&)>& fontOf) {
  for (const ControlRow& row : rows) {
    HWND control = GetDlgItem(parent, row.id);
    const RECT place = ScaleBox(row.box, dpi);
    SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(row)), TRUE);
  }
}

void TakeSuggestedRect(HWND window, LPARAM suggested) {
  const RECT& rect = *reinterpret_cast<const RECT*>(suggested);
  SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT AnswerDpiScaledSize(WPARAM dpi, LPARAM size, int widthTwips, int heightTwips, DWORD style,
                            DWORD exStyle) {
  const RECT frame = WindowRectFor(widthTwips, heightTwips, static_cast<UINT>(dpi), style, exStyle);
  *reinterpret_cast<SIZE*>(size) = SIZE{frame.right - frame.left, frame.bottom - frame.top};
  return TRUE;
}

UniqueFont MessageFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  LOGFONTW font = metrics.lfMessageFont;
  // The system gives it at the DPI of the screen as a whole.
  font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
  return UniqueFont(CreateFontIndirectW(&font));
}

UniqueFont PointFont(const wchar_t* face, int centipoints, UINT dpi, BYTE charset, bool underlined) {
  LOGFONTW font{};
  // Negative: the height of the characters, not of the cell.
  font.lfHeight = -MulDiv(centipoints, static_cast<int>(dpi), 7200);
  font.lfWeight = FW_NORMAL;
  font.lfUnderline = underlined ? TRUE : FALSE;
  font.lfCharSet = charset;
  wcscpy_s(font.lfFaceName, face);
  return UniqueFont(CreateFontIndirectW(&font));
}

UniqueFont PointFontOrScalable(const wchar_t* face, const wchar_t* scalable, int centipoints, UINT dpi,
                               BYTE charset) {
  UniqueFont font = PointFont(face, centipoints, dpi, charset);
  const int wanted = MulDiv(centipoints, static_cast<int>(dpi), 7200);
  TEXTMETRICW metrics{};
  bool measured = false;
  {
    const ScreenDc screen;
    const Selection selected(screen.get(), font.get());
    measured = GetTextMetricsW(screen.get(), &metrics) != FALSE;
  }
  // The height of the characters, without the space above them.
  if (measured && std::abs(metrics.tmHeight - metrics.tmInternalLeading - wanted) <= 1) return font;
  return PointFont(scalable, centipoints, dpi, charset);
}

SIZE CaptionRoom(const ControlRow& row, UINT dpi) {
  const RECT box = ScaleBox(row.box, dpi);
  SIZE room{box.right - box.left, box.bottom - box.top};
  if (lstrcmpiW(row.className, L"Button") != 0) return room;
  // Pixels at 96 DPI: a push button's edge and focus rectangle, 3 on each side,
  // the circle of an option and its gap, the corner before a group box's caption.
  int beside = 0;
  switch (row.style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: beside = 6; break;
    case BS_GROUPBOX: beside = 16; break;
    default: beside = 20; break;
  }
  room.cx -= MulDiv(beside, static_cast<int>(dpi), 96);
  return room;
}

SIZE CaptionSize(HDC dc, const wchar_t* caption, DWORD style, const wchar_t* className, HFONT font) {
  // A static with SS_NOPREFIX shows '&' as it is; buttons underline the letter after it.
  const bool prefixes = lstrcmpiW(className, L"Static") != 0 || (style & SS_NOPREFIX) == 0;
  RECT measured{0, 0, 0, 0};
  const Selection selected(dc, font);
  DrawTextW(dc, caption, -1, &measured, DT_CALCRECT | DT_SINGLELINE | (prefixes ? 0 : DT_NOPREFIX));
  return SIZE{measured.right - measured.left, measured.bottom - measured.top};
}

UniqueFont FitCaptions(UniqueFont wanted, std::span<const ControlRow> rows, int font, UINT dpi) {
  LOGFONTW shape{};
  if (GetObjectW(wanted.get(), sizeof shape, &shape) == 0) return wanted;
  // One screen DC for every caption measured.
  const ScreenDc screen;
  auto fits = [&](HFONT candidate) {
    for (const ControlRow& row : rows) {
      if (row.font != font || row.text == nullptr || row.text[0] == L'\0') continue;
      const SIZE room = CaptionRoom(row, dpi),
                 size = CaptionSize(screen.get(), row.text, row.style, row.className, candidate);
      if (size.cx > room.cx || size.cy > room.cy) return false;
    }
    return true;
  };
  // Never below two thirds of the size asked for: past that the text would be
  // too small to read, and clipped is the lesser harm.
  const int floor = std::abs(shape.lfHeight) * 2 / 3;
  UniqueFont fitted = std::move(wanted);
  while (!fits(fitted.get()) && std::abs(shape.lfHeight) > floor) {
    shape.lfHeight += shape.lfHeight < 0 ? 1 : -1;
    UniqueFont smaller(CreateFontIndirectW(&shape));
    if (!smaller) break;
    fitted = std::move(smaller);
  }
  return fitted;
}

namespace {

// Keeps a window disabled for as long as it lives.
class DisabledWhile {
 public:
  explicit DisabledWhile(HWND window) : window_(window) {
    if (window_ != nullptr) EnableWindow(window_, FALSE);
  }
  ~DisabledWhile() {
    if (window_ != nullptr) EnableWindow(window_, TRUE);
  }
  DisabledWhile(const DisabledWhile&) = delete;
  DisabledWhile& operator=(const DisabledWhile&) = delete;

 private:
  HWND window_;
};

}  // namespace

void RunModal(const HWND& window, HWND owner) {
  const HWND focus = GetFocus();
  {
    const DisabledWhile ownerDisabled(owner);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (window != nullptr) {
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got == -1) break;
      if (got == 0) {
        // The program is ending: the quit message is the caller's loop's.
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (owner != nullptr && IsWindow(focus) && (focus == owner || IsChild(owner, focus))) SetFocus(focus);
}

}  // namespace nw
