// Spiralis.scr in the display control panel's preview, played by
// preview_host.exe: the galaxy fills the 152 x 112 picture on the screen, and
// whenever the picture goes (or never was a window) the saver ends at once,
// cleanly and without a message box.
#include <gtest/gtest.h>

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
    const char* traced;  // a line the saver's trace must hold (null: the trace stays empty)
  };
  const Case cases[] = {
      {"shown", "Perform main preview"},  // the galaxy is checked on the screen first
      {"thread", "Perform main preview"},
      {"framing", "Done init"},
      {"building", "Perform main preview"},
      {"execute", "NEW RUN EXECUTING"},
      {"start", "NEW RUN EXECUTING"},
      {"zero", "Command line gave odd result"},  // no window to show in: no run mode
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
    if (c.traced)
      EXPECT_NE(std::string::npos, trace.find(c.traced)) << c.when << "\n" << trace;
    else
      EXPECT_EQ("", trace) << c.when;
    // No preview left on the desktop by a host that went early.
    EXPECT_EQ(nullptr, FindWindowA("TSaverForm", nullptr)) << c.when;
    EXPECT_EQ(nullptr, FindWindowA("ScrDefaultPreviewWindowClass", nullptr)) << c.when;
  }
}
