// The command line: one verb, its operand and a few options, read against the
// table of verbs; what every verb shares; and the way out of the program.
#include "nwk/Nwk.h"

#include <cstdio>
#include <memory>
#include <optional>

#include "nwk/Texts.h"
#include "nwk/Verbs.h"
#include "platform/AnsiText.h"
#include "platform/TextInput.h"

namespace nw::nwk {

// The verbs' functions, each in a file of its own.
int RunShow(const Options& options, Context& context);
int RunExport(const Options& options, Context& context);
int RunMake(const Options& options, Context& context);
int RunRemove(const Options& options, Context& context);
int RunStatus(const Options& options, Context& context);
int RunNew(const Options& options, Context& context);
int RunList(const Options& options, Context& context);
int RunPackage(const Options& options, Context& context);

namespace {

// Every verb, in the order the usage lists them.
constexpr Verb kVerbs[] = {
    {L"new", msg::kUsageNew, kOptOut | kOptIcon | kOptVerb | kOptForce, true, RunNew},
    {L"list", msg::kUsageList, kOptUser | kOptReg, false, RunList},
    {L"show", msg::kUsageShow, 0, true, RunShow},
    {L"export", msg::kUsageExport, kOptPlacement | kOptUser | kOptRemove | kOptOut, true, RunExport},
    {L"make", msg::kUsageMake, kOptPlacement | kOptUser, true, RunMake},
    {L"remove", msg::kUsageRemove, kOptUser | kOptForce, true, RunRemove},
    {L"status", msg::kUsageStatus, kOptPlacement | kOptUser, true, RunStatus},
    {L"package", msg::kUsagePackage, kOptPlacement | kOptUser | kOptOut | kOptArch | kOptVersion, true,
     RunPackage},
};

// The exit statuses, as the usage explains them.
constexpr struct {
  int status;
  const wchar_t* meaning;
} kStatuses[] = {
    {kExitDone, msg::kStatusDone},
    {kExitDiffers, msg::kStatusDiffers},
    {kExitUsage, msg::kStatusUsage},
    {kExitUnreadable, msg::kStatusUnreadable},
    {kExitRefused, msg::kStatusRefused},
    {kExitRegistry, msg::kStatusRegistry},
    {kExitNoRegistry, msg::kStatusNoRegistry},
    {kExitRegistryUnreadable, msg::kStatusRegistryUnreadable},
    {kExitCannotWrite, msg::kStatusCannotWrite},
    {kExitNotRestored, msg::kStatusNotRestored},
    {kExitOwned, msg::kStatusOwned},
};

std::wstring Usage() {
  std::wstring usage = msg::kUsageSynopsis;
  usage += msg::kUsageCommands;
  for (const Verb& verb : kVerbs) usage += std::wstring(L"  ") + verb.usage + L"\n";
  usage += msg::kUsageOptions;
  usage += msg::kUsageVerbOption + std::to_wstring(kMenuSlots) + L"\n";
  usage += msg::kUsageMoreOptions;
  usage += msg::kUsageStatusHeading;
  for (const auto& entry : kStatuses)
    usage += (entry.status == kStatuses[0].status ? L"" : L",\n  ") + std::to_wstring(entry.status) + L" " +
             entry.meaning;
  return usage + L".\n";
}

struct UsageError {
  std::wstring message;
};

// The verb the command line names, and what follows it.
struct CommandLine {
  const Verb* verb = nullptr;
  Options options;
};

CommandLine Parse(const std::vector<std::wstring>& args) {
  CommandLine line;
  for (const Verb& verb : kVerbs)
    if (args[0] == verb.name) line.verb = &verb;
  if (line.verb == nullptr) throw UsageError{msg::kUnknownCommand + args[0]};
  Options& options = line.options;

  static constexpr struct {
    const wchar_t* name;
    OptionBit bit;
  } kOptionNames[] = {{L"--placement", kOptPlacement}, {L"--user", kOptUser},
                      {L"--remove", kOptRemove},       {L"-o", kOptOut},
                      {L"--icon", kOptIcon},           {L"--verb", kOptVerb},
                      {L"--force", kOptForce},         {L"--reg", kOptReg},
                      {L"--arch", kOptArch},           {L"--version", kOptVersion}};
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    auto value = [&]() -> const std::wstring& {
      if (i + 1 >= args.size()) throw UsageError{msg::kMissingValue + arg};
      return args[++i];
    };
    unsigned bit = 0;
    for (const auto& option : kOptionNames)
      if (arg == option.name) bit = option.bit;
    if (bit == 0) {
      if (!line.verb->takesOperand || !options.operand.empty() || arg.empty() || arg[0] == L'-')
        throw UsageError{msg::kUnknownOption + arg};
      options.operand = arg;
      continue;
    }
    if ((line.verb->options & bit) == 0) throw UsageError{msg::kOptionNotFor + arg};
    switch (bit) {
      case kOptPlacement: {
        const std::wstring& where = value();
        if (where == L"desktop")
          options.placement = Placement::Desktop;
        else if (where == L"system")
          options.placement = Placement::MyComputer;
        else if (where == L"manual")
          options.placement = Placement::Manual;
        else
          throw UsageError{msg::kBadPlacement + where};
        options.placementGiven = true;
        break;
      }
      case kOptUser: options.scope = Scope::User; break;
      case kOptRemove: options.removal = true; break;
      case kOptOut: options.outPath = value(); break;
      case kOptIcon: options.icon = value(); break;
      case kOptVerb: options.verbs.push_back(value()); break;
      case kOptForce: options.force = true; break;
      case kOptReg: options.registryLines = true; break;
      case kOptArch: {
        const std::wstring& arch = value();
        if (arch == L"x86")
          options.arch = Arch::X86;
        else if (arch == L"x64")
          options.arch = Arch::X64;
        else
          throw UsageError{msg::kBadArch + arch};
        break;
      }
      case kOptVersion:
        options.version = value();
        if (!IsProductVersion(options.version)) throw UsageError{msg::kBadVersion + options.version};
        break;
    }
  }
  if (line.verb->takesOperand && options.operand.empty()) throw UsageError{msg::kMissingFile};
  // The verbs that write a file are given its name.
  if (line.verb->run == RunNew && !options.outPath) throw UsageError{msg::kNewMissingOutput};
  if (line.verb->run == RunPackage && !options.outPath) throw UsageError{msg::kPackageMissingOutput};
  if (options.removal && options.placementGiven)
    throw UsageError{msg::kOptionNotFor + std::wstring(L"--placement")};
  return line;
}

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

int Fail(Output& output, int status, const std::wstring& message) {
  output.err += Utf8(msg::kErrorPrefix + message) + "\n";
  return status;
}

int FailUnreadable(Output& output, const RegistryReadError& failure) {
  return Fail(output, kExitRegistryUnreadable,
              msg::kCannotReadRegistry + std::to_wstring(failure.code) + L"): " + failure.key);
}

std::optional<SettingsFile> ReadSettingsFile(const Options& options, Context& context) {
  SettingsFile file;
  try {
    std::optional<TextInput> input = TextInput::Open(options.operand);
    if (!input) {
      Fail(context.output, kExitUnreadable, msg::kCannotOpen + options.operand);
      return std::nullopt;
    }
    // The file is text of the system the registry belongs to.
    file.complete = ReadDefinition(*input, file.definition,
                                   context.registry ? context.registry->AnsiCodePage() : CodePage{});
  } catch (const std::exception&) {
    Fail(context.output, kExitUnreadable, msg::kCannotOpen + options.operand);
    return std::nullopt;
  }
  return file;
}

std::optional<FolderDefinition> CompleteDefinition(const Options& options, Context& context, int& status) {
  std::optional<SettingsFile> file = ReadSettingsFile(options, context);
  if (!file) {
    status = kExitUnreadable;
    return std::nullopt;
  }
  if (!file->complete) {
    status = Fail(context.output, kExitRefused, msg::kRefused + options.operand);
    return std::nullopt;
  }
  return std::move(file->definition);
}

std::vector<InstalledProduct> Owners(Installer* installer, const std::wstring& clsid, Scope scope) {
  if (!installer) return {};
  try {
    return OwningPackages(*installer, clsid, scope);
  } catch (const std::exception&) {
    return {};  // no Windows Installer to ask: nothing is known to own it
  }
}

std::wstring Owner(const InstalledProduct& product) {
  return product.name + L" " + product.productCode;
}

bool FileStream::Write(const std::string& bytes, Encoding) {
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
  // The last bytes reach the file or pipe only here: a failure may show first here.
  return std::fflush(file_) == 0 && written;
}

int Deliver(int status, const Output& output, OutputStream& out, OutputStream& err) {
  std::string errors = output.err;
  if (!out.Write(output.out, output.outEncoding)) {
    errors += Utf8(msg::kErrorPrefix + std::wstring(msg::kCannotWriteOutput)) + "\n";
    status = kExitCannotWrite;
  }
  // Nothing is left to report a failure of standard error to.
  err.Write(errors, Encoding::Utf8);
  return status;
}

int Run(const std::vector<std::wstring>& args, Output& output, Registry* registry, ShellNotifier* shell,
        Installer* installer) {
  if (args.empty()) {
    output.err += Utf8(Usage());
    return kExitUsage;
  }
  if (args[0] == L"--help" || args[0] == L"-h") {
    output.out += Utf8(Usage());
    return kExitDone;
  }
  if (args[0] == L"--version") {
    output.out += Utf8(msg::kVersionPrefix + FromAnsi(NWK_VERSION)) + "\n";
    return kExitDone;
  }
  try {
    const CommandLine line = Parse(args);
    Context context{output, registry, shell, installer};
    return line.verb->run(line.options, context);
  } catch (const UsageError& error) {
    Fail(output, kExitUsage, error.message);
    output.err += Utf8(msg::kTryHelp) + "\n";
    return kExitUsage;
  }
}

}  // namespace nw::nwk
