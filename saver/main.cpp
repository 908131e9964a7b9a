// Spiralis.scr: the program's entry point. The main module's control
// component reads the command line and runs the mode from the message loop.
#include <windows.h>

#include "framework/scrmain.h"
#include "saver/mainform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RegisterSaverClasses();
  return ScrRunApplication(MainForm);
}
