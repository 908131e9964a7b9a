#include "framework/cmdline.h"

#include <gtest/gtest.h>

#include <winperf.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>
#include <tuple>
#include <set>

#include "tests/support/program_run.h"

using namespace testing_support;

namespace {

HWND H(unsigned v) { return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(v)); }

// Answers for the platform with fixed windows, so the grammar can be walked
// case by case.
class FakeHost : public TCommandLineHost {
 public:
  std::set<HWND> live{H(123), H(0x7B0), H(77)};
  HWND foreground = H(77);
  std::string foregroundModule = "EXPLORER";
  HWND previewHost = H(555);
  int previewHostCalls = 0;
  int moduleCalls = 0;
  std::vector<std::string> errors;

  std::vector<HWND> asked;  // every window number asked about

  bool IsLiveWindow(HWND w) override {
    asked.push_back(w);
    return live.count(w) > 0;
  }
  HWND ForegroundWindow() override { return foreground; }
  std::string ModuleName(HWND w) override {
    ++moduleCalls;
    return w == foreground && w ? foregroundModule : "";
  }
  HWND FindPreviewHost() override {
    ++previewHostCalls;
    return previewHost;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }
};

struct Parsed {
  TScrMode mode;
  HWND hwnd;
};

Parsed Parse(const std::string& line, TCommandLineHost& host) {
  Parsed p{smSaver, H(1)};  // anything but the answer
  ParseCommandLineText(line.c_str(), host, &p.mode, &p.hwnd);
  return p;
}

Parsed Parse(const std::string& line) {
  FakeHost host;
  return Parse(line, host);
}

}  // namespace

// Every prefix form of a switch, the number bases of a window, and the lines
// that give no mode at all.
TEST(CommandLine, EachLineGivesItsModeAndWindow) {
  struct Case {
    TScrMode mode;
    HWND hwnd;
    std::vector<const char*> lines;
  };
  const Case cases[] = {
      {smCRegular, nullptr,  // no argument: configuration without a parent
       {"", "Spiralis.scr", "Spiralis.scr     ", "\"C:\\Program Files\\Spiralis.scr\"",
        "\"C:\\Program Files\\Spiralis.scr\"   ", "prog\t/s"}},
      {smSFull, nullptr,
       {"x /s", "x -s", "x -/s", "x s", "x /S", "x /s 123 anything", "x    /s", "\"C:\\a b\\Spiralis.scr\" /s"}},
      {smNone, nullptr,
       {"\"C:\\unterminated /s", "\"", "x /x", "x //s", "x --s", "x /-s", "x \t/s", "x /", "x -", "x /p",
        "x /p   ::  ", "x /p 999", "x /p abc", "x /p -123", "x /p 99999999999999999999999", "x /p 0x", "x /l 4",
        "x /P pvwhost ", "x /p PvWhost", "x /\xff"}},
      {smSPMain, H(123),  // a live window in any number base
       {"x /p 123", "x /p:123", "x /p : 123", "x /P 0x7B", "x /p:0x7b", "x /p 0173", "x /l 123", "x /L 123trailing",
        "x -p 123", "x -/l:: :0X7B"}},
  };
  for (const Case& c : cases)
    for (const char* line : c.lines) {
      SCOPED_TRACE(line);
      Parsed p = Parse(line);
      EXPECT_EQ(p.mode, c.mode);
      EXPECT_EQ(p.hwnd, c.hwnd);
    }
}

