#pragma once
// Saver colours that a test can tell apart on the screen, stored where the
// saver reads them, and removed again.
#include <windows.h>

#include "tests/support/program_run.h"

namespace testing_support {

const char* const kSpiralisKey = "Software\\Vantrel\\Spiralis";

// As TColor values: background red, exploding cells green, exhausted cells
// blue fading to black.
inline void UseTellableColours() {
  SetRegistryNumber(kSpiralisKey, "Background", 0x0000FF);
  SetRegistryNumber(kSpiralisKey, "Explosion", 0x00FF00);
  SetRegistryNumber(kSpiralisKey, "Exhausted", 0xFF0000);
  SetRegistryNumber(kSpiralisKey, "Replenished", 0x000000);
}

inline void ForgetSaverSettings() { RegDeleteKeyA(HKEY_CURRENT_USER, kSpiralisKey); }

}  // namespace testing_support
