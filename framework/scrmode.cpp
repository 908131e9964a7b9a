#include "framework/scrmode.h"

TScrMode gScrMode = smNone;
HWND gScrHWnd = nullptr;
TForm* gScrConfig = nullptr;
TScrControl* gScrControl = nullptr;
TForm* gScrSaver = nullptr;

std::string ScrModeName(TScrMode m) {
  static const char* const names[] = {
      "smNone",     "smSaver",    "smSFull",   "smSPreview", "smSPConfig",       "smSPMain",
      "smConfig",   "smCRegular", "smCActive", "smAbout",    "smPasswordChange", "smPasswordVerify",
  };
  unsigned i = m;
  return i < sizeof names / sizeof names[0] ? names[i] : "sm_????";
}
