#include "tests/support/program_run.h"

#include <cstdio>
#include <cstdlib>

#include "tests/support/screen_pixels.h"

namespace testing_support {

void SetRegistryNumber(const char* keyPath, const char* entry, DWORD value) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)) return;
  RegSetValueExA(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

bool GetRegistryNumber(const char* keyPath, const char* entry, DWORD& value) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key)) return false;
  DWORD size = sizeof value, type = 0;
  LONG r = RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return r == ERROR_SUCCESS && type == REG_DWORD;
}

RawEntry ReadRawEntry(const std::string& keyPath, const std::string& entry) {
  RawEntry raw;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return raw;
  DWORD size = 0;
  if (RegQueryValueExA(key, entry.c_str(), nullptr, &raw.type, nullptr, &size) == ERROR_SUCCESS) {
    raw.bytes.resize(size);
    raw.present = RegQueryValueExA(key, entry.c_str(), nullptr, &raw.type,
                                   reinterpret_cast<BYTE*>(&raw.bytes[0]), &size) == ERROR_SUCCESS;
    raw.bytes.resize(size);
  }
  RegCloseKey(key);
  return raw;
}

bool WriteRawEntry(const std::string& keyPath, const std::string& entry, const RawEntry& raw) {
  HKEY key;
  if (raw.present) {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
      return false;
    RegSetValueExA(key, entry.c_str(), 0, raw.type, reinterpret_cast<const BYTE*>(raw.bytes.data()),
                   static_cast<DWORD>(raw.bytes.size()));
  } else {
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_ALL_ACCESS, &key)) return false;
    RegDeleteValueA(key, entry.c_str());
  }
  RegCloseKey(key);
  return true;
}

void InputMoveTo(int x, int y) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

void InputClick(DWORD down, DWORD up) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = down;
  in[1].mi.dwFlags = up;
  SendInput(2, in, sizeof in[0]);
}

void InputKey(WORD vk) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof in[0]);
}

bool MoveTo(POINT p) {
  InputMoveTo(p.x, p.y);
  for (const DWORD start = GetTickCount(); GetTickCount() - start <= 1000; Sleep(10)) {
    POINT now{};
    if (GetCursorPos(&now) && now.x == p.x && now.y == p.y) return true;
  }
  return false;
}

void ClickAt(POINT p, bool right) {
  MoveTo(p);
  if (right)
    InputClick(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  else
    InputClick(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

ProgramRun::ProgramRun(const std::string& exe, const std::string& args, std::map<std::string, std::string> env,
                       const std::vector<std::string>& emptyFiles) {
  for (const std::string& name : emptyFiles) WriteFile(dir_ / name, "");
  env.emplace("SPIRALIS_MSGBOX", boxes_);
  for (auto& [name, value] : env) {
    for (size_t at; (at = value.find("<folder>")) != std::string::npos;) value.replace(at, 8, dir_.path());
    SetEnvironmentVariableA(name.c_str(), value.c_str());
  }
  std::string path = exe.find(':') != std::string::npos ? exe : ProgramDir() + "\\" + exe;
  std::string line = "\"" + path + "\" " + args;
  for (size_t at; (at = line.find("<folder>")) != std::string::npos;) line.replace(at, 8, dir_.path());
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // Under Wine on a busy machine a start has failed now and then: a few
  // tries, each failure told.
  for (int attempt = 0; attempt < 3 && !process_; ++attempt) {
    if (CreateProcessA(path.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, dir_.path().c_str(), &si, &pi)) {
      CloseHandle(pi.hThread);
      process_ = pi.hProcess;
      pid_ = pi.dwProcessId;
    } else {
      fprintf(stderr, "%s did not start (error %lu)\n", line.c_str(), GetLastError());
      PumpMessages(200);
    }
  }
  for (auto& [name, value] : env) SetEnvironmentVariableA(name.c_str(), nullptr);
}

ProgramRun::~ProgramRun() {
  if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  if (process_) CloseHandle(process_);
}

bool ProgramRun::Ended(DWORD ms) const {
  return PumpUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, ms);
}

DWORD ProgramRun::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_, &code);
  return code;
}

HWND ProgramRun::ShownWindow(const char* cls, DWORD ms) const {
  HWND found = nullptr;
  PumpUntil([&] { return (found = ShownWindowOf(pid_, cls)) != nullptr; }, ms);
  return found;
}

std::string RunInChild(const std::string& filter, std::map<std::string, std::string> env) {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  ProgramRun child(self, "--gtest_also_run_disabled_tests --gtest_output=xml:<folder>\\report.xml --gtest_filter=" + filter,
                   std::move(env));
  if (!child.started()) return "the child process did not start";
  if (!child.Ended(120000)) return filter + " did not end within two minutes";
  if (child.ExitCode() != 0) return filter + " failed in the child process (its output is above)";
  const std::string report = child.folder() / "report.xml";
  const std::string xml = FileExists(report) ? ReadFile(report) : "";
  const size_t tests = xml.find("<testsuites tests=\"");
  if (tests == std::string::npos) return filter + ": no report from the child process";
  if (std::atoi(xml.c_str() + tests + 19) < 1) return filter + " matches no test";
  if (xml.find("result=\"skipped\"") != std::string::npos) return filter + " was skipped";
  return "";
}

}  // namespace testing_support
