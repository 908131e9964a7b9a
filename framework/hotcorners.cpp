#include "framework/hotcorners.h"

#include <windows.h>

#include "toolkit/module.h"

namespace {

const char* const kServices[] = {"Sage.DLL", "Cornsvc.dll"};

// Calls `entry` (no arguments) in each service that has it; answers whether
// any call returned nonzero.
bool CallEachService(const char* entry) {
  bool any = false;
  for (const char* library : kServices) {
    TModuleRef service(LoadLibraryA(library));
    if (!service) continue;
    using EntryFn = BOOL(WINAPI*)();
    if (auto fn = reinterpret_cast<EntryFn>(GetProcAddress(service.get(), entry)))
      any = fn() != 0 || any;
  }
  return any;
}

}  // namespace

bool CheckForHots() { return CallEachService("System_Agent_Detect"); }

void NotifyHots() { CallEachService("Screen_Saver_Changed"); }
