// Spiralis.scr run as a program in full-screen mode, ended by real input the
// way a user ends it.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/saver/tellable_colours.h"
#include "tests/support/program_run.h"
#include "tests/support/screen_pixels.h"
#include "tests/support/win32_support.h"

using namespace testing_support;

namespace {

const char* const kScreenSaverKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const char* const kDesktopKey = "Control Panel\\Desktop";

class SpiralisFullScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistryNumber(kScreenSaverKey, "Mouse Threshold", 50);
    SetRegistryNumber(kScreenSaverKey, "Active Config", 0);
    SetRegistryNumber(kDesktopKey, "ScreenSaveUsePassword", 0);
    SetCursorPos(500, 400);
    PumpMessages(50);
  }
};

struct ClassSearch {
  const char* cls;
  bool found;
};

BOOL CALLBACK FindClassIn(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<ClassSearch*>(p);
  s->found = s->found || ClassOf(w) == s->cls;
  return !s->found;
}

// Whether a window of class `cls` stands anywhere inside `parent`.
bool HasDescendant(HWND parent, const char* cls) {
  ClassSearch search{cls, false};
  EnumChildWindows(parent, FindClassIn, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

TEST_F(SpiralisFullScreen, ShowsTheSaverFormOverTheWholeScreenAndEndsOnAMouseMove) {
  SpiralisRun run("/s");
  ASSERT_TRUE(run.started());
  HWND saver = run.ShownWindow("TSaverForm");
  ASSERT_NE(saver, nullptr) << run.trace();
  RECT r{}, screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  GetWindowRect(saver, &r);
  EXPECT_TRUE(EqualRect(&r, &screen)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  PumpMessages(300);
  EXPECT_TRUE(run.Running()) << run.trace();

  // Moves beyond the threshold until the saver takes one as the end.
  for (int i = 0; i < 10 && run.Running(); ++i) {
    InputMoveTo(i % 2 ? 200 : 800, 400);
    run.Ended(1000);
  }
  ASSERT_TRUE(run.Ended()) << run.trace();
  const std::string t = run.trace();
  EXPECT_NE(t.find("Full mouse move: closing..."), std::string::npos) << t;
  EXPECT_NE(t.find("~TScrForm destructor"), std::string::npos) << t;
  EXPECT_EQ(t.find("Boxes:"), std::string::npos) << t;
}

TEST_F(SpiralisFullScreen, EndsOnAClickOrAKey) {
  struct Case {
    std::function<void()> input;
    const char* trace;
  };
  const Case cases[] = {
      {[] { InputClick(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }, "Full mouse down: closing..."},
      {[] { InputKey('A'); }, "Full key down: closing..."},
  };
  for (const Case& c : cases) {
    SpiralisRun run("/s");
    ASSERT_NE(run.ShownWindow("TSaverForm"), nullptr) << run.trace();
    PumpMessages(300);
    c.input();
    EXPECT_TRUE(run.Ended()) << c.trace << "\n" << run.trace();
    EXPECT_NE(run.trace().find(c.trace), std::string::npos) << c.trace << "\n" << run.trace();
  }
}

// --- What the user sees --------------------------------------------------------

namespace {

// The whole screen as 0xRRGGBB pixels, read back from the display.
std::vector<unsigned> Screen() {
  return testing_support::ScreenPixels({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

class SpiralisPicture : public SpiralisFullScreen {
 protected:
  void SetUp() override {
    SpiralisFullScreen::SetUp();
    UseTellableColours();
  }
  void TearDown() override { ForgetSaverSettings(); }
};

}  // namespace

TEST_F(SpiralisPicture, TheGalaxyFillsTheScreenInItsColoursAndMoves) {
  SpiralisRun run("/s");
  ASSERT_NE(run.ShownWindow("TSaverForm"), nullptr) << run.trace();
  PumpMessages(2500);
  std::vector<unsigned> first = Screen();
  PumpMessages(1000);
  std::vector<unsigned> second = Screen();
  ASSERT_TRUE(run.Running()) << run.trace();
  InputKey('A');
  EXPECT_TRUE(run.Ended()) << run.trace();

  const int total = static_cast<int>(first.size());
  const Tally shown = TallyOf(first);
  // The clear colour shows around and between the cells; the cells show in
  // the explosion colour and in the exhausted colour fading toward black;
  // nothing else shows.
  EXPECT_GT(shown[Shown::kBackground], total / 10);
  EXPECT_GT(shown[Shown::kExploding], 0);
  EXPECT_GT(shown[Shown::kExhausted], 100);
  EXPECT_LT(shown[Shown::kOther], total / 50);
  // The next picture differs: the galaxy turns and the camera wanders.
  int changed = 0;
  for (size_t i = 0; i < first.size(); ++i) changed += first[i] != second[i];
  EXPECT_GT(changed, total / 100);
}

// The full-screen saver and the control panel's preview give way to the work
// the user left running, as screen savers do; the options dialog keeps its
// priority.
TEST_F(SpiralisFullScreen, RunsBelowNormalPriorityButForTheOptions) {
  TestWindow host(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  const struct {
    std::string args;
    const char* window;
    DWORD priority;
  } cases[] = {
      {"/s", "TSaverForm", BELOW_NORMAL_PRIORITY_CLASS},
      {"/p " + std::to_string(reinterpret_cast<ULONG_PTR>(host.handle())), "TSaverForm", BELOW_NORMAL_PRIORITY_CLASS},
      {"/c", "TConfigForm", NORMAL_PRIORITY_CLASS},
  };
  for (const auto& c : cases) {
    SpiralisRun run(c.args);
    ASSERT_TRUE(run.started()) << c.args;
    // The preview's form is a window inside the host's; the others stand alone.
    const bool preview = c.args[1] == 'p';
    const bool shown = preview ? PumpUntil([&] { return HasDescendant(host.handle(), c.window); }, 10000)
                               : run.ShownWindow(c.window) != nullptr;
    ASSERT_TRUE(shown) << c.args << run.trace();
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, run.pid());
    ASSERT_NE(process, nullptr) << c.args;
    EXPECT_EQ(GetPriorityClass(process), c.priority) << c.args;
    CloseHandle(process);
    HANDLE end = OpenProcess(PROCESS_TERMINATE, FALSE, run.pid());
    TerminateProcess(end, 0);
    CloseHandle(end);
    EXPECT_TRUE(run.Ended()) << c.args;
  }
}