TEST(CommandLine, PreviewHostSpellingsAskForTheHost) {
  for (const char* name : {"pvwhost", "Pvwhost", "PVWHOST"}) {
    FakeHost host;
    Parsed p = Parse(std::string("x /p ") + name, host);
    EXPECT_EQ(p.mode, smSPMain);
    EXPECT_EQ(p.hwnd, H(555));
    EXPECT_EQ(host.previewHostCalls, 1);
  }
  FakeHost host;
  host.previewHost = nullptr;
  Parsed p = Parse("x /p:Pvwhost", host);
  EXPECT_EQ(p.mode, smNone);
  EXPECT_EQ(p.hwnd, nullptr);
  EXPECT_EQ(host.errors, std::vector<std::string>{"Could not find Pvwhost for preview"});

  FakeHost trailing;
  EXPECT_EQ(Parse("x /p pvwhost ", trailing).mode, smNone);
  EXPECT_EQ(trailing.previewHostCalls, 0);
}

TEST(CommandLine, ConfigurationParentIsTheNamedWindowElseTheForegroundOne) {
  FakeHost host;
  EXPECT_EQ(Parse("x /c 123", host).hwnd, H(123));
  EXPECT_EQ(Parse("x /C:0x7b0", host).hwnd, H(0x7B0));
  for (const char* line : {"x /c", "x /c 999", "x /c junk", "x -c::"}) {
    SCOPED_TRACE(line);
    Parsed p = Parse(line, host);
    EXPECT_EQ(p.mode, smCRegular);
    EXPECT_EQ(p.hwnd, H(77));
  }
  host.foregroundModule = "BCB";
  EXPECT_EQ(Parse("x /c", host).hwnd, nullptr);
  EXPECT_EQ(Parse("x /c", host).mode, smCRegular);
  host.foregroundModule = "BCBX";
  EXPECT_EQ(Parse("x /c", host).hwnd, H(77));
  host.foreground = nullptr;
  EXPECT_EQ(Parse("x /c", host).mode, smCRegular);
  EXPECT_EQ(Parse("x /c", host).hwnd, nullptr);
}

TEST(CommandLine, PasswordChangeIsLikeConfigurationButNeverNamesANullWindow) {
  FakeHost host;
  EXPECT_EQ(Parse("x /a 123", host).mode, smPasswordChange);
  EXPECT_EQ(Parse("x /A:123", host).hwnd, H(123));
  EXPECT_EQ(Parse("x /a", host).hwnd, H(77));
  host.foregroundModule = "BCB";
  EXPECT_EQ(Parse("x /a", host).hwnd, nullptr);
  host.foreground = nullptr;
  host.moduleCalls = 0;
  Parsed p = Parse("x /a", host);
  EXPECT_EQ(p.mode, smPasswordChange);
  EXPECT_EQ(p.hwnd, nullptr);
  EXPECT_EQ(host.moduleCalls, 0);
}

TEST(CommandLine, HugeLinesAreSafe) {
  std::string blanks = "x" + std::string(100000, ' ');
  EXPECT_EQ(Parse(blanks).mode, smCRegular);
  EXPECT_EQ(Parse("x /p " + std::string(100000, '9')).mode, smNone);
  EXPECT_EQ(Parse("x /p " + std::string(50000, ':') + "123").hwnd, H(123));
  EXPECT_EQ(Parse("\"" + std::string(100000, 'a')).mode, smNone);
  EXPECT_EQ(Parse(std::string(100000, 'a') + " /s").mode, smSFull);
  TScrMode mode = smSFull;
  HWND hwnd = H(5);
  FakeHost host;
  ParseCommandLineText(nullptr, host, &mode, &hwnd);
  EXPECT_EQ(mode, smNone);
  EXPECT_EQ(hwnd, nullptr);
}

TEST(CommandLine, ScanIntegerFollowsTheCConversion) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"42", 42}, {" \t\n42x", 42}, {"+7", 7}, {"-12", -12}, {"0x1F", 31}, {"0X1f", 31}, {"017", 15}, {"08", 0},
      {"0", 0}, {"0x", 0}, {"0xg", 0}, {"4294967295", -1}, {"4294967296", -1}, {"99999999999999999999", -1},
      {"", std::nullopt}, {"x1", std::nullopt}, {"-", std::nullopt}, {"- 1", std::nullopt},
      // A number that reaches the end of its text ends there, whatever follows in memory.
      {"77\0" "99", 77}, {"0x7B\0" "1", 123}, {"0\0" "7", 0}, {"0x\0" "1", 0}, {"-\0" "5", std::nullopt}};
  for (const auto& [text, want] : cases) EXPECT_EQ(ScanInteger(text), want) << text;
  EXPECT_EQ(ScanWindowNumber("123\0" "4"), 123u);
}

