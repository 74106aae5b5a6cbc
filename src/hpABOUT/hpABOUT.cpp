#include "hpABOUT/hpABOUT.h"

#include <stdexcept>

namespace nw {
namespace {

constexpr wchar_t kClassName[] = L"NookwayerAbout";
constexpr int kClientWidth = 4290, kClientHeight = 2475;  // twips

LRESULT CALLBACK AboutProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONUP: DestroyWindow(hwnd); return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) DestroyWindow(hwnd);
      return 0;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

void ShowAboutModal(HINSTANCE instance, HWND owner) {
  static const ATOM registered = [instance] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &AboutProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass);
  }();
  if (registered == 0) throw std::runtime_error("about window class");

  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const DWORD style = WS_POPUP | WS_DLGFRAME;
  RECT rect{0, 0, MulDiv(kClientWidth, dpi, 1440), MulDiv(kClientHeight, dpi, 1440)};
  AdjustWindowRectEx(&rect, style, FALSE, 0);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HWND about = CreateWindowExW(0, kClassName, L"", style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, owner, nullptr,
                               instance, nullptr);
  if (about == nullptr) throw std::runtime_error("about window");

  EnableWindow(owner, FALSE);
  ShowWindow(about, SW_SHOWNORMAL);
  MSG message;
  while (IsWindow(about) && GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  EnableWindow(owner, TRUE);
  SetActiveWindow(owner);
  if (message.message == WM_QUIT) PostQuitMessage(static_cast<int>(message.wParam));
}

}  // namespace nw
