#include "frmNW/frmNW.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>
#include <vector>

#include "NW_Core/Texts.h"
#include "frmNW/resource.h"
#include "hpABOUT/hpABOUT.h"
#include "platform/Dpi.h"
#include "platform/Version.h"
#include "platform/Window.h"

namespace nw {
namespace {

// The client area in twips (1/1440 inch).
constexpr int kClientWidth = 6495, kClientHeight = 3000;

// The fonts of the controls.
enum Font : int { kDefaultFont, kSmallFont };

// The controls inside the frame are measured from its top left corner.
constexpr TwipsBox kFrameBox{1440, 160, 4935, 2260};
constexpr TwipsBox InFrame(int left, int top, int width, int height) {
  return {kFrameBox.left + left, kFrameBox.top + top, width, height};
}

// Buttons and options tell the window when they take the focus (BS_NOTIFY),
// as the edit boxes always do: the window follows the focus from there.
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON | BS_NOTIFY;
constexpr DWORD kDefaultButton = (kButton & ~BS_PUSHBUTTON) | BS_DEFPUSHBUTTON;
constexpr DWORD kOption = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | BS_NOTIFY;
// The first option starts the group of three and is its one tab stop.
constexpr DWORD kFirstOption = kOption | WS_GROUP | WS_TABSTOP;
constexpr DWORD kGroupBox = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
// Labels keep to one line: text too long for its field ends in an ellipsis.
constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS;
constexpr DWORD kValueBox = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_READONLY | ES_AUTOHSCROLL;
constexpr DWORD kIcon = WS_CHILD | WS_VISIBLE | SS_ICON | SS_CENTERIMAGE;

// Every control of the window, in twips at its place in the client area. The
// rows stand in the order the window was designed in, each with its tab index;
// CreateControls makes them in focus order.
constexpr ControlRow kControls[] = {
    {kManual, L"Button", L"&Manual", kOption, 0, {120, 840, 1215, 255}, 6, kDefaultFont},
    {kRemoveLink, L"Button", L"&Remove Link", kButton, 0, {4080, 2520, 1095, 375}, 1, kDefaultFont},
    {kAbout, L"Button", L"&About", kButton, 0, {1680, 2520, 1095, 375}, 3, kDefaultFont},
    {kFrame, L"Button", L"Registry System Folder Definitions", kGroupBox, WS_EX_TRANSPARENT, kFrameBox, -1,
     kDefaultFont},
    {kTxtClsid, L"Edit", L"", kValueBox, WS_EX_CLIENTEDGE, InFrame(1200, 720, 3615, 285), 12, kDefaultFont},
    {kTxtCom, L"Edit", L"", kValueBox, WS_EX_CLIENTEDGE, InFrame(1200, 1800, 3615, 285), 16, kDefaultFont},
    {kTxtIcon, L"Static", L"", kLabel, 0, InFrame(1200, 1080, 3615, 255), -1, kDefaultFont},
    {kLblIcon, L"Static", L"Icon:", kLabel, 0, InFrame(120, 1080, 975, 255), -1, kDefaultFont},
    {kTxtMenu, L"Static", L"", kLabel, 0, InFrame(1200, 1440, 3615, 255), -1, kDefaultFont},
    {kTxtName, L"Static", L"", kLabel, 0, InFrame(1200, 360, 3615, 255), -1, kDefaultFont},
    {kLblName, L"Static", L"Name:", kLabel, 0, InFrame(120, 360, 735, 255), -1, kDefaultFont},
    {kLblMenu, L"Static", L"Menu #1:", kLabel, 0, InFrame(120, 1440, 975, 255), -1, kDefaultFont},
    {kLblCommand, L"Static", L"Command #1:", kLabel, 0, InFrame(120, 1800, 1095, 255), -1, kDefaultFont},
    {kLblClsid, L"Static", L"CLSID:", kLabel, 0, InFrame(120, 720, 975, 255), -1, kDefaultFont},
    {kCancel, L"Button", L"&Cancel", kButton, 0, {2880, 2520, 1095, 375}, 2, kDefaultFont},
    {kMakeLink, L"Button", L"&Make Link", kDefaultButton, 0, {5280, 2520, 1095, 375}, 0, kDefaultFont},
    {kSystem, L"Button", L"&System", kOption, 0, {120, 480, 1215, 255}, 5, kDefaultFont},
    {kDesktop, L"Button", L"&Desktop", kFirstOption, 0, {120, 120, 1215, 255}, 4, kDefaultFont},
    {kLblVer, L"Static", L"v1.00.0000", kLabel, 0, {5640, 0, 735, 165}, -1, kSmallFont},
    {kImgLogo, L"Static", L"", kIcon, 0, {480, 1440, 480, 480}, -1, kDefaultFont},
    {kLblThanks, L"Static", L"Thanks to our testers", kLabel, 0, {0, 2760, 1575, 165}, -1, kSmallFont},
};

// The fonts at a DPI: the system's message font, and "Small Fonts" at 6.75
// points. Small Fonts is a raster face drawn for 96 DPI: where it has no size
// that large, Arial stands in. Each is made small enough for its captions.
UniqueFont MakeFont(Font font, UINT dpi) {
  UniqueFont wanted = font == kSmallFont
                          ? PointFontOrScalable(L"Small Fonts", L"Arial", 675, dpi, DEFAULT_CHARSET)
                          : MessageFont(dpi);
  return FitCaptions(std::move(wanted), kControls, font, dpi);
}

// One character in upper case, as the system's tables have it.
wchar_t UpperCase(wchar_t c) {
  return static_cast<wchar_t>(
      reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c)))));
}

