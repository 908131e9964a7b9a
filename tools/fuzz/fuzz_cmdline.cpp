// The hack's command line: any bytes become an argv (split at each zero
// byte), which becomes settings the galaxy can act on, the usage, or one
// line naming what was wrong.
#include <string>
#include <vector>

#include "linux/hack_options.h"
#include "tools/fuzz/fail.h"

namespace {

void Fail(const char* what) { FuzzFail("cmdline", what); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args{"spiralis"};
  std::string arg;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i]) {
      arg += static_cast<char>(data[i]);
    } else {
      args.push_back(arg);
      arg.clear();
    }
  }
  if (size) args.push_back(arg);
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);

  THackSettings settings;
  settings.Delay = -1;  // untouched unless the line runs
  std::string message;
  switch (ParseHackOptions(static_cast<int>(args.size()), argv.data(), settings, message)) {
    case THackParse::Run:
      if (!message.empty()) Fail("a message for a line that runs");
      if (ClampGalaxySettings(settings.Galaxy) != settings.Galaxy) Fail("a setting out of its range");
      if (settings.Delay < 0 || settings.Delay > kHackDelayMax) Fail("a delay out of its range");
      if (settings.Target == THackTarget::WindowId && (settings.WindowId == 0 || settings.WindowId > kHackWindowIdMax))
        Fail("a window id no window has");
      break;
    case THackParse::Help: break;
    case THackParse::Error:
      if (settings.Delay != -1) Fail("settings changed by a line that is refused");
      if (message.empty()) Fail("an error without its message");
      for (char c : message)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) Fail("a control character in the error line");
      break;
  }
  return 0;
}
