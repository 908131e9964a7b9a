// The hostile-input harness in one process: the same generated inputs as
// hostile.exe, given straight to the real code, thousands a minute.
//   hostile_inproc.exe registry-inproc <count> [seed]  registry states read
//       through the saver's own main module and value layer; the galaxy
//       built from them steps and draws into a checking OpenGL table
//   hostile_inproc.exe cmdlines-inproc <count> [seed]  command lines through
//       the real command-line parser
// A line per failed case ("FAIL", the input, what failed), then the summary
// "hostile phase=NAME runs=N faults=F". A crash is a fault too: it ends the
// run with its case and the summary so far. The exit code is 1 on any fault.
#include <windows.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/cmdline.h"
#include "saver/mainform.h"
#include "tools/fuzz/galaxy_check.h"
#include "tools/hostile/inputs.h"
#include "values/values.h"

namespace {

// The phase's tally, where the crash handler can reach it.
struct TPhase {
  std::string name;
  int runs = 0, faults = 0;
  std::string input;  // the case under way
  int Summary() const {
    std::printf("hostile phase=%s runs=%d faults=%d\n", name.c_str(), runs, faults);
    std::fflush(stdout);
    return faults ? 1 : 0;
  }
  void Fail(const std::string& what) {
    ++faults;
    std::printf("FAIL %s | %s\n", hostile::Printable(input).c_str(), what.c_str());
    std::fflush(stdout);
  }
};
TPhase gPhase;

LONG WINAPI OnCrash(EXCEPTION_POINTERS* e) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(e->ExceptionRecord->ExceptionCode));
  ++gPhase.runs;
  gPhase.Fail(std::string("crash ") + code);
  gPhase.Summary();
  ExitProcess(1);
}

// Runs one case; what it throws is a fault.
template <class Case>
void RunCase(const std::string& input, Case run) {
  gPhase.input = input;
  std::string fault;
  try {
    fault = run();
  } catch (const std::exception& e) {
    fault = std::string("exception: ") + e.what();
  } catch (...) {
    fault = "exception";
  }
  ++gPhase.runs;
  if (!fault.empty()) gPhase.Fail(fault);
}

// --- Registry states ----------------------------------------------------------------

// Why a value read from the registry is no value of its setting, or empty:
// a number in one of its ranges or its default, an index naming a range (or
// none, which the "none" text stores), corners of 'Y', 'N' and '-' only, a
// screen mode from the offered list.
std::string ValueFault(TScrValue* value) {
  const std::string name = value->Name() + " ";
  if (auto* v = dynamic_cast<TScrVInteger*>(value)) {
    const std::int32_t n = v->GetValue();
    if (!(v->GetMin() <= n && n <= v->GetMax()) && n != v->Def()) return name + std::to_string(n) + " out of range";
  } else if (auto* v = dynamic_cast<TScrVDouble*>(value)) {
    const double d = v->GetValue();
    if (!std::isfinite(d) || (!(v->GetMin() <= d && d <= v->GetMax()) && d != v->Def()))
      return name + std::to_string(d) + " out of range";
  } else if (auto* v = dynamic_cast<TScrVSysMouseThreshold*>(value)) {
    if (v->GetIndex() < 0 || v->GetIndex() >= v->GetRanges()->Count()) return name + "index names no range";
  } else if (auto* v = dynamic_cast<TScrVCustomIndex*>(value)) {
    if (v->GetIndex() < -1 || v->GetIndex() >= v->GetRanges()->Count()) return name + "index beyond the ranges";
  } else if (auto* v = dynamic_cast<TScrVSysCorners*>(value)) {
    const std::string corners = v->GetValue();
    if (corners.size() != 4 || corners.find_first_not_of("YN-") != std::string::npos)
      return name + "corners \"" + hostile::Printable(corners) + "\"";
  } else if (auto* v = dynamic_cast<TScrVScreenMode*>(value)) {
    if (v->GetIndex() < 0 || v->GetIndex() >= v->GetCount()) return name + "mode beyond the list";
    v->GetWidth();
  } else {
    value->ValueNeeded();  // text, colours, flags and the password delay hold whatever they read
  }
  return std::string();
}

