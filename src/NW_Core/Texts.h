// The main window's messages: the program's name and the texts of the
// message boxes its commands show. (The settings file's fixed parts are in
// SettingsGrammar.h, the registry layout's names in Layout.h, nwk's texts in
// its own folder, the about window's beside it.)
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

}  // namespace nw::text
