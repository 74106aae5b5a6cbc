// nwk's verbs: one row each (its name, its line of the usage, the options it
// takes and the function that runs it), and what every verb works with. Each
// verb's function lives in a file of its own; make and remove share one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "nwk/Nwk.h"

namespace nw::nwk {

// The options a verb may take, one bit each.
enum OptionBit : unsigned {
  kOptPlacement = 1u << 0,
  kOptUser = 1u << 1,
  kOptRemove = 1u << 2,
  kOptOut = 1u << 3,
  kOptIcon = 1u << 4,
  kOptVerb = 1u << 5,
  kOptForce = 1u << 6,
  kOptReg = 1u << 7,
  kOptArch = 1u << 8,
  kOptVersion = 1u << 9,
};

// A command line as read.
struct Options {
  std::wstring operand;  // the settings file, or for new the folder's name
  Placement placement = Placement::Desktop;
  bool placementGiven = false;
  Scope scope = Scope::Machine;
  bool removal = false;
  std::optional<std::wstring> outPath;
  std::optional<std::wstring> icon;
  std::vector<std::wstring> verbs;
  bool force = false;
  bool registryLines = false;
  std::optional<Arch> arch;
  std::wstring version = L"1.0.0";
};

// What a verb works with: where its text goes, and the system's registry,
// shell and Windows Installer, each null where there is none.
struct Context {
  Output& output;
  Registry* registry;
  ShellNotifier* shell;
  Installer* installer;
};

struct Verb {
  const wchar_t* name;
  const wchar_t* usage;  // its line under "Commands:"
  unsigned options;      // the OptionBits it takes
  bool takesOperand;     // a settings file (new: a name)
  int (*run)(const Options&, Context&);
};

// The one way a verb reports a failure: "nwk: MESSAGE" on standard error.
// Returns the status, for the verb to return.
int Fail(Output& output, int status, const std::wstring& message);
// The message of a registry that cannot be read.
int FailUnreadable(Output& output, const RegistryReadError& failure);

// The settings file the command line names, as read: nothing when it cannot
// be read (reported, exit status 3).
struct SettingsFile {
  FolderDefinition definition;
  bool complete = false;
};
std::optional<SettingsFile> ReadSettingsFile(const Options& options, Context& context);
// The same, but only a file the reader takes whole (a refused one reported,
// exit status 4); `status` receives the status of a failure.
std::optional<FolderDefinition> CompleteDefinition(const Options& options, Context& context, int& status);

// The installed packages that own the folder; none where there is no Windows
// Installer to ask.
std::vector<InstalledProduct> Owners(Installer* installer, const std::wstring& clsid, Scope scope);
std::wstring Owner(const InstalledProduct& product);

}  // namespace nw::nwk
