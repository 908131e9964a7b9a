// Spiralis.scr in the display control panel's preview, played by
// preview_host.exe: the galaxy fills the 152 x 112 picture on the screen, and
// whenever the picture goes (or never was a window) the saver ends at once,
// cleanly and without a message box.
#include <gtest/gtest.h>

#include <string>

#include "tests/saver/tellable_colours.h"
#include "tests/support/program_run.h"

using namespace testing_support;

namespace {

// The host tells the saver's colours apart on the screen.
class PreviewRun : public ::testing::Test {
 protected:
  void SetUp() override { UseTellableColours(); }
  void TearDown() override { ForgetSaverSettings(); }
};

}  // namespace

TEST_F(PreviewRun, TheSaverEndsWhateverBecomesOfItsHost) {
  struct Case {
    const char* when;
    const char* traced;  // a line the saver's trace must hold, or one of several ("a|b"); null: it keeps none
  };
  const Case cases[] = {
      {"shown", "Perform main preview"},  // the galaxy is checked on the screen first
      {"thread", "Perform main preview"},
      {"framing", "Done init"},
      {"building", "Perform main preview"},
      {"execute", "NEW RUN EXECUTING"},
      // The host goes as the saver starts: before it looks, almost always.
      {"start", "Command line gave odd result|Preview host window has gone"},
      {"zero", "Command line gave odd result"},
      {"nowindow", "Command line gave odd result"},
      {"icon", nullptr},  // the framework's test saver, which has no trace file
  };
  for (const Case& c : cases) {
    ProgramRun host("preview_host.exe", c.when, {}, {"spiralis.log"});
    ASSERT_TRUE(host.started());
    ASSERT_TRUE(host.Ended(40000)) << c.when;
    const std::string report = ReadFile(host.folder() / "host.txt");
    const std::string trace = ReadFile(host.folder() / "spiralis.log");
    EXPECT_EQ(0u, host.ExitCode()) << c.when << "\n" << report << trace;
    EXPECT_EQ("", host.boxes()) << c.when;
    if (c.traced) {
      bool found = false;
      for (std::string rest = c.traced; !found && !rest.empty();) {
        const std::size_t bar = rest.find('|');
        found = trace.find(rest.substr(0, bar)) != std::string::npos;
        rest = bar == std::string::npos ? "" : rest.substr(bar + 1);
      }
      EXPECT_TRUE(found) << c.when << "\n" << trace;
    } else {
      EXPECT_EQ("", trace) << c.when;
    }
    // No preview left on the desktop by a host that went early.
    EXPECT_EQ(nullptr, FindWindowA("TSaverForm", nullptr)) << c.when;
    EXPECT_EQ(nullptr, FindWindowA("ScrDefaultPreviewWindowClass", nullptr)) << c.when;
  }
}

// Window numbers no window has, among them numbers beyond 32 bits whose low
// 32 bits name a live window (read whole on the 64-bit build, saturated on the
// 32-bit one): the saver ends cleanly and without a message box, or, where
// the system takes the number for that window after all, previews in it and
// ends when it goes.
TEST_F(PreviewRun, WindowNumbersBeyondAHandleEndTheSaverCleanly) {
  for (int kind = 0; kind < 4; ++kind) {
    TestWindow host(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const unsigned long long live = reinterpret_cast<ULONG_PTR>(host.handle());
    const std::string number = kind == 0   ? std::to_string(live + (1ull << 32))
                               : kind == 1 ? "-" + std::to_string((1ull << 32) - live)
                               : kind == 2 ? "18446744073709551616"
                                           : "-99999999999999999999999";
    SCOPED_TRACE(number);
    ProgramRun saver("..\\Spiralis.scr", "/p " + number);
    ASSERT_TRUE(saver.started());
    ASSERT_TRUE(PumpUntil([&] { return !saver.Running() || GetWindow(host.handle(), GW_CHILD); }, 20000));
    host.Destroy();
    EXPECT_TRUE(saver.Ended(15000));
    EXPECT_LT(saver.ExitCode(), 0xC0000000u);
    EXPECT_EQ("", saver.boxes());
  }
}
