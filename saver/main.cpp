// Spiralis.scr: the program's entry point.
#include <windows.h>

#include "framework/cmdline.h"
#include "framework/trace.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ParseCommandLine(&gScrMode, &gScrHWnd);
  ScrDebugMsg("Spiralis: run mode " + ScrModeName(gScrMode));
  ScrDebugTerminate();
  return 0;
}
