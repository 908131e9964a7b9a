#pragma once
// The trace log: four severities, a threshold, one target (the debugger output
// channel or a file) and, unless released, a trace window that pops up at the
// first user-level or error line and keeps the process alive until read.
#include <string>

#include "framework/scrmode.h"

enum TScrTraceLevel { tlAll, tlMsg, tlUsr, tlErr, tlNone };

// The target name that selects the debugger output channel.
extern const char* const kScrDebugTarget;  // "OutputDebugString"

void ScrDebugSettings(TScrTraceLevel level, bool windowAllowed, const std::string& log, TScrMode mode);
void ScrDebug(TScrTraceLevel level, const std::string& text);
void ScrDebugAll(const std::string& text, const void* ignored = nullptr);
void ScrDebugMsg(const std::string& text, const void* ignored = nullptr);
void ScrDebugUsr(const std::string& text, const void* ignored = nullptr);
void ScrDebugErr(const std::string& text, const void* ignored = nullptr);

// End of run: holds the process while a shown trace window is still open.
void ScrDebugTerminate();

// For tests and diagnostics: the trace window (null when there is none) and
// whether it has been shown.
HWND ScrDebugWindow();
bool ScrDebugWindowShown();
// Forgets every setting and destroys the trace window, as at process start.
void ScrDebugReset();
