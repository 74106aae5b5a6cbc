// A tiny window for the end-to-end driver's own tests: a few controls of each
// kind the main window uses, a message box, keyboard handling through
// IsDialogMessage and a known exit code.
#include <windows.h>

#include <iterator>
#include <string>

namespace {

constexpr int kGo = IDOK;        // 1: Enter lands here through IsDialogMessage
constexpr int kQuit = IDCANCEL;  // 2: and Esc here
constexpr int kCopy = 3;
constexpr int kArguments = 10;
constexpr int kLabel = 11;
constexpr int kStopRadio = 12;
constexpr int kNoteRadio = 13;
constexpr int kExitCode = 7;

HWND focusBeforeDeactivation = nullptr;

// What follows the program's name on the command line.
std::wstring ArgumentText() {
  const wchar_t* p = GetCommandLineW();
  if (*p == L'"') {
    ++p;
    while (*p != L'\0' && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p != L'\0' && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

HWND AddControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id, int x, int y,
                int width, int height, DWORD exStyle = 0) {
  HWND control =
      CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return control;
}

void CreateControls(HWND window) {
  // Created in tab order.
  AddControl(window, L"Edit", ArgumentText().c_str(), ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, kArguments,
             10, 10, 300, 22, WS_EX_CLIENTEDGE);
  AddControl(window, L"Static", L"A & B", SS_NOPREFIX, kLabel, 10, 42, 300, 18);
  AddControl(window, L"Button", L"&Stop icon", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, kStopRadio, 10, 66,
             140, 20);
  AddControl(window, L"Button", L"&Note icon", BS_AUTORADIOBUTTON, kNoteRadio, 160, 66, 140, 20);
  AddControl(window, L"Button", L"&Go", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, kGo, 10, 160, 90, 28);
  AddControl(window, L"Button", L"&Quit", BS_PUSHBUTTON | WS_TABSTOP, kQuit, 115, 160, 90, 28);
  AddControl(window, L"Button", L"&Copy", BS_PUSHBUTTON | WS_TABSTOP, kCopy, 220, 160, 90, 28);
  CheckRadioButton(window, kStopRadio, kNoteRadio, kStopRadio);
}

// Puts the argument text on the clipboard.
void CopyArguments(HWND window) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(window, kArguments, text, static_cast<int>(std::size(text)));
  const std::size_t bytes = (lstrlenW(text) + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return;
  CopyMemory(GlobalLock(memory), text, bytes);
  GlobalUnlock(memory);
  if (OpenClipboard(window)) {
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, memory) != nullptr) memory = nullptr;
    CloseClipboard();
  }
  if (memory != nullptr) GlobalFree(memory);
}

void Go(HWND window) {
  if (IsDlgButtonChecked(window, kNoteRadio) == BST_CHECKED) {
    MessageBoxW(window, L"Just so you know", L"Fixture Note", MB_OK | MB_ICONINFORMATION);
  } else {
    MessageBoxW(window, L"Line one\r\nLine two", L"Fixture Error", MB_OK | MB_ICONSTOP);
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: CreateControls(window); return 0;
    case WM_ACTIVATE:
      // Keep the focused control across a message box, as a dialog does.
      if (LOWORD(wParam) == WA_INACTIVE) focusBeforeDeactivation = GetFocus();
      break;
    case WM_SETFOCUS: {
      HWND target = focusBeforeDeactivation;
      if (target == nullptr || !IsChild(window, target)) target = GetDlgItem(window, kGo);
      SetFocus(target);
      return 0;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kGo: Go(window); return 0;
        case kQuit: DestroyWindow(window); return 0;
        case kCopy: CopyArguments(window); return 0;
      }
      break;
    case WM_DESTROY: PostQuitMessage(kExitCode); return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"NwFixture";
  if (RegisterClassExW(&windowClass) == 0) return 1;

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, 320, 200};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  HWND window = CreateWindowExW(0, L"NwFixture", L"Fixture", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                instance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, showCommand);
  UpdateWindow(window);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
