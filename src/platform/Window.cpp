#include "platform/Window.h"

#include <algorithm>
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
                    const std::function<HFONT(const ControlRow&)>& fontOf) {
  for (const ControlRow* row : CreationOrder(rows)) {
    const RECT place = ScaleBox(row->box, dpi);
    HWND control = CreateWindowExW(row->exStyle, row->className, row->text, row->style, place.left, place.top,
                                   place.right - place.left, place.bottom - place.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(row->id)), instance, nullptr);
    if (control == nullptr) return false;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(*row)), FALSE);
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
