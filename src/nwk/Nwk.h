// nwk, the command-line companion of the windowed program: shows a settings
// file, exports its registration as a .reg file, makes and removes it, and
// compares it with the registry, all through the same core.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "NW_Core/NW_Core.h"
#include "nwk/Package.h"

namespace nw::nwk {

// Exit statuses.
inline constexpr int kExitDone = 0;
inline constexpr int kExitDiffers = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitUnreadable = 3;
inline constexpr int kExitRefused = 4;
inline constexpr int kExitRegistry = 5;
inline constexpr int kExitNoRegistry = 6;
inline constexpr int kExitRegistryUnreadable = 7;
inline constexpr int kExitCannotWrite = 8;
// make or remove failed, and putting the registry back as it was failed too.
inline constexpr int kExitNotRestored = 9;
// remove: an installed package owns the folder (and --force was not given).
inline constexpr int kExitOwned = 10;

// How the bytes of standard output encode their text: UTF-8, or UTF-16LE
// for an exported .reg file.
enum class Encoding { Utf8, Utf16Le };

// What a run printed: standard output as bytes, standard error as UTF-8.
struct Output {
  std::string out;
  std::string err;
  Encoding outEncoding = Encoding::Utf8;
};

// Where a run's output goes.
class OutputStream {
 public:
  virtual ~OutputStream() = default;
  // Writes all of the bytes, text in that encoding; false when they were not all taken.
  virtual bool Write(const std::string& bytes, Encoding encoding) = 0;
};

// A file or a pipe takes the bytes as they are.
class FileStream final : public OutputStream {
 public:
  explicit FileStream(std::FILE* file) : file_(file) {}
  bool Write(const std::string& bytes, Encoding encoding) override;

 private:
  std::FILE* file_;
};

// Runs one command line (without the program's name). `registry` is null
// where there is no registry, `shell` where there is no shell to tell of a
// change that make or remove completed, `installer` where there is no Windows
// Installer.
int Run(const std::vector<std::wstring>& args, Output& output, Registry* registry,
        ShellNotifier* shell = nullptr, Installer* installer = nullptr);

// Writes what a run printed to the two streams and returns the exit status.
// When standard output cannot take it all (a full disk, a closed pipe), the
// run fails with kExitCannotWrite and says so on standard error.
int Deliver(int status, const Output& output, OutputStream& out, OutputStream& err);

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
// Bytes as two lower-case hexadecimal digits each, joined by commas ("0a,ff").
std::wstring Hex(const std::vector<std::uint8_t>& bytes);

// Raised when the registry refuses to open or read a key that is there.
class RegistryReadError : public std::runtime_error {
 public:
  RegistryReadError(const std::wstring& key, long code)
      : std::runtime_error("registry read failed"), key(key), code(code) {}
  std::wstring key;
  long code;
};

// A key's path with its root's name, as nwk prints it.
std::wstring FullKeyName(RootKey root, const std::wstring& path);
// Opens the key to read it: nothing when it is not there; RegistryReadError
// when the registry refuses.
std::optional<UniqueKey> OpenToRead(Registry& registry, RootKey root, const std::wstring& path);

// Every difference between the registry and the layout, one line each; empty
// when the registry holds exactly the layout. A key that is not there is a
// difference; one that the registry cannot open or read (access denied, for
// one) raises RegistryReadError: what it holds is unknown.
std::vector<std::wstring> Differences(Registry& registry, const FolderDefinition& definition,
                                      Placement placement, Scope scope);

// The new command: a settings file from its parts.
struct NewFile {
  std::wstring name;
  std::wstring icon;
  std::vector<std::wstring> verbs;  // menu lines, "MENU;COMMAND;"
};
// Six bytes from a random source.
using RandomBytes = std::function<std::array<std::uint8_t, 6>()>;
// The system's cryptographic random source.
std::array<std::uint8_t, 6> SystemRandomBytes();
// Twelve upper-case hexadecimal digits from the random source, drawn again
// while a class key of that CLSID is registered in either scope.
std::wstring FreshClsid5(Registry* registry, const RandomBytes& random);
// Why the parts cannot make a file the reader reads back as given, if they cannot.
std::optional<std::wstring> NewFileRefusal(const NewFile& file);
// The file's bytes: CR LF line ends, text in the code page.
std::string NewFileBytes(const NewFile& file, const std::wstring& clsid5, CodePage codePage);
// Writes the file (an existing one only when forced), reads it back through
// the reader and reports the CLSID; returns the exit status.
int WriteNewFile(const NewFile& file, const std::wstring& path, bool force, Output& output,
                 Registry* registry, const RandomBytes& random = SystemRandomBytes);

// Writes the bytes to the file, replacing it; false when they were not all written.
bool WriteBytes(const std::wstring& path, const std::string& bytes);

// A key and everything below it as the registry holds it: a line for each
// key (its full path) and one for each value, as status reads them; nothing
// when the key is not there.
std::vector<std::wstring> RegistryLines(Registry& registry, RootKey root, const std::wstring& path);

// The list command's report: every folder of this layout in the scope, with its
// name, icon, verbs and placements, the installed packages that own it, and
// with `withRegistry` its keys and values.
std::wstring ListText(Registry& registry, Scope scope, bool withRegistry, Installer* installer = nullptr);
// The registrations of the definition's CLSID, in either scope, under another
// name than the definition's: "NAME" (key), one each.
std::vector<std::wstring> OtherRegistrations(Registry& registry, const FolderDefinition& definition);

// The show command's report and its warnings; `others` as OtherRegistrations gives them.
std::wstring ShowText(const FolderDefinition& definition, bool complete,
                      const std::vector<std::wstring>& others = {});

}  // namespace nw::nwk
