#include "framework/cmdline.h"

#include <tlhelp32.h>
#include <winperf.h>

#include <cstring>
#include <vector>

#include "toolkit/msgbox.h"

namespace {

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

const char* SkipBlanksAndColons(const char* p) {
  while (*p == ' ' || *p == ':') ++p;
  return p;
}

// A live window named by a number at p, if there is one.
std::optional<HWND> WindowFromText(const char* p, TCommandLineHost& host) {
  if (!*p) return std::nullopt;
  auto n = ScanWindowNumber(p);
  if (!n) return std::nullopt;
  HWND w = reinterpret_cast<HWND>(*n);
  if (!host.IsLiveWindow(w)) return std::nullopt;
  return w;
}

class Win32Host final : public TCommandLineHost {
 public:
  bool IsLiveWindow(HWND w) override { return w && IsWindow(w); }
  HWND ForegroundWindow() override { return GetForegroundWindow(); }
  std::string ModuleName(HWND w) override { return ModuleNameFromHWnd(w); }
  HWND FindPreviewHost() override { return CheckForPvwhost(); }
  void ShowError(const std::string& text) override { ShowMessageBox(nullptr, text, "Error", MB_OK); }
};

}  // namespace

TCommandLineHost& Win32CommandLineHost() {
  static Win32Host host;
  return host;
}

std::optional<std::uint64_t> ScanIntegerBits(const char* p, int bits) {
  const std::uint64_t max = bits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
  while (IsCSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int base = 10;
  if (*p == '0') {
    if ((p[1] == 'x' || p[1] == 'X') && DigitValue(p[2]) < 16) {
      base = 16;
      p += 2;
    } else {
      base = 8;
    }
  }
  if (DigitValue(*p) >= base) return std::nullopt;
  std::uint64_t value = 0;
  for (; DigitValue(*p) < base; ++p) {
    const unsigned digit = static_cast<unsigned>(DigitValue(*p));
    value = value > (max - digit) / static_cast<unsigned>(base) ? max : value * base + digit;  // saturates
  }
  if (negative) value = (0 - value) & max;
  return value;
}

std::optional<std::int32_t> ScanInteger(const char* p) {
  auto bits = ScanIntegerBits(p, 32);
  if (!bits) return std::nullopt;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(*bits));
}

std::optional<std::uintptr_t> ScanWindowNumber(const char* p) {
  auto bits = ScanIntegerBits(p, 8 * sizeof(std::uintptr_t));
  if (!bits) return std::nullopt;
  return static_cast<std::uintptr_t>(*bits);
}

void ParseCommandLineText(const char* line, TCommandLineHost& host, TScrMode* mode, HWND* hwnd) {
  *mode = smNone;
  *hwnd = nullptr;
  if (!line) return;

  const char* p = line;
  if (*p == '"') {
    p = std::strchr(p + 1, '"');
    if (!p) return;
    ++p;
  } else {
    while (*p && *p != ' ') ++p;
  }
  while (*p == ' ') ++p;
  if (!*p) {
    *mode = smCRegular;
    return;
  }
  if (*p == '-') ++p;
  if (*p == '/') ++p;

  switch (*p) {
    case 'p': case 'P': case 'l': case 'L': {
      p = SkipBlanksAndColons(p + 1);
      if (!*p) return;
      if (!std::strcmp(p, "pvwhost") || !std::strcmp(p, "Pvwhost") || !std::strcmp(p, "PVWHOST")) {
        HWND w = host.FindPreviewHost();
        if (!w) {
          host.ShowError("Could not find Pvwhost for preview");
          return;
        }
        *hwnd = w;
      } else {
        auto w = WindowFromText(p, host);
        if (!w) return;
        *hwnd = *w;
      }
      *mode = smSPMain;
      return;
    }
    case 'c': case 'C': case 'a': case 'A': {
      bool password = *p == 'a' || *p == 'A';
      p = SkipBlanksAndColons(p + 1);
      if (auto w = WindowFromText(p, host)) {
        *hwnd = *w;
      } else {
        HWND fg = host.ForegroundWindow();
        // The development environment is never taken as a parent.
        if ((fg || !password) && host.ModuleName(fg) == "BCB") fg = nullptr;
        *hwnd = fg;
      }
      *mode = password ? smPasswordChange : smCRegular;
      return;
    }
    case 's': case 'S':
      *mode = smSFull;
      return;
    default:
      return;
  }
}

