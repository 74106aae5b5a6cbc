// The folder definition and what the program does with it: read it from the
// settings file, show it, write it into the registry and take it out again.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "EasyReg/EasyReg.h"
#include "platform/AnsiText.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/TextInput.h"

namespace nw {

inline constexpr std::size_t kMenuSlots = 20;

struct MenuEntry {
  std::wstring MenuName;
  std::wstring MenuCommand;
};

struct FolderDefinition {
  std::wstring FolderName;
  std::wstring FolderClsid;
  std::wstring FolderIcon;
  std::array<MenuEntry, kMenuSlots> MenuItems;
  std::uint8_t MenuCount = 0;
};

// The one folder definition of the run: filled once at start-up, read afterwards.
extern FolderDefinition Definition;

// Where "Make Link" puts the folder.
enum class Placement { Desktop, MyComputer, Manual };

// What the settings reader and the display need of the main window.
class MainWindowView {
 public:
  enum class Control { MakeLinkButton, DesktopOption, SystemOption };
  enum class Field { Name, Clsid, Icon, Menu, Command };

  virtual ~MainWindowView() = default;
  virtual void SetEnabled(Control control, bool enabled) = 0;
  virtual void SetField(Field field, const std::wstring& text) = 0;
  // Closes the main window (allowed while it is still loading).
  virtual void Unload() = 0;
};

// The platform services the core works with, passed in by the caller.
struct Platform {
  CommandLine& commandLine;
  MessageBoxService& messageBox;
  Clipboard& clipboard;
  Program& program;
  Registry& registry;
  // The shell told of each completed change; none where there is no shell to tell.
  ShellNotifier* shell = nullptr;
};

// Exit status of the program when it ends for want of a settings file.
inline constexpr int kExitNoSettingsFile = 2;

// Settings file reader. Ends the program (through the platform) when the
// command line is empty; otherwise fills the definition as far as the file
// allows and reports an unreadable file with one message. The file's text is in
// the given ANSI code page, by default the system's.
void CheckCommandLine(const Platform& platform, MainWindowView& window);
void ReadSettings(const Platform& platform, MainWindowView& window, FolderDefinition& definition,
                  CodePage codePage = {});
// Reads settings lines into the definition, field by field as each line passes
// its test. False as soon as a line is missing or wrong. Each line is converted
// whole before it is looked at, so keys and fields count characters, not bytes.
bool ReadDefinition(TextInput& input, FolderDefinition& definition, CodePage codePage = {});
// The file path a command line names: the whole text, or the text inside one
// pair of surrounding double quotes.
std::wstring SettingsPath(const std::wstring& argumentText);
// Fills one menu entry from a menu line.
MenuEntry SplitMenuLine(const std::wstring& line);

// Copies the definition into the main window's five value fields.
void ShowDefinition(MainWindowView& window, const FolderDefinition& definition);

// Raised when a command is refused before it touches anything.
class CommandRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One registry step of the folder's registration.
struct RegistryStep {
  enum class Action { CreateKey, SetValue };
  Action action;
  RootKey root;
  std::wstring keyPath;
  std::wstring valueName;
  long type = 0;
  ValueData data;
};

// The registration as data, in the order it is written: the class key with its
// values, one verb, and the namespace entry of a placement (none for Manual).
std::vector<RegistryStep> ClassSteps(const FolderDefinition& definition);
std::vector<RegistryStep> VerbSteps(const FolderDefinition& definition, std::size_t index);
std::vector<RegistryStep> PlacementSteps(const FolderDefinition& definition, Placement placement);
void ApplySteps(Registry& registry, const std::vector<RegistryStep>& steps);

// Whose registration it is, and so which hive each key is written to. The
// layout names the class keys under HKEY_CLASSES_ROOT, but that is a merged view
// whose writes may land in either hive (in the user's when the user has the key
// already), so the class keys are always written to a hive by name:
// HKCR\P becomes HKLM\Software\Classes\P for the machine and
// HKCU\Software\Classes\P for the current user, where HKLM\P also becomes
// HKCU\P. Explorer merges both.
enum class Scope { Machine, User };
struct KeyLocation {
  RootKey root;
  std::wstring path;
};
KeyLocation InScope(RootKey root, const std::wstring& path, Scope scope);
std::vector<RegistryStep> InScope(std::vector<RegistryStep> steps, Scope scope);
// The keys removal deletes, as parent and subkey name: the class key and both
// namespace entries.
struct RemovalKey {
  KeyLocation parent;
  std::wstring name;
};
std::vector<RemovalKey> RemovalKeys(const FolderDefinition& definition, Scope scope);

// Registers the folder and places it; the placement is asked for when needed.
// Once the registry holds it all, the shell hears that the class changed, and
// that the folder it was placed in did (Manual places it nowhere).
void MakeLink(const Platform& platform, const FolderDefinition& definition,
              const std::function<Placement()>& placement, Scope scope = Scope::Machine);
// Deletes the class key and both namespace entries. Once they are gone, the
// shell hears of each that was there: the class, and each folder that listed it.
void RemoveLink(const Platform& platform, const FolderDefinition& definition, Scope scope = Scope::Machine);

// Runs one command under the program's single error trap: any error ends the
// command and is reported with the one error message. True when it completed.
bool RunCommand(MessageBoxService& messageBox, const std::function<void()>& command);

}  // namespace nw
