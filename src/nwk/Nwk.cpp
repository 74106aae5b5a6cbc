// The command line: one command, one settings file, a few options.
#include "nwk/Nwk.h"

#include <cstdio>
#include <memory>
#include <optional>

#include "EasyReg/Snapshot.h"
#include "NW_Core/Texts.h"
#include "nwk/Texts.h"
#include "platform/AnsiText.h"
#include "platform/TextInput.h"

namespace nw::nwk {
namespace {

enum class Command { Show, Export, Make, Remove, Status, New, List, Package };

struct Options {
  Command command = Command::Show;
  std::wstring file;
  Placement placement = Placement::Desktop;
  bool placementGiven = false;
  Scope scope = Scope::Machine;
  bool removal = false;
  std::optional<std::wstring> outPath;
  // new
  std::optional<std::wstring> icon;
  std::vector<std::wstring> verbs;
  bool force = false;
  // list
  bool registryLines = false;
  // package
  std::optional<Arch> arch;
  std::wstring version = L"1.0.0";
};

struct UsageError {
  std::wstring message;
};

Options Parse(const std::vector<std::wstring>& args) {
  static constexpr struct {
    const wchar_t* name;
    Command command;
  } kCommands[] = {{L"show", Command::Show},     {L"export", Command::Export},  {L"make", Command::Make},
                   {L"remove", Command::Remove}, {L"status", Command::Status},  {L"new", Command::New},
                   {L"list", Command::List},     {L"package", Command::Package}};
  Options options;
  bool known = false;
  for (const auto& entry : kCommands)
    if (args[0] == entry.name) options.command = entry.command, known = true;
  if (!known) throw UsageError{text::kUnknownCommand + args[0]};

  auto allowed = [&](const std::wstring& option, std::initializer_list<Command> commands) {
    for (Command c : commands)
      if (c == options.command) return;
    throw UsageError{text::kOptionNotFor + option};
  };
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    auto value = [&]() -> const std::wstring& {
      if (i + 1 >= args.size()) throw UsageError{text::kMissingValue + arg};
      return args[++i];
    };
    if (arg == L"--placement") {
      allowed(arg, {Command::Export, Command::Make, Command::Status, Command::Package});
      const std::wstring& where = value();
      if (where == L"desktop")
        options.placement = Placement::Desktop;
      else if (where == L"system")
        options.placement = Placement::MyComputer;
      else if (where == L"manual")
        options.placement = Placement::Manual;
      else
        throw UsageError{text::kBadPlacement + where};
      options.placementGiven = true;
    } else if (arg == L"--user") {
      allowed(arg, {Command::Export, Command::Make, Command::Remove, Command::Status, Command::List,
                    Command::Package});
      options.scope = Scope::User;
    } else if (arg == L"--reg") {
      allowed(arg, {Command::List});
      options.registryLines = true;
    } else if (arg == L"--remove") {
      allowed(arg, {Command::Export});
      options.removal = true;
    } else if (arg == L"-o") {
      allowed(arg, {Command::Export, Command::New, Command::Package});
      options.outPath = value();
    } else if (arg == L"--icon") {
      allowed(arg, {Command::New});
      options.icon = value();
    } else if (arg == L"--verb") {
      allowed(arg, {Command::New});
      options.verbs.push_back(value());
    } else if (arg == L"--force") {
      allowed(arg, {Command::New, Command::Remove});
      options.force = true;
    } else if (arg == L"--arch") {
      allowed(arg, {Command::Package});
      const std::wstring& arch = value();
      if (arch == L"x86")
        options.arch = Arch::X86;
      else if (arch == L"x64")
        options.arch = Arch::X64;
      else
        throw UsageError{text::kBadArch + arch};
    } else if (arg == L"--version") {
      allowed(arg, {Command::Package});
      options.version = value();
      if (!IsProductVersion(options.version)) throw UsageError{text::kBadVersion + options.version};
    } else if (options.command != Command::List && options.file.empty() && !arg.empty() && arg[0] != L'-') {
      options.file = arg;
    } else {
      throw UsageError{text::kUnknownOption + arg};
    }
  }
  if (options.file.empty() && options.command != Command::List) throw UsageError{text::kMissingFile};
  if (options.command == Command::New && !options.outPath) throw UsageError{text::kNewMissingOutput};
  if (options.command == Command::Package && !options.outPath) throw UsageError{text::kPackageMissingOutput};
  if (options.removal && options.placementGiven)
    throw UsageError{text::kOptionNotFor + std::wstring(L"--placement")};
  return options;
}

// A folder placed by hand: nwk prints its CLSID on standard output, and on
// standard error how to make the folder.
class PrintedPlacement final : public ManualPlacement {
 public:
  explicit PrintedPlacement(Output& output) : output_(output) {}
  void Receive(const std::wstring& clsid) override {
    output_.out += Utf8(clsid) + "\n";
    output_.err += Utf8(text::kManualHint) + "\n";
  }

