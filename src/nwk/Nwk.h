// nwk, the command-line companion of the windowed program: shows a settings
// file, exports its registration as a .reg file, makes and removes it, and
// compares it with the registry, all through the same core.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "NW_Core/NW_Core.h"

namespace nw::nwk {

// Exit statuses.
inline constexpr int kExitDone = 0;
inline constexpr int kExitDiffers = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitUnreadable = 3;
inline constexpr int kExitRefused = 4;
inline constexpr int kExitRegistry = 5;
inline constexpr int kExitNoRegistry = 6;

// What a run printed: standard output as bytes, standard error as UTF-8.
struct Output {
  std::string out;
  std::string err;
};

// Runs one command line (without the program's name). `registry` is null
// where there is no registry.
int Run(const std::vector<std::wstring>& args, Output& output, Registry* registry);

// The whole layout of a placement, in the order MakeLink writes it.
std::vector<RegistryStep> LayoutSteps(const FolderDefinition& definition, Placement placement, Scope scope);

// Raised for a key name that a .reg file cannot hold: one with a line break or a "]".
class NoRegForm : public std::runtime_error {
 public:
  explicit NoRegForm(const std::wstring& key)
      : std::runtime_error("key name without a .reg form"), key(key) {}
  std::wstring key;
};

// The .reg files: the layout, and the deletion of everything RemoveLink deletes.
std::string RegFile(const std::vector<RegistryStep>& steps);
std::string RemovalRegFile(const std::vector<RemovalKey>& keys);
// A string as a .reg file quotes it, without the quotes.
std::wstring EscapeRegString(const std::wstring& text);
std::wstring RootName(RootKey root);

// Every difference between the registry and the layout, one line each; empty
// when the registry holds exactly the layout.
std::vector<std::wstring> Differences(Registry& registry, const FolderDefinition& definition,
                                      Placement placement, Scope scope);

// The show command's report and its warnings.
std::wstring ShowText(const FolderDefinition& definition, bool complete);

// Text encodings of the output.
std::string Utf8(const std::wstring& text);
std::string Utf16Le(const std::wstring& text);

}  // namespace nw::nwk