TEST(CommandLine, ScanIntegerBitsSaturatesAndNegatesInItsWidth) {
  const std::uint64_t all = ~std::uint64_t{0};
  const std::tuple<const char*, int, std::optional<std::uint64_t>> cases[] = {
      {"18446744073709551615", 64, all}, {"18446744073709551616", 64, all}, {"18446744073709551614", 64, all - 1},
      {"4294967294", 32, 0xFFFFFFFEu}, {"0x1FFFFFFFFFFFFFFFF", 64, all}, {"4294967296", 64, 0x100000000u},
      {"4294967296", 32, 0xFFFFFFFFu}, {"0x7FFFFFFFFFFFFFFF", 64, 0x7FFFFFFFFFFFFFFFu},
      {"-9223372036854775808", 64, 0x8000000000000000u}, {"-1", 64, all}, {"-1", 32, 0xFFFFFFFFu},
      {"-99999999999999999999999", 64, 1u}, {"01777777777777777777777", 64, all},
      {"02000000000000000000000", 64, all}, {"", 64, std::nullopt}};
  for (const auto& [text, bits, want] : cases) EXPECT_EQ(ScanIntegerBits(text, bits), want) << text << " " << bits;
}

// A window number is as wide as a window handle: on the 64-bit build a number
// beyond 32 bits is a number of its own, never the window its low 32 bits
// name; the 32-bit build saturates it as the C conversion does.
TEST(CommandLine, WindowNumbersAreAsWideAsAHandle) {
  const bool wide = sizeof(HWND) == 8;
  struct Case {
    const char* number;
    std::uint64_t x86, x64;  // the number asked about
  };
  const Case cases[] = {
      {"4294967419", 0xFFFFFFFFu, 0x10000007Bu},  // 2^32 + 123
      {"0x10000007B", 0xFFFFFFFFu, 0x10000007Bu},
      {"040000000173", 0xFFFFFFFFu, 0x10000007Bu},
      {"-4294967173", 123, 0xFFFFFFFF0000007Bu},  // -(2^32 - 123)
      {"-1", 0xFFFFFFFFu, 0xFFFFFFFFFFFFFFFFu},
      {"18446744073709551739", 0xFFFFFFFFu, 0xFFFFFFFFFFFFFFFFu},  // 2^64 + 123
      {"99999999999999999999999", 0xFFFFFFFFu, 0xFFFFFFFFFFFFFFFFu},
  };
  for (const Case& c : cases) {
    for (const char* mode : {"x /p ", "x /c:"}) {
      const std::string line = mode + std::string(c.number);
      SCOPED_TRACE(line);
      const HWND named = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(wide ? c.x64 : c.x86));
      FakeHost host;
      Parsed p = Parse(line, host);
      ASSERT_EQ(host.asked.size(), 1u);
      EXPECT_EQ(host.asked[0], named);
      EXPECT_EQ(p.hwnd, named == H(123) ? H(123) : line[3] == 'c' ? H(77) : nullptr);  // /c: the foreground
      host.live.insert(named);
      EXPECT_EQ(Parse(line, host).hwnd, named);
    }
  }
}

