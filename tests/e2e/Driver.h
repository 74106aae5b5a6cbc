// Drives a Windows GUI program from a second process, for end-to-end tests:
// start it, find its windows, read its controls, press its buttons and keys,
// answer its message boxes and read the clipboard it leaves behind.
//
// Everything goes through messages, so it works on a window nobody has
// clicked on, in a virtual display with no window manager (Wine under Xvfb).
// Every wait is bounded and polls every 25 ms.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nw::e2e {

// Owners of the screen's DC, of memory DCs and of GDI objects, for std::unique_ptr.
struct ScreenDcRelease {
  void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct DcDelete {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct ObjectDelete {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};

// One kernel handle, closed when it goes.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept;
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle();

  HANDLE Get() const { return handle_; }
  HANDLE Release();

 private:
  HANDLE handle_ = nullptr;
};

// A program under test. It is killed when this goes, if it still runs, so a
// failing test never leaves a process behind.
class Process {
 public:
  // The exit code of a program ended by Kill().
  static constexpr UINT kKilledExitCode = 0xDEAD;

  // Runs `"exe" arguments` (no blank after the name when there are no
  // arguments) and waits until it is ready for input. Throws when it cannot start.
  static Process Start(const std::wstring& exe, const std::wstring& arguments);

  Process(Process&&) noexcept = default;
  Process& operator=(Process&&) noexcept;
  ~Process();

  DWORD Id() const { return id_; }
  // True once the program has ended (within `ms`).
  bool WaitForExit(DWORD ms) const;
  // The exit code, or STILL_ACTIVE while it runs.
  DWORD ExitCode() const;
  // Ends the program at once and waits for it to be gone.
  void Kill();

 private:
  Process(UniqueHandle process, UniqueHandle thread, DWORD id);

  UniqueHandle process_;
  UniqueHandle thread_;
  DWORD id_ = 0;
};

// Polls `condition` every 25 ms until it holds (true) or `timeoutMs` has passed (false).
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// The window's text as WM_GETTEXT gives it (this works across processes).
std::wstring TextOf(HWND window);
std::wstring ClassNameOf(HWND window);

// The visible top-level windows of a process, in z-order. A null class or
// title matches any; otherwise the class name matches in any letter case and
// the title exactly.
std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className = nullptr,
                                  const wchar_t* title = nullptr);
// The first of those to appear, or null after `timeoutMs`.
HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs);
// The same, and then until the window is the foreground window with the focus
// on one of its own: under Wine a new window is activated a moment after it
// shows, and keys and the pointer's shape go to the active window only.
HWND WaitForActiveWindow(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs);

// A control as another program sees it.
struct Control {
  HWND hwnd = nullptr;
  std::wstring className;
  std::wstring text;
  LONG style = 0;
  LONG exStyle = 0;
  int id = 0;
  // Where it lies in the client area of the window Children() was asked about.
  RECT rectInParentClient = {};
};

// Every descendant of `parent`, in z-order (for controls that were not
// reordered, the order they were created in, which is the tab order).
std::vector<Control> Children(HWND parent);
// The first of Children(parent) with that id, if any.
std::optional<Control> ChildById(HWND parent, int id);
// The client area of a window in screen coordinates.
RECT ClientRectOnScreen(HWND window);
// Where `window` lies in the client area of `reference`.
RECT RectInClientOf(HWND window, HWND reference);
// BST_CHECKED, BST_UNCHECKED or BST_INDETERMINATE.
LRESULT CheckState(HWND button);

// Presses a button: posted, as the click may open a modal message box, which
// would never let a sent message return.
void Click(HWND button);
// The window of `topLevel`'s thread that has the keyboard focus (may be null).
HWND FocusedWindow(HWND topLevel);
// Posts a key down and up to the focused window of `topLevel`'s thread (or to
// `topLevel` when nothing has the focus), as a real key press arrives.
void PressKey(HWND topLevel, UINT virtualKey);
// Alt+letter as the program sees it: WM_SYSCHAR alone. A bare Alt down and up
// around it would put the window into its system-menu mode instead.
void PressAccessKey(HWND topLevel, wchar_t letter);

// Real input, as the mouse and keyboard give it (SendInput): it goes to the
// window under the pointer or with the focus, as a user's would.

POINT CentreOf(const RECT& r);
RECT ScreenRectOf(HWND window);
// Returns once the window's thread has handled the input queued so far and
// the screen shows what that changed.
void Settle(HWND window);
// Returns once the X server has done what this process asked of it so far.
void SyncWithScreen();
// Moves the pointer and returns once it has arrived for good, the program
// (any window of its thread; may be null) having heard of it. Throws when the
// pointer ends elsewhere.
void MoveMouseTo(POINT at, HWND program);
// Presses or releases the left mouse button where the pointer is.
void LeftButton(bool down);
void ClickAt(POINT at, HWND program);
// Keys pressed in the order given, then released in reverse.
void PressKeys(std::initializer_list<WORD> keys);

enum class MessageBoxIcon { None, Stop, Information, Warning, Question, Unknown };

// A message box as the user sees it.
struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::wstring title;
  std::wstring text;
  MessageBoxIcon icon = MessageBoxIcon::None;
  int buttonCount = 0;
};

// The visible message boxes (top-level "#32770" windows) of a process.
std::vector<HWND> MessageBoxesOf(DWORD pid);
// Reads one message box. Its icon's handle means nothing outside the program,
// so the icon is told by its pixels on the screen: until the box has been
// painted, or while something covers it, it reads as Unknown.
MessageBoxInfo ReadMessageBox(HWND box);
// The first message box of the process once its icon can be told (or as it
// reads when `timeoutMs` runs out); nothing when no box appears in that time.
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, DWORD timeoutMs);
// Presses one of the box's buttons (IDOK, IDYES, ...).
void Answer(const MessageBoxInfo& box, int buttonId);
// Presses the box's OK button.
void Dismiss(const MessageBoxInfo& box);

// The Unicode text on the clipboard (empty when there is none).
std::wstring ReadClipboardText();

// The path a Windows program under Wine uses for a Unix path: Wine maps the
// Unix root to drive Z:.
std::wstring WinePathOf(std::string_view unixPath);

// Sets the display's DPI (HKCU\Control Panel\Desktop, LogPixels) for the
// programs started while it lives, and then puts the setting back as it was.
// Wine reads it when a process starts: a running one keeps the DPI it had.
class DisplayDpi {
 public:
  explicit DisplayDpi(DWORD dpi);
  ~DisplayDpi();
  DisplayDpi(const DisplayDpi&) = delete;
  DisplayDpi& operator=(const DisplayDpi&) = delete;

 private:
  HKEY key_ = nullptr;
  DWORD previous_ = 0;
  bool had_ = false;
};

}  // namespace nw::e2e
