// The hostile-input harness: runs the real Spiralis.scr (one folder up) the
// way the system and other programs may start it, and gives every run a
// verdict. Three phases:
//   hostile.exe cmdlines <count> [seed]  generated command lines, with preview
//                                        handles of every kind
//   hostile.exe registry <count> [seed]  generated registry states for every
//                                        setting and shared entry, each run full screen
//   hostile.exe soak <seconds>           one full-screen run, sampling its
//                                        USER and GDI objects and working set
// One line per run goes to standard output ("ok" or what failed, with the
// input), then a summary. The exit code is the number of failed runs (capped).
#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "tests/support/program_run.h"
#include "tests/support/screen_pixels.h"
#include "tools/hostile/inputs.h"

using namespace testing_support;
using namespace hostile;

namespace {

const char* const kProgram = "..\\Spiralis.scr";

// --- What a run looks like from outside ---------------------------------------------

struct WindowsOf {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOf(HWND h, LPARAM lp) {
  auto* w = reinterpret_cast<WindowsOf*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(h, &owner);
  if (owner == w->pid) w->found.push_back(h);
  return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD pid) {
  WindowsOf w{pid, {}};
  EnumWindows(CollectWindowOf, reinterpret_cast<LPARAM>(&w));
  return w.found;
}

// Every window of the process, children included: its USER objects, as far
// as another process can count them.
BOOL CALLBACK CountWindow(HWND, LPARAM lp) {
  ++*reinterpret_cast<int*>(lp);
  return TRUE;
}

int WindowCount(DWORD pid) {
  int n = 0;
  for (HWND h : TopLevelWindows(pid)) {
    ++n;
    EnumChildWindows(h, CountWindow, reinterpret_cast<LPARAM>(&n));
  }
  return n;
}

// GDI objects of another process. The system counts them for
// GetGuiResources; where it does not (Wine), they are counted in the
// process's GDI handle table, which its PEB points to. The layout of a
// table entry differs between systems: it is found on this process's own
// table by making objects and seeing which layout counts them.
class GdiCounter {
 public:
  GdiCounter() {
    std::vector<HGDIOBJ> made;
    const std::vector<int> before = CountsFor(GetCurrentProcess());
    for (int i = 0; i < 37; ++i) made.push_back(CreatePen(PS_SOLID, 1, RGB(i, 0, 0)));
    const std::vector<int> after = CountsFor(GetCurrentProcess());
    for (HGDIOBJ o : made) DeleteObject(o);
    for (size_t i = 0; i < before.size() && i < after.size(); ++i)
      if (after[i] - before[i] == 37) layout_ = static_cast<int>(i);
  }
  // -1 when it cannot be counted.
  int Count(HANDLE process) const {
    if (DWORD n = GetGuiResources(process, GR_GDIOBJECTS)) return static_cast<int>(n);
    if (layout_ < 0) return -1;
    const std::vector<int> counts = CountsFor(process);
    return layout_ < static_cast<int>(counts.size()) ? counts[layout_] : -1;
  }

 private:
  struct Layout {
    size_t stride, typeAt;
  };
  static constexpr Layout kLayouts[] = {{16, 10}, {24, 12}, {16, 8}, {24, 14}};
  static constexpr size_t kEntries = 0x4000;  // the first handles are enough to see growth

  // Entries in use under each layout.
  static std::vector<int> CountsFor(HANDLE process) {
    std::vector<int> counts;
    using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryFn>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess"));
    struct {
      LONG exitStatus;
      BYTE* peb;
      ULONG_PTR affinity, priority, pid, parent;
    } basic{};
    ULONG got = 0;
    if (!query || query(process, 0, &basic, sizeof basic, &got) != 0 || !basic.peb) return counts;
    BYTE* table = nullptr;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, basic.peb + 0x94, &table, sizeof table, &read) || !table) return counts;
    std::vector<BYTE> bytes(kEntries * 24);
    if (!ReadProcessMemory(process, table, bytes.data(), bytes.size(), &read)) return counts;
    for (const Layout& l : kLayouts) {
      int n = 0;
      for (size_t i = 0; i < kEntries && (i + 1) * l.stride <= bytes.size(); ++i) n += bytes[i * l.stride + l.typeAt] != 0;
      counts.push_back(n);
    }
    return counts;
  }

  int layout_ = -1;
};

