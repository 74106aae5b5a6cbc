// One static window procedure for every window that a C++ object owns: the
// object arrives as CreateWindowEx's creation parameter, is kept with the
// window, and receives each message from WM_NCCREATE on (where the window also
// asks for its caption to be scaled with its DPI). At WM_NCDESTROY, the
// window's last message, they part: the object's hwnd_ is cleared and the
// window gets its default handling.
//
// The owner befriends the procedure and has an `HWND hwnd_` and a
// `LRESULT HandleMessage(UINT, WPARAM, LPARAM)`.
#pragma once

#include <windows.h>

#include "platform/Dpi.h"

namespace nw {

template <typename Owner>
LRESULT CALLBACK OwnerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Owner* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    ScaleNonClientArea(hwnd);
  } else {
    self = reinterpret_cast<Owner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return self->HandleMessage(message, wParam, lParam);
}

}  // namespace nw
