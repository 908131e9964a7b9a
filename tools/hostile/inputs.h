#pragma once
// The hostile inputs both harnesses generate: command lines with preview
// handles of every kind, and registry states over every entry the saver
// reads. hostile.cpp gives them to the real program, one process a run;
// inproc.cpp to the real parser and value layer, in its own process.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/program_run.h"

namespace hostile {

inline const char* const kSaverKey = "Software\\Vantrel\\Spiralis";
inline const char* const kScreenSaverKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
inline const char* const kDesktopKey = "Control Panel\\Desktop";

// Printable form of generated input (control and high bytes escaped, long
// texts shortened).
inline std::string Printable(const std::string& s) {
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
      case 0: std::snprintf(b, sizeof b, "0x%llx", v); break;
      case 1: std::snprintf(b, sizeof b, "0%llo", v); break;
      case 2: std::snprintf(b, sizeof b, "+%llu", v); break;
      default: std::snprintf(b, sizeof b, "%llu", v); break;
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

// --- Registry states ------------------------------------------------------------------

struct RawData {
  const char* what;
  DWORD type;
  std::string bytes;
};

inline std::string Dword(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

inline std::vector<RawData> DataKinds() {
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

inline std::vector<Entry> AllEntries() {
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

// Writes registry states over every entry, one a call, and puts the entries
// back as they were when it goes.
class StateMaker {
 public:
  explicit StateMaker(unsigned seed) : rng_(seed) {
    for (const Entry& e : entries_) saved_.push_back(testing_support::ReadRawEntry(e.key, e.name));
  }
  ~StateMaker() {
    for (size_t k = 0; k < entries_.size(); ++k) testing_support::WriteRawEntry(entries_[k].key, entries_[k].name, saved_[k]);
  }
  StateMaker(const StateMaker&) = delete;
  StateMaker& operator=(const StateMaker&) = delete;

  // The next state, written; what it holds, as "name=kind, ...". The first
  // states put one kind into every entry at once; then each entry gets a
  // kind of its own, or nothing.
  std::string Next() {
    std::string input;
    const int kinds = static_cast<int>(kinds_.size());
    for (const Entry& e : entries_) {
      testing_support::RawEntry s;
      const int pick = made_ < kinds ? made_ : static_cast<int>(rng_() % (kinds + kinds / 2)) - kinds / 2;
      if (pick >= 0) {
        s = {true, kinds_[pick].type, kinds_[pick].bytes};
        input += std::string(input.empty() ? "" : ", ") + e.name + "=" + kinds_[pick].what;
      }
      testing_support::WriteRawEntry(e.key, e.name, s);
    }
    ++made_;
    return input.empty() ? "(all missing)" : input;
  }

 private:
  const std::vector<Entry> entries_ = AllEntries();
  const std::vector<RawData> kinds_ = DataKinds();
  std::vector<testing_support::RawEntry> saved_;
  std::mt19937 rng_;
  int made_ = 0;
};

}  // namespace hostile