// The window covers the screen: its rectangle is the screen's, and it is the
// window seen at the centre and near each corner.
bool CoversScreen(HWND w) {
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  RECT r{};
  GetWindowRect(w, &r);
  if (r.left > 0 || r.top > 0 || r.right < cx || r.bottom < cy) return false;
  for (POINT p : {POINT{cx / 2, cy / 2}, POINT{3, 3}, POINT{cx - 4, 3}, POINT{3, cy - 4}, POINT{cx - 4, cy - 4}})
    if (GetAncestor(WindowFromPoint(p), GA_ROOT) != w) return false;
  return true;
}

// Lines of the trace that report a failure.
std::string TraceErrors(const std::string& trace) {
  static const char* const marks[] = {"rror", "failed", "Failed", "xception", "doesn't descend", "odd result",
                                      "not working", "form found"};
  std::string out;
  size_t start = 0;
  while (start < trace.size()) {
    size_t end = trace.find('\n', start);
    if (end == std::string::npos) end = trace.size();
    const std::string line = trace.substr(start, end - start);
    for (const char* m : marks)
      if (line.find(m) != std::string::npos) {
        out += (out.empty() ? "" : " | ") + line.substr(0, 120);
        break;
      }
    start = end + 1;
  }
  return out;
}

bool Crashed(DWORD code) { return code >= 0xC0000000u && code != STILL_ACTIVE; }

std::string Hex(DWORD v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%08lX", static_cast<unsigned long>(v));
  return b;
}

// --- One run and its verdict ----------------------------------------------------------

struct Verdict {
  std::vector<std::string> failures;
  std::string notes;
  void Fail(const std::string& what) { failures.push_back(what); }
  bool ok() const { return failures.empty(); }
};

// A run with a trace file; ends whatever is left of it.
class Run {
 public:
  explicit Run(const std::string& args, bool traced = true)
      : run_(kProgram, args, {}, traced ? std::vector<std::string>{"spiralis.log"} : std::vector<std::string>{}) {}
  ProgramRun& process() { return run_; }
  std::string trace() const { return FileExists(run_.folder() / "spiralis.log") ? ReadFile(run_.folder() / "spiralis.log") : ""; }
  HWND Saver() const { return ShownWindowOf(run_.pid(), "TSaverForm"); }
  HWND TraceWindow() const { return ShownWindowOf(run_.pid(), "ScrDebugWindowClass"); }

  // The process is over, or all that holds it is a trace window, which is
  // then closed (its showing is judged apart).
  bool EndsAfterInput(Verdict& v, DWORD ms = 10000) {
    if (!PumpUntil([&] { return !run_.Running() || (!Saver() && TraceWindow()); }, ms)) return false;
    if (run_.Running()) {
      v.notes += " trace window held the process;";
      PostMessageA(TraceWindow(), WM_CLOSE, 0, 0);
      return run_.Ended(ms);
    }
    return true;
  }

  void JudgeEnd(Verdict& v, bool traceMustBeClean) {
    if (run_.Running()) {
      v.Fail("process left");
      return;
    }
    if (Crashed(run_.ExitCode())) v.Fail("crash " + Hex(run_.ExitCode()));
    if (traceMustBeClean) {
      const std::string errors = TraceErrors(trace());
      if (!errors.empty()) v.Fail("error in the trace: " + errors);
      if (traceShown_) v.Fail("trace window shown");
    }
    const std::string boxes = run_.boxes();
    if (!boxes.empty()) v.notes += " box: " + Printable(boxes) + ";";
  }
  void NoteTraceWindow() { traceShown_ = traceShown_ || TraceWindow(); }

 private:
  ProgramRun run_;
  bool traceShown_ = false;
};

