#pragma once
// The one road to a message box. Tests (and scripted runs) answer message
// boxes through a hook instead of waiting for a person to click.
#include <windows.h>

#include <functional>
#include <string>

using TMessageBoxHook =
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT flags)>;

// Installs a hook that answers every message box; an empty hook restores the
// real ones. Returns the previous hook.
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook);

// Shows a message box owned by `owner` (may be null) and returns the button
// pressed. When the environment variable SPIRALIS_MSGBOX names a file, the box
// is not shown: its caption and text are appended to that file as one line and
// the answer is IDOK (IDYES for yes/no boxes). That lets a test drive the real
// program as a separate process.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