std::string RegistryCase() {
  // The main module as the saver makes it, its values reading the saver's
  // own key whatever this program is called. Its control's start-up message
  // is never dispatched: no run mode starts.
  MainForm = CreateComponent<TMainForm>(nullptr);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_APP, 0xFFFF, PM_REMOVE)) {
  }
  for (int i = 0; i < MainForm->ComponentCount(); ++i)
    if (auto* v = dynamic_cast<TScrValue*>(MainForm->Components(i))) {
      std::string path = v->RegistryPathTemplate();
      const size_t project = path.find("<project>");
      if (project != std::string::npos) v->SetRegistryPath(path.replace(project, 9, "Spiralis"));
    }
  ScrLoadValuesFromRegistry(MainForm);
  std::string fault;
  for (int i = 0; i < MainForm->ComponentCount() && fault.empty(); ++i)
    if (auto* v = dynamic_cast<TScrValue*>(MainForm->Components(i))) fault = ValueFault(v);
  if (fault.empty()) {
    TGalaxyTrial trial;
    trial.Settings = MainForm->GalaxySettings();
    trial.Clock = static_cast<std::uint32_t>(gPhase.runs) * 2654435761u;
    fault = RunGalaxyTrial(trial);
    if (!fault.empty()) fault = "galaxy: " + fault;
  }
  MainForm->Free();
  MainForm = nullptr;
  return fault;
}

int RegistryPhase(int count, unsigned seed) {
  RegisterSaverClasses();
  hostile::StateMaker states(seed);
  for (int i = 0; i < count; ++i) RunCase(states.Next(), RegistryCase);
  return gPhase.Summary();
}

// --- Command lines -------------------------------------------------------------------

// The platform as the saver sees it, but for the two answers that would
// start the preview host or show a message box: the preview host is one of
// ours, and an error is remembered.
class TQuietHost final : public TCommandLineHost {
 public:
  explicit TQuietHost(HWND previewHost) : previewHost_(previewHost) {}
  bool IsLiveWindow(HWND w) override { return Win32CommandLineHost().IsLiveWindow(w); }
  HWND ForegroundWindow() override { return Win32CommandLineHost().ForegroundWindow(); }
  std::string ModuleName(HWND w) override { return Win32CommandLineHost().ModuleName(w); }
  HWND FindPreviewHost() override { return previewHost_; }
  void ShowError(const std::string& text) override { error = text; }
  std::string error;

 private:
  HWND previewHost_;
};

// A window number as C's "%i" reads it (blanks, a sign, then decimal, 0x
// hexadecimal or 0 octal digits; what follows is ignored), at the width of a
// window handle: a magnitude beyond that width stands for the largest, and a
// minus takes it from zero within that width. None when no digit comes.
std::optional<std::uintptr_t> WindowNumber(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  const bool minus = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  if (!std::isdigit(static_cast<unsigned char>(*text))) return std::nullopt;
  errno = 0;
  unsigned long long magnitude = std::strtoull(text, nullptr, 0);
  if (errno == ERANGE || magnitude > UINTPTR_MAX) magnitude = UINTPTR_MAX;
  const auto number = static_cast<std::uintptr_t>(magnitude);
  return minus ? 0 - number : number;
}

