// The window the host gives: the text of -window-id and of
// XSCREENSAVER_WINDOW. What is taken must be an X window's id, and only a
// number written whole.
#include <cctype>
#include <string>

#include "linux/hack_options.h"
#include "tools/fuzz/fail.h"

namespace {

void Fail(const char* what) { FuzzFail("window", what); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  unsigned long id = 0xABCDEF;
  const bool taken = ParseHackWindowId(text, id);
  if (taken) {
    if (id == 0 || id > kHackWindowIdMax) Fail("an id no window has");
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    for (std::size_t i = hex ? 2 : 0; i < text.size(); ++i)
      if (!(hex ? std::isxdigit(static_cast<unsigned char>(text[i])) : std::isdigit(static_cast<unsigned char>(text[i]))))
        Fail("an id taken from a text that is more than a number");
  } else if (id != 0xABCDEF) {
    Fail("the id changed by a text that is none");
  }
  // The environment's text is a C string: what comes before a zero byte.
  const std::string c(text.c_str());
  unsigned long cid = 0;
  if (HackEnvironmentWindow(c.c_str()) != (ParseHackWindowId(c, cid) ? cid : 0)) Fail("the environment read otherwise");
  return 0;
}