// Each mode has a name of its own in the traces (runmodes_test reads the
// dialogs' there); a number that is no mode has none.
TEST(CommandLine, EachModeHasANameOfItsOwn) {
  std::set<std::string> names;
  for (int m = smNone; m <= smPasswordVerify; ++m) names.insert(ScrModeName(static_cast<TScrMode>(m)));
  EXPECT_EQ(names.size(), static_cast<size_t>(smPasswordVerify + 1));
  EXPECT_EQ(names.count("sm_????"), 0u);
  EXPECT_EQ(ScrModeName(smSPMain), "smSPMain");
  for (int m : {smPasswordVerify + 1, 255}) EXPECT_EQ(ScrModeName(static_cast<TScrMode>(m)), "sm_????");
}

// --- Against the real platform ------------------------------------------------

TEST(CommandLineOnWindows, PreviewWindowMustBeAliveNow) {
  TestWindow window;
  char line[64];
  std::snprintf(line, sizeof line, "x /p:0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window.handle())));
  Parsed p = Parse(line, Win32CommandLineHost());
  EXPECT_EQ(p.mode, smSPMain);
  EXPECT_EQ(p.hwnd, window.handle());
  window.Destroy();
  p = Parse(line, Win32CommandLineHost());
  EXPECT_EQ(p.mode, smNone);
  EXPECT_EQ(p.hwnd, nullptr);
}

TEST(CommandLineOnWindows, ProcessNamesByBothRoutes) {
  TestWindow window;
  std::string snapshot = ProcessNameBySnapshot(GetCurrentProcessId());
  EXPECT_EQ(ModuleBaseName(snapshot), "FRAMEWORK_TESTS") << snapshot;
  EXPECT_EQ(ProcessNameBySnapshot(0xFFFFFFF0u), "");

  // Wine answers the performance-data query with an empty block, so on the NT
  // platform the name may be empty there; a real system names the process.
  std::string perf = ModuleBaseName(ProcessNameByPerformanceData(GetCurrentProcessId()));
  EXPECT_TRUE(perf.empty() || perf == "FRAMEWORK_TESTS") << perf;
  EXPECT_EQ(ProcessNameByPerformanceData(0xFFFFFFF0u), "");

  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  EXPECT_EQ(ModuleNameFromHWnd(window.handle()),
            version.dwPlatformId == VER_PLATFORM_WIN32_NT ? perf : "FRAMEWORK_TESTS");
  EXPECT_EQ(ModuleNameFromHWnd(nullptr), "");
}

TEST(CommandLine, ModuleBaseNameIsUpperCaseWithoutFolderOrExtension) {
  EXPECT_EQ(ModuleBaseName("C:\\Program Files\\Borland\\bcb.exe"), "BCB");
  EXPECT_EQ(ModuleBaseName("bcb"), "BCB");
  EXPECT_EQ(ModuleBaseName("/usr/bin/prog.tar.gz"), "PROG.TAR");
  EXPECT_EQ(ModuleBaseName("C:bcb.EXE"), "BCB");
  EXPECT_EQ(ModuleBaseName(""), "");
}

namespace {

// A performance data block with one "Process" object and two instances.
std::vector<BYTE> PerformanceBlock() {
  struct Instance {
    const wchar_t* name;
    DWORD pid;
  };
  const Instance instances[] = {{L"explorer", 10}, {L"bcb", 22}};
  std::vector<BYTE> out(sizeof(PERF_DATA_BLOCK) + sizeof(PERF_OBJECT_TYPE) + 2 * sizeof(PERF_COUNTER_DEFINITION));
  auto* block = reinterpret_cast<PERF_DATA_BLOCK*>(out.data());
  block->NumObjectTypes = 1;
  block->HeaderLength = sizeof(PERF_DATA_BLOCK);
  auto* object = reinterpret_cast<PERF_OBJECT_TYPE*>(out.data() + block->HeaderLength);
  object->HeaderLength = sizeof(PERF_OBJECT_TYPE);
  object->DefinitionLength = sizeof(PERF_OBJECT_TYPE) + 2 * sizeof(PERF_COUNTER_DEFINITION);
  object->NumCounters = 2;
  object->NumInstances = 2;
  auto* counters = reinterpret_cast<PERF_COUNTER_DEFINITION*>(out.data() + block->HeaderLength + object->HeaderLength);
  counters[0].ByteLength = sizeof(PERF_COUNTER_DEFINITION);
  counters[0].CounterNameTitleIndex = 6;
  counters[0].CounterOffset = 8;
  counters[1].ByteLength = sizeof(PERF_COUNTER_DEFINITION);
  counters[1].CounterNameTitleIndex = 784;
  counters[1].CounterOffset = 4;
  for (const Instance& i : instances) {
    size_t nameBytes = (wcslen(i.name) + 1) * sizeof(wchar_t);
    PERF_INSTANCE_DEFINITION def{};
    def.ByteLength = sizeof def + ((nameBytes + 7) & ~7u);
    def.NameOffset = sizeof def;
    def.NameLength = nameBytes;
    std::vector<BYTE> bytes(def.ByteLength + 12);
    memcpy(bytes.data(), &def, sizeof def);
    memcpy(bytes.data() + sizeof def, i.name, nameBytes);
    DWORD blockLength = 12;
    memcpy(bytes.data() + def.ByteLength, &blockLength, 4);
    memcpy(bytes.data() + def.ByteLength + 4, &i.pid, 4);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

}  // namespace

TEST(CommandLine, PerformanceBlockNamesTheProcessAndSurvivesDamage) {
  std::vector<BYTE> data = PerformanceBlock();
  EXPECT_EQ(ProcessNameFromPerformanceBlock(data.data(), data.size(), 784, 22), "bcb");
  EXPECT_EQ(ProcessNameFromPerformanceBlock(data.data(), data.size(), 784, 10), "explorer");
  EXPECT_EQ(ProcessNameFromPerformanceBlock(data.data(), data.size(), 784, 11), "");
  EXPECT_EQ(ProcessNameFromPerformanceBlock(data.data(), data.size(), 785, 22), "");
  // An object without instances (none, or counters of its own) names nothing.
  for (LONG none : {0L, static_cast<LONG>(PERF_NO_INSTANCES)}) {
    std::vector<BYTE> bare = data;
    reinterpret_cast<PERF_OBJECT_TYPE*>(bare.data() + sizeof(PERF_DATA_BLOCK))->NumInstances = none;
    EXPECT_EQ(ProcessNameFromPerformanceBlock(bare.data(), bare.size(), 784, 22), "") << none;
  }
  // Every truncation is read only as far as it goes.
  for (size_t n = 0; n < data.size(); ++n) {
    std::vector<BYTE> cut(data.begin(), data.begin() + n);
    std::string name = ProcessNameFromPerformanceBlock(cut.data(), cut.size(), 784, 22);
    EXPECT_TRUE(name.empty() || name == "bcb") << n;
  }
  // Offsets and lengths that point anywhere.
  for (size_t at = 0; at + 4 <= data.size(); at += 4) {
    for (DWORD junk : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFF0u}) {
      std::vector<BYTE> bad = data;
      memcpy(bad.data() + at, &junk, 4);
      ProcessNameFromPerformanceBlock(bad.data(), bad.size(), 784, 22);
    }
  }
}

// On the other platform the snapshot names the program behind a window, so
// the development environment can be recognised. Run in a child process of
// this test program that the system reports as Windows 98.
TEST(CommandLineOnWindows, TheDevelopmentEnvironmentIsNeverAParent) {
  const char* key = "Software\\Wine\\AppDefaults\\framework_tests.exe";
  HKEY k;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
  RegSetValueExA(k, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
  RegCloseKey(k);

  const std::string outcome = RunInChild("CommandLineAsWin98.*", {{"SPIRALIS_AS_WIN98", "1"}});
  RegDeleteKeyA(HKEY_CURRENT_USER, key);
  EXPECT_EQ(outcome, "") << "the Windows 98 run";
}

TEST(CommandLineAsWin98, ForegroundWindowOfBcbIsDropped) {
  if (!GetEnvironmentVariableA("SPIRALIS_AS_WIN98", nullptr, 0)) GTEST_SKIP() << "runs in a child process";
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  ASSERT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
  // The window in front, and the parents a configuration and a password
  // change take, with a window of `module` in front.
  const auto parentsWith = [](const char* module) {
    ForeignProgram program(module);
    SetForegroundWindow(program.window());
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == program.window(); }, 3000)) << module;
    EXPECT_EQ(ModuleNameFromHWnd(program.window()), module);
    const Parsed c = Parse("x /c", Win32CommandLineHost()), a = Parse("x -a", Win32CommandLineHost());
    EXPECT_EQ(c.mode, smCRegular);
    EXPECT_EQ(a.mode, smPasswordChange);
    return std::vector<HWND>{program.window(), c.hwnd, a.hwnd};
  };
  const std::vector<HWND> other = parentsWith("OTHERAPP"), bcb = parentsWith("BCB");
  EXPECT_EQ(other, (std::vector<HWND>{other[0], other[0], other[0]}));
  EXPECT_EQ(bcb, (std::vector<HWND>{bcb[0], nullptr, nullptr}));
}

