// CPU the saver program costs while it runs at its own pace (the default
// speed, its own timer): the control panel's 152 x 112 preview and the
// full-screen saver, one after the other in one run. Each runs Spiralis.scr
// (beside this program's folder) for a warm-up second, then SECONDS are
// measured: the saver process's CPU time (kernel + user, both cores count)
// per second of wall time.
//
//   wine run_bench.exe [SECONDS [FRAMERATE...]]
//
// Each FRAMERATE runs the full-screen saver once more with its Frame rate
// setting at that figure (the setting is put back as it was afterwards).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double NowMs() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

std::string ReadWhole(const std::string& path) {
  std::string text;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return text;
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n > 0) text.append(buf, n);
  CloseHandle(f);
  return text;
}

// Under Wine another process's times (GetProcessTimes) are not its CPU time;
// Linux's own accounting is, read through Wine's drive for the root
// (Z:\proc): user + system time of the process running Spiralis.scr. A
// saver that has ended but is still being taken down counts for nothing.
bool LinuxCpuMs(double& ms) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA("Z:\\proc\\*", &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool seen = false;
  ms = 0;
  const double tick = 1000.0 / 100;  // USER_HZ
  do {
    const std::string pid = found.cFileName;
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    if (ReadWhole("Z:\\proc\\" + pid + "\\cmdline").find("Spiralis.scr") == std::string::npos) continue;
    const std::string stat = ReadWhole("Z:\\proc\\" + pid + "\\stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    // After the name: state, then 10 fields up to utime (14th) and stime (15th).
    unsigned long long utime = 0, stime = 0;
    char state = 0;
    if (std::sscanf(stat.c_str() + close + 2, "%c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &state,
                    &utime, &stime) == 3 &&
        state != 'Z' && state != 'X') {
      ms += (utime + stime) * tick;
      seen = true;
    }
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return seen;
}

double CpuMs(HANDLE process) {
  double ms = 0;
  if (LinuxCpuMs(ms)) return ms;
  FILETIME c, e, k, u;
  if (!GetProcessTimes(process, &c, &e, &k, &u)) return 0;
  auto toMs = [](FILETIME f) { return ((static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e4; };
  return toMs(k) + toMs(u);
}

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

std::string SaverPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string exe = path;
  exe.erase(exe.find_last_of('\\'));
  exe.erase(exe.find_last_of('\\') + 1);
  return exe + "Spiralis.scr";
}

// Runs the saver with `args`, measures it, and ends it. A saver still
// running from before (one ended but not yet gone) is waited for first, up
// to ten seconds: its CPU time would count for this one's.
void Measure(const char* variant, const std::string& args, double seconds, int width, int height) {
  double ms = 0;
  for (int i = 0; i < 200 && LinuxCpuMs(ms); ++i) Pump(50);
  const std::string exe = SaverPath();
  std::string line = "\"" + exe + "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("variant=%s error=start\n", variant);
    return;
  }
  Pump(1000);
  const double cpu0 = CpuMs(pi.hProcess), t0 = NowMs();
  Pump(static_cast<DWORD>(seconds * 1000));
  const double cpu = CpuMs(pi.hProcess) - cpu0, wall = NowMs() - t0;
  const bool running = WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
  std::printf("variant=%s size=%dx%d seconds=%.1f running=%d cpu_ms_per_s=%.1f\n", variant, width, height,
              wall / 1000.0, running ? 1 : 0, 1000.0 * cpu / wall);
  std::fflush(stdout);
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
}

// The saver's Frame rate setting, or -1 where none is stored; SetFrameRate
// with -1 takes it away.
const char* const kSettings = "Software\\Vantrel\\Spiralis";
long FrameRate() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_QUERY_VALUE, &key)) return -1;
  DWORD value = 0, size = sizeof value, type = 0;
  const LONG found = RegQueryValueExA(key, "FrameRate", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return found == ERROR_SUCCESS && type == REG_DWORD ? static_cast<long>(value) : -1;
}
void SetFrameRate(long rate) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)) return;
  const DWORD value = static_cast<DWORD>(rate);
  if (rate < 0)
    RegDeleteValueA(key, "FrameRate");
  else
    RegSetValueExA(key, "FrameRate", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

LRESULT CALLBACK HostProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, msg, wp, lp); }

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  WNDCLASSA wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "RunBenchHost";
  RegisterClassA(&wc);
  HWND dialog = CreateWindowExA(0, "RunBenchHost", "Display", WS_POPUP | WS_VISIBLE, 100, 100, 252, 212, nullptr,
                                nullptr, wc.hInstance, nullptr);
  HWND picture = CreateWindowExA(0, "RunBenchHost", "", WS_CHILD | WS_VISIBLE, 50, 50, 152, 112, dialog, nullptr,
                                 wc.hInstance, nullptr);
  Measure("preview", "/p " + std::to_string(reinterpret_cast<UINT_PTR>(picture)), seconds, 152, 112);
  DestroyWindow(dialog);
  Measure("fullscreen", "/s", seconds, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  const long stored = FrameRate();
  for (int i = 2; i < argc; ++i) {
    SetFrameRate(std::atol(argv[i]));
    Measure(("fullscreen-rate-" + std::string(argv[i])).c_str(), "/s", seconds, GetSystemMetrics(SM_CXSCREEN),
            GetSystemMetrics(SM_CYSCREEN));
  }
  SetFrameRate(stored);
  return 0;
}
