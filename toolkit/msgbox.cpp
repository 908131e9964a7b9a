#include "toolkit/msgbox.h"

#include <cstdio>
#include <utility>

namespace {
TMessageBoxHook& Hook() {
  static TMessageBoxHook hook;
  return hook;
}

int DefaultAnswer(UINT flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDOK;
  }
}
}  // namespace

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook) {
  return std::exchange(Hook(), std::move(hook));
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  if (Hook()) return Hook()(owner, text, caption, flags);

  char path[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("SPIRALIS_MSGBOX", path, sizeof path);
  if (n > 0 && n < sizeof path) {
    if (FILE* f = std::fopen(path, "a")) {
      std::fprintf(f, "%s|%s\n", caption.c_str(), text.c_str());
      std::fclose(f);
    }
    return DefaultAnswer(flags);
  }
  return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}