 private:
  Output& output_;
};

}  // namespace

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
#ifdef _WIN32
  std::unique_ptr<std::FILE, Closer> file(_wfopen(path.c_str(), L"wb"));
#else
  std::unique_ptr<std::FILE, Closer> file(std::fopen(ToAnsi(path, kUtf8).c_str(), "wb"));
#endif
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  return std::fclose(file.release()) == 0 && written;
}

namespace {

int Error(Output& output, int status, const std::wstring& message) {
  output.err += Utf8(text::kErrorPrefix + message) + "\n";
  return status;
}

int Package(const Options& options, const FolderDefinition& definition, Output& output, Registry* registry,
            Installer* installer) {
  if (!installer) return Error(output, kExitNoRegistry, text::kNoInstaller);
  PackageOptions package{options.placement, options.scope, options.arch.value_or(Arch::X64), options.version};
  PackagePlan plan;
  try {
    if (!options.arch) package.arch = installer->NativeArch();
    const Sha1 sha1 = [&](const std::string& bytes) { return installer->Hash(bytes); };
    plan = PlanPackage(definition, package, registry ? registry->AnsiCodePage() : CodePage{},
                       installer->ProgramIcon(), sha1);
  } catch (const PackageRefused& refused) {
    return Error(output, kExitRefused,
                 text::kPackageRefusedLine + std::to_wstring(refused.line) + text::kPackageRefusedOf +
                     options.file + L": " + refused.reason);
  }
  try {
    std::unique_ptr<InstallerDatabase> database = installer->Create(*options.outPath);
    WritePackage(plan, *database);
  } catch (const std::exception& failure) {
    return Error(output, kExitCannotWrite,
                 text::kCannotWrite + *options.outPath + L" (" + FromAnsi(failure.what()) + L")");
  }
  output.err += Utf8(text::kPackageWritten + *options.outPath) + "\n";
  output.out += Utf8(text::kProductCode + plan.productCode) + "\n";
  output.out += Utf8(text::kUpgradeCode + plan.upgradeCode) + "\n";
  return kExitDone;
}

// The installed packages that own the folder, for status and remove; none
// where there is no Windows Installer to ask.
std::vector<InstalledProduct> Owners(Installer* installer, const FolderDefinition& definition, Scope scope) {
  if (!installer) return {};
  try {
    return OwningPackages(*installer, definition.FolderClsid, scope);
  } catch (const std::exception&) {
    return {};  // no Windows Installer to ask: nothing is known to own it
  }
}

std::wstring Owner(const InstalledProduct& product) {
  return product.name + L" " + product.productCode;
}

int Execute(const Options& options, Output& output, Registry* registry, ShellNotifier* shell,
            Installer* installer) {
  if (options.command == Command::New) {
    const NewFile file{options.file, options.icon.value_or(text::kNewDefaultIcon), options.verbs};
    return WriteNewFile(file, *options.outPath, options.force, output, registry);
  }
  if (options.command == Command::List) {
    if (!registry) return Error(output, kExitNoRegistry, text::kNoRegistry);
    try {
      output.out += Utf8(ListText(*registry, options.scope, options.registryLines, installer));
    } catch (const RegistryReadError& failure) {
      return Error(output, kExitRegistryUnreadable,
                   text::kCannotReadRegistry + std::to_wstring(failure.code) + L"): " + failure.key);
    }
    return kExitDone;
  }
  FolderDefinition definition;
  bool complete = false;
  try {
    std::optional<TextInput> file = TextInput::Open(options.file);
    if (!file) return Error(output, kExitUnreadable, text::kCannotOpen + options.file);
    // The file is text of the system the registry belongs to.
    complete = ReadDefinition(*file, definition, registry ? registry->AnsiCodePage() : CodePage{});
  } catch (const std::exception&) {
    return Error(output, kExitUnreadable, text::kCannotOpen + options.file);
  }

  // A CLSID that names another folder already: the two would overwrite each other.
  std::vector<std::wstring> others;
  if (registry && complete && (options.command == Command::Show || options.command == Command::Status)) {
    try {
      others = OtherRegistrations(*registry, definition);
    } catch (const RegistryReadError&) {
      // Status reports what it cannot read; show shows the file alone.
    }
  }
  if (options.command == Command::Show) {
    output.out += Utf8(ShowText(definition, complete, others));
    return complete ? kExitDone : kExitRefused;
  }
  if (!complete) return Error(output, kExitRefused, text::kRefused + options.file);

  if (options.command == Command::Export) {
    std::string bytes;
    try {
      bytes = options.removal ? RemovalRegFile(RemovalKeys(definition, options.scope))
                              : RegFile(LayoutSteps(definition, options.placement, options.scope));
    } catch (const NoRegForm& failure) {
      return Error(output, kExitRefused, text::kNoRegForm + failure.key);
    }
    if (!options.outPath) {
      output.out += bytes;
      output.outEncoding = Encoding::Utf16Le;
    } else if (!WriteBytes(*options.outPath, bytes)) {
      return Error(output, kExitCannotWrite, text::kCannotWrite + *options.outPath);
    }
    return kExitDone;
  }

  if (options.command == Command::Package) return Package(options, definition, output, registry, installer);

  if (!registry) return Error(output, kExitNoRegistry, text::kNoRegistry);
  // Only status and remove ask Windows Installer, which is slow to load: make
  // does not need to know.
  const std::vector<InstalledProduct> owners = options.command == Command::Make
                                                   ? std::vector<InstalledProduct>{}
                                                   : Owners(installer, definition, options.scope);
  if (options.command == Command::Status) {
    std::vector<std::wstring> differences;
    try {
      differences = Differences(*registry, definition, options.placement, options.scope);
    } catch (const RegistryReadError& failure) {
      return Error(output, kExitRegistryUnreadable,
                   text::kCannotReadRegistry + std::to_wstring(failure.code) + L"): " + failure.key);
    }
    for (const std::wstring& other : others)
      output.err += Utf8(text::kWarningPrefix + std::wstring(text::kWarnOtherFolder) + other) + "\n";
    for (const InstalledProduct& owner : owners)
      output.err += Utf8(text::kNotePrefix + std::wstring(text::kOwnedBy) + Owner(owner)) + "\n";
    for (const std::wstring& line : differences) output.out += Utf8(line) + "\n";
    if (differences.empty()) output.out += Utf8(text::kMatches) + "\n";
    return differences.empty() ? kExitDone : kExitDiffers;
  }

  if (options.command == Command::Remove && !owners.empty() && !options.force) {
    for (const InstalledProduct& owner : owners) {
      Error(output, kExitOwned, text::kOwnedBy + Owner(owner));
      Error(output, kExitOwned, text::kOwnedRemoveHint + owner.productCode + L" /qn");
    }
    return Error(output, kExitOwned, text::kOwnedForce);
  }

  PrintedPlacement manual(output);
  const LinkServices services{*registry, manual, shell};
  try {
    if (options.command == Command::Make) {
      MakeLink(
          services, definition, [&] { return options.placement; }, options.scope);
      output.err += Utf8(text::kMade + definition.FolderClsid) + "\n";
    } else {
      RemoveLink(services, definition, options.scope);
      output.err += Utf8(text::kRemoved + definition.FolderClsid) + "\n";
    }
  } catch (const CommandRefused& refused) {
    return Error(output, kExitRefused, text::kRefused + FromAnsi(refused.what()));
  } catch (const NotRestored& failure) {
    Error(output, kExitNotRestored, text::kRegistryFailed + FromAnsi(failure.what()));
    for (const Unrestored& left : failure.left())
      Error(output, kExitNotRestored,
            text::kNotPutBack + RootName(left.root) + L"\\" + FromAnsi(left.path, registry->AnsiCodePage()));
    return kExitNotRestored;
  } catch (const std::exception& failure) {
    Error(output, kExitRegistry, text::kRegistryFailed + FromAnsi(failure.what()));
    return Error(output, kExitRegistry, text::kPutBack);
  }
  return kExitDone;
}

}  // namespace