const ControlRow& ControlRowOf(int id) {
  return *std::find_if(std::begin(kControls), std::end(kControls),
                       [id](const ControlRow& row) { return row.id == id; });
}

// As a dialog's: the controls are painted over the window's face, not
// clipped out of it (clipping them costs the first showing a third of its
// time and keeps nothing from flickering in a window of fixed size).
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

}  // namespace

FrmNW::FrmNW(const Platform& platform, Registry& registry) : platform_(platform), registry_(registry) {}

// The window goes before the fonts and the icon its controls hold.
FrmNW::~FrmNW() {
  ending_ = true;
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool FrmNW::Create(HINSTANCE instance) {
  instance_ = instance;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &OwnerWindowProc<FrmNW>;
  windowClass.hInstance = instance;
  // Shared: the class keeps its icons for the program's life, and the system
  // frees shared images itself.
  windowClass.hIcon =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_NOOKWAYER), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
  windowClass.hIconSm =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_NOOKWAYER), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  if (RegisterClassExW(&windowClass) == 0) return false;

  CreateWindowExW(0, kMainWindowClass, text::kProgramName, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
  return hwnd_ != nullptr;
}

LRESULT FrmNW::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return CreateControls() ? 0 : -1;
    case DM_GETDEFID: return MAKELRESULT(defaultId_, DC_HASDEFID);
    case WM_ACTIVATE:
      // Activated again (after a message box, the about window or another
      // program): the focus goes back where it was, not to the window itself.
      if (LOWORD(wParam) == WA_INACTIVE || HIWORD(wParam) != 0) break;
      RestoreFocus();
      return 0;
    case WM_SETFOCUS: RestoreFocus(); return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) == BN_SETFOCUS || HIWORD(wParam) == EN_SETFOCUS) {
        FollowFocus(reinterpret_cast<HWND>(lParam));
        return 0;
      }
      if (HIWORD(wParam) == BN_CLICKED && Clicked(id)) return 0;
      break;
    }
    case WM_CTLCOLORSTATIC:
      // Labels and the read-only boxes sit on the button face.
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case kWmGetDpiScaledSize:
      return AnswerDpiScaledSize(wParam, lParam, kClientWidth, kClientHeight, kWindowStyle, 0);
    case WM_DPICHANGED:
      ApplyLayout(HIWORD(wParam));
      TakeSuggestedRect(hwnd_, lParam);
      return 0;
    case WM_CLOSE:
      // The close box does what Cancel does.
      btnCOM_Click(1);
      return 0;
    case WM_DESTROY:
      // Taken by anything but the form's own end: the program ends as well.
      if (!ending_) PostQuitMessage(0);
      hwnd_ = nullptr;
      return 0;
    default: break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

HWND FrmNW::Item(int id) const {
  for (const auto& [itemId, control] : items_)
    if (itemId == id) return control;
  return nullptr;
}

HFONT FrmNW::FontOf(const ControlRow& row) const {
  return row.font == kSmallFont ? smallFont_.get() : defaultFont_.get();
}

bool FrmNW::CreateControls() {
  dpi_ = WindowDpi(hwnd_);
  defaultFont_ = MakeFont(kDefaultFont, dpi_);
  smallFont_ = MakeFont(kSmallFont, dpi_);
  // Each control's handle is kept as it is made, for Item. The options start
  // unchecked: Desktop alone needs telling, as soon as it exists. Checking an
  // option unchecks the others of its group, and Windows walks the window's
  // controls to find them: before the rest exist, there are few to walk.
  if (!nw::CreateControls(
          hwnd_, instance_, kControls, dpi_, [this](const ControlRow& row) { return FontOf(row); },
          [this](const ControlRow& row, HWND control) {
            items_.emplace_back(row.id, control);
            if (row.id == kDesktop) SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
          }))
    return false;
  ShowLogo();
  return true;
}

