#include "framework/passwords.h"

#include "framework/trace.h"
#include "toolkit/module.h"

bool DefaultVerifyPasswordDialog(HWND parent) {
  TModuleRef provider(LoadLibraryA("PASSWORD.CPL"));
  if (!provider) {
    ScrDebugMsg("DefaultVerifyPasswordDialog: unable to load pwd-provider library. Aborting");
    return true;
  }
  using VerifyFn = BOOL(WINAPI*)(HWND);
  auto verify = reinterpret_cast<VerifyFn>(GetProcAddress(provider.get(), "VerifyScreenSavePwd"));
  if (!verify) {
    ScrDebugMsg("DefaultVerifyPasswordDialog: could not get verifypw proc address. Aborting");
    return true;
  }
  ScrDebugMsg("DefaultVerifyPasswordDialog: about to call VerifyScreenSavePwd...");
  BOOL accepted = verify(parent);
  provider.reset();
  if (accepted) {
    ScrDebugMsg("DefaultVerifyPasswordDialog: verifypwd returned TRUE!");
    return true;
  }
  ScrDebugMsg("DefaultVerifyPasswordDialog: verifypwd returned FALSE.");
  return false;
}

void DefaultChangePasswordDialog(HWND parent) {
  TModuleRef provider(LoadLibraryA("MPR.DLL"));
  if (!provider) return;
  using ChangeFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
  auto change = reinterpret_cast<ChangeFn>(GetProcAddress(provider.get(), "PwdChangePasswordA"));
  if (change) change("SCRSAVE", parent, 0, nullptr);
}
