#pragma once
// Running a program of ours as a separate process, the way the system starts
// it, and driving it with real input.
#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/win32_support.h"

namespace testing_support {

// HKEY_CURRENT_USER\<keyPath>\<entry> as a REG_DWORD (the key is created).
void SetRegistryNumber(const char* keyPath, const char* entry, DWORD value);
bool GetRegistryNumber(const char* keyPath, const char* entry, DWORD& value);

// HKEY_CURRENT_USER\<keyPath>\<entry> as it stands: its type and bytes, or absent.
struct RawEntry {
  bool present = false;
  DWORD type = REG_NONE;
  std::string bytes;
};
RawEntry ReadRawEntry(const std::string& keyPath, const std::string& entry);
// Writes the entry as given (the key is created), or deletes it when `raw` is
// absent. False when the key could not be opened.
bool WriteRawEntry(const std::string& keyPath, const std::string& entry, const RawEntry& raw);

// An entry as it stands, put back as it was when the keeper goes.
class EntryKeeper {
 public:
  EntryKeeper(std::string keyPath, std::string entry)
      : keyPath_(std::move(keyPath)), entry_(std::move(entry)), saved_(ReadRawEntry(keyPath_, entry_)) {}
  ~EntryKeeper() { WriteRawEntry(keyPath_, entry_, saved_); }
  EntryKeeper(const EntryKeeper&) = delete;
  EntryKeeper& operator=(const EntryKeeper&) = delete;

 private:
  std::string keyPath_;
  std::string entry_;
  RawEntry saved_;
};

// Real input through the system's input queue (absolute positions).
void InputMoveTo(int x, int y);
void InputClick(DWORD down, DWORD up);
void InputKey(WORD vk);
// The pointer moved to `p` and there (a button pressed before it has arrived
// would land where it was); false if it is not there within a second. Pumps
// no messages, so an input script's thread may call it.
bool MoveTo(POINT p);
// A left (or right) click at `p`, once the pointer is there.
void ClickAt(POINT p, bool right = false);

// One run of `exe` (beside the test program, or a full path) with `args`, in a folder of its
// own, with the given environment ("<folder>" in a value or in `args` stands
// for that folder), empty files of the given names in that folder, and its message
// boxes answered into a file (SPIRALIS_MSGBOX). The process never outlives
// the object.
class ProgramRun {
 public:
  ProgramRun(const std::string& exe, const std::string& args, std::map<std::string, std::string> env = {},
             const std::vector<std::string>& emptyFiles = {});
  ~ProgramRun();
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  const TempDir& folder() const { return dir_; }
  bool started() const { return process_ != nullptr; }
  std::string boxes() const { return FileExists(boxes_) ? ReadFile(boxes_) : ""; }
  bool Ended(DWORD ms = 15000) const;
  bool Running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
  DWORD pid() const { return pid_; }
  // The exit code once ended (STILL_ACTIVE before).
  DWORD ExitCode() const;
  // A visible top-level window of that class of this run (not of an earlier
  // one still going), once there is one; null after `ms`.
  HWND ShownWindow(const char* cls, DWORD ms = 10000) const;

 private:
  TempDir dir_;
  std::string boxes_ = dir_ / "boxes.txt";
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// Runs the tests `filter` picks (disabled ones too) of this test program in
// a process of its own, with `env` set there: "" when at least one ran and
// every one passed, else what went wrong (a filter that matches nothing, a
// test skipped, a failure, a run that does not end within two minutes).
std::string RunInChild(const std::string& filter, std::map<std::string, std::string> env = {});

// One run of Spiralis.scr (beside the test program's folder) in a folder of
// its own, where a "spiralis.log" file makes it trace everything.
class SpiralisRun : public ProgramRun {
 public:
  explicit SpiralisRun(const std::string& args) : ProgramRun("..\\Spiralis.scr", args, {}, {"spiralis.log"}) {}
  // Its trace, and the message boxes it answered, if any.
  std::string trace() const {
    return ReadFile(folder() / "spiralis.log") + (boxes().empty() ? "" : "\nBoxes:\n" + boxes());
  }
};

}  // namespace testing_support
