// Every text nwk prints, in one place (namespace msg: the core's own texts are nw::text).
#pragma once

namespace nw::nwk::msg {

// The usage: the synopsis, a line for each verb (in the table of verbs), the
// options, and the exit statuses (each with its number from the constants).
inline constexpr wchar_t kUsageSynopsis[] =
    L"Usage: nwk COMMAND FILE [OPTIONS]\n"
    L"       nwk list [--user] [--reg]\n"
    L"       nwk new NAME -o FILE.nwk [--icon ICON] [--verb \"MENU;COMMAND;\"]... [--force]\n"
    L"       nwk package FILE -o OUT.msi [--placement P] [--user] [--arch x86|x64] [--version X.Y.Z]\n";
inline constexpr wchar_t kUsageCommands[] = L"\nCommands:\n";
inline constexpr wchar_t kUsageNew[] =
    L"new NAME       write a new settings file with a CLSID of its own (random, not yet registered)";
inline constexpr wchar_t kUsageList[] =
    L"list           every folder of this layout that is registered (with --reg: its keys and values)";
inline constexpr wchar_t kUsageShow[] =
    L"show FILE      print the folder definition as read, the reader's verdict and warnings";
inline constexpr wchar_t kUsageExport[] =
    L"export FILE    write the registration as a .reg file: give it with -o OUT.reg (standard output\n"
    L"                 gets the file's UTF-16 bytes, which a shell's \">\" may re-encode and break)";
inline constexpr wchar_t kUsageMake[] =
    L"make FILE      register the folder and place it, as \"Make Link\" does";
inline constexpr wchar_t kUsageRemove[] =
    L"remove FILE    delete the class key and both namespace entries, as \"Remove Link\" does";
inline constexpr wchar_t kUsageStatus[] =
    L"status FILE    compare the registry with the definition; exit 0 only when they match";
inline constexpr wchar_t kUsagePackage[] =
    L"package FILE   write a Windows Installer package that installs the folder as make does";
inline constexpr wchar_t kUsageOptions[] =
    L"\n"
    L"Options:\n"
    L"  --placement desktop|system|manual   where the folder goes (default: desktop)\n"
    L"  --user         the current user's registration (HKEY_CURRENT_USER), no administrator rights\n"
    L"  --remove       export: the .reg file that deletes the registration\n"
    L"  -o OUT         export: the .reg file to write; new: the settings file; package: the .msi file\n"
    L"  --icon ICON    new: the folder's icon (default: the shell's folder icon)\n";
inline constexpr wchar_t kUsageVerbOption[] = L"  --verb \"MENU;COMMAND;\"   new: a menu line, at most ";
inline constexpr wchar_t kUsageMoreOptions[] =
    L"  --force        new: replace an existing file; remove: remove a folder an installed package owns\n"
    L"  --arch x86|x64 package: the platform (default: that of this Windows)\n"
    L"  --version X.Y.Z  package: its version (default 1.0.0); a later package replaces an earlier one\n"
    L"  --reg          list: the keys and values of each folder, as status reads them\n"
    L"  --help, --version\n"
    L"\n";
inline constexpr wchar_t kUsageStatusHeading[] = L"Exit status: ";
inline constexpr wchar_t kStatusDone[] = L"done (status: the registry matches)";
inline constexpr wchar_t kStatusDiffers[] = L"status: the registry differs";
inline constexpr wchar_t kStatusUsage[] = L"wrong command line";
inline constexpr wchar_t kStatusUnreadable[] = L"the file cannot be read";
inline constexpr wchar_t kStatusRefused[] =
    L"the file is refused by the reader (new: the parts would not read back as given;\n"
    L"    package: a text a package cannot install exactly)";
inline constexpr wchar_t kStatusRegistry[] =
    L"the registry refused a change (make and remove then leave it as it was)";
inline constexpr wchar_t kStatusNoRegistry[] =
    L"no registry (or, for package, no Windows Installer) in this build";
inline constexpr wchar_t kStatusRegistryUnreadable[] =
    L"status: the registry cannot be read (access denied, for one)";
inline constexpr wchar_t kStatusCannotWrite[] =
    L"the output cannot be written (-o, or standard output: a full disk, a closed pipe;\n"
    L"    new: the file exists and --force was not given)";
inline constexpr wchar_t kStatusNotRestored[] =
    L"make or remove failed and the registry could not be put back either";
inline constexpr wchar_t kStatusOwned[] =
    L"remove: an installed package owns the folder (uninstall it, or add --force)";

inline constexpr wchar_t kVersionPrefix[] = L"nwk ";

inline constexpr wchar_t kErrorPrefix[] = L"nwk: ";
inline constexpr wchar_t kWarningPrefix[] = L"warning: ";
inline constexpr wchar_t kNotePrefix[] = L"note: ";
inline constexpr wchar_t kTryHelp[] = L"Try \"nwk --help\".";
inline constexpr wchar_t kUnknownCommand[] = L"unknown command: ";
inline constexpr wchar_t kUnknownOption[] = L"unknown option or extra argument: ";
inline constexpr wchar_t kMissingFile[] = L"no settings file given";
inline constexpr wchar_t kMissingValue[] = L"a value is missing after ";
inline constexpr wchar_t kBadPlacement[] = L"placement must be desktop, system or manual, not ";
inline constexpr wchar_t kOptionNotFor[] = L"this option does not apply to the command: ";
inline constexpr wchar_t kCannotOpen[] = L"cannot read the file: ";
inline constexpr wchar_t kRefused[] = L"the file is not a complete Nookway settings file: ";
inline constexpr wchar_t kNoRegForm[] =
    L"a .reg file cannot hold this key name (it holds a line break or a \"]\"): ";
inline constexpr wchar_t kCannotWrite[] = L"cannot write the file: ";
inline constexpr wchar_t kCannotWriteOutput[] = L"cannot write to standard output";
inline constexpr wchar_t kRegistryFailed[] = L"the registry refused: ";
inline constexpr wchar_t kPutBack[] = L"nothing was changed: the registry is as it was";
inline constexpr wchar_t kNotPutBack[] = L"could not be put back as it was: ";
inline constexpr wchar_t kCannotReadRegistry[] = L"the registry cannot be read (error ";
inline constexpr wchar_t kNoRegistry[] =
    L"this build has no registry: make, remove and status run only on Windows (show and export run here)";

// show
inline constexpr wchar_t kShowComplete[] = L"Verdict: complete";
inline constexpr wchar_t kShowRefused[] =
    L"Verdict: refused (the windowed program says \"Unable to read the specified file.\")";
inline constexpr wchar_t kShowName[] = L"Name:    ";
inline constexpr wchar_t kShowClsid[] = L"CLSID:   ";
inline constexpr wchar_t kShowIcon[] = L"Icon:    ";
inline constexpr wchar_t kShowMenu[] = L"Menu ";
inline constexpr wchar_t kShowCommandArrow[] = L" -> ";
inline constexpr wchar_t kWarnEmptyVerb[] = L"menu line has an empty name: ";
inline constexpr wchar_t kWarnDuplicateVerb[] =
    L"menu name repeats an earlier one (the later command wins): ";

// new
inline constexpr wchar_t kNewDefaultIcon[] = L"%SystemRoot%\\system32\\shell32.dll,3";
inline constexpr wchar_t kNewMissingOutput[] = L"new writes a file: give it with -o FILE.nwk";
inline constexpr wchar_t kNewLineBreak[] = L"a settings line cannot hold a line break: ";
// "a settings file holds N menu lines at most", N the reader's limit.
inline constexpr wchar_t kNewTooManyVerbs[] = L"a settings file holds ";
inline constexpr wchar_t kNewTooManyVerbsEnd[] = L" menu lines at most";
inline constexpr wchar_t kNewVerbForm[] =
    L"a menu line is \"MENU;COMMAND;\", with no other \";\" (for one in the name or command): ";
inline constexpr wchar_t kNewExists[] = L"the file exists (add --force to replace it): ";
inline constexpr wchar_t kNewNotReadBack[] =
    L"the file would not read back as given (a menu name with a \"\\\" or over 255 characters, or a "
    L"character the code page lacks); nothing was written";
inline constexpr wchar_t kNewWritten[] = L"written: ";

// list
inline constexpr wchar_t kListIcon[] = L"  icon    ";
inline constexpr wchar_t kListVerb[] = L"  verb    ";
inline constexpr wchar_t kListPlaced[] = L"  placed  ";
inline constexpr wchar_t kListDesktop[] = L"Desktop";
inline constexpr wchar_t kListMyComputer[] = L"My Computer";
inline constexpr wchar_t kListNowhere[] = L"nowhere";
inline constexpr wchar_t kListNoClass[] = L"placed, but its class key is missing";
inline constexpr wchar_t kListNone[] = L"no folder of this layout is registered in this scope";
inline constexpr wchar_t kWarnOtherFolder[] = L"this CLSID is registered already, as another folder: ";

// make, remove
inline constexpr wchar_t kMade[] = L"registered: ";
inline constexpr wchar_t kRemoved[] = L"removed: ";
inline constexpr wchar_t kManualHint[] =
    L"The CLSID is printed on standard output: name a new folder \"anything.{CLSID}\" to make the folder by "
    L"hand.";

// package
inline constexpr wchar_t kPackageManufacturer[] = L"Nookwayer";
inline constexpr wchar_t kPackageTitle[] = L"Installation Database";
inline constexpr wchar_t kPackageKeywords[] = L"Installer, Nookwayer, folder";
inline constexpr wchar_t kPackageComments[] =
    L"Registers a Nookwayer folder: its class, its verbs and its placement.";
inline constexpr wchar_t kPackageNewerInstalled[] =
    L"A newer package of this folder is installed already. Uninstall it first, or build this package with a "
    L"higher --version.";
inline constexpr wchar_t kPackageNeeds32Bit[] =
    L"This package is for 32-bit Windows. On 64-bit Windows, install the x64 package of the folder "
    L"(nwk package --arch x64).";
inline constexpr wchar_t kPackageMissingOutput[] = L"package writes a file: give it with -o OUT.msi";
inline constexpr wchar_t kBadArch[] = L"arch must be x86 or x64, not ";
inline constexpr wchar_t kBadVersion[] = L"version must be X.Y.Z (X and Y up to 255, Z up to 65535), not ";
inline constexpr wchar_t kNoInstaller[] =
    L"this build has no Windows Installer: package runs only on Windows";
inline constexpr wchar_t kPackageRefusedLine[] = L"a package cannot install line ";
inline constexpr wchar_t kPackageRefusedOf[] = L" of ";
inline constexpr wchar_t kPackageEmptyValue[] =
    L"an empty text, which Windows Installer would leave out instead of writing it as an empty value";
inline constexpr wchar_t kPackageEmptyName[] = L"an empty menu name, which would name the Shell key itself";
inline constexpr wchar_t kPackageCodePage[] =
    L"text outside ASCII that no code page of Windows Installer holds: this system's code page is ";
inline constexpr wchar_t kPackageWritten[] = L"written: ";
inline constexpr wchar_t kProductCode[] = L"ProductCode ";
inline constexpr wchar_t kUpgradeCode[] = L"UpgradeCode ";
inline constexpr wchar_t kOwnedBy[] = L"an installed package owns this folder: ";
inline constexpr wchar_t kOwnedRemoveHint[] =
    L"uninstall the package instead (a repair of it would bring the keys back): msiexec /x ";
inline constexpr wchar_t kOwnedForce[] = L"nothing was changed; add --force to remove the keys all the same";
inline constexpr wchar_t kListPackage[] = L"  package ";

// status
inline constexpr wchar_t kMatches[] = L"the registry holds exactly the definition's layout";
inline constexpr wchar_t kMissingKey[] = L"missing key: ";
inline constexpr wchar_t kMissingValueAt[] = L"missing value: ";
inline constexpr wchar_t kDifferentValue[] = L"different value: ";
inline constexpr wchar_t kExtraKey[] = L"extra key: ";
inline constexpr wchar_t kExtraValue[] = L"extra value: ";

}  // namespace nw::nwk::msg
