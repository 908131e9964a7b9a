#include "tests/support/pump.h"

namespace testing_support {

namespace {
MessageHandler gHandler = DispatchOneMessage;
}

bool DispatchOneMessage() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

void HandleMessagesWith(MessageHandler handler) { gHandler = handler ? handler : DispatchOneMessage; }

void PumpMessages(DWORD ms) {
  const DWORD start = GetTickCount();
  auto early = [&] { return GetTickCount() - start < ms; };
  do {
    // The time is looked at after every message: a window whose timer comes
    // round faster than its frames are drawn (a full-screen galaxy on a busy
    // machine) never leaves the queue empty.
    while ((!ms || early()) && gHandler()) {
    }
    if (ms && early()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (early());
}

}  // namespace testing_support