// The controls get the new fonts before the old ones are deleted: a control
// must never hold a deleted font, not even for a moment.
void FrmNW::ApplyLayout(UINT dpi) {
  dpi_ = dpi;
  UniqueFont oldDefault = std::exchange(defaultFont_, MakeFont(kDefaultFont, dpi));
  UniqueFont oldSmall = std::exchange(smallFont_, MakeFont(kSmallFont, dpi));
  LayoutControls(hwnd_, kControls, dpi, [this](const ControlRow& row) { return FontOf(row); });
  ShowLogo();
}

// The logo is the program icon at the size of its box. The old icon is
// destroyed only once the control shows the new one; the static sizes itself
// to the icon it is given, so it goes back into its box afterwards.
void FrmNW::ShowLogo() {
  HWND control = Item(kImgLogo);
  const RECT box = ScaleBox(ControlRowOf(kImgLogo).box, dpi_);
  const int width = box.right - box.left, height = box.bottom - box.top;
  UniqueIcon logo = LoadIconOfSize(instance_, MAKEINTRESOURCEW(IDI_NOOKWAYER), width);
  SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(logo.get()), 0);
  logo_ = std::move(logo);
  SetWindowPos(control, nullptr, box.left, box.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window was made with its caption: here come the version and the definition.
void FrmNW::Form_Load() {
  SetWindowTextW(Item(kLblVer), FormatVersion(ProgramVersion()).c_str());
  const std::wstring argumentText = platform_.commandLine.ArgumentText();
  const SettingsRead read = ReadSettings(argumentText, definition_);
  if (read == SettingsRead::NoFileNamed) {
    // Nothing to show: the commands go grey, the user is told, and the program ends.
    for (int id : {kMakeLink, kDesktop, kSystem}) EnableWindow(Item(id), FALSE);
    platform_.messageBox.Show(text::kNoSettingsFile, text::kProgramName, kStyleInformation);
    Unload();
    platform_.program.End(kExitNoSettingsFile);
  }
  if (read == SettingsRead::Incomplete)
    platform_.messageBox.Show(text::kUnreadableFile, text::kProgramName, kStyleInformation);
  ShowDefinition(*this, definition_);
}

void FrmNW::Show() {
  // Centred on the monitor it was made on, laid out for the DPI it has there.
  PlaceCentred(hwnd_, MonitorRectOf(hwnd_), kClientWidth, kClientHeight, kWindowStyle, 0, [this](UINT dpi) {
    if (dpi != dpi_) ApplyLayout(dpi);
  });
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  SetFocus(Item(kMakeLink));
}

bool FrmNW::PreTranslate(const MSG& message) {
  if (message.message != WM_SYSCHAR && message.message != WM_CHAR) return false;
  if (message.hwnd != hwnd_ && GetParent(message.hwnd) != hwnd_) return false;
  // A plain letter counts only where the focused control takes no typing.
  if (message.message == WM_CHAR &&
      (SendMessageW(GetFocus(), WM_GETDLGCODE, 0, 0) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) != 0)
    return false;
  const wchar_t key = UpperCase(static_cast<wchar_t>(message.wParam));
  // The buttons whose caption marks this key, in focus order.
  std::vector<HWND> matches;
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child) || !IsWindowEnabled(child)) continue;
    if ((GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) continue;
    wchar_t className[16];
    if (GetClassNameW(child, className, 16) == 0 || lstrcmpiW(className, L"Button") != 0) continue;
    wchar_t caption[64];
    GetWindowTextW(child, caption, 64);
    for (const wchar_t* c = caption; *c != L'\0'; ++c) {
      if (*c != L'&') continue;
      ++c;
      if (*c == L'&') continue;  // "&&" is a plain ampersand
      if (UpperCase(*c) == key) matches.push_back(child);
      break;
    }
  }
  // One button: the dialog manager presses it. Several: the key moves the
  // focus on to the next of them and presses none, as in a dialog.
  if (matches.size() < 2) return false;
  auto current = std::find(matches.begin(), matches.end(), GetFocus());
  SetFocus(current == matches.end() || current + 1 == matches.end() ? matches.front() : *(current + 1));
  return true;
}

