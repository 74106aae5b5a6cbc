// Owners of the Win32 handles the programs hold, each closed the way its kind
// is closed when its owner goes: kernel objects, loaded libraries, GDI
// objects, icons, cursors and windows.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace nw {

// A handle of a kernel object (a process, a thread, a file, an event, a token).
struct HandleClose {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleClose>;

// A library this program loaded.
struct ModuleFree {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree>;

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

struct IconDeleter {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

struct CursorDeleter {
  void operator()(HCURSOR cursor) const { DestroyCursor(cursor); }
};
using UniqueCursor = std::unique_ptr<std::remove_pointer_t<HCURSOR>, CursorDeleter>;

// A window this program made and destroys itself (one the system destroys
// with its owner needs none).
struct WindowDestroy {
  void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroy>;

}  // namespace nw
