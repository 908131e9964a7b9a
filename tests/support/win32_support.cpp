#include "tests/support/win32_support.h"

#include "toolkit/forms.h"

#include <cstdio>
#include <stdexcept>

namespace testing_support {

void DropQueuedStart() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE) || PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  Application->ResetTerminated();
}

unsigned ScreenPixel(HWND wnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(wnd, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

std::string ProgramDir() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir = path;
  return dir.substr(0, dir.find_last_of("\\/"));
}

std::string ReadFile(const std::string& path) {
  std::string data;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
    std::fclose(f);
  }
  return data;
}

void WriteFile(const std::string& path, const std::string& data) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + path);
  std::fwrite(data.data(), 1, data.size(), f);
  std::fclose(f);
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {
void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = dir + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}
}  // namespace

TempDir::TempDir() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    char name[64];
    std::snprintf(name, sizeof name, "spiralis-%lu-%u", GetCurrentProcessId(), ++counter);
    path_ = std::string(base) + name;
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + path_);
  }
}

TempDir::~TempDir() { RemoveTree(path_); }

TestWindow::TestWindow(DWORD style, HWND parent) {
  wnd_ = CreateWindowExA(0, "STATIC", "test window", style, 10, 10, 200, 150, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
  if (!wnd_) throw std::runtime_error("cannot create a test window");
}

TestWindow::~TestWindow() { Destroy(); }

void TestWindow::Destroy() {
  if (wnd_ && IsWindow(wnd_)) DestroyWindow(wnd_);
  wnd_ = nullptr;
}

ForeignProgram::ForeignProgram(const std::string& name, const std::string& dir) {
  std::string folder = dir.empty() ? ProgramDir() : dir;
  exe_ = folder + "\\" + name + ".exe";
  if (!CopyFileA((ProgramDir() + "\\window_host.exe").c_str(), exe_.c_str(), FALSE))
    throw std::runtime_error("cannot copy the window host to " + exe_);
  std::string commandLine = "\"" + exe_ + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(exe_.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &info)) {
    DeleteFileA(exe_.c_str());
    throw std::runtime_error("cannot start " + exe_);
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
  WaitForInputIdle(process_, 5000);
  PumpUntil([&] { return (window_ = FindWindowA(name.c_str(), nullptr)) != nullptr; }, 10000);
  if (!window_) {
    Close();
    throw std::runtime_error("no window from " + exe_);
  }
}

ForeignProgram::~ForeignProgram() { Close(); }

void ForeignProgram::Close() {
  if (process_) {
    if (window_ && IsWindow(window_)) PostMessageA(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
    CloseHandle(process_);
    process_ = nullptr;
  }
  window_ = nullptr;
  if (!exe_.empty()) {
    for (int i = 0; i < 50 && !DeleteFileA(exe_.c_str()) && FileExists(exe_); ++i) Sleep(20);
    exe_.clear();
  }
}

InstalledLibrary::InstalledLibrary(const std::string& name, const std::string& from)
    : path_(ProgramDir() + "\\" + name) {
  CopyFileA((ProgramDir() + "\\" + from).c_str(), path_.c_str(), FALSE);
}

InstalledLibrary::~InstalledLibrary() { DeleteFileA(path_.c_str()); }

std::string StandInCalls() {
  char buf[4096] = "";
  GetEnvironmentVariableA("SPIRALIS_CALLS", buf, sizeof buf);
  return buf;
}

MessageBoxRecorder::MessageBoxRecorder(int answer) {
  previous_ = SetMessageBoxHook([this, answer](HWND, const std::string& text, const std::string& caption,
                                               UINT flags) {
    boxes_.push_back({text, caption, flags});
    return answer;
  });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxHook(previous_); }

std::vector<std::string> MessageBoxRecorder::texts() const {
  std::vector<std::string> out;
  for (const auto& b : boxes_) out.push_back(b.text);
  return out;
}

}  // namespace testing_support
