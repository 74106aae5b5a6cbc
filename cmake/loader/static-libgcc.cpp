// The answer the i686 programs' start-up gives itself when it asks whether
// libgcc's DLL is loaded.
//
// On i686 exceptions unwind by DWARF tables, which the compiler's start-up
// object (crtbegin.o) registers before any constructor runs. It first calls
// GetModuleHandleA("libgcc_s_dw2-1.dll"), to register them with the DLL's
// unwinder where a program uses that; ours link libgcc statically, so the DLL
// is never loaded and the tables always go to the static unwinder. Windows
// answers that call from its list of loaded modules; Wine looks for the file
// along the whole DLL search path first (the program's folder, the system
// folders, the current one and every folder on PATH), about 0.6 ms of every
// start. The build links a copy of crtbegin.o whose call comes here instead
// (see StartFiles.cmake): the same answer, without the search.
#include <windows.h>

namespace {

HMODULE WINAPI NoLibgccDll(LPCSTR) {
  return nullptr;
}

}  // namespace

// What crtbegin.o's copy calls through, in place of its import of GetModuleHandleA.
extern "C" HMODULE(WINAPI* const nw_libgcc_dll)(LPCSTR) = NoLibgccDll;
