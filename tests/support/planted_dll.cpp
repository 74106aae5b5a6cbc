// A library that stands for one dropped beside a program: the DLL search test
// puts it next to its probe and checks whether the probe loads it.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}
