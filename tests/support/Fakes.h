// Stand-ins for the platform and the main window, for tests without a window.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "NW_Core/NW_Core.h"

namespace nw::test {

class FakeCommandLine final : public CommandLine {
 public:
  explicit FakeCommandLine(std::wstring text = {}) : text(std::move(text)) {}
  std::wstring ArgumentText() override { return text; }
  std::wstring text;
};

struct ShownMessage {
  std::wstring text;
  std::wstring title;
  unsigned style;
  bool operator==(const ShownMessage&) const = default;
};

class RecordingMessageBox final : public MessageBoxService {
 public:
  void Show(const std::wstring& text, const std::wstring& title, unsigned style) override {
    shown.push_back({text, title, style});
  }
  std::vector<ShownMessage> shown;
};

class FakeClipboard final : public Clipboard {
 public:
  void ReplaceText(const std::wstring& value) override {
    if (fail) throw std::runtime_error("clipboard unavailable");
    text = value;
    ++writes;
  }
  std::wstring text = L"(untouched)";
  int writes = 0;
  bool fail = false;
};

// Thrown where the real program would have stopped.
struct ProgramEnded {
  int status;
};

class FakeProgram final : public Program {
 public:
  [[noreturn]] void End(int status) override { throw ProgramEnded{status}; }
};

class FakeWindow final : public MainWindowView {
 public:
  void SetField(Field field, const std::wstring& text) override {
    fields[static_cast<int>(field)] = text;
    events.push_back(L"field " + std::to_wstring(static_cast<int>(field)));
  }
  std::vector<std::wstring> events;
  std::wstring fields[5];
};

// What the shell was told, in order: "classes", "Desktop", "My Computer".
class RecordingShell final : public ShellNotifier {
 public:
  void ClassesChanged() noexcept override { told.push_back("classes"); }
  void FolderChanged(Folder folder) noexcept override {
    told.push_back(folder == Folder::Desktop ? "Desktop" : "My Computer");
  }
  std::vector<std::string> told;
};

// The platform with doubles everywhere but the registry, which the test
// supplies: as the program hands it its main window, and as Make Link and
// Remove Link take it (a folder placed by hand goes to the clipboard).
struct FakePlatform {
  explicit FakePlatform(Registry& registry, std::wstring commandLine = {})
      : commandLine(std::move(commandLine)),
        platform{this->commandLine, messages, clipboard, program, &shell},
        registry(registry),
        link{registry, manual, &shell} {}
  FakeCommandLine commandLine;
  RecordingMessageBox messages;
  FakeClipboard clipboard;
  FakeProgram program;
  RecordingShell shell;
  ClipboardPlacement manual{clipboard, messages};
  Platform platform;
  Registry& registry;
  LinkServices link;
};

}  // namespace nw::test
