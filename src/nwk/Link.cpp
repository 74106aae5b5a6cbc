// The make and remove commands: Make Link and Remove Link over the registry,
// all or nothing, as the windowed program runs them.
#include "EasyReg/Snapshot.h"
#include "nwk/Nwk.h"
#include "nwk/Texts.h"
#include "nwk/Verbs.h"
#include "platform/AnsiText.h"

namespace nw::nwk {
namespace {

// A folder placed by hand: nwk prints its CLSID on standard output, and on
// standard error how to make the folder.
class PrintedPlacement final : public ManualPlacement {
 public:
  explicit PrintedPlacement(Output& output) : output_(output) {}
  void Receive(const std::wstring& clsid) override {
    output_.out += Utf8(clsid) + "\n";
    output_.err += Utf8(msg::kManualHint) + "\n";
  }

 private:
  Output& output_;
};

// Runs Make Link or Remove Link on the file's definition and reports it as
// done, or how it failed and what it left.
int Change(const Options& options, Context& context, const FolderDefinition& definition,
           void (*change)(const Options&, const LinkServices&, const FolderDefinition&),
           const wchar_t* done) {
  Output& output = context.output;
  if (!context.registry) return Fail(output, kExitNoRegistry, msg::kNoRegistry);
  PrintedPlacement manual(output);
  const LinkServices services{*context.registry, manual, context.shell};
  try {
    change(options, services, definition);
  } catch (const CommandRefused& refused) {
    return Fail(output, kExitRefused, msg::kRefused + FromAnsi(refused.what()));
  } catch (const NotRestored& failure) {
    Fail(output, kExitNotRestored, msg::kRegistryFailed + FromAnsi(failure.what()));
    for (const Unrestored& left : failure.left())
      Fail(output, kExitNotRestored,
           msg::kNotPutBack + RootName(left.root) + L"\\" +
               FromAnsi(left.path, context.registry->AnsiCodePage()));
    return kExitNotRestored;
  } catch (const std::exception& failure) {
    Fail(output, kExitRegistry, msg::kRegistryFailed + FromAnsi(failure.what()));
    return Fail(output, kExitRegistry, msg::kPutBack);
  }
  output.err += Utf8(done + definition.FolderClsid) + "\n";
  return kExitDone;
}

}  // namespace

int RunMake(const Options& options, Context& context) {
  int status = kExitDone;
  const std::optional<FolderDefinition> definition = CompleteDefinition(options, context, status);
  if (!definition) return status;
  // Make asks Windows Installer nothing (it is slow to load): a package that
  // owns the folder holds the same layout.
  return Change(
      options, context, *definition,
      [](const Options& options, const LinkServices& services, const FolderDefinition& definition) {
        MakeLink(services, definition, options.placement, options.scope);
      },
      msg::kMade);
}

int RunRemove(const Options& options, Context& context) {
  int status = kExitDone;
  const std::optional<FolderDefinition> definition = CompleteDefinition(options, context, status);
  if (!definition) return status;
  // A folder an installed package owns is the package's to take away: a
  // repair of it would bring the keys back.
  if (!options.force) {
    const std::vector<InstalledProduct> owners =
        Owners(context.installer, definition->FolderClsid, options.scope);
    if (!owners.empty()) {
      for (const InstalledProduct& owner : owners) {
        Fail(context.output, kExitOwned, msg::kOwnedBy + Owner(owner));
        Fail(context.output, kExitOwned, msg::kOwnedRemoveHint + owner.productCode + L" /qn");
      }
      return Fail(context.output, kExitOwned, msg::kOwnedForce);
    }
  }
  return Change(
      options, context, *definition,
      [](const Options& options, const LinkServices& services, const FolderDefinition& definition) {
        RemoveLink(services, definition, options.scope);
      },
      msg::kRemoved);
}

}  // namespace nw::nwk
