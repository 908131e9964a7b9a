// A library that loads and exports nothing: an outside library of the right
// name but the wrong kind.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
