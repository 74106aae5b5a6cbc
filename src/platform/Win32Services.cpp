#include "platform/Win32Services.h"

#include <cstring>
#include <memory>
#include <stdexcept>

namespace nw {

std::wstring Win32CommandLine::AfterProgramName(const wchar_t* commandLine) {
  const wchar_t* p = commandLine != nullptr ? commandLine : L"";
  // The program's name: quoted, or up to the first blank.
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

std::wstring Win32CommandLine::ArgumentText() {
  return AfterProgramName(GetCommandLineW());
}

void Win32MessageBox::Show(const std::wstring& text, const std::wstring& title, unsigned style) {
  // Before the main window is shown, a message stands on its own.
  HWND owner = owner_ != nullptr && IsWindowVisible(owner_) ? owner_ : nullptr;
  UINT flags = MB_OK | style;
  if (owner == nullptr) flags |= MB_TASKMODAL | MB_SETFOREGROUND;
  MessageBoxW(owner, text.c_str(), title.c_str(), flags);
}

namespace {

// Holds the clipboard open for as long as it lives.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) {
    if (owner == nullptr) throw std::runtime_error("clipboard without an owner window");
    // Another program may hold the clipboard for a moment: try a few times.
    for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != FALSE;
      if (!open_) Sleep(20);
    }
    if (!open_) throw std::runtime_error("clipboard unavailable");
  }
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;

 private:
  bool open_ = false;
};

struct GlobalFreer {
  void operator()(void* memory) const { GlobalFree(memory); }
};

}  // namespace

void Win32Clipboard::ReplaceText(const std::wstring& text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  std::unique_ptr<void, GlobalFreer> memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) throw std::bad_alloc();
  void* target = GlobalLock(memory.get());
  if (target == nullptr) throw std::runtime_error("clipboard memory");
  std::memcpy(target, text.c_str(), bytes);
  GlobalUnlock(memory.get());

  OpenClipboardScope clipboard(owner_);
  if (!EmptyClipboard()) throw std::runtime_error("clipboard not emptied");
  if (SetClipboardData(CF_UNICODETEXT, memory.get()) == nullptr)
    throw std::runtime_error("clipboard not set");
  memory.release();  // the clipboard owns it now
}

void Win32Program::End(int status) {
  ExitProcess(static_cast<UINT>(status));
}

}  // namespace nw
