#include "framework/trace.h"

#include <windows.h>

#include <cstdio>

const char* const kScrDebugTarget = "OutputDebugString";

namespace {

// Fixed limits of the log: longer names and lines are cut, never overflowed.
constexpr size_t kMaxTarget = 259;
constexpr size_t kMaxFileLine = 298;
const char kWindowClass[] = "ScrDebugWindowClass";

struct TraceState {
  std::string target = kScrDebugTarget;
  TScrTraceLevel threshold = tlErr;
  bool windowAllowed = true;
  bool started = false;
  bool settingsSeen = false;
  HWND window = nullptr;
  HWND edit = nullptr;
  bool windowShown = false;
  bool windowClosed = false;
};

TraceState& State() {
  static TraceState state;
  return state;
}

bool TargetIsDebugger() { return State().target == kScrDebugTarget; }

LRESULT CALLBACK TraceWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  TraceState& s = State();
  switch (msg) {
    case WM_CREATE:
      s.edit = CreateWindowExA(0, "EDIT", "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                   ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY,
                               0, 0, 20, 20, wnd, nullptr, GetModuleHandleA(nullptr), nullptr);
      // A long run writes far more than an edit's default 32K.
      if (s.edit) SendMessageA(s.edit, EM_SETLIMITTEXT, 0, 0);
      break;
    case WM_SIZE:
      if (s.edit) MoveWindow(s.edit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      break;
    case WM_DESTROY:
      if (s.edit) DestroyWindow(s.edit);
      s.edit = nullptr;
      if (s.window == wnd) s.window = nullptr;
      // Wakes the end-of-run loop, which waits for exactly this.
      PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
      break;
    case WM_CLOSE:
      s.windowClosed = true;
      break;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

void CreateTraceWindow() {
  TraceState& s = State();
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExA(inst, kWindowClass, &wc)) {
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.style = 0;
    wc.lpfnWndProc = TraceWindowProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;
    wc.lpszMenuName = "";
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExA(&wc)) return;
  }
  int cx = GetSystemMetrics(SM_CXSCREEN);
  int cy = GetSystemMetrics(SM_CYSCREEN);
  int x = 3 * cx / 4;
  s.window = CreateWindowExA(0, kWindowClass, "ScrDebug", WS_OVERLAPPEDWINDOW, x, 0, cx - x, cy / 2,
                             nullptr, nullptr, inst, nullptr);
  s.windowShown = false;
  s.windowClosed = false;
}

void WriteToFile(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return;  // the line is lost, silently
  std::fwrite(text.data(), 1, text.size() < kMaxFileLine ? text.size() : kMaxFileLine, f);
  std::fwrite("\r\n", 1, 2, f);
  std::fclose(f);
}

}  // namespace

void ScrDebugSettings(TScrTraceLevel level, bool windowAllowed, const std::string& log, TScrMode mode) {
  TraceState& s = State();
  s.target = log.substr(0, kMaxTarget);
  s.threshold = level;
  s.windowAllowed = windowAllowed;
  if (mode != smSPMain && !s.settingsSeen) {
    s.started = false;
    s.settingsSeen = true;
  }
}

void ScrDebug(TScrTraceLevel level, const std::string& text) {
  TraceState& s = State();
  if (s.threshold == tlNone || level < s.threshold) return;

  if (!s.started) {
    if (!TargetIsDebugger()) {
      if (FILE* f = std::fopen(s.target.c_str(), "w")) std::fclose(f);
    }
    s.started = true;
    if (!s.window && s.windowAllowed) CreateTraceWindow();
  }

  if (TargetIsDebugger())
    OutputDebugStringA(text.c_str());
  else
    WriteToFile(s.target, text);

  if (s.window && s.edit) {
    std::string line = text + "\r\n";
    SendMessageA(s.edit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    SendMessageA(s.edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
  }
  if (s.window && (level == tlUsr || level == tlErr) && !s.windowShown) {
    ShowWindow(s.window, SW_SHOWNOACTIVATE);
    s.windowShown = true;
  }
}

void ScrDebugAll(const std::string& text, const void*) { ScrDebug(tlAll, text); }
void ScrDebugMsg(const std::string& text, const void*) { ScrDebug(tlMsg, text); }
void ScrDebugUsr(const std::string& text, const void*) { ScrDebug(tlUsr, text); }
void ScrDebugErr(const std::string& text, const void*) { ScrDebug(tlErr, text); }

void ScrDebugTerminate() {
  TraceState& s = State();
  if (s.window && s.windowShown && !s.windowClosed && IsWindow(s.window)) {
    SetWindowPos(s.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
    MSG msg;
    while (s.window && IsWindow(s.window)) {
      BOOL got = GetMessageA(&msg, nullptr, 0, 0);
      if (got == 0 || got == -1) break;  // a quit (or a broken queue) ends the wait
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (s.window && IsWindow(s.window)) DestroyWindow(s.window);
  s.window = nullptr;
}

HWND ScrDebugWindow() { return State().window; }
bool ScrDebugWindowShown() { return State().windowShown; }

void ScrDebugReset() {
  TraceState& s = State();
  if (s.window && IsWindow(s.window)) DestroyWindow(s.window);
  s = TraceState{};
}