void ParseCommandLine(TScrMode* mode, HWND* hwnd) {
  ParseCommandLineText(GetCommandLineA(), Win32CommandLineHost(), mode, hwnd);
}

// --- Naming the program behind a window -------------------------------------

std::string ProcessNameBySnapshot(DWORD pid) {
  using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
  using WalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
  HMODULE kernel = LoadLibraryA("KERNEL32.DLL");
  if (!kernel) return "";
  auto snapshot = reinterpret_cast<SnapshotFn>(GetProcAddress(kernel, "CreateToolhelp32Snapshot"));
  auto first = reinterpret_cast<WalkFn>(GetProcAddress(kernel, "Process32First"));
  auto next = reinterpret_cast<WalkFn>(GetProcAddress(kernel, "Process32Next"));
  std::string name;
  if (snapshot && first && next) {
    HANDLE snap = snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap != INVALID_HANDLE_VALUE) {
      PROCESSENTRY32 entry{};
      entry.dwSize = sizeof entry;
      for (BOOL ok = first(snap, &entry); ok; ok = next(snap, &entry)) {
        if (entry.th32ProcessID == pid) {
          entry.szExeFile[sizeof entry.szExeFile - 1] = '\0';
          name = entry.szExeFile;
          break;
        }
      }
      CloseHandle(snap);
    }
  }
  FreeLibrary(kernel);
  return name;
}

namespace {

// The index of a counter name in the system's English counter list; -1 when
// the list or the name is missing.
long CounterIndex(const char* wanted) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Perflib\\009",
                    0, KEY_READ, &key) != ERROR_SUCCESS)
    return -1;
  long index = -1;
  DWORD size = 0;
  if (RegQueryValueExA(key, "Counters", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size) {
    std::vector<char> data(size + 2, '\0');
    if (RegQueryValueExA(key, "Counters", nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                         &size) == ERROR_SUCCESS) {
      const char* p = data.data();
      const char* end = data.data() + (size < data.size() ? size : data.size());
      while (p < end && *p) {
        const char* number = p;
        p += std::strlen(p) + 1;
        if (p >= end) break;
        const char* name = p;
        p += std::strlen(p) + 1;
        if (!std::strcmp(name, wanted)) {
          index = std::strtol(number, nullptr, 10);
          break;
        }
      }
    }
  }
  RegCloseKey(key);
  return index;
}

// Bounds-checked view of the performance data block.
struct Span {
  const BYTE* base;
  size_t size;
  template <class T>
  const T* At(size_t offset) const {
    if (offset > size || size - offset < sizeof(T)) return nullptr;
    return reinterpret_cast<const T*>(base + offset);
  }
};

}  // namespace

std::string ProcessNameFromPerformanceBlock(const void* bytes, size_t size, DWORD idIndex, DWORD pid) {
  Span data{static_cast<const BYTE*>(bytes), size};
  auto block = data.At<PERF_DATA_BLOCK>(0);
  if (!block || block->NumObjectTypes == 0) return "";
  size_t objectAt = block->HeaderLength;
  auto object = data.At<PERF_OBJECT_TYPE>(objectAt);
  if (!object) return "";

  size_t counterAt = objectAt + object->HeaderLength;
  long offset = -1;
  for (DWORD i = 0; i < object->NumCounters; ++i) {
    auto counter = data.At<PERF_COUNTER_DEFINITION>(counterAt);
    if (!counter || counter->ByteLength == 0) return "";
    if (counter->CounterNameTitleIndex == idIndex) {
      offset = static_cast<long>(counter->CounterOffset);
      break;
    }
    counterAt += counter->ByteLength;
  }
  if (offset < 0 || object->NumInstances <= 0) return "";

  size_t instanceAt = objectAt + object->DefinitionLength;
  for (LONG i = 0; i < object->NumInstances; ++i) {
    auto instance = data.At<PERF_INSTANCE_DEFINITION>(instanceAt);
    if (!instance || instance->ByteLength == 0) return "";
    size_t counterBlockAt = instanceAt + instance->ByteLength;
    auto counters = data.At<PERF_COUNTER_BLOCK>(counterBlockAt);
    if (!counters || counters->ByteLength == 0) return "";
    auto value = data.At<DWORD>(counterBlockAt + offset);
    if (value && *value == pid) {
      size_t nameAt = instanceAt + instance->NameOffset;
      size_t chars = instance->NameLength / sizeof(WCHAR);
      if (nameAt > data.size || (data.size - nameAt) / sizeof(WCHAR) < chars) return "";
      std::wstring wide(reinterpret_cast<const WCHAR*>(data.base + nameAt), chars);
      while (!wide.empty() && wide.back() == L'\0') wide.pop_back();
      if (wide.empty()) return "";
      int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0,
                                  nullptr, nullptr);
      std::string name(n > 0 ? n : 0, '\0');
      if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &name[0], n,
                            nullptr, nullptr);
      return name;
    }
    instanceAt = counterBlockAt + counters->ByteLength;
  }
  return "";
}

