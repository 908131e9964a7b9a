// Plays the display control panel for the saver's preview: a dialog with a
// 152 x 112 monitor picture, "Spiralis.scr /p <decimal handle>" started on it,
// what the screen shows checked, and the picture taken away at some moment.
//
//   preview_host.exe WHEN [MS]
//
// WHEN says when the host window goes, or what handle the saver gets:
//   shown      once the galaxy shows on the screen (checked first), and MS
//              milliseconds later
//   start      as soon as the saver's process exists
//   execute    once the saver has begun to run its mode (its trace says so)
//   building   once the saver has begun to make its preview form
//   framing    while frames are being drawn, once they show on the screen
//   thread     the picture belongs to another thread, which ends
//   zero       the saver gets the handle 0
//   nowindow   the saver gets a number that is no window
//   icon       a saver without a preview form (the framework's test saver):
//              once its icon shows on the screen
//
// The saver (Spiralis.scr in the folder above this program's) runs in the current
// folder; it traces there when a spiralis.log file exists. The result goes to
// "host.txt" there: one line per finding. Exit code 0 when the saver did
// everything it should, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/pump.h"
#include "tests/support/screen_pixels.h"

namespace {

using testing_support::ClassOf;
using testing_support::PumpMessages;
using testing_support::PumpUntil;

std::string gReport;
bool gFailed = false;

void Note(const std::string& line) { gReport += line + "\n"; }
void Fail(const std::string& line) {
  gFailed = true;
  Note("FAIL " + line);
}

std::string ReadText(const char* path) {
  std::string text;
  if (FILE* f = std::fopen(path, "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}

bool Traced(const char* what) { return ReadText("spiralis.log").find(what) != std::string::npos; }

// The host's client area as the screen shows it (0xRRGGBB, top row first).
std::vector<unsigned> ScreenPixels(HWND host) {
  RECT r;
  GetClientRect(host, &r);
  MapWindowPoints(host, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return testing_support::ScreenPixels(r);
}

// The test sets the saver's tellable colours; the host's own brush is white.

struct Picture {
  int background = 0, cells = 0, other = 0;
  int quadrantsWithCells = 0;  // of the four quarters of the picture
  int columnsWithBackground = 0, rowsWithBackground = 0;
};

Picture Look(const std::vector<unsigned>& pixels, int w, int h) {
  Picture p;
  int quadrant[4] = {};
  std::vector<bool> columns(w), rows(h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const testing_support::Shown shown = testing_support::ShownAs(pixels[y * w + x]);
      if (shown == testing_support::Shown::kBackground) {
        ++p.background;
        columns[x] = true;
        rows[y] = true;
      } else if (shown != testing_support::Shown::kOther) {
        ++p.cells;
        ++quadrant[(y >= h / 2) * 2 + (x >= w / 2)];
      } else {
        ++p.other;
      }
    }
  for (int q : quadrant) p.quadrantsWithCells += q > 0;
  for (bool c : columns) p.columnsWithBackground += c;
  for (bool r : rows) p.rowsWithBackground += r;
  return p;
}

std::string Describe(const Picture& p) {
  char text[200];
  std::snprintf(text, sizeof text, "background=%d cells=%d other=%d quadrants=%d columns=%d rows=%d", p.background,
                p.cells, p.other, p.quadrantsWithCells, p.columnsWithBackground, p.rowsWithBackground);
  return text;
}

// With its trace on (a spiralis.log file), the saver shows its trace window
// on an error and waits at its end until the user closes it: closed here, as
// the user would, and noted.
bool Ended(HANDLE process, DWORD pid) {
  if (HWND trace = testing_support::ShownWindowOf(pid, "ScrDebugWindowClass")) {
    Note("the saver's trace window was closed");
    PostMessageA(trace, WM_CLOSE, 0, 0);
  }
  return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

LRESULT CALLBACK DialogProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, msg, wp, lp); }

const int kLeft = 300, kTop = 200;

// The control panel's dialog and its monitor picture.
struct HostWindows {
  HWND dialog = nullptr, picture = nullptr;
  void Make() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DialogProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "PreviewHostDialog";
    RegisterClassA(&wc);
    dialog = CreateWindowExA(0, "PreviewHostDialog", "Display", WS_POPUP | WS_VISIBLE, kLeft, kTop, 252, 212, nullptr,
                             nullptr, wc.hInstance, nullptr);
    picture = CreateWindowExA(0, "PreviewHostDialog", "", WS_CHILD | WS_VISIBLE, 50, 50, 152, 112, dialog, nullptr,
                              wc.hInstance, nullptr);
    UpdateWindow(dialog);
  }
};

// The same, made and run by a thread of its own until it is told to end.
DWORD WINAPI HostThread(void* data) {
  auto* windows = static_cast<HostWindows*>(data);
  windows->Make();
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

// Spiralis.scr, or (for the icon) the framework's test saver told to have
// no preview form; both beside or above this program.
PROCESS_INFORMATION StartSaver(const std::string& handle, bool icon) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string exe = path;
  exe.erase(exe.find_last_of('\\') + 1);
  if (icon) {
    exe += "runmodes_host.exe";
    SetEnvironmentVariableA("SPIRALIS_SET", "FormPreview=");
  } else {
    exe.erase(exe.find_last_of('\\', exe.size() - 2) + 1);
    exe += "Spiralis.scr";
  }
  std::string line = "\"" + exe + "\" /p " + handle;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    Fail("cannot start " + exe);
  return pi;
}

// Checks the preview's windows and what the screen shows; true once the
// galaxy fills the picture.
bool GalaxyShows(HWND picture) {
  HWND proxy = nullptr, form = nullptr;
  const bool windows = PumpUntil(
      [&] {
        proxy = GetWindow(picture, GW_CHILD);
        form = proxy ? GetWindow(proxy, GW_CHILD) : nullptr;
        return form && IsWindowVisible(form);
      },
      10000);
  if (!windows) {
    Fail("no preview window appeared in the picture");
    return false;
  }
  Note("proxy class " + ClassOf(proxy) + ", form class " + ClassOf(form));
  if (ClassOf(proxy) != "ScrPreviewProxyChild") Fail("the picture's child is not the proxy");
  RECT pr, fr;
  GetClientRect(picture, &pr);
  GetWindowRect(form, &fr);
  POINT at{fr.left, fr.top};
  ScreenToClient(picture, &at);
  if (at.x != 0 || at.y != 0 || fr.right - fr.left != pr.right || fr.bottom - fr.top != pr.bottom)
    Fail("the preview does not cover the picture exactly");

  // The galaxy on the screen: the background colour all over, cells in every
  // quarter, nothing else (such as the host's white) left over.
  Picture seen;
  const bool shows = PumpUntil(
      [&] {
        seen = Look(ScreenPixels(picture), pr.right, pr.bottom);
        return seen.cells > 50 && seen.quadrantsWithCells == 4 && seen.other < pr.right * pr.bottom / 50 &&
               seen.columnsWithBackground > pr.right * 9 / 10 && seen.rowsWithBackground > pr.bottom * 9 / 10;
      },
      10000);
  Note("screen: " + Describe(seen));
  if (!shows) Fail("the galaxy does not fill the picture on the screen");
  return shows;
}

// The default preview: the application's icon (32 x 32) in the middle of
// the picture, the desktop colour all around it.
void IconShows(HWND picture) {
  const COLORREF c = GetSysColor(COLOR_BACKGROUND);
  const unsigned desktop = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  int inIcon = 0, around = 0;
  const bool shows = PumpUntil(
      [&] {
        const std::vector<unsigned> pixels = ScreenPixels(picture);
        inIcon = around = 0;
        for (int y = 0; y < 112; ++y)
          for (int x = 0; x < 152; ++x) {
            const bool centre = x >= 60 && x < 92 && y >= 40 && y < 72;
            if (pixels[y * 152 + x] != desktop) ++(centre ? inIcon : around);
          }
        return inIcon > 50 && around == 0;
      },
      10000);
  Note("screen: icon pixels=" + std::to_string(inIcon) + " other pixels around it=" + std::to_string(around));
  if (!shows) Fail("the icon on the desktop colour does not show in the picture");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string when = argc > 1 ? argv[1] : "shown";
  HostWindows host;
  HANDLE thread = nullptr;
  DWORD threadId = 0;
  if (when == "thread") {
    thread = CreateThread(nullptr, 0, HostThread, &host, 0, &threadId);
    PumpUntil([&] { return host.picture != nullptr; }, 5000);
  } else {
    host.Make();
  }
  std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(host.picture));
  if (when == "zero") handle = "0";
  if (when == "nowindow") handle = "4660";  // 0x1234
  PROCESS_INFORMATION saver = StartSaver(handle, when == "icon");
  if (!saver.hProcess) return 1;

  auto hostGoes = [&] {
    if (thread) {
      PostThreadMessageA(threadId, WM_QUIT, 0, 0);
      WaitForSingleObject(thread, 5000);
    } else {
      DestroyWindow(host.dialog);
    }
  };
  bool waitForEnd = true;
  if (when == "shown" || when == "thread") {
    GalaxyShows(host.picture);
    if (argc > 2) PumpMessages(static_cast<DWORD>(std::atoi(argv[2])));  // time to look at it
    hostGoes();
  } else if (when == "icon") {
    IconShows(host.picture);
    hostGoes();
  } else if (when == "start") {
    hostGoes();
  } else if (when == "execute" || when == "building") {
    const char* mark = when == "execute" ? "NEW RUN EXECUTING" : "Perform main preview";
    if (!PumpUntil([&] { return Traced(mark); }, 10000)) Note("never traced: " + std::string(mark));
    hostGoes();
  } else if (when == "framing") {
    if (!PumpUntil([&] { return Traced("Done init") && Look(ScreenPixels(host.picture), 152, 112).cells > 0; }, 10000))
      Note("no frame showed");
    hostGoes();
  } else if (when == "zero" || when == "nowindow") {
    // Nothing to show in: the saver ends by itself, and shows nothing.
    waitForEnd = false;
    if (!PumpUntil([&] { return Ended(saver.hProcess, saver.dwProcessId); }, 10000))
      Fail("the saver did not end by itself");
    DestroyWindow(host.dialog);
  } else {
    Fail("unknown moment " + when);
  }

  if (waitForEnd) {
    // The saver ends by itself once its host has gone (the bound is for a loaded machine).
    if (!PumpUntil([&] { return Ended(saver.hProcess, saver.dwProcessId); }, 20000))
      Fail("the saver is still running 20 s after its host went");
  }
  if (WaitForSingleObject(saver.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(saver.hProcess, 99);
    WaitForSingleObject(saver.hProcess, 5000);
  }
  DWORD code = 0;
  GetExitCodeProcess(saver.hProcess, &code);
  char text[64];
  std::snprintf(text, sizeof text, "saver exit code 0x%lX", code);
  Note(text);
  if (code != 0) Fail("the saver did not end cleanly");
  CloseHandle(saver.hProcess);
  CloseHandle(saver.hThread);
  if (thread) CloseHandle(thread);

  if (FILE* f = std::fopen("host.txt", "wb")) {
    std::fwrite(gReport.data(), 1, gReport.size(), f);
    std::fclose(f);
  }
  return gFailed ? 1 : 0;
}