namespace {

// Gives a push button the look of the default button or takes it away; the
// other style bits stay as they are.
void SetDefaultLook(HWND button, bool isDefault) {
  const auto style = static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE));
  const DWORD kind = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  SendMessageW(button, BM_SETSTYLE, (style & 0xFFFF & ~static_cast<DWORD>(BS_TYPEMASK)) | kind, TRUE);
}

}  // namespace

// What a click on each control runs: the handler of its control array, with
// its index there. The command buttons are those Enter presses while they
// have the focus.
const FrmNW::ClickRow FrmNW::kClicks[] = {
    {kMakeLink, &FrmNW::btnCOM_Click, 0, true},   {kCancel, &FrmNW::btnCOM_Click, 1, true},
    {kAbout, &FrmNW::btnCOM_Click, 2, true},      {kRemoveLink, &FrmNW::btnCOM_Click, 3, true},
    {kDesktop, &FrmNW::optPLACE_Click, 0, false}, {kSystem, &FrmNW::optPLACE_Click, 1, false},
    {kManual, &FrmNW::optPLACE_Click, 2, false},
};

bool FrmNW::IsCommandButton(int id) {
  for (const ClickRow& row : kClicks)
    if (row.id == id) return row.commandButton;
  return false;
}

bool FrmNW::Clicked(int id) {
  for (const ClickRow& row : kClicks) {
    if (row.id != id) continue;
    (this->*row.handler)(row.index);
    return true;
  }
  return false;
}

// As in a dialog: while a command button has the focus it is the default
// button, which Enter presses; otherwise Make Link is.
void FrmNW::FollowFocus(HWND control) {
  if (control == nullptr || GetParent(control) != hwnd_) return;
  lastFocus_ = control;
  const int id = GetDlgCtrlID(control);
  const int newDefault = IsCommandButton(id) ? id : kMakeLink;
  if (newDefault == defaultId_) return;
  SetDefaultLook(Item(defaultId_), false);
  SetDefaultLook(Item(newDefault), true);
  defaultId_ = newDefault;
}

void FrmNW::RestoreFocus() {
  HWND target = lastFocus_;
  if (target == nullptr || !IsWindow(target) || !IsWindowEnabled(target) || !IsWindowVisible(target))
    target = Item(kMakeLink);
  SetFocus(target);
}

void FrmNW::SetField(Field field, const std::wstring& text) {
  static constexpr int kFieldIds[] = {kTxtName, kTxtClsid, kTxtIcon, kTxtMenu, kTxtCom};
  SetWindowTextW(Item(kFieldIds[static_cast<int>(field)]), text.c_str());
}

// The form's end ends its message loop, and so the program. The window is not
// torn down first: the system takes it with the program at once, where hiding
// and destroying it first would cost about as long again as showing it did.
void FrmNW::Unload() {
  if (hwnd_ != nullptr) PostQuitMessage(0);
}

Placement FrmNW::SelectedPlacement() const {
  if (IsDlgButtonChecked(hwnd_, kDesktop) == BST_CHECKED) return Placement::Desktop;
  if (IsDlgButtonChecked(hwnd_, kSystem) == BST_CHECKED) return Placement::MyComputer;
  return Placement::Manual;
}

void FrmNW::btnCOM_Click(int index) {
  ClipboardPlacement manual(platform_.clipboard, platform_.messageBox);
  const LinkServices services{registry_, manual, platform_.shell};
  RunCommand(platform_.messageBox, [&] {
    switch (index) {
      case 0:
        MakeLink(services, definition_, SelectedPlacement());
        Unload();
        break;
      case 1: Unload(); break;
      case 2: ShowAboutModal(instance_, hwnd_); break;
      case 3:
        RemoveLink(services, definition_);
        Unload();
        break;
      default: break;
    }
  });
}

void FrmNW::optPLACE_Click(int) {
  SetFocus(Item(kMakeLink));
}

int RunMainWindow(HINSTANCE instance, const Platform& platform, Registry& registry,
                  const std::function<void(HWND)>& created) {
  FrmNW form(platform, registry);
  // A window that cannot be created is reported as a failed command is;
  // there is nothing else to show the user.
  if (!RunCommand(platform.messageBox, [&] {
        if (!form.Create(instance)) throw std::runtime_error("cannot create the main window");
      }))
    return kExitNoWindow;
  created(form.hwnd());
  form.Form_Load();
  form.Show();

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The dialog keyboard: Tab, arrows, access keys, Enter and Esc.
    if (form.hwnd() != nullptr && (form.PreTranslate(message) || IsDialogMessageW(form.hwnd(), &message)))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // Ended here, the program leaves its window to the system (see Unload).
  const int status = static_cast<int>(message.wParam);
  platform.program.End(status);
  return status;  // not reached: End does not return
}

}  // namespace nw
