#include "gl/driver_list.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

#include "gl/sgl.h"
#include "gl/sgl_trace.h"

const char* const kSglProbeWindowClass = "ScrGL.DriverList.PixelFormat";

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool SameText(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

// The part after the last path separator.
std::string FilePart(const std::string& path) {
  const auto slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Everything up to and including the last path separator.
std::string FolderPart(const std::string& path) {
  const auto slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string WithoutTrailingBackslash(std::string folder) {
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
}

std::string ModulePath(HMODULE module) {
  char buffer[MAX_PATH];
  const DWORD n = GetModuleFileNameA(module, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

std::string VersionString(const std::vector<char>& info, const std::string& prefix,
                          const char* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::string key = prefix + name;
  if (!VerQueryValueA(info.data(), key.c_str(), &value, &length) || !value || !length) return {};
  const char* text = static_cast<const char*>(value);
  return std::string(text, strnlen(text, length));
}

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

}  // namespace

// --- Details ------------------------------------------------------------------

const TMetaClass& TSglDriverDetails::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TSglDriverDetails>("TSglDriverDetails", &TObject::StaticClass());
  return cls;
}

TSglDriverDetails::TSglDriverDetails(const TSglDriverDetails& other)
    : TObject(),
      fileName(other.fileName),
      company(other.company),
      description(other.description),
      version(other.version),
      is3dfx(other.is3dfx) {}

TSglDriverDetails& TSglDriverDetails::operator=(const TSglDriverDetails& other) {
  fileName = other.fileName;
  company = other.company;
  description = other.description;
  version = other.version;
  is3dfx = other.is3dfx;
  return *this;
}

TSglDriverDetails TSglDriverDetails::Read(const std::string& path) {
  TSglDriverDetails details;
  details.fileName = path;

  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (!size) return details;
  std::vector<char> info(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, info.data())) return details;

  void* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &translation, &length) ||
      !translation || length < 2 * sizeof(WORD))
    return details;
  const WORD* pair = static_cast<const WORD*>(translation);
  char code[16];
  std::snprintf(code, sizeof code, "%08lx",
                static_cast<unsigned long>((DWORD(pair[0]) << 16) | pair[1]));
  const std::string prefix = std::string("\\StringFileInfo\\") + code + "\\";

  details.company = VersionString(info, prefix, "CompanyName");
  details.description = VersionString(info, prefix, "FileDescription");
  details.version = VersionString(info, prefix, "FileVersion");

  // "Acme Inc. Turbo GL" by "Acme Inc." reads "Turbo GL": the company name
  // goes with the one character after it.
  if (!details.company.empty()) {
    const auto at = details.description.find(details.company);
    if (at != std::string::npos) {
      const auto end = std::min(details.description.size(), at + details.company.size() + 1);
      details.description.erase(at, end - at);
    }
  }
  details.is3dfx =
      Lower(details.company + " " + details.description + " " + details.version).find("3dfx") !=
      std::string::npos;
  return details;
}

// --- Search patterns ------------------------------------------------------------

std::vector<std::string> SglDefaultSearchPatterns() {
  return {"<project>\\opengl*.dll", "<project>\\3dfx*gl*.dll", "<windows>\\opengl*.dll",
          "<system>\\opengl*.dll"};
}

std::string SglExpandSearchPattern(const std::string& pattern) {
  char buffer[MAX_PATH];
  std::string project, windows, system;
  if (DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer); n > 0 && n < sizeof buffer)
    project = WithoutTrailingBackslash(FolderPart(std::string(buffer, n)));
  if (UINT n = GetWindowsDirectoryA(buffer, sizeof buffer); n > 0 && n < sizeof buffer)
    windows = WithoutTrailingBackslash(std::string(buffer, n));
  if (UINT n = GetSystemDirectoryA(buffer, sizeof buffer); n > 0 && n < sizeof buffer)
    system = WithoutTrailingBackslash(std::string(buffer, n));

  std::string result = pattern;
  const std::pair<const char*, const std::string*> placeholders[] = {
      {"<project>", &project}, {"<windows>", &windows}, {"<system>", &system}};
  for (const auto& [placeholder, folder] : placeholders) {
    const auto at = result.find(placeholder);
    if (at != std::string::npos) result.replace(at, std::strlen(placeholder), *folder);
  }
  return result;
}

int SglIndexOfFileName(const SglDriverEntries& entries, const std::string& name) {
  const std::string file = FilePart(name);
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string& listed = entries[i].details.fileName;
    if (SameText(listed, name) || SameText(FilePart(listed), file)) return static_cast<int>(i);
  }
  return -1;
}

// --- The probe ------------------------------------------------------------------

void SglRegisterProbeWindowClass() {
  WNDCLASSA wc{};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kSglProbeWindowClass;
  RegisterClassA(&wc);  // fails harmlessly when already registered
}

