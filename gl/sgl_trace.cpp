#include "gl/sgl_trace.h"

#include <windows.h>

namespace {

struct Hooks {
  SglTraceProc progress = nullptr;
  SglTraceProc error = nullptr;
  const void* context = nullptr;
  DWORD start = GetTickCount();
};

Hooks& TheHooks() {
  static Hooks hooks;
  return hooks;
}

void Send(SglTraceProc proc, const std::string& message) {
  if (!proc) return;
  const DWORD elapsed = GetTickCount() - TheHooks().start;
  proc("db:" + std::to_string(elapsed) + " - " + message, TheHooks().context);
}

}  // namespace

void SglSetTraceHooks(SglTraceProc progress, SglTraceProc error, const void* context) {
  Hooks& hooks = TheHooks();
  hooks.progress = progress;
  hooks.error = error;
  hooks.context = context;
}

void SglRestartTraceClock() { TheHooks().start = GetTickCount(); }
void SglTrace(const std::string& message) { Send(TheHooks().progress, message); }
void SglTraceError(const std::string& message) { Send(TheHooks().error, message); }
