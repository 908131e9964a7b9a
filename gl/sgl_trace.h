#pragma once
// The OpenGL layer's trace hooks, shared by every panel and the driver list.
// A line reads "db:" + milliseconds since the clock was last restarted (each
// panel restarts it when constructed) + " - " + the message. Progress lines go
// to the progress procedure, errors to the error procedure; an unset procedure
// drops the line.
#include <string>

using SglTraceProc = void (*)(const std::string& text, const void* context);

void SglSetTraceHooks(SglTraceProc progress, SglTraceProc error, const void* context);
void SglRestartTraceClock();
void SglTrace(const std::string& message);
void SglTraceError(const std::string& message);