TEST(CommandLineOnWindows, MissingPreviewHostIsReportedTwice) {
  DeleteFileA((ProgramDir() + "\\Pvwhost.exe").c_str());  // left over by an interrupted run
  ASSERT_FALSE(FileExists(ProgramDir() + "\\Pvwhost.exe"));
  MessageBoxRecorder boxes;
  Parsed p = Parse("x /p Pvwhost", Win32CommandLineHost());
  EXPECT_EQ(p.mode, smNone);
  EXPECT_EQ(boxes.texts(),
            (std::vector<std::string>{"Error creating Pvwhost process", "Could not find Pvwhost for preview"}));
  for (const auto& box : boxes.boxes()) {
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.flags, static_cast<UINT>(MB_OK));
  }
}

TEST(CommandLineOnWindows, RunningPreviewHostLendsItsFirstChild) {
  ForeignProgram host("Pvwhost");
  HWND child = GetWindow(host.window(), GW_CHILD);
  ASSERT_NE(child, nullptr);
  MessageBoxRecorder boxes;
  Parsed p = Parse("x /p pvwhost", Win32CommandLineHost());
  EXPECT_EQ(p.mode, smSPMain);
  EXPECT_EQ(p.hwnd, child);
  EXPECT_TRUE(boxes.boxes().empty());
}