// The parse of `line` (the program's name first) against the grammar's
// rules: the letter after one '-' and one '/' chooses the mode; a preview
// needs the live window its number (or "pvwhost") names, and is no mode
// without one; a configuration takes the window it names, else the
// foreground window; anything else is no mode, with no window.
std::string LineFault(const std::string& line, TQuietHost& host, HWND previewHost, std::map<std::string, int>& modes) {
  TScrMode mode = smSFull, again = smSFull;
  HWND hwnd = nullptr, sameHwnd = nullptr;
  ParseCommandLineText(line.c_str(), host, &mode, &hwnd);
  ParseCommandLineText(line.c_str(), host, &again, &sameHwnd);
  ++modes[ScrModeName(mode)];
  if (mode != again || hwnd != sameHwnd) return "a second parse gave another answer";

  const size_t name = line[0] == '"' ? line.find('"', 1) + 1 : line.find(' ');
  const char* p = line.c_str() + (name == std::string::npos ? line.size() : name);
  while (*p == ' ') ++p;
  if (!*p) return mode == smCRegular ? "" : "no arguments but not the configuration";
  if (*p == '-') ++p;
  if (*p == '/') ++p;
  const char letter = static_cast<char>(*p | 0x20);
  const char* rest = p + (*p ? 1 : 0);
  while (*rest == ' ' || *rest == ':') ++rest;
  const auto named = WindowNumber(rest);
  const HWND window = named ? reinterpret_cast<HWND>(*named) : nullptr;
  const bool live = named && *rest && window && IsWindow(window);
  switch (letter) {
    case 's':
      return mode == smSFull && !hwnd ? "" : "not the full-screen saver";
    case 'p': case 'l': {
      const bool pvwhost = !std::strcmp(rest, "pvwhost") || !std::strcmp(rest, "Pvwhost") || !std::strcmp(rest, "PVWHOST");
      const HWND expected = pvwhost ? previewHost : live ? window : nullptr;
      if (!expected) return mode == smNone && !hwnd ? "" : "a preview without a live window";
      return mode == smSPMain && hwnd == expected ? "" : "not the preview in the window named";
    }
    case 'c': case 'a': {
      const TScrMode wanted = letter == 'a' ? smPasswordChange : smCRegular;
      if (mode != wanted) return "not the configuration asked for";
      if (live) return hwnd == window ? "" : "not the window named";
      return !hwnd || IsWindow(hwnd) ? "" : "a parent that is no window";
    }
    default:
      return mode == smNone && !hwnd ? "" : "a mode from no switch";
  }
}

int CommandLinePhase(int count, unsigned seed) {
  hostile::Hosts hosts;
  hostile::LineMaker maker(seed, hosts);
  const char* const programs[] = {"\"C:\\Windows\\Spiralis.scr\" ", "C:\\Windows\\SPIRALIS.SCR ",
                                  "\"C:\\Program Files\\Spiralis\\Spiralis.scr\" "};
  std::map<std::string, int> modes;  // what the lines turned into
  for (int i = 0; i < count; ++i) {
    std::string line = maker.Next().first;
    // Now and then the preview host's name instead of a number.
    if (i % 50 == 7) line = std::string(i % 100 == 7 ? "/p " : "-l:") + (i % 150 == 7 ? "PVWHOST" : "pvwhost");
    line = programs[i % 3] + line;
    TQuietHost host(hosts.child);
    RunCase(line, [&] { return LineFault(line, host, hosts.child, modes); });
  }
  std::printf("modes:");
  for (const auto& [name, n] : modes) std::printf(" %s %d", name.c_str(), n);
  std::printf("\n");
  return gPhase.Summary();
}

}  // namespace

int main(int argc, char** argv) {
  gPhase.name = argc > 1 ? argv[1] : "";
  const int count = argc > 2 ? std::atoi(argv[2]) : 0;
  const unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 1u;
  SetUnhandledExceptionFilter(OnCrash);
  if (gPhase.name == "registry-inproc") return RegistryPhase(count > 0 ? count : 10000, seed);
  if (gPhase.name == "cmdlines-inproc") return CommandLinePhase(count > 0 ? count : 10000, seed);
  std::fprintf(stderr, "usage: hostile_inproc.exe registry-inproc|cmdlines-inproc <count> [seed]\n");
  return 2;
}
