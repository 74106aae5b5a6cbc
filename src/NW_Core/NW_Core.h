// The folder definition and what the program does with it: read it from the
// settings file, show it, write it into the registry and take it out again.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "EasyReg/EasyReg.h"
#include "EasyReg/Registry.h"
#include "platform/AnsiText.h"
#include "platform/Services.h"
#include "platform/TextInput.h"

namespace nw {

// The most menu lines a settings file may have: the reader's rule.
inline constexpr std::size_t kMenuSlots = 20;

struct MenuEntry {
  std::wstring MenuName;
  std::wstring MenuCommand;
  bool operator==(const MenuEntry&) const = default;
};

struct FolderDefinition {
  std::wstring FolderName;
  std::wstring FolderClsid;
  std::wstring FolderIcon;
  std::vector<MenuEntry> MenuItems;  // in file order
  bool operator==(const FolderDefinition&) const = default;
};

// Where "Make Link" puts the folder.
enum class Placement { Desktop, MyComputer, Manual };

// What the display needs of the main window: its five value fields.
class MainWindowView {
 public:
  enum class Field { Name, Clsid, Icon, Menu, Command };

  virtual ~MainWindowView() = default;
  virtual void SetField(Field field, const std::wstring& text) = 0;
};

// Exit status of the program when it ends for want of a settings file.
inline constexpr int kExitNoSettingsFile = 2;

// True when the command line names a settings file at all. Without one there
// is nothing to show: the program tells the user and ends.
bool CheckCommandLine(const std::wstring& argumentText);
// How far the settings file was read.
enum class SettingsRead {
  NoFileNamed,  // the command line is empty: nothing was read
  Incomplete,   // the file cannot be read, or a line is missing or wrong
  Complete,
};
// Settings file reader: checks the command line, then fills the definition as
// far as the file allows. The caller reports what is not Complete. The file's
// text is in the given ANSI code page, by default the system's.
SettingsRead ReadSettings(const std::wstring& argumentText, FolderDefinition& definition,
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

// Whose registration it is, and so which hive each key is written to: the
// machine's (HKEY_LOCAL_MACHINE) or the current user's (HKEY_CURRENT_USER).
// The layout names the class keys under HKEY_CLASSES_ROOT, but that is a
// merged view whose writes may land in either hive (in the user's when the
// user has the key already), so the class keys are always written to a hive
// by name, under its Software\Classes. Explorer merges both.
enum class Scope { Machine, User };
struct KeyLocation {
  RootKey root;
  std::wstring path;
};

// One place where a folder lives: the key that lists it, and its own key,
// named by the CLSID.
struct RemovalKey {
  KeyLocation parent;
  std::wstring name;
  KeyLocation Key() const { return {parent.root, parent.path + L"\\" + name}; }
};
struct FolderPlace : RemovalKey {
  // The shell folder that lists the folder (none for the class key), and the
  // placement that puts it there.
  std::optional<ShellNotifier::Folder> shellFolder;
  std::optional<Placement> placement;
};
// Where a folder of the CLSID lives in the scope: its class key, and its
// entry in each shell folder it can be placed in, each in its real hive.
struct FolderPlaces {
  FolderPlace classKey, desktop, myComputer;
  // All three, the class key first.
  std::array<const FolderPlace*, 3> All() const { return {&classKey, &desktop, &myComputer}; }
  // The entry the placement writes; none for Manual.
  const FolderPlace* Of(Placement placement) const;
};
FolderPlaces PlacesOf(Scope scope, const std::wstring& clsid);
// The keys removal deletes: the class key and both namespace entries.
std::vector<RemovalKey> RemovalKeys(const FolderDefinition& definition, Scope scope);

// The registration as data, in the order it is written: the class key with its
// values, one verb, and the namespace entry of a placement (none for Manual).
std::vector<RegistryStep> ClassSteps(const FolderDefinition& definition, const FolderPlaces& places);
std::vector<RegistryStep> VerbSteps(const FolderDefinition& definition, const FolderPlaces& places,
                                    std::size_t index);
std::vector<RegistryStep> PlacementSteps(const FolderPlaces& places, Placement placement);
void ApplySteps(Registry& registry, const std::vector<RegistryStep>& steps);

// The whole layout of a registration, in the scope's hives and in the order it
// is written: the class key and its values, a verb for each menu entry, then
// the placement's namespace entry. Make Link writes exactly this; nwk exports
// it and compares the registry with it. Throws std::out_of_range for more menu
// entries than the table holds.
std::vector<RegistryStep> LayoutSteps(const FolderDefinition& definition, Placement placement, Scope scope);

// Receives the CLSID of a folder placed by hand (Manual), once the registry
// holds the class. Throws when it cannot take it: the command then fails.
class ManualPlacement {
 public:
  virtual ~ManualPlacement() = default;
  virtual void Receive(const std::wstring& clsid) = 0;
};

// The program's manual placement: the CLSID goes on the clipboard, and a
// message says so.
class ClipboardPlacement final : public ManualPlacement {
 public:
  ClipboardPlacement(Clipboard& clipboard, MessageBoxService& messageBox)
      : clipboard_(clipboard), messageBox_(messageBox) {}
  void Receive(const std::wstring& clsid) override;

 private:
  Clipboard& clipboard_;
  MessageBoxService& messageBox_;
};

// What Make Link and Remove Link work with: the registry, where a folder
// placed by hand goes, and the shell to tell of each completed change (none
// where there is no shell to tell).
struct LinkServices {
  Registry& registry;
  ManualPlacement& manual;
  ShellNotifier* shell = nullptr;
};

// Registers the folder and places it: writes the layout of the placement,
// then hands a folder placed by hand its CLSID.
// Once the registry holds it all, the shell hears that the class changed, and
// that the folder it was placed in did (Manual places it nowhere).
void MakeLink(const LinkServices& services, const FolderDefinition& definition, Placement placement,
              Scope scope = Scope::Machine);
// Deletes the class key and both namespace entries. Once they are gone, the
// shell hears of each that was there: the class, and each folder that listed it.
void RemoveLink(const LinkServices& services, const FolderDefinition& definition,
                Scope scope = Scope::Machine);

// Runs one command under the program's single error trap: any error ends the
// command and is reported with the one error message. True when it completed.
bool RunCommand(MessageBoxService& messageBox, const std::function<void()>& command);

}  // namespace nw
