#include "hpABOUT/hpABOUT.h"

// (after windows.h, which they need)
#include <commctrl.h>
#include <windowsx.h>

#include <array>
#include <stdexcept>
#include <string>
#include <utility>

#include "hpABOUT/AboutControlIds.h"
#include "hpABOUT/AboutLines.h"
#include "hpABOUT/resource.h"
#include "platform/AnsiText.h"
#include "platform/Dpi.h"
#include "platform/Gdi.h"
#include "platform/ShellOpen.h"
#include "platform/Win32Services.h"
#include "platform/Window.h"
#include "platform/WindowProc.h"

namespace nw {
namespace {

// The client area in twips (1/1440 inch).
constexpr int kClientWidth = 4290, kClientHeight = 2475;

constexpr COLORREF kGreen = RGB(0, 192, 0);
constexpr COLORREF kLightGreen = RGB(128, 255, 128);

using about::kBtnEnd;
using about::kImgHolpine;
using about::kLblInfo;

// The control identifier of lblINFO(index).
constexpr int LblInfo(int index) {
  return kLblInfo + index;
}

// The pictures are owner-drawn notify statics, so they take the mouse moves
// over them (and do nothing with them) instead of leaving them to the window.
constexpr DWORD kPicture = WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY;
// The lines take the mouse too; their text is set once they exist.
constexpr DWORD kInfo = WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX;

// Every control of the window, in twips at its place in the client area. None
// takes the focus; all show their text in the one font, underlined or not.
constexpr ControlRow kControls[] = {
    {kImgHolpine, L"Static", L"", kPicture, 0, {120, 0, 1800, 960}, -1, 0},
    {kBtnEnd, L"Static", L"", kPicture, 0, {3480, 0, 810, 795}, -1, 0},
    {LblInfo(about::kAuthorLine), L"Static", L"", kInfo | SS_LEFT, 0, {120, 1200, 4095, 255}, -1, 0},
    {LblInfo(about::kMailLine), L"Static", L"", kInfo | SS_LEFT, 0, {120, 1440, 4095, 255}, -1, 0},
    {LblInfo(about::kWebLine), L"Static", L"", kInfo | SS_LEFT, 0, {120, 1680, 4095, 255}, -1, 0},
    {LblInfo(about::kCopyrightLine), L"Static", L"", kInfo | SS_CENTER, 0, {120, 2160, 4095, 255}, -1, 0},
};

// The colour of lblINFO(index).
constexpr COLORREF kInfoColour[about::kInfoLines] = {kGreen, kLightGreen, kLightGreen, kGreen};

// lnDIV: white lines from (left, y) to (right, y) in twips.
struct Line {
  int left, right, y;
};
constexpr Line kLnDiv[] = {{120, 4200, 1080}, {120, 4200, 2040}};

// No title bar: a dialog frame without caption, system menu or boxes.
constexpr DWORD kWindowStyle = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME;

// Arial at 8.25 points, regular.
UniqueFont InfoFont(UINT dpi, bool underlined) {
  return PointFont(L"Arial", 825, dpi, ANSI_CHARSET, underlined);
}

bool IsInfoId(int id) {
  return id >= kLblInfo && id < kLblInfo + about::kInfoLines;
}

// The about window: the maker's logo, the author, two link lines and the
// copyright notice, over a black background. One object per showing.
class HpABOUT {
 public:
  HpABOUT(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {}
  HpABOUT(const HpABOUT&) = delete;
  HpABOUT& operator=(const HpABOUT&) = delete;
  ~HpABOUT() { Unload(); }

  // Shows the window centred and returns once it has been unloaded.
  void ShowModal();

 private:
  template <typename Owner>
  friend LRESULT CALLBACK nw::OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR subclassId, DWORD_PTR self);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

