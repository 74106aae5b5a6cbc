// The platform services on Windows.
#pragma once

#include <windows.h>

#include "platform/Services.h"

namespace nw {

class Win32CommandLine final : public CommandLine {
 public:
  std::wstring ArgumentText() override;
  // What follows the program's name in a full command line.
  static std::wstring AfterProgramName(const wchar_t* commandLine);
};

class Win32MessageBox final : public MessageBoxService {
 public:
  void Show(const std::wstring& text, const std::wstring& title, unsigned style) override;
  // The window the message boxes belong to (none: task-modal).
  void SetOwner(HWND owner) { owner_ = owner; }

 private:
  HWND owner_ = nullptr;
};

// The clipboard is opened for a window, which becomes its owner when it is
// emptied: without one, EmptyClipboard leaves it ownerless and
// SetClipboardData fails. Without an owner, ReplaceText throws.
class Win32Clipboard final : public Clipboard {
 public:
  void ReplaceText(const std::wstring& text) override;
  void SetOwner(HWND owner) { owner_ = owner; }

 private:
  HWND owner_ = nullptr;
};

class Win32Program final : public Program {
 public:
  [[noreturn]] void End(int status) override;
};

}  // namespace nw