namespace {

// Puts the host program where the system looks for it ("Pvwhost" is started
// without a path), misbehaving as `mode` says, and cleans up after it.
class InstalledPreviewHost {
 public:
  explicit InstalledPreviewHost(const char* mode) : exe_(ProgramDir() + "\\Pvwhost.exe") {
    CopyFileA((ProgramDir() + "\\window_host.exe").c_str(), exe_.c_str(), FALSE);
    SetEnvironmentVariableA("SPIRALIS_HOST_MODE", mode);
  }
  ~InstalledPreviewHost() {
    SetEnvironmentVariableA("SPIRALIS_HOST_MODE", nullptr);
    for (const char* cls : {"Pvwhost", "PvwhostOther"}) {
      HWND top = FindWindowA(cls, nullptr);
      if (!top) continue;
      DWORD pid = 0;
      GetWindowThreadProcessId(top, &pid);
      HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
      PostMessageA(top, WM_CLOSE, 0, 0);
      if (process) {
        WaitForSingleObject(process, 8000);
        CloseHandle(process);
      }
    }
    // A host without a window ends by itself within a few seconds.
    for (int i = 0; i < 400 && !DeleteFileA(exe_.c_str()) && FileExists(exe_); ++i) Sleep(20);
  }
  bool installed() const { return FileExists(exe_); }

