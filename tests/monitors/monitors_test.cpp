// Spiralis.scr on two monitors (a 1024x768 primary and an 800x600 one), run
// by tests/monitors/two-monitors.sh on a display of its own whose root window
// is magenta: a colour nothing of ours draws. The script runs them twice: the
// second monitor right of the primary, and above and left of it, where the
// virtual screen starts at negative coordinates (SPIRALIS_MONITORS=up-left).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/saver/tellable_colours.h"
#include "tests/support/program_run.h"
#include "tests/support/screen_pixels.h"

using namespace testing_support;

namespace {

const char* const kScreenSaverKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const char* const kDesktopKey = "Control Panel\\Desktop";
struct Layout {
  RECT virt, primary, second;
  int Width() const { return virt.right - virt.left; }
  int Height() const { return virt.bottom - virt.top; }
};
const Layout& Monitors() {
  static const Layout right{{0, 0, 1824, 768}, {0, 0, 1024, 768}, {1024, 0, 1824, 600}};
  static const Layout upLeft{{-800, -600, 1024, 768}, {0, 0, 1024, 768}, {-800, -600, 0, 0}};
  const char* layout = std::getenv("SPIRALIS_MONITORS");
  return layout && std::string(layout) == "up-left" ? upLeft : right;
}
const RECT& kPrimary = Monitors().primary;
const RECT& kSecond = Monitors().second;

class SpiralisRun : public ProgramRun {
 public:
  explicit SpiralisRun(const std::string& args) : ProgramRun("..\\Spiralis.scr", args, {}, {"spiralis.log"}) {}
  std::string trace() const { return ReadFile(folder() / "spiralis.log"); }
  // The shown window of that class of this run.
  HWND Shown(const char* cls) const {
    HWND w = nullptr;
    PumpUntil(
        [&] {
          DWORD owner = 0;
          if ((w = FindWindowA(cls, nullptr))) GetWindowThreadProcessId(w, &owner);
          return w && owner == pid() && IsWindowVisible(w);
        },
        10000);
    return w;
  }
};

struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned> pixels;
  unsigned at(int x, int y) const { return pixels[y * width + x]; }
};

// The part `r` (in screen coordinates) of a picture of the whole virtual screen.
Picture Part(const Picture& all, const RECT& r) {
  const RECT& v = Monitors().virt;
  Picture out{r.right - r.left, r.bottom - r.top, {}};
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) out.pixels.push_back(all.at(x - v.left, y - v.top));
  return out;
}

bool Background(unsigned p) { return p == 0xFF0000u; }
bool Root(unsigned p) { return p == 0xFF00FFu; }
// A lit cell: the explosion's green or the exhausted blue fading to black.
bool Lit(unsigned p) { return !Background(p) && !Root(p); }

// Real pointer movement to (x, y) anywhere on the virtual screen; answers
// where the pointer is afterwards.
POINT MoveOnDesk(int x, int y) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  const RECT& v = Monitors().virt;
  in.mi.dx = (x - v.left) * 65535 / (Monitors().Width() - 1);
  in.mi.dy = (y - v.top) * 65535 / (Monitors().Height() - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  SendInput(1, &in, sizeof in);
  POINT p{};
  PumpUntil([&] { return GetCursorPos(&p) && std::abs(p.x - x) < 3 && std::abs(p.y - y) < 3; }, 1000);
  return p;
}

int Count(const Picture& pic, bool (*match)(unsigned)) {
  int n = 0;
  for (unsigned p : pic.pixels) n += match(p);
  return n;
}

class TwoMonitors : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "run through tests/monitors/two-monitors.sh";
    ASSERT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), Monitors().virt.left);
    ASSERT_EQ(GetSystemMetrics(SM_YVIRTUALSCREEN), Monitors().virt.top);
    ASSERT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), Monitors().Width());
    ASSERT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), Monitors().Height());
    SetRegistryNumber(kScreenSaverKey, "Mouse Threshold", 50);
    SetRegistryNumber(kScreenSaverKey, "Active Config", 0);
    SetRegistryNumber(kDesktopKey, "ScreenSaveUsePassword", 0);
    SetRegistryNumber(kSpiralisKey, "Told3dfx", 1);
    SetRegistryNumber(kSpiralisKey, "ToldActive", 1);
    UseTellableColours();
  }
  void TearDown() override { ForgetSaverSettings(); }
};

