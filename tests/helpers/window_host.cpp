// A tiny foreign program for tests: it opens one top-level window with one
// child and waits until the window is closed. The window class (and title) is
// the first argument, or else the program's own base name, so a copy named
// "Pvwhost.exe" plays the preview host and one named "BCB.exe" plays the
// development environment. The environment variable SPIRALIS_HOST_MODE makes
// it misbehave: "nochild" (no child window), "otherclass" (its window has
// another class), "busy" (never takes input: ends after three seconds without
// a window), "quit" (ends at once).
#include <windows.h>

#include <string>

static LRESULT CALLBACK HostProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(w, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR args, int) {
  std::string cls = args && *args ? args : "";
  if (cls.empty()) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    cls = path;
    cls.erase(0, cls.find_last_of("\\/") + 1);
    cls.erase(cls.find_last_of('.'));
  }
  char mode[16] = "";
  GetEnvironmentVariableA("SPIRALIS_HOST_MODE", mode, sizeof mode);
  std::string how = mode;
  if (how == "busy") Sleep(3000);
  if (how == "busy" || how == "quit") return 0;
  if (how == "otherclass") cls += "Other";
  WNDCLASSA wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = cls.c_str();
  RegisterClassA(&wc);
  HWND top = CreateWindowExA(0, cls.c_str(), cls.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320,
                             240, nullptr, nullptr, inst, nullptr);
  if (how != "nochild")
    CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 152, 112, top, nullptr, inst, nullptr);
  SetForegroundWindow(top);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