  void RegisterClassOnce() const;
  // Loads the pictures and the hand for a DPI; false when one is missing.
  bool LoadPictures(UINT dpi);
  // Makes the controls in place for the window's DPI; false when one fails.
  bool CreateControls();
  void ApplyLayout(UINT dpi);
  HFONT FontOf(const ControlRow& row) const;
  void Paint();
  void DrawPicture(const DRAWITEMSTRUCT& item) const;
  LRESULT ColourLabel(HDC dc, HWND control) const;
  bool SetLinkCursor(HWND target, UINT hitTest) const;
  void Click(int id);
  void ShowUnderlines();
  void Unload();

  void btnEND_Click();
  void Form_MouseMove();
  void lblINFO_MouseMove(int index);
  void lblINFO_Click(int index);

  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  // Without an owner it would get a task bar button of its own.
  DWORD ExStyle() const { return kWindowExStyle | (owner_ != nullptr ? 0 : WS_EX_TOOLWINDOW); }

  HINSTANCE instance_;
  HWND owner_;
  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
  UniqueFont plainFont_, underlinedFont_;
  UniqueBitmap logo_, closeImage_;
  UniqueCursor hand_;
  about::LinkUnderline underline_;
  // Which link lines show an underline now.
  std::array<bool, about::kInfoLines> shownUnderlined_{};
  // The control the mouse button went down on, until it comes up.
  HWND pressed_ = nullptr;
};

void HpABOUT::RegisterClassOnce() const {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance_, about::kWindowClass, &existing)) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &OwnerWindowProc<HpABOUT>;
  windowClass.hInstance = instance_;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = about::kWindowClass;
  if (RegisterClassExW(&windowClass) == 0)
    throw std::runtime_error("cannot register the about window's class");
}

// The pictures drawn for the DPI (100, 150 or 200 percent) or else for the
// next one above it, which DrawBitmap scales down to their boxes; the hand at
// the largest size drawn (32, 48 or 64 pixels) that is no larger than 32
// pixels scaled to the DPI, loaded at that size so its hot spot stays on the
// fingertip.
bool HpABOUT::LoadPictures(UINT dpi) {
  const bool large = dpi > 144, medium = dpi > 96 && !large;
  auto bitmap = [this](int id) { return LoadIconPicture(instance_, MAKEINTRESOURCEW(id)); };
  UniqueBitmap logo = bitmap(large ? IDB_HOLPINE_200 : medium ? IDB_HOLPINE_150 : IDB_HOLPINE);
  UniqueBitmap closeImage = bitmap(large ? IDB_END_200 : medium ? IDB_END_150 : IDB_END);
  const int handSize = dpi >= 192 ? 64 : dpi >= 144 ? 48 : 32;
  UniqueCursor hand(static_cast<HCURSOR>(
      LoadImageW(instance_, MAKEINTRESOURCEW(IDC_LINK_HAND), IMAGE_CURSOR, handSize, handSize, 0)));
  if (!logo || !closeImage || !hand) return false;
  logo_ = std::move(logo);
  closeImage_ = std::move(closeImage);
  // A cursor on show must not be destroyed: the new hand takes its place first.
  if (hand_ && GetCursor() == hand_.get()) SetCursor(hand.get());
  hand_ = std::move(hand);
  return true;
}

void HpABOUT::ShowModal() {
  RegisterClassOnce();
  // Made on the owner's monitor, so that it is laid out for the DPI it has there.
  const RECT monitor = MonitorRectOf(owner_);
  const DWORD exStyle = ExStyle();
  CreateWindowExW(exStyle, about::kWindowClass, L"", kWindowStyle, (monitor.left + monitor.right) / 2,
                  (monitor.top + monitor.bottom) / 2, 0, 0, owner_, nullptr, instance_, this);
  if (hwnd_ == nullptr) throw std::runtime_error("cannot create the about window");

  PlaceCentred(hwnd_, monitor, kClientWidth, kClientHeight, kWindowStyle, exStyle, [this](UINT dpi) {
    if (dpi != dpi_) ApplyLayout(dpi);
  });
  RunModal(hwnd_, owner_);
  Unload();
}