std::string ProcessNameByPerformanceData(DWORD pid) {
  long processIndex = CounterIndex("Process");
  long idIndex = CounterIndex("ID Process");
  if (processIndex < 0 || idIndex < 0) return "";
  std::string name = ProcessNameFromPerformanceQuery(
      pid, static_cast<DWORD>(processIndex), static_cast<DWORD>(idIndex),
      [](const char* valueName, BYTE* buffer, DWORD* size) {
        return RegQueryValueExA(HKEY_PERFORMANCE_DATA, valueName, nullptr, nullptr, buffer, size);
      },
      GetProcessHeap());
  RegCloseKey(HKEY_PERFORMANCE_DATA);
  return name;
}

std::string ProcessNameFromPerformanceQuery(DWORD pid, DWORD processIndex, DWORD idIndex,
                                            const TPerformanceQuery& query, HANDLE heap) {
  // The block of every process runs to a few hundred kilobytes; a system that
  // asks for more than this is not answered.
  constexpr DWORD kLimit = 64u << 20;
  const std::string valueName = std::to_string(processIndex);
  DWORD capacity = 12000;
  BYTE* buffer = static_cast<BYTE*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, capacity));
  if (!buffer) return "";
  std::string name;
  for (;;) {
    DWORD size = capacity;
    const LONG rc = query(valueName.c_str(), buffer, &size);
    if (rc == ERROR_MORE_DATA) {
      // Some systems report no size with ERROR_MORE_DATA: grow anyway. The
      // limit is checked before the buffer is touched, so that it is only
      // ever freed once, whatever size was reported.
      const DWORD wanted = size > capacity ? size : capacity;
      if (wanted > kLimit - 1000) break;
      BYTE* bigger = static_cast<BYTE*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, buffer, wanted + 1000));
      if (!bigger) break;  // the old buffer is still ours
      buffer = bigger;
      capacity = wanted + 1000;
      continue;
    }
    if (rc == ERROR_SUCCESS)
      name = ProcessNameFromPerformanceBlock(buffer, size < capacity ? size : capacity, idIndex, pid);
    break;
  }
  HeapFree(heap, 0, buffer);
  return name;
}

std::string ModuleNameFromHWnd(HWND w) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);

  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  return ModuleBaseName(version.dwPlatformId == VER_PLATFORM_WIN32_NT ? ProcessNameByPerformanceData(pid)
                                                                      : ProcessNameBySnapshot(pid));
}

std::string ModuleBaseName(std::string name) {
  if (name.empty()) return name;
  CharUpperBuffA(&name[0], static_cast<DWORD>(name.size()));
  size_t slash = name.find_last_of("\\/:");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

// --- The preview host --------------------------------------------------------

HWND CheckForPvwhost() {
  auto fail = [](const char* text) -> HWND {
    ShowMessageBox(nullptr, text, "Error", MB_OK);
    return nullptr;
  };
  HWND host = FindWindowA("Pvwhost", nullptr);
  if (!host) {
    char commandLine[] = "Pvwhost";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup,
                        &process))
      return fail("Error creating Pvwhost process");
    DWORD idle = WaitForInputIdle(process.hProcess, 2000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (idle == WAIT_TIMEOUT) return fail("Pvwhost never becomes idle");
    if (idle == WAIT_FAILED) return fail("Miscellaneous error after Pvwhost execution");
    host = FindWindowA("Pvwhost", nullptr);
  }
  if (!host) return fail("Unable to find Pvwhost window");
  SetForegroundWindow(host);
  HWND child = GetWindow(host, GW_CHILD);
  if (!child) return fail("Could not find Pvwhost child");
  return child;
}
