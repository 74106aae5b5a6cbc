// The names of the registry layout a folder is written as: where its class
// and its namespace entries live, and the keys and values below its class.
#pragma once

namespace nw::layout {

inline constexpr wchar_t kClassesKey[] = L"CLSID";
inline constexpr wchar_t kHiveClassesKey[] = L"Software\\Classes";
inline constexpr wchar_t kDesktopNameSpace[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace";
inline constexpr wchar_t kMyComputerNameSpace[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace";

// Below the class key.
inline constexpr wchar_t kDefaultIcon[] = L"DefaultIcon";
inline constexpr wchar_t kInProcServer32[] = L"InProcServer32";
inline constexpr wchar_t kPropertySheetHandlers[] = L"ShellEx\\PropertySheetHandler";
inline constexpr wchar_t kShellFolder[] = L"ShellFolder";
inline constexpr wchar_t kShell[] = L"Shell";
inline constexpr wchar_t kCommand[] = L"Command";  // below each verb's key under kShell

inline constexpr wchar_t kShellServer[] = L"shell32.dll";
inline constexpr wchar_t kThreadingModel[] = L"ThreadingModel";
inline constexpr wchar_t kApartment[] = L"Apartment";
inline constexpr wchar_t kAttributes[] = L"Attributes";

}  // namespace nw::layout
