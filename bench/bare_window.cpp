// The floor for any window on screen: shows one empty window and exits as soon
// as it has been painted. Built a second time as bare_controls, whose window
// also holds twenty-one standard controls, as many and of the same classes as
// the program's main window, with the same manifest and common controls: the
// floor for a window like ours.
#include <windows.h>
#ifdef NW_BARE_CONTROLS
#include <commctrl.h>
#endif

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    BeginPaint(hwnd, &paint);
    EndPaint(hwnd, &paint);
    // The controls paint after their parent: the window is whole once they have.
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

#ifdef NW_BARE_CONTROLS
void AddControls(HWND window, HINSTANCE instance) {
  struct Control {
    const wchar_t* className;
    DWORD style;
    int count;
  };
  const Control controls[] = {
      {L"Button", BS_PUSHBUTTON | WS_TABSTOP, 4},
      {L"Button", BS_AUTORADIOBUTTON, 3},
      {L"Button", BS_GROUPBOX, 1},
      {L"Edit", ES_READONLY | ES_AUTOHSCROLL, 2},
      {L"Static", SS_LEFT | SS_NOPREFIX, 10},
      {L"Static", SS_ICON, 1},
  };
  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  int y = 0;
  for (const Control& control : controls) {
    for (int i = 0; i < control.count; ++i, y += 9) {
      HWND child = CreateWindowExW(0, control.className, L"Text", WS_CHILD | WS_VISIBLE | control.style, 8, y,
                                   120, 9, window, nullptr, instance, nullptr);
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
  }
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
#ifdef NW_BARE_CONTROLS
  INITCOMMONCONTROLSEX common{sizeof common, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);
#endif
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"BareWindow";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, L"BareWindow", L"Bare", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                CW_USEDEFAULT, CW_USEDEFAULT, 439, 225, nullptr, nullptr, instance, nullptr);
#ifdef NW_BARE_CONTROLS
  AddControls(window, instance);
#endif
  ShowWindow(window, SW_SHOWNORMAL);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
