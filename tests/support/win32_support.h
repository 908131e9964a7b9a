#pragma once
// Small helpers for tests that use real windows, processes and files.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/pump.h"
#include "toolkit/msgbox.h"

namespace testing_support {

// The colour the screen shows at a point of a window's client area, as 0xRRGGBB.
unsigned ScreenPixel(HWND wnd, int x, int y);

// Takes off this thread's queue the run mode a program's control component
// posts there when its main module is made (and the quit of an earlier
// run), so that a test drives the forms itself.
void DropQueuedStart();

// The folder of the running test program.
std::string ProgramDir();
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& data);
bool FileExists(const std::string& path);

// A fresh folder under the temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// A plain top-level window of this thread.
class TestWindow {
 public:
  explicit TestWindow(DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND handle() const { return wnd_; }
  void Destroy();

 private:
  HWND wnd_ = nullptr;
};

// The test helper program started under a name of our choosing (so its window
// class is that name). It runs until this object goes.
class ForeignProgram {
 public:
  // `dir` empty: next to the test program.
  explicit ForeignProgram(const std::string& name, const std::string& dir = "");
  ~ForeignProgram();
  ForeignProgram(const ForeignProgram&) = delete;
  ForeignProgram& operator=(const ForeignProgram&) = delete;
  HWND window() const { return window_; }
  DWORD pid() const { return pid_; }
  void Close();

 private:
  std::string exe_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND window_ = nullptr;
};

// The stand-in for the optional outside libraries (tests/helpers/fake_provider)
// installed beside the test program under `name` while this object lives.
class InstalledLibrary {
 public:
  explicit InstalledLibrary(const std::string& name, const std::string& from = "fake_provider.dll");
  ~InstalledLibrary();
  InstalledLibrary(const InstalledLibrary&) = delete;
  InstalledLibrary& operator=(const InstalledLibrary&) = delete;

 private:
  std::string path_;
};

// What the stand-in library was asked, as it recorded in SPIRALIS_CALLS.
std::string StandInCalls();

// Answers every message box while it lives, and remembers what they said.
class MessageBoxRecorder {
 public:
  struct Box {
    std::string text, caption;
    UINT flags;
  };
  explicit MessageBoxRecorder(int answer = IDOK);
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
  const std::vector<Box>& boxes() const { return boxes_; }
  std::vector<std::string> texts() const;

 private:
  std::vector<Box> boxes_;
  TMessageBoxHook previous_;
};

}  // namespace testing_support