HFONT HpABOUT::FontOf(const ControlRow& row) const {
  const int index = row.id - kLblInfo;
  return IsInfoId(row.id) && shownUnderlined_[static_cast<std::size_t>(index)] ? underlinedFont_.get()
                                                                               : plainFont_.get();
}

bool HpABOUT::CreateControls() {
  dpi_ = WindowDpi(hwnd_);
  plainFont_ = InfoFont(dpi_, false);
  underlinedFont_ = InfoFont(dpi_, true);
  if (!LoadPictures(dpi_)) return false;
  if (!nw::CreateControls(hwnd_, instance_, kControls, dpi_,
                          [this](const ControlRow& row) { return FontOf(row); }))
    return false;
  for (int index = 0; index < about::kInfoLines; ++index)
    SetWindowTextW(Item(kLblInfo + index), about::InfoText(index).c_str());
  // The close image and the lines tell clicks apart from presses.
  for (int id : {int{kBtnEnd}, kLblInfo + 0, kLblInfo + 1, kLblInfo + 2, kLblInfo + 3}) {
    if (!SetWindowSubclass(Item(id), &HpABOUT::ControlProc, static_cast<UINT_PTR>(id),
                           reinterpret_cast<DWORD_PTR>(this)))
      return false;
  }
  return true;
}

// The lines get the new fonts before the old ones are deleted.
void HpABOUT::ApplyLayout(UINT dpi) {
  dpi_ = dpi;
  UniqueFont oldPlain = std::exchange(plainFont_, InfoFont(dpi, false));
  UniqueFont oldUnderlined = std::exchange(underlinedFont_, InfoFont(dpi, true));
  LoadPictures(dpi);  // where one is missing, the old ones are drawn scaled
  LayoutControls(hwnd_, kControls, dpi, [this](const ControlRow& row) { return FontOf(row); });
  InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT HpABOUT::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return CreateControls() ? 0 : -1;
    case WM_PAINT: Paint(); return 0;
    case WM_DRAWITEM: DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_CTLCOLORSTATIC: return ColourLabel(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
      if (SetLinkCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
      break;
    case WM_MOUSEMOVE: Form_MouseMove(); return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        Unload();
        return 0;
      }
      break;
    // Alt+F4 arrives here through the default window procedure.
    case WM_CLOSE: Unload(); return 0;
    case kWmGetDpiScaledSize:
      return AnswerDpiScaledSize(wParam, lParam, kClientWidth, kClientHeight, kWindowStyle, ExStyle());
    case WM_DPICHANGED:
      ApplyLayout(HIWORD(wParam));
      TakeSuggestedRect(hwnd_, lParam);
      return 0;
    default: break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK HpABOUT::ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR subclassId, DWORD_PTR self) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(control, &HpABOUT::ControlProc, subclassId);
  return reinterpret_cast<HpABOUT*>(self)->HandleControlMessage(control, message, wParam, lParam);
}

// The mouse over the close image and the four lines. A click is a press and a
// release on the same control, as a button has it; the second press of a
// double click is no new click.
LRESULT HpABOUT::HandleControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  const int id = GetDlgCtrlID(control);
  switch (message) {
    case WM_MOUSEMOVE:
      // The close image has no mouse-move handling.
      if (IsInfoId(id)) lblINFO_MouseMove(id - kLblInfo);
      return 0;
    case WM_LBUTTONDOWN:
      pressed_ = control;
      SetCapture(control);
      return 0;
    case WM_LBUTTONDBLCLK: return 0;
    case WM_LBUTTONUP: {
      if (pressed_ != control) return 0;
      pressed_ = nullptr;
      ReleaseCapture();
      RECT client;
      GetClientRect(control, &client);
      const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (PtInRect(&client, at)) Click(id);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (pressed_ == control) pressed_ = nullptr;
      break;
    default: break;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

void HpABOUT::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(WHITE_PEN));
  for (const Line& line : kLnDiv) {
    const int y = Scale(line.y, dpi_);
    MoveToEx(dc, Scale(line.left, dpi_), y, nullptr);
    LineTo(dc, Scale(line.right, dpi_) + 1, y);  // both ends drawn
  }
  SelectObject(dc, oldPen);
  EndPaint(hwnd_, &paint);
}