// A full-screen run from its first frame to its end by input.
void JudgeFullScreen(Run& run, Verdict& v, bool traceMustBeClean, DWORD stayMs = 1500) {
  HWND saver = nullptr;
  PumpUntil([&] { return (saver = run.Saver()) || !run.process().Running(); }, 15000);
  if (!saver) {
    v.Fail(run.process().Running() ? "no saver window" : "ended before showing");
    run.JudgeEnd(v, traceMustBeClean);
    return;
  }
  PumpMessages(stayMs / 2);
  if (!CoversScreen(saver)) v.Fail("does not cover the screen");
  PumpMessages(stayMs / 2);
  run.NoteTraceWindow();
  if (!run.process().Running() || !IsWindowVisible(saver)) {
    v.Fail("did not stay up");
    run.JudgeEnd(v, traceMustBeClean);
    return;
  }
  InputKey('Q');
  if (!run.EndsAfterInput(v)) {
    InputClick(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    if (!run.EndsAfterInput(v)) v.Fail("did not end on input");
  }
  run.JudgeEnd(v, traceMustBeClean);
}

struct Tally {
  int runs = 0, failed = 0;
  std::map<std::string, int> kinds;  // what was seen, counted
  void Add(const std::string& input, const Verdict& v, const std::string& kind) {
    ++runs;
    ++kinds[kind];
    if (!v.ok()) ++failed;
    std::string line = (v.ok() ? "ok   " : "FAIL ") + kind + " | " + input;
    for (const std::string& f : v.failures) line += " | " + f;
    if (!v.notes.empty()) line += " |" + v.notes;
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  int Summary(const char* phase) {
    std::printf("== %s: %d runs, %d failed", phase, runs, failed);
    for (auto& [kind, n] : kinds) std::printf("; %s %d", kind.c_str(), n);
    std::printf("\n");
    return failed > 100 ? 100 : failed;
  }
};

// --- (a) Command lines ---------------------------------------------------------------

int CommandLines(int count, unsigned seed) {
  Hosts hosts;
  LineMaker maker(seed, hosts);
  Tally tally;
  for (int i = 0; i < count; ++i) {
    const auto [line, handleKind] = maker.Next();
    Verdict v;
    std::string kind;
    {
      Run run(line);
      if (!run.process().started()) {
        v.Fail("not started");
        tally.Add(Printable(line), v, "not started");
        continue;
      }
      // What the line turned into: an end, a full-screen saver, a preview in
      // a window of ours or of someone else, or a dialog.
      HWND saver = nullptr;
      PumpUntil([&] { return !run.process().Running() || (saver = run.Saver()) || run.TraceWindow(); }, 2500);
      if (saver && !(GetWindowLongA(saver, GWL_STYLE) & WS_CHILD)) {
        kind = "full screen";
        JudgeFullScreen(run, v, false, 600);
      } else if (!run.process().Running()) {
        kind = "ended";
        run.JudgeEnd(v, false);
      } else {
        // A preview (its window is a child, so it is not among the top-level
        // windows), a dialog, or a trace window: its host goes, or it is closed.
        PumpMessages(300);
        run.NoteTraceWindow();
        const bool inOurHost =
            handleKind == "live child" || handleKind == "live top-level" || handleKind == "number and text";
        kind = inOurHost ? "preview" : "running";
        if (inOurHost) {
          DestroyWindow(hosts.top);  // the control panel closes
          hosts.child = nullptr;
        }
        if (!run.EndsAfterInput(v, inOurHost ? 10000 : 1500)) {
          for (HWND h : TopLevelWindows(run.process().pid()))
            if (IsWindowVisible(h)) PostMessageA(h, WM_CLOSE, 0, 0);
          if (!run.EndsAfterInput(v, 5000)) {
            DWORD_PTR answer = 0;
            bool responsive = true;
            for (HWND h : TopLevelWindows(run.process().pid()))
              responsive = responsive && SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &answer);
            if (!responsive)
              v.Fail("hang");
            else if (inOurHost)
              v.Fail("process left after its host went");
            else
              v.notes += " still running with a host that is not ours: ended by the harness;";
          }
        }
        if (!run.process().Running() && Crashed(run.process().ExitCode()))
          v.Fail("crash " + Hex(run.process().ExitCode()));
      }
    }  // the run's process is ended here, whatever it was doing
    tally.Add(Printable(line) + " [" + handleKind + "]", v, kind);
  }
  return tally.Summary("command lines");
}

// --- (b) Registry states --------------------------------------------------------------

int RegistryStates(int count, unsigned seed) {
  StateMaker states(seed);
  Tally tally;
  for (int i = 0; i < count; ++i) {
    const std::string input = states.Next();
    Verdict v;
    {
      Run run("/s");
      JudgeFullScreen(run, v, true);
    }
    tally.Add(input, v, "full screen");
  }
  return tally.Summary("registry states");
}

// --- (c) The long run ---------------------------------------------------------------

struct Sample {
  DWORD ms;
  DWORD user;  // GetGuiResources (0 where the system does not count)
  int gdi;     // -1 when it cannot be counted
  int windows;
  DWORD handles;
  SIZE_T workingSet, privateBytes;
};

int Soak(int seconds) {
  Tally tally;
  Verdict v;
  std::vector<Sample> samples;
  const GdiCounter gdi;
  {
    Run run("/s", false);  // as the system runs it: no trace, topmost
    HWND saver = nullptr;
    PumpUntil([&] { return (saver = run.Saver()) || !run.process().Running(); }, 15000);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, run.process().pid());
    if (!saver || !process) {
      v.Fail("no saver window");
    } else {
      if (!CoversScreen(saver)) v.Fail("does not cover the screen at the start");
      const DWORD start = GetTickCount();
      const DWORD every = seconds >= 120 ? 10000 : 2000;
      bool up = true;
      while (GetTickCount() - start < static_cast<DWORD>(seconds) * 1000u) {
        PumpMessages(every);
        if (!run.process().Running() || !IsWindowVisible(saver)) {
          up = false;
          break;
        }
        Sample s{GetTickCount() - start, GetGuiResources(process, GR_USEROBJECTS), gdi.Count(process),
                 WindowCount(run.process().pid()), 0, 0, 0};
        GetProcessHandleCount(process, &s.handles);
        PROCESS_MEMORY_COUNTERS_EX pmc{};
        pmc.cb = sizeof pmc;
        if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc)) {
          s.workingSet = pmc.WorkingSetSize;
          s.privateBytes = pmc.PrivateUsage;
        }
        samples.push_back(s);
        // Wine answers 0 for the USER count, the handle count and the private bytes.
        auto orNa = [](unsigned long v) { return v ? std::to_string(v) : std::string("n/a"); };
        std::printf("sample %6lu ms: USER %s GDI %d windows %d handles %s working set %lu KB private %s KB\n",
                    static_cast<unsigned long>(s.ms), orNa(s.user).c_str(), s.gdi, s.windows, orNa(s.handles).c_str(),
                    static_cast<unsigned long>(s.workingSet / 1024), orNa(s.privateBytes / 1024).c_str());
        std::fflush(stdout);
      }
      if (!up) v.Fail("did not stay up");
      if (up && !CoversScreen(saver)) v.Fail("does not cover the screen at the end");
      // Flat: after the first quarter (warm-up), no count grows, and the
      // working set grows by less than a tenth.
      if (samples.size() >= 4) {
        const Sample& a = samples[samples.size() / 4];
        const Sample& b = samples.back();
        auto grows = [&](const char* what, long from, long to, long slack) {
          if (to > from + slack) v.Fail(std::string(what) + " grew " + std::to_string(from) + " -> " + std::to_string(to));
        };
        grows("USER objects", a.user, b.user, 0);
        grows("GDI objects", a.gdi, b.gdi, 0);
        grows("windows", a.windows, b.windows, 0);
        grows("handles", a.handles, b.handles, 2);
        grows("working set KB", static_cast<long>(a.workingSet / 1024), static_cast<long>(b.workingSet / 1024),
              static_cast<long>(a.workingSet / 1024 / 10));
        grows("private KB", static_cast<long>(a.privateBytes / 1024), static_cast<long>(b.privateBytes / 1024),
              static_cast<long>(a.privateBytes / 1024 / 10));
        char note[200];
        std::snprintf(note, sizeof note, " %zu samples; GDI %d -> %d, windows %d -> %d, working set %lu -> %lu KB;",
                      samples.size(), a.gdi, b.gdi, a.windows, b.windows,
                      static_cast<unsigned long>(a.workingSet / 1024), static_cast<unsigned long>(b.workingSet / 1024));
        v.notes += note;
        if (b.user == 0) v.notes += " no USER count from the system here: its windows are counted instead;";
        if (b.gdi < 0) v.notes += " GDI objects cannot be counted here;";
      } else {
        v.Fail("too few samples");
      }
      if (up) {
        InputKey('Q');
        if (!run.EndsAfterInput(v)) v.Fail("did not end on input");
      }
      run.JudgeEnd(v, false);
    }
    if (process) CloseHandle(process);
  }
  tally.Add("/s for " + std::to_string(seconds) + " s", v, "soak");
  return tally.Summary("soak");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string phase = argc > 1 ? argv[1] : "";
  const int count = argc > 2 ? std::atoi(argv[2]) : 0;
  const unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 1u;
  SetCursorPos(500, 400);
  if (phase == "cmdlines") return CommandLines(count > 0 ? count : 1000, seed);
  if (phase == "registry") return RegistryStates(count > 0 ? count : 200, seed);
  if (phase == "soak") return Soak(count > 0 ? count : 600);
  std::fprintf(stderr, "usage: hostile.exe cmdlines|registry <count> [seed] | soak <seconds>\n");
  return 2;
}
