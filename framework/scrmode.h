#pragma once
// Run modes and the process-wide globals of a screen-saver run.
#include <windows.h>

#include <cstdint>
#include <string>

enum TScrMode : std::uint8_t {
  smNone,            // no valid mode
  smSaver,           // group: the saver modes
  smSFull,           // full-screen saver
  smSPreview,        // group: the preview modes
  smSPConfig,        // preview inside our own options dialog
  smSPMain,          // preview inside the control panel's monitor picture
  smConfig,          // group: the configuration modes
  smCRegular,        // regular configuration dialog
  smCActive,         // options dialog opened over the running saver
  smAbout,           // about dialog
  smPasswordChange,  // password change
  smPasswordVerify,  // password verification dialog
};

class TForm;
class TScrControl;

// All start empty; only the user-interface thread touches them.
extern TScrMode gScrMode;        // run mode from the command line
extern HWND gScrHWnd;            // window from the command line, or null
extern TForm* gScrConfig;        // the configuration dialog while it exists
extern TScrControl* gScrControl; // the one control component of the process
extern TForm* gScrSaver;         // the saver form (full screen or main preview)

// The member's name, e.g. "smSFull"; "sm_????" for anything out of range.
std::string ScrModeName(TScrMode m);
