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

using namespace testing_support;

namespace {

const char* const kSaverKey = "Software\\Vantrel\\Spiralis";
const char* const kScreenSaverKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const char* const kDesktopKey = "Control Panel\\Desktop";
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

std::string ClassOf(HWND h) {
  char name[128] = "";
  GetClassNameA(h, name, sizeof name);
  return name;
}

HWND VisibleWindowOfClass(DWORD pid, const char* cls) {
  for (HWND h : TopLevelWindows(pid))
    if (IsWindowVisible(h) && ClassOf(h) == cls) return h;
  return nullptr;
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

// Printable form of generated input (control and high bytes escaped, long
// texts shortened).
std::string Printable(const std::string& s) {
  std::string out;
  for (unsigned char c : s.substr(0, 160)) {
    if (c >= 32 && c < 127)
      out += static_cast<char>(c);
    else {
      char b[8];
      std::snprintf(b, sizeof b, "\\x%02X", c);
      out += b;
    }
  }
  if (s.size() > 160) out += "...(" + std::to_string(s.size()) + " chars)";
  return out;
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
  HWND Saver() const { return VisibleWindowOfClass(run_.pid(), "TSaverForm"); }
  HWND TraceWindow() const { return VisibleWindowOfClass(run_.pid(), "ScrDebugWindowClass"); }

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

// Windows the preview switch may be given: ours (a top-level host and a child
// in it), the desktop, one of another process, a destroyed one, a message-only one.
struct Hosts {
  HWND top = nullptr, child = nullptr, dead = nullptr, messageOnly = nullptr;
  Hosts() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "HostilePreviewHost";
    RegisterClassA(&wc);
    Make();
    dead = CreateWindowExA(0, "HostilePreviewHost", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(dead);
    messageOnly = CreateWindowExA(0, "HostilePreviewHost", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  void Make() {
    if (!IsWindow(top))
      top = CreateWindowExA(0, "HostilePreviewHost", "host", WS_POPUP | WS_VISIBLE, 700, 20, 240, 180, nullptr,
                            nullptr, nullptr, nullptr);
    if (!IsWindow(child))
      child = CreateWindowExA(0, "HostilePreviewHost", "", WS_CHILD | WS_VISIBLE, 20, 20, 152, 112, top, nullptr,
                              nullptr, nullptr);
  }
  // Another process's window: the desktop's own, or the first top-level one
  // that is not ours.
  static HWND Foreign() {
    HWND found = nullptr;
    EnumWindows(FirstForeign, reinterpret_cast<LPARAM>(&found));
    return found;
  }
  static BOOL CALLBACK FirstForeign(HWND h, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == GetCurrentProcessId()) return TRUE;
    *reinterpret_cast<HWND*>(lp) = h;
    return FALSE;
  }
};

class LineMaker {
 public:
  LineMaker(unsigned seed, Hosts& hosts) : rng_(seed), hosts_(hosts) {}

  // A command line and the kind of handle it carries ("" when none).
  std::pair<std::string, std::string> Next() {
    const int shape = Pick(100);
    if (shape < 4) return {Garbage(1 + Pick(300)), "garbage"};
    if (shape < 5) return {std::string(20000 + Pick(12000), "sp/ 0x9"[Pick(7)]), "huge"};  // within a command line's 32767
    std::string line = Switch();
    std::string handleKind;
    const int parts = Pick(100) < 85 ? 1 : 2 + Pick(2);
    for (int i = 0; i < parts; ++i) {
      if (i) line += std::string(Pick(2) ? " " : "") + Switch();
      const char letter = "sSpPcCaAlLxz"[Pick(12)];
      line += letter;
      if (Pick(100) < 70) {
        line += Separator();
        std::string kind;
        line += Handle(kind);
        if (handleKind.empty()) handleKind = kind;
      }
    }
    return {line, handleKind.empty() ? "no handle" : handleKind};
  }

 private:
  int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
  std::string Switch() {
    static const char* const s[] = {"/", "/", "/", "-", "-", "", "//", "\\", " /", "\t-"};
    return s[Pick(10)];
  }
  std::string Separator() {
    static const char* const s[] = {" ", " ", ":", "", "  ", "=", ": ", "\t", ",", " :"};
    return s[Pick(10)];
  }
  std::string Garbage(int n) {
    std::string g;
    for (int i = 0; i < n; ++i) g += static_cast<char>(1 + Pick(255));
    return g;
  }
  std::string Number(unsigned long long v) {
    char b[40];
    switch (Pick(5)) {
      case 0: std::snprintf(b, sizeof b, "0x%llx", static_cast<unsigned long long>(v)); break;
      case 1: std::snprintf(b, sizeof b, "0%llo", static_cast<unsigned long long>(v)); break;
      case 2: std::snprintf(b, sizeof b, "+%llu", static_cast<unsigned long long>(v)); break;
      default: std::snprintf(b, sizeof b, "%llu", static_cast<unsigned long long>(v)); break;
    }
    return b;
  }
  std::string Handle(std::string& kind) {
    hosts_.Make();
    auto as = [&](HWND h, const char* k) {
      kind = k;
      return Number(reinterpret_cast<std::uintptr_t>(h));
    };
    switch (Pick(17)) {
      case 0: case 1: case 2: return as(hosts_.child, "live child");
      case 3: return as(hosts_.top, "live top-level");
      case 4: return as(GetDesktopWindow(), "desktop");
      case 5: return as(Hosts::Foreign(), "another process's");
      case 6: return as(hosts_.dead, "destroyed");
      case 7: return as(hosts_.messageOnly, "message-only");
      case 8: kind = "zero"; return "0";
      case 9: kind = "negative"; return "-" + Number(1 + Pick(100000));
      case 10: kind = "beyond 32 bits"; return "99999999999999999999";
      case 11: kind = "4294967295"; return "4294967295";
      case 12: kind = "random number"; return Number(rng_());
      case 13: kind = "text"; return Garbage(1 + Pick(40));
      case 14: kind = "number and text"; return Number(reinterpret_cast<std::uintptr_t>(hosts_.child)) + "x%s%n";  // our child
      case 15:  // read whole by the 64-bit build, saturated by the 32-bit one
        kind = "live child beyond 32 bits";
        return Number(reinterpret_cast<std::uintptr_t>(hosts_.child) + (1ull << 32));
      default: kind = "empty"; return "";
    }
  }
  std::mt19937 rng_;
  Hosts& hosts_;
};

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

struct RawData {
  const char* what;
  DWORD type;
  std::string bytes;
};

std::string Dword(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

std::vector<RawData> DataKinds() {
  using namespace std::string_literals;
  return {
      {"none", REG_SZ, "none\0"s},
      {"None", REG_SZ, "None\0"s},
      {"empty text", REG_SZ, "\0"s},
      {"no bytes", REG_SZ, ""},
      {"unterminated", REG_SZ, "12345"},
      {"huge text", REG_SZ, std::string(200000, '7') + '\0'},
      {"zero inside", REG_SZ, "40\0junk\0"s},
      {"negative text", REG_SZ, "-2147483648\0"s},
      {"beyond 32 bits", REG_SZ, "99999999999999999999\0"s},
      {"1e308", REG_SZ, "1e308\0"s},
      {"-0.0", REG_SZ, "-0.0\0"s},
      {"nan", REG_SZ, "nan\0"s},
      {"comma real", REG_SZ, "0,01\0"s},
      {"mode too big", REG_SZ, "99999x99999x32\0"s},
      {"mode of nothing", REG_SZ, "0x0x0\0"s},
      {"negative mode", REG_SZ, "-640x-480x-16\0"s},
      {"default", REG_SZ, "default\0"s},
      {"corners", REG_SZ, "YNYNYNYN\0"s},
      {"high bytes", REG_SZ, "\xFF\xFE\x80\x01\0"s},
      {"max", REG_DWORD, Dword(0xFFFFFFFFu)},
      {"min", REG_DWORD, Dword(0x80000000u)},
      {"zero", REG_DWORD, Dword(0)},
      {"one", REG_DWORD, Dword(1)},
      {"two", REG_DWORD, Dword(2)},
      {"big", REG_DWORD, Dword(1000000)},
      {"3 bytes", REG_BINARY, "\1\2\3"s},
      {"empty binary", REG_BINARY, ""},
      {"5 bytes", REG_BINARY, "\1\0\0\0\0"s},
      {"qword", REG_QWORD, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F"s},
      {"big-endian", REG_DWORD_BIG_ENDIAN, Dword(0x01000000u)},
      {"list", REG_MULTI_SZ, "40\0none\0\0"s},
      {"expandable", REG_EXPAND_SZ, "%PATH%\0"s},
      {"no type", REG_NONE, "\1"s},
  };
}

struct Entry {
  const char* key;
  const char* name;
};

std::vector<Entry> AllEntries() {
  std::vector<Entry> e;
  for (const char* n : {"DriverPath", "Driver", "nRings", "Velocity", "Probability", "Trails", "Explosion", "Exhausted",
                        "Background", "Replenished", "ReStart", "Density", "DarkMatter", "Depth", "Speed", "Eye",
                        "Told3dfx", "ToldActive", "Mode"})
    e.push_back({kSaverKey, n});
  for (const char* n : {"Password Delay", "Password Delay Index", "Mouse Threshold", "Mouse Threshold Index",
                        "Mouse Corners", "Mute Sound", "Mute", "Active Config"})
    e.push_back({kScreenSaverKey, n});
  e.push_back({kDesktopKey, "ScreenSaveUsePassword"});
  return e;
}

int RegistryStates(int count, unsigned seed) {
  const std::vector<Entry> entries = AllEntries();
  const std::vector<RawData> kinds = DataKinds();
  std::vector<RawEntry> saved;
  for (const Entry& e : entries) saved.push_back(ReadRawEntry(e.key, e.name));
  std::mt19937 rng(seed);
  Tally tally;
  for (int i = 0; i < count; ++i) {
    // The first states put one kind into every entry at once; then each
    // entry gets a kind of its own, or nothing.
    std::string input;
    for (size_t k = 0; k < entries.size(); ++k) {
      RawEntry s;
      int pick;
      if (i < static_cast<int>(kinds.size()))
        pick = i;
      else
        pick = static_cast<int>(rng() % (kinds.size() + kinds.size() / 2)) - static_cast<int>(kinds.size() / 2);
      if (pick >= 0) {
        s = {true, kinds[pick].type, kinds[pick].bytes};
        input += std::string(input.empty() ? "" : ", ") + entries[k].name + "=" + kinds[pick].what;
      }
      WriteRawEntry(entries[k].key, entries[k].name, s);
    }
    Verdict v;
    {
      Run run("/s");
      JudgeFullScreen(run, v, true);
    }
    tally.Add(input.empty() ? "(all missing)" : input, v, "full screen");
  }
  for (size_t k = 0; k < entries.size(); ++k) WriteRawEntry(entries[k].key, entries[k].name, saved[k]);
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
