#pragma once
// From the command line to the run mode: the switch grammar, the preview
// host search, and naming the program behind a window.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "framework/scrmode.h"

// What the grammar needs to know of the platform. The real one asks Win32;
// tests may answer for it.
class TCommandLineHost {
 public:
  virtual ~TCommandLineHost() = default;
  virtual bool IsLiveWindow(HWND w) = 0;
  virtual HWND ForegroundWindow() = 0;
  virtual std::string ModuleName(HWND w) = 0;     // as ModuleNameFromHWnd
  virtual HWND FindPreviewHost() = 0;             // as CheckForPvwhost
  virtual void ShowError(const std::string& text) = 0;
};

// The platform itself.
TCommandLineHost& Win32CommandLineHost();

// Reads the process command line and writes the run mode and window handle.
void ParseCommandLine(TScrMode* mode, HWND* hwnd);
// The same for a given command line (program name first, as the system passes it).
void ParseCommandLineText(const char* line, TCommandLineHost& host, TScrMode* mode, HWND* hwnd);

// The C "%i" conversion into `bits` bits (at most 64): optional white space
// and sign, then decimal, 0x hex or leading-0 octal; trailing text is
// ignored. Magnitudes beyond `bits` bits saturate; a minus sign gives the
// two's complement in `bits` bits.
std::optional<std::uint64_t> ScanIntegerBits(const char* text, int bits);
// The same in 32 bits.
std::optional<std::int32_t> ScanInteger(const char* text);
// A window number of the command line ("/p 1234", "/c:1234"): as wide as a
// window handle, so 32 bits on the 32-bit build and 64 on the 64-bit one.
std::optional<std::uintptr_t> ScanWindowNumber(const char* text);

// Upper-case base name (no directory, no extension) of the program that owns
// the window; empty when it cannot be found.
std::string ModuleNameFromHWnd(HWND w);
// The two ways of naming a process: the toolhelp snapshot and the NT
// performance data. ModuleNameFromHWnd picks one by platform.
std::string ProcessNameBySnapshot(DWORD pid);
std::string ProcessNameByPerformanceData(DWORD pid);
// The performance-data route with its query and heap given: `query` answers
// like RegQueryValueExA on HKEY_PERFORMANCE_DATA for the object's value name;
// the block is read into a buffer of `heap` that grows while the query asks
// for more, up to a limit.
using TPerformanceQuery = std::function<LONG(const char* valueName, BYTE* buffer, DWORD* size)>;
std::string ProcessNameFromPerformanceQuery(DWORD pid, DWORD processIndex, DWORD idIndex,
                                            const TPerformanceQuery& query, HANDLE heap);
// The name of the instance whose "ID Process" counter (name index `idIndex`)
// equals pid, in the first object of a performance data block; every offset
// is checked against `size`.
std::string ProcessNameFromPerformanceBlock(const void* data, size_t size, DWORD idIndex, DWORD pid);
// "C:\Dir\prog.exe" -> "PROG".
std::string ModuleBaseName(std::string path);

// Finds or starts the external preview host and returns the window that is to
// hold the preview; null after telling the user why not.
HWND CheckForPvwhost();