void HpABOUT::DrawPicture(const DRAWITEMSTRUCT& item) const {
  const HBITMAP bitmap = item.CtlID == kImgHolpine ? logo_.get()
                         : item.CtlID == kBtnEnd   ? closeImage_.get()
                                                   : nullptr;
  if (bitmap == nullptr) return;
  DrawBitmap(item.hDC, item.rcItem, bitmap);
}

// The lines show their colour on the black of the window.
LRESULT HpABOUT::ColourLabel(HDC dc, HWND control) const {
  const int id = GetDlgCtrlID(control);
  if (IsInfoId(id)) SetTextColor(dc, kInfoColour[id - kLblInfo]);
  SetBkMode(dc, TRANSPARENT);
  SetBkColor(dc, RGB(0, 0, 0));
  return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
}

// The hand over the two link lines; elsewhere the class cursors give the arrow.
bool HpABOUT::SetLinkCursor(HWND target, UINT hitTest) const {
  if (hitTest != HTCLIENT || target == hwnd_) return false;
  const int id = GetDlgCtrlID(target);
  if (!IsInfoId(id) || !about::IsLink(id - kLblInfo)) return false;
  SetCursor(hand_.get());
  return true;
}

void HpABOUT::Click(int id) {
  if (id == kBtnEnd)
    btnEND_Click();
  else if (IsInfoId(id))
    lblINFO_Click(id - kLblInfo);
}

// Brings the fonts of the link lines in line with the underline state,
// touching only those that change, so nothing flickers as the pointer moves.
void HpABOUT::ShowUnderlines() {
  for (int index = about::kMailLine; index <= about::kWebLine; ++index) {
    const bool underlined = underline_.IsUnderlined(index);
    bool& shown = shownUnderlined_[static_cast<std::size_t>(index)];
    if (underlined == shown) continue;
    shown = underlined;
    const HFONT font = underlined ? underlinedFont_.get() : plainFont_.get();
    SendMessageW(Item(kLblInfo + index), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

// Gives the owner its input back first, so that it is the window that
// becomes active when this one goes.
void HpABOUT::Unload() {
  if (hwnd_ == nullptr) return;
  if (owner_ != nullptr) EnableWindow(owner_, TRUE);
  DestroyWindow(hwnd_);
  // The hand is destroyed with this object, and a cursor in use must not be:
  // closed by a key while the pointer is on a link, the hand is still shown.
  if (GetCursor() == hand_.get()) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void HpABOUT::btnEND_Click() {
  Unload();
}

void HpABOUT::Form_MouseMove() {
  underline_.Form_MouseMove();
  ShowUnderlines();
}

void HpABOUT::lblINFO_MouseMove(int index) {
  underline_.lblINFO_MouseMove(index);
  ShowUnderlines();
}

// The link goes to the shell as ANSI text, with no owner, verb, parameters or
// directory. Where it cannot be opened, a message says so and shows the link,
// to be copied; the window stays as it is either way.
void HpABOUT::lblINFO_Click(int index) {
  const std::wstring target = about::LinkTarget(index);
  if (target.empty()) return;
  if (ShellOpen(ToAnsi(target))) return;
  Win32MessageBox message;
  message.SetOwner(hwnd_);
  message.Show(about::text::kLinkNotOpened + target, about::text::kMessageTitle, kStyleInformation);
}

}  // namespace

void ShowAboutModal(HINSTANCE instance, HWND owner) {
  HpABOUT about(instance, owner);
  about.ShowModal();
}

}  // namespace nw
