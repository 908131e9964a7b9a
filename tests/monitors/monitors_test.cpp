// Spiralis.scr on two monitors (a 1024x768 primary and an 800x600 one), run
// by tests/monitors/two-monitors.sh on a display of its own whose root window
// is magenta: a colour nothing of ours draws. The script runs them twice: the
// second monitor right of the primary, and above and left of it, where the
// virtual screen starts at negative coordinates (SPIRALIS_MONITORS=up-left).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
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
  HWND saver = run.ShownWindow("TSaverForm");
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

  // Moves on the second monitor only, until one counts (the display change
  // is followed by a quiet time in which moves are not).
  for (int i = 0; i < 20 && run.Running(); ++i) {
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
  HWND saver = run.ShownWindow("TSaverForm");
  ASSERT_NE(saver, nullptr) << run.trace();
  PumpMessages(1000);
  InputClick(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  HWND dialog = run.ShownWindow("TConfigForm");
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
  dialog = run.ShownWindow("TConfigForm");
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

// The lit pixels' bounding box of a picture, in its own coordinates.
RECT LitBox(const Picture& p) {
  RECT box{p.width, p.height, -1, -1};
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (Lit(p.at(x, y))) {
        box.left = std::min<LONG>(box.left, x), box.right = std::max<LONG>(box.right, x + 1);
        box.top = std::min<LONG>(box.top, y), box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  return box;
}

// "Across all monitors": one picture whose middle (the camera standing
// still) is the virtual screen's, so the primary's galaxy sits off its own
// middle, toward the second monitor: the galaxy's middle, where a galaxy of
// the primary's own would show the background beside it, is all cells.
// Nothing of the root shows.
bool AcrossShown(const Picture& all, std::string& why) {
  const Picture one = Part(all, kPrimary), two = Part(all, kSecond);
  const RECT box = LitBox(all);
  const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
  const int wantX = Monitors().Width() / 2, wantY = Monitors().Height() / 2;
  int middle = 0;
  for (int y = wantY - 10; y <= wantY + 10; ++y)
    for (int x = wantX - 10; x <= wantX + 10; ++x) middle += Lit(all.at(x, y));
  why = "lit box " + std::to_string(box.left) + "," + std::to_string(box.top) + "-" + std::to_string(box.right) +
        "," + std::to_string(box.bottom) + "; " + std::to_string(middle) + " of 441 cells at the middle";
  return Count(one, Root) == 0 && Count(two, Root) == 0 && Count(two, Lit) > 0 && std::abs(cx - wantX) < 40 &&
         std::abs(cy - wantY) < 40 && middle == 21 * 21;
}

// "Primary monitor only": the galaxy on the primary, the second monitor all
// in the background colour.
bool PrimaryOnlyShown(const Picture& all, std::string& why) {
  const Picture one = Part(all, kPrimary), two = Part(all, kSecond);
  why = std::to_string(Count(two, Background)) + " of the second's " + std::to_string(two.pixels.size()) +
        " in the background";
  return Count(one, Root) == 0 && Count(one, Lit) > 0 &&
         Count(two, Background) == static_cast<int>(two.pixels.size());
}

Picture WholeDesk() { return Picture{Monitors().Width(), Monitors().Height(), ScreenPixels(Monitors().virt)}; }

// Each layout of the Monitors setting on the two monitors, the camera still
// (Eye 0); a stored figure that is no layout covers each monitor with a
// galaxy of its own, as the default does.
TEST_F(TwoMonitors, EachLayoutCoversBothMonitorsItsWay) {
  SetRegistryNumber(kSpiralisKey, "Eye", 0);
  const struct {
    DWORD stored;
    bool (*shown)(const Picture&, std::string&);  // null: a galaxy on each
  } cases[] = {{1, AcrossShown}, {2, PrimaryOnlyShown}, {7, nullptr}, {0xFFFFFFFF, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.stored));
    SetRegistryNumber(kSpiralisKey, "Monitors", c.stored);
    SetCursorPos(kPrimary.left + 500, kPrimary.top + 300);
    SpiralisRun run("/s");
    ASSERT_NE(run.ShownWindow("TSaverForm"), nullptr) << run.trace();
    if (c.shown) {
      std::string why;
      EXPECT_TRUE(PumpUntil([&] { return c.shown(WholeDesk(), why); }, 15000)) << why << "\n" << run.trace();
    } else {
      ExpectAGalaxyOnEachMonitor(run);
    }
    InputKey('A');
    ASSERT_TRUE(run.Ended()) << run.trace();
  }
}

// The options dialog over the running saver changes the layout at once, and
// Cancel puts it back.
TEST_F(TwoMonitors, TheOptionsOverTheSaverChangeTheLayoutAtOnce) {
  SetRegistryNumber(kScreenSaverKey, "Active Config", 1);
  SetRegistryNumber(kSpiralisKey, "Eye", 0);
  SetRegistryNumber(kSpiralisKey, "Monitors", 0);
  SetCursorPos(kPrimary.left + 500, kPrimary.top + 300);
  SpiralisRun run("/s");
  HWND saver = run.ShownWindow("TSaverForm");
  ASSERT_NE(saver, nullptr) << run.trace();
  ExpectAGalaxyOnEachMonitor(run);
  InputClick(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  HWND dialog = run.ShownWindow("TConfigForm");
  ASSERT_NE(dialog, nullptr) << run.trace();
  // The General page, and its Monitors list: the last choice, "Primary monitor only".
  HWND tabs = FindWindowExA(dialog, nullptr, "TPageControl", nullptr);
  ASSERT_NE(tabs, nullptr);
  SetForegroundWindow(dialog);
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == dialog; }, 5000));
  INPUT keys[4] = {};
  const WORD vks[2] = {VK_CONTROL, VK_TAB};
  for (int i = 0; i < 2; ++i) {
    keys[i].type = keys[3 - i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = keys[3 - i].ki.wVk = vks[i];
    keys[3 - i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  SendInput(4, keys, sizeof(INPUT));  // Presets -> General
  ASSERT_TRUE(PumpUntil([&] { return TabCtrl_GetCurSel(tabs) == 0; }, 5000));
  HWND monitors = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] {
        for (HWND page = FindWindowExA(tabs, nullptr, nullptr, nullptr); page && !monitors;
             page = FindWindowExA(tabs, page, nullptr, nullptr))
          for (HWND w = FindWindowExA(page, nullptr, "TScrComboBox", nullptr); w && !monitors;
               w = FindWindowExA(page, w, "TScrComboBox", nullptr))
            if (SendMessageA(w, CB_GETCOUNT, 0, 0) == 3 && IsWindowVisible(w)) monitors = w;
        return monitors != nullptr;
      },
      5000));
  RECT r{};
  GetWindowRect(monitors, &r);
  MoveOnDesk((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  InputClick(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageA(monitors, CB_GETDROPPEDSTATE, 0, 0) != 0; }, 5000));
  InputKey(VK_END);
  InputKey(VK_RETURN);
  std::string why;
  EXPECT_TRUE(PumpUntil([&] { return PrimaryOnlyShown(WholeDesk(), why); }, 15000)) << why;
  InputKey(VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 5000));
  ExpectAGalaxyOnEachMonitor(run);
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
    HWND saver = run.ShownWindow("TTestSaverForm");
    ASSERT_NE(saver, nullptr);
    RECT r{};
    GetWindowRect(saver, &r);
    EXPECT_EQ(r.right - r.left, Monitors().Width());
    EXPECT_EQ(r.bottom - r.top, Monitors().Height());
    PumpMessages(300);
    InputKey('A');
    HWND dialog = run.ShownWindow("TTestConfigDialog");
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
    HWND trace = run.ShownWindow("ScrDebugWindowClass");
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
