// Where the program may load libraries from. It runs with administrator
// rights, often from a downloads folder: a library dropped beside it must never
// be loaded in place of a system one, whether the program loads it or a
// system library does on its behalf.
#pragma once

#include <windows.h>

namespace nw {

// The two ways a system offers to narrow the search. SetDefaultDllDirectories
// came with Windows 8 and with update KB2533623 for Windows 7, so it is found
// at run time; a missing one is null.
struct DllSearchFunctions {
  BOOL(WINAPI* setDefaultDllDirectories)(DWORD) = nullptr;
  BOOL(WINAPI* setDllDirectory)(LPCWSTR) = nullptr;
};
// Those this system has.
DllSearchFunctions SystemDllSearchFunctions();

// Searches the system folder alone from now on, where the system can; else at
// least takes the current folder out of the search. Call it first thing, before
// anything loads a library. True when the system folder alone is searched.
bool RestrictDllSearch(const DllSearchFunctions& functions = SystemDllSearchFunctions());

}  // namespace nw