bool FileStream::Write(const std::string& bytes, Encoding) {
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
  // The last bytes reach the file or pipe only here: a failure may show first here.
  return std::fflush(file_) == 0 && written;
}

int Deliver(int status, const Output& output, OutputStream& out, OutputStream& err) {
  std::string errors = output.err;
  if (!out.Write(output.out, output.outEncoding)) {
    errors += Utf8(text::kErrorPrefix + std::wstring(text::kCannotWriteOutput)) + "\n";
    status = kExitCannotWrite;
  }
  // Nothing is left to report a failure of standard error to.
  err.Write(errors, Encoding::Utf8);
  return status;
}

int Run(const std::vector<std::wstring>& args, Output& output, Registry* registry, ShellNotifier* shell,
        Installer* installer) {
  if (args.empty()) {
    output.err += Utf8(text::kUsage);
    return kExitUsage;
  }
  if (args[0] == L"--help" || args[0] == L"-h") {
    output.out += Utf8(text::kUsage);
    return kExitDone;
  }
  if (args[0] == L"--version") {
    output.out += Utf8(text::kVersionPrefix + FromAnsi(NWK_VERSION)) + "\n";
    return kExitDone;
  }
  try {
    return Execute(Parse(args), output, registry, shell, installer);
  } catch (const UsageError& error) {
    Error(output, kExitUsage, error.message);
    output.err += Utf8(text::kTryHelp) + "\n";
    return kExitUsage;
  }
}

}  // namespace nw::nwk
