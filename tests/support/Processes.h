// Running another program from a Windows test and waiting for it.
#pragma once

#include <windows.h>

#include <string>

namespace nw::test {

// The full path of a program of the system folder, of the system's own
// architecture: from a 32-bit process on 64-bit Windows, through sysnative.
std::wstring NativeSystemProgram(const std::wstring& name);

// Starts the program with the command line (which starts with the program's
// name, as a program sees it), waits for it and gives its exit code; when it
// cannot be started, the error with the top bit set.
DWORD RunAndWait(const std::wstring& program, std::wstring commandLine, DWORD timeoutMs = 30000);

}  // namespace nw::test
