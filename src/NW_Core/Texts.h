// Every text the program shows or writes that is fixed: captions of messages,
// message texts and the fixed parts of the settings file and the registry layout.
#pragma once

namespace nw::text {

inline constexpr wchar_t kProgramName[] = L"Nookwayer";
inline constexpr wchar_t kErrorTitle[] = L"Nookwayer Error";

inline constexpr wchar_t kNoSettingsFile[] =
    L"No Nookway Settings file specified.\r\n"
    L"You must have a NWK file in order to create a new Registry System Folder";
inline constexpr wchar_t kUnreadableFile[] = L"Unable to read the specified file.";
inline constexpr wchar_t kClsidCopied[] =
    L"CLSID successfully copied to the clipboard.\r\n"
    L"To create a custom folder just create a file (w/o extension) and at the end of the name add "
    L"\".\" and your CLSID";
inline constexpr wchar_t kCommandFailed[] =
    L"Error Found!\r\n"
    L"The program is unable to perform the requested operation.\r\n"
    L"\r\n"
    L"Contact the author and send him the NWK file that caused this problem.";

// The settings file.
inline constexpr wchar_t kMagicLine[] = L"Hollowpine's Nookway v1_[A1]";
inline constexpr wchar_t kNameKey[] = L"name=";
inline constexpr wchar_t kIconKey[] = L"icon=";
inline constexpr wchar_t kClsidKey[] = L"clsid5=";
inline constexpr wchar_t kClsidPrefix[] = L"{0000000D-CF0D-D10A-A240-";
inline constexpr wchar_t kClsidSuffix[] = L"}";

// The registry layout.
inline constexpr wchar_t kClassesKey[] = L"CLSID";
inline constexpr wchar_t kHiveClassesKey[] = L"Software\\Classes";
inline constexpr wchar_t kDesktopNameSpace[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace";
inline constexpr wchar_t kMyComputerNameSpace[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace";
inline constexpr wchar_t kShellServer[] = L"shell32.dll";
inline constexpr wchar_t kThreadingModel[] = L"ThreadingModel";
inline constexpr wchar_t kApartment[] = L"Apartment";
inline constexpr wchar_t kAttributes[] = L"Attributes";

}  // namespace nw::text
