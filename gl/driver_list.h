#pragma once
// Finding and describing the OpenGL drivers a user may choose from: a driver
// file's version-resource details, the search patterns with their
// placeholders, the de-duplicating search, and the probe that asks a loaded
// opengl32.dll for its vendor, renderer and version on a short-lived thread.
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/typinfo.h"

// What a driver file's version resource says about it. A plain record: the
// driver list keeps one per line as the line's object, and copies are copies.
class TSglDriverDetails : public TObject {
  TK_CLASS(TSglDriverDetails)
  TSglDriverDetails() = default;
  TSglDriverDetails(const TSglDriverDetails& other);
  TSglDriverDetails& operator=(const TSglDriverDetails& other);

  std::string fileName;     // full path of the driver file
  std::string company;      // "CompanyName", or empty
  std::string description;  // "FileDescription" without the company name, or empty
  std::string version;      // "FileVersion", or empty
  bool is3dfx = false;      // company, description or version mention 3dfx

  // Reads the details of `path`; a file without version information (or no
  // file at all) gives just the file name. Always succeeds.
  static TSglDriverDetails Read(const std::string& path);
};

// The class of the hidden window the probe sets a pixel format on.
extern const char* const kSglProbeWindowClass;  // "ScrGL.DriverList.PixelFormat"
// Registers that class once per process (later calls do nothing).
void SglRegisterProbeWindowClass();

// The default search list: "<project>\opengl*.dll", "<project>\3dfx*gl*.dll",
// "<windows>\opengl*.dll", "<system>\opengl*.dll".
std::vector<std::string> SglDefaultSearchPatterns();

// Replaces the first "<project>", "<windows>" and "<system>" by the folder of
// the running program, the Windows folder and the system folder (each without
// a trailing backslash). Anything else is left as it is.
std::string SglExpandSearchPattern(const std::string& pattern);

// One line of the driver list and the details it describes.
struct SglDriverEntry {
  std::string line;
  TSglDriverDetails details;
};
using SglDriverEntries = std::vector<SglDriverEntry>;

// The first entry whose full file name, or whose file-name part, matches the
// same part of `name` (case ignored); -1 if none.
int SglIndexOfFileName(const SglDriverEntries& entries, const std::string& name);

// The probe's answer.
struct SglProbeResult {
  bool ok = false;
  std::string vendor, renderer, version;
};

// The probe's time limit.
constexpr DWORD kSglProbeTimeoutMs = 1000;

// Asks the driver loaded in the layer for its strings: on a worker thread of
// its own, creates a hidden probe window, sets the best accelerated pixel
// format, creates a context and reads GL_VENDOR, GL_RENDERER and GL_VERSION.
// Waits at most `timeoutMs`. A probe still running after that keeps its own
// reference to the driver, its own window and its own copy of the results,
// and cleans up after itself whenever it ends; it never touches the caller.
// Not ok when no driver is loaded, on any failure, and on time-out.
SglProbeResult SglProbeLoadedDriver(DWORD timeoutMs = kSglProbeTimeoutMs);

// Builds the driver list from the search patterns, in order: every file found
// once (the first of several with the same file name wins), described by the
// probe when it is an opengl32.dll that can be probed, else by its version
// resource. Loads and unloads a driver only while none is loaded.
SglDriverEntries SglFindDrivers(const std::vector<std::string>& patterns,
                                DWORD probeTimeoutMs = kSglProbeTimeoutMs);