// Nothing of the root shows on either monitor; each shows the background and
// lit cells, and the second monitor's picture is the first one's, smaller:
// one galaxy per monitor, each whole, with the same camera.
void ExpectAGalaxyOnEachMonitor(const SpiralisRun& run) {
  // Both monitors at one moment (the picture moves on), once each shows one.
  Picture all, one, two;
  auto shows = [](const Picture& p) {
    const int total = p.width * p.height;
    return Count(p, Root) == 0 && Count(p, Background) > total / 10 && Count(p, Lit) > total / 200;
  };
  PumpUntil(
      [&] {
        all = Picture{Monitors().Width(), Monitors().Height(), ScreenPixels(Monitors().virt)};
        one = Part(all, kPrimary);
        two = Part(all, kSecond);
        return shows(one) && shows(two);
      },
      15000);
  for (const Picture* p : {&one, &two}) {
    const int total = p->width * p->height;
    EXPECT_EQ(Count(*p, Root), 0) << p->width << " wide\n" << run.trace();
    EXPECT_GT(Count(*p, Background), total / 10) << p->width << " wide";
    EXPECT_GT(Count(*p, Lit), total / 200) << p->width << " wide";
  }
  // Of the second monitor's lit pixels, most are lit at the same place of
  // the first monitor's picture scaled down to its size.
  int lit = 0, same = 0;
  for (int y = 0; y < two.height; y += 3)
    for (int x = 0; x < two.width; x += 3) {
      if (!Lit(two.at(x, y))) continue;
      ++lit;
      same += Lit(one.at(x * one.width / two.width, y * one.height / two.height));
    }
  ASSERT_GT(lit, 0);
  EXPECT_GT(same, lit * 3 / 4) << same << " of " << lit;
}

}  // namespace

TEST_F(TwoMonitors, TheSaverCoversBothWithAGalaxyEachAndEndsOnAMoveOnTheSecond) {
  SetCursorPos((kSecond.left + kSecond.right) / 2, kSecond.top + 300);
  SpiralisRun run("/s");
  HWND saver = run.Shown("TSaverForm");
  ASSERT_NE(saver, nullptr) << run.trace();
  RECT r{};
  GetWindowRect(saver, &r);
  const RECT& v = Monitors().virt;
  EXPECT_EQ(r.left, v.left);
  EXPECT_EQ(r.top, v.top);
  EXPECT_EQ(r.right, v.right);
  EXPECT_EQ(r.bottom, v.bottom);
  ExpectAGalaxyOnEachMonitor(run);

  // Monitors came or went: the form covers the virtual screen again.
  SetWindowPos(saver, nullptr, 0, 0, 1024, 768, SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(PumpUntil([&] { return GetWindowRect(saver, &r) && r.right == 1024; }, 5000));
  DWORD_PTR ignored;
  SendMessageTimeoutA(saver, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768), SMTO_ABORTIFHUNG, 5000, &ignored);
  GetWindowRect(saver, &r);
  EXPECT_EQ(r.left, v.left);
  EXPECT_EQ(r.top, v.top);
  EXPECT_EQ(r.right, v.right);
  EXPECT_EQ(r.bottom, v.bottom);
  ExpectAGalaxyOnEachMonitor(run);
  ASSERT_TRUE(run.Running()) << run.trace();

  // Moves on the second monitor only (after the display change's quiet time).
  PumpMessages(3000);
  for (int i = 0; i < 10 && run.Running(); ++i) {
    const POINT p = MoveOnDesk(i % 2 ? kSecond.left + 176 : kSecond.right - 124, kSecond.top + 300);
    EXPECT_TRUE(PtInRect(&kSecond, p)) << p.x << "," << p.y;
    run.Ended(1000);
  }
  ASSERT_TRUE(run.Ended()) << run.trace();
  EXPECT_NE(run.trace().find("Full mouse move: closing..."), std::string::npos) << run.trace();
}

