#pragma once
// The one message pump of the tests: it handles what arrives for this
// thread while a test waits, for a while or until a condition holds.
#include <windows.h>

namespace testing_support {

// Handles one message waiting in this thread's queue; false when there was
// none. The default translates and dispatches it; a program whose messages go
// through the toolkit's application (so that dialog keys reach the controls
// as they do in the saver) sets its own with HandleMessagesWith.
using MessageHandler = bool (*)();
bool DispatchOneMessage();
void HandleMessagesWith(MessageHandler handler);

// Handles whatever arrives for `ms` milliseconds (0: what is waiting now).
void PumpMessages(DWORD ms);

// Handles messages until `done()` holds, for at most `ms` milliseconds.
template <class Pred>
bool PumpUntil(Pred done, DWORD ms = 15000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    PumpMessages(10);
  }
  return true;
}

}  // namespace testing_support