 private:
  std::string exe_;
};

}  // namespace

TEST(CommandLineOnWindows, PreviewHostIsStartedWhenNotRunning) {
  InstalledPreviewHost program("");
  ASSERT_TRUE(program.installed());
  MessageBoxRecorder boxes;
  HWND child = CheckForPvwhost();
  EXPECT_TRUE(boxes.boxes().empty());
  ASSERT_NE(child, nullptr);
  char cls[32] = "";
  GetClassNameA(GetAncestor(child, GA_ROOT), cls, sizeof cls);
  EXPECT_STREQ(cls, "Pvwhost");
}

TEST(CommandLineOnWindows, PreviewHostFailuresAreToldToTheUser) {
  struct Case {
    const char* mode;
    const char* message;
  };
  for (Case c : {Case{"nochild", "Could not find Pvwhost child"},
                 Case{"otherclass", "Unable to find Pvwhost window"},
                 Case{"busy", "Pvwhost never becomes idle"},
                 // Wine reports a host that ends before it is idle as idle.
                 Case{"quit", "Unable to find Pvwhost window"}}) {
    SCOPED_TRACE(c.mode);
    InstalledPreviewHost program(c.mode);
    MessageBoxRecorder boxes;
    EXPECT_EQ(CheckForPvwhost(), nullptr);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{c.message});
  }
}

namespace {

// The busy blocks of a heap, by address.
std::vector<void*> BusyBlocks(HANDLE heap) {
  std::vector<void*> busy;
  PROCESS_HEAP_ENTRY entry{};
  HeapLock(heap);
  while (HeapWalk(heap, &entry))
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy.push_back(entry.lpData);
  HeapUnlock(heap);
  return busy;
}

}  // namespace

// The query grows the buffer while it asks for more, within a limit; the
// buffer is freed exactly once however the query behaves.
TEST(CommandLine, PerformanceQueryGrowsItsBufferWithinALimitAndFreesItOnce) {
  const std::vector<BYTE> block = PerformanceBlock();
  struct Case {
    std::vector<DWORD> asks;  // sizes reported with ERROR_MORE_DATA, in turn
    LONG last;                // then this answer, with the block on success
    const char* name;
  };
  const Case cases[] = {
      {{}, ERROR_SUCCESS, "bcb"},
      {{30000, 0, 200000}, ERROR_SUCCESS, "bcb"},  // a zero size grows all the same
      {{}, ERROR_FILE_NOT_FOUND, ""},
      {{100u << 20}, ERROR_SUCCESS, ""},  // over the limit: no answer
      {{20000, 0xFFFFFFFFu}, ERROR_SUCCESS, ""},
  };
  for (const Case& c : cases) {
    HANDLE heap = HeapCreate(0, 0, 0);
    ASSERT_NE(heap, nullptr);
    const std::vector<void*> before = BusyBlocks(heap);
    size_t call = 0;
    std::string asked;
    const std::string name = ProcessNameFromPerformanceQuery(
        22, 230, 784,
        [&](const char* valueName, BYTE* buffer, DWORD* size) -> LONG {
          asked = valueName;
          if (call < c.asks.size()) {
            *size = c.asks[call++];
            return ERROR_MORE_DATA;
          }
          if (c.last != ERROR_SUCCESS) return c.last;
          if (*size < block.size()) return ERROR_MORE_DATA;
          memcpy(buffer, block.data(), block.size());
          *size = static_cast<DWORD>(block.size());
          return ERROR_SUCCESS;
        },
        heap);
    EXPECT_EQ(name, c.name) << c.asks.size();
    EXPECT_EQ(asked, "230");
    EXPECT_TRUE(HeapValidate(heap, 0, nullptr));
    EXPECT_EQ(BusyBlocks(heap), before) << "the buffer is freed once, and nothing else is";
    HeapDestroy(heap);
  }
}
