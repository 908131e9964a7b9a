// A stand-in for the optional outside libraries the framework looks up by
// name: the password provider, the password-change provider and the corner
// services. Tests copy it under the library's name next to the test program.
// Every call is appended to the environment variable SPIRALIS_CALLS of the
// calling process; SPIRALIS_ANSWER ("0" or "1") is what it returns.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void Record(const std::string& call) {
  char buf[4096] = "";
  GetEnvironmentVariableA("SPIRALIS_CALLS", buf, sizeof buf);
  std::string calls = std::string(buf) + call + ";";
  SetEnvironmentVariableA("SPIRALIS_CALLS", calls.c_str());
}

BOOL Answer() {
  char buf[8] = "1";
  GetEnvironmentVariableA("SPIRALIS_ANSWER", buf, sizeof buf);
  return buf[0] == '1';
}

std::string Hex(const void* p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(p)));
  return buf;
}

}  // namespace

extern "C" {

__declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND parent) {
  Record("VerifyScreenSavePwd(" + Hex(parent) + ")");
  return Answer();
}

__declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND parent, DWORD a, LPVOID b) {
  Record(std::string("PwdChangePasswordA(") + (provider ? provider : "null") + "," + Hex(parent) + "," +
         std::to_string(a) + "," + Hex(b) + ")");
  return 0;
}

__declspec(dllexport) BOOL WINAPI System_Agent_Detect() {
  Record("System_Agent_Detect");
  return Answer();
}

__declspec(dllexport) void WINAPI Screen_Saver_Changed() { Record("Screen_Saver_Changed"); }
}