namespace {

// Everything one probe owns. The worker thread and the caller share it; the
// caller reads the results only after the thread has ended, and a caller that
// gave up simply drops its share. So a late probe writes into its own copy,
// and its driver reference keeps the library mapped until it is done.
struct ProbeJob {
  SglProbeEntries entries;
  SglProbeResult result;
};

std::string GlText(const SglProbeEntries& gl, GLenum name) {
  const GLubyte* text = gl.getString(name);
  return text ? reinterpret_cast<const char*>(text) : "";
}

SglProbeResult RunProbe(const SglProbeEntries& gl) {
  SglProbeResult result;
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kSglProbeWindowClass,
                                "DriverList.PixelFormatWindow", WS_POPUP | WS_VISIBLE, 0, 0, 0,
                                0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!window) return result;
  if (HDC dc = GetDC(window)) {
    int bpp = -1, depth = -1, dbl = -1, acc = 1;
    const int format = sglBestPixelFormatWith(gl.describePixelFormat, dc, &bpp, &depth, &dbl, &acc);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    if (format && gl.describePixelFormat(dc, format, sizeof pfd, &pfd) &&
        gl.setPixelFormat(dc, format, &pfd)) {
      if (HGLRC context = gl.createContext(dc)) {
        if (gl.makeCurrent(dc, context)) {
          result.vendor = GlText(gl, GL_VENDOR);
          result.renderer = GlText(gl, GL_RENDERER);
          result.version = GlText(gl, GL_VERSION);
          result.ok = true;
          gl.makeCurrent(nullptr, nullptr);
        }
        gl.deleteContext(context);
      }
    }
    ReleaseDC(window, dc);
  }
  DestroyWindow(window);
  return result;
}

DWORD WINAPI ProbeThread(void* parameter) {
  // Take over the share the starter allocated for this thread.
  std::shared_ptr<ProbeJob> job;
  {
    std::unique_ptr<std::shared_ptr<ProbeJob>> share(static_cast<std::shared_ptr<ProbeJob>*>(parameter));
    job = std::move(*share);
  }
  try {
    job->result = RunProbe(job->entries);
  } catch (...) {
    job->result = SglProbeResult();
  }
  return 0;
}

// Waits for `handle`, still answering messages other threads send to this
// one (the probe window's creation may send some to ours), at most `ms`.
bool WaitAnsweringSentMessages(HANDLE handle, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    const DWORD left = elapsed >= ms ? 0 : ms - elapsed;
    const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) return true;
    if (r != WAIT_OBJECT_0 + 1 || left == 0) return false;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

SglProbeResult SglProbeLoadedDriver(DWORD timeoutMs) {
  auto job = std::make_shared<ProbeJob>();
  job->entries = sglProbeEntries();
  if (!job->entries.module) return {};
  SglRegisterProbeWindowClass();

  auto* share = new std::shared_ptr<ProbeJob>(job);
  HANDLE thread = CreateThread(nullptr, 1024, &ProbeThread, share, 0, nullptr);
  if (!thread) {
    delete share;
    SglTrace("Driver probe: no thread");
    return {};
  }
  const bool finished = WaitAnsweringSentMessages(thread, timeoutMs);
  CloseHandle(thread);
  if (!finished) {
    SglTrace("Driver probe timed out");
    return {};
  }
  if (!job->result.ok) SglTrace("Driver probe failed");
  return job->result;
}

// --- The search -------------------------------------------------------------------

namespace {

std::string VersionLine(const std::string& file, const TSglDriverDetails& details) {
  return file + " - " + details.company + " " + details.description + " " + details.version;
}

// The file's identity: its volume and its number there. Every name of one
// file has the same: System32 as a 32-bit program sees it and the SysWOW64
// its modules report, a short name, a link.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(file, &info) != FALSE;
  CloseHandle(file);
  return ok;
}

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia{}, ib{};
  if (FileIdentity(a, ia) && FileIdentity(b, ib))
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
  return SameText(FullPath(a), FullPath(b));  // a file we cannot open: by its name
}

// Whether the layer's loaded driver is the file at `path`.
bool LoadedDriverIs(const std::string& path) {
  HMODULE module = sglDriverHandle();
  if (!module || Lower(FilePart(sglDriverName())) != "opengl32.dll") return false;
  return SameFile(ModulePath(module), path);
}

}  // namespace

SglDriverEntries SglFindDrivers(const std::vector<std::string>& patterns, DWORD probeTimeoutMs) {
  SglDriverEntries entries;
  for (const std::string& pattern : patterns) {
    const std::string expanded = SglExpandSearchPattern(pattern);
    const std::string folder = FolderPart(expanded);
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(expanded.c_str(), &found));
    if (!search.valid()) continue;
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      const std::string file = found.cFileName;
      const std::string path = folder + file;
      if (SglIndexOfFileName(entries, path) >= 0) continue;
      TSglDriverDetails details = TSglDriverDetails::Read(path);

      std::string line;
      if (Lower(file) == "opengl32.dll") {
        const bool loadedHere = !sglDriverHandle() && sglLoadDriver(path);
        if (LoadedDriverIs(path)) {
          const SglProbeResult probe = SglProbeLoadedDriver(probeTimeoutMs);
          if (probe.ok)
            line = file + " - " + probe.vendor + " " + probe.renderer + " " + probe.version;
        }
        if (loadedHere) sglFreeDriver();
      }
      if (line.empty()) line = VersionLine(file, details);
      entries.push_back({std::move(line), std::move(details)});
    } while (FindNextFileA(search.get(), &found));
  }
  return entries;
}
