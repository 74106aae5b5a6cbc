// What the program asks of its platform besides the registry: the command line,
// message boxes, the clipboard, ending the program and telling the shell of a
// change. Each has a Windows implementation; tests put doubles in their place.
#pragma once

#include <string>
#include <utility>

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

// A command line read before: its text as it was then.
class FixedCommandLine final : public CommandLine {
 public:
  explicit FixedCommandLine(std::wstring text) : text_(std::move(text)) {}
  std::wstring ArgumentText() override { return text_; }

 private:
  std::wstring text_;
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

// The shell reads registered folders when it opens a window and keeps what it
// read: after the registry changed, it is told to read them again, so an open
// Desktop or My Computer window shows the change at once. Telling it is a
// courtesy to open windows and cannot undo a command that is done, so neither
// call fails or throws; without a shell to tell they do nothing.
class ShellNotifier {
 public:
  // The shell folders a folder is placed in.
  enum class Folder { Desktop, MyComputer };

  virtual ~ShellNotifier() = default;
  // A class key changed: its name, icon or verbs are read again.
  virtual void ClassesChanged() noexcept = 0;
  // What the folder lists changed: its open windows list it again.
  virtual void FolderChanged(Folder folder) noexcept = 0;
};

// The services of the platform the program hands its main window.
struct Platform {
  CommandLine& commandLine;
  MessageBoxService& messageBox;
  Clipboard& clipboard;
  Program& program;
  // The shell told of each completed change; none where there is no shell to tell.
  ShellNotifier* shell = nullptr;
};

}  // namespace nw
