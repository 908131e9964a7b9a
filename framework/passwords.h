#pragma once
// The platform's screen-saver password dialogs. The saver never stores or
// compares a password: the provider does, behind its own dialogs. Both
// providers are looked up by name, so their absence never blocks the user.
#include <windows.h>

// True when the saver may close: the provider accepted the password, or
// there is no provider to ask.
bool DefaultVerifyPasswordDialog(HWND parent);
// Lets the user set the saver password; does nothing without a provider.
void DefaultChangePasswordDialog(HWND parent);
