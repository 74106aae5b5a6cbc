// What the program asks of its platform besides the registry: the command line,
// message boxes, the clipboard and ending the program. Each has a Windows
// implementation; tests put doubles in their place.
#pragma once

#include <string>

namespace nw {

// Message-box styles the program uses: one OK button with an icon.
inline constexpr unsigned kStyleInformation = 64;
inline constexpr unsigned kStyleStop = 16;

class CommandLine {
 public:
  virtual ~CommandLine() = default;
  // Everything after the program's own name, as one string; empty when nothing was given.
  virtual std::wstring ArgumentText() = 0;
};

class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  // Modal; returns when the user has dismissed it.
  virtual void Show(const std::wstring& text, const std::wstring& title, unsigned style) = 0;
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Empties the clipboard and leaves exactly this text on it. Throws when it cannot.
  virtual void ReplaceText(const std::wstring& text) = 0;
};

class Program {
 public:
  virtual ~Program() = default;
  // Stops the program at once with this exit status; nothing after the call runs.
  [[noreturn]] virtual void End(int status) = 0;
};

}  // namespace nw