TEST_F(TwoMonitors, ARightClickOnTheSecondOpensTheOptionsThereAndCtrlOnThePrimary) {
  SetRegistryNumber(kScreenSaverKey, "Active Config", 1);
  SetCursorPos(kSecond.left + 276, kSecond.top + 200);
  SpiralisRun run("/s");
  HWND saver = run.Shown("TSaverForm");
  ASSERT_NE(saver, nullptr) << run.trace();
  PumpMessages(1000);
  InputClick(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  HWND dialog = run.Shown("TConfigForm");
  ASSERT_NE(dialog, nullptr) << run.trace();
  RECT d{};
  GetWindowRect(dialog, &d);
  // Centred on the second monitor (at most a pixel off for odd sizes).
  EXPECT_NEAR((d.left + d.right) / 2, (kSecond.left + kSecond.right) / 2, 1);
  EXPECT_NEAR((d.top + d.bottom) / 2, (kSecond.top + kSecond.bottom) / 2, 1);
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, (kSecond.left + kSecond.right) / 2);
  EXPECT_EQ(cursor.y, (kSecond.top + kSecond.bottom) / 2);

  InputKey(VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 5000));
  EXPECT_TRUE(run.Running()) << run.trace();

  // Ctrl opens it at the bottom-right corner of the primary monitor (the
  // key has no place of its own), kept on that monitor.
  InputKey(VK_CONTROL);
  dialog = run.Shown("TConfigForm");
  ASSERT_NE(dialog, nullptr) << run.trace();
  GetWindowRect(dialog, &d);
  EXPECT_GE(d.left, kPrimary.left);
  EXPECT_LE(d.right, kPrimary.right);
  EXPECT_GT(d.right, kPrimary.right - 100);
  EXPECT_LE(d.bottom, kPrimary.bottom);
  EXPECT_GT(d.bottom, kPrimary.bottom - 100);
  InputKey(VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 5000));

  // A key ends it with the pointer on the second monitor (where the first
  // dialog put it).
  GetCursorPos(&cursor);
  ASSERT_TRUE(PtInRect(&kSecond, cursor)) << cursor.x << "," << cursor.y;
  InputKey('A');
  EXPECT_TRUE(run.Ended()) << run.trace();
}

// The framework's own test saver (runmodes_host.exe) as the other platform,
// which asks for a password, with a verification dialog of its own.
TEST_F(TwoMonitors, ThePasswordDialogAndTheTraceWindowGoOnThePrimary) {
  const char* const appDefaults = "Software\\Wine\\AppDefaults\\runmodes_host.exe";
  HKEY k;
  RegCreateKeyExA(HKEY_CURRENT_USER, appDefaults, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
  RegSetValueExA(k, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
  RegCloseKey(k);
  SetRegistryNumber(kDesktopKey, "ScreenSaveUsePassword", 1);
  SetRegistryNumber(kScreenSaverKey, "Password Delay", 0);
  {
    ProgramRun run("runmodes_host.exe", "/s",
                   {{"SPIRALIS_SET", "FormPwordVerify=TTestConfigDialog"},
                    {"SPIRALIS_DEBUGLEVEL", "1"},
                    {"SPIRALIS_ERRORLINE", "Test: an error"}});
    HWND saver = ProgramRun::ShownWindow("TTestSaverForm");
    ASSERT_NE(saver, nullptr);
    RECT r{};
    GetWindowRect(saver, &r);
    EXPECT_EQ(r.right - r.left, Monitors().Width());
    EXPECT_EQ(r.bottom - r.top, Monitors().Height());
    PumpMessages(300);
    InputKey('A');
    HWND dialog = ProgramRun::ShownWindow("TTestConfigDialog");
    ASSERT_NE(dialog, nullptr);
    GetWindowRect(dialog, &r);
    EXPECT_NEAR((r.left + r.right) / 2, 512, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, 384, 1);
    InputKey(VK_ESCAPE);  // refused: the saver stays
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 5000));
    PumpMessages(300);
    EXPECT_TRUE(run.Running());

    SetRegistryNumber(kDesktopKey, "ScreenSaveUsePassword", 0);
    InputKey('B');
    // The saver's last line is an error: the trace window shows, in the
    // primary monitor's top-right quarter.
    HWND trace = ProgramRun::ShownWindow("ScrDebugWindowClass");
    ASSERT_NE(trace, nullptr);
    GetWindowRect(trace, &r);
    EXPECT_EQ(r.left, 768);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 1024);
    EXPECT_EQ(r.bottom, 384);
    PostMessageA(trace, WM_CLOSE, 0, 0);
    EXPECT_TRUE(run.Ended());
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, appDefaults);
}
