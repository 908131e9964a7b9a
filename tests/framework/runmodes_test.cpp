// Whole run modes of a saver built on the framework (runmodes_host.exe),
// driven the way a user meets them: real mouse and key input, other windows
// taking the activation, the password provider answering.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "tests/support/program_run.h"

using namespace testing_support;

namespace {

const char* const kScreenSaverKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const char* const kDesktopKey = "Control Panel\\Desktop";
const char* const kProbeKey = "Software\\Vantrel\\SpiralisTest";

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// One run of the test saver in its own process, with its trace in a file.
class SaverRun : public ProgramRun {
 public:
  SaverRun(const std::string& args, std::map<std::string, std::string> env = {})
      : ProgramRun("runmodes_host.exe", args, WithTrace(std::move(env))) {}

  std::string trace() const { return FileExists(trace_) ? ReadFile(trace_) : ""; }
  bool Traced(const std::string& what, DWORD ms = 10000) const {
    return PumpUntil([&] { return trace().find(what) != std::string::npos; }, ms);
  }
  // The saver's full-screen window once it shows.
  HWND SaverWindow(DWORD ms = 30000) const { return ShownWindow("TTestSaverForm", ms); }
  // The saver's window once it is in front, where input goes.
  HWND ActiveSaver() const {
    HWND saver = SaverWindow();
    return saver && PumpUntil([&] { return GetForegroundWindow() == saver; }, 10000) ? saver : nullptr;
  }
  // Moves the pointer there; whether the saver has had the move.
  bool MoveTo(int x, int y) {
    InputMoveTo(x, y);
    return Traced("Test: move " + std::to_string(++moves_) + ".");
  }

 private:
  static std::map<std::string, std::string> WithTrace(std::map<std::string, std::string> env) {
    env.emplace("SPIRALIS_TRACE", "<folder>\\trace.log");
    return env;
  }
  std::string trace_ = folder() / "trace.log";
  int moves_ = 0;
};

// The shared screen-saver settings for one test, put back afterwards.
class RunModes : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistryNumber(kScreenSaverKey, "Mouse Threshold", 50);
    SetRegistryNumber(kScreenSaverKey, "Active Config", 0);
    SetRegistryNumber(kScreenSaverKey, "Password Delay", 15);
    SetRegistryNumber(kDesktopKey, "ScreenSaveUsePassword", 0);
    SetCursorPos(500, 400);
  }
  void TearDown() override {
    SetRegistryNumber(kScreenSaverKey, "Active Config", 0);
    SetRegistryNumber(kDesktopKey, "ScreenSaveUsePassword", 0);
  }
};

}  // namespace

TEST_F(RunModes, MouseMovesWithinTheThresholdNeverCloseAMoveBeyondItDoes) {
  SaverRun run("/s");
  ASSERT_TRUE(run.started());
  ASSERT_NE(run.ActiveSaver(), nullptr) << run.trace();
  // However many small moves: the origin stays where the saver started.
  for (int x : {505, 520, 540, 520, 500, 480, 465}) ASSERT_TRUE(run.MoveTo(x, 400)) << run.trace();
  EXPECT_TRUE(run.Running()) << run.trace();
  std::string t = run.trace();
  EXPECT_EQ(Count(t, "Mouse movement, but we guzzled it because of that recent mode-change. 0 left."), 1) << t;
  EXPECT_GE(Count(t, "Mouse movement, but it wasn't enough to be a problem."), 5) << t;
  EXPECT_EQ(t.find("Full mouse move: closing..."), std::string::npos);

  InputMoveTo(560, 400);  // 60 pixels from the origin
  ASSERT_TRUE(run.Ended()) << run.trace();
  t = run.trace();
  for (const char* step : {"Full mouse move: closing...", "saClose... posting message", "got the saClose at last...",
                           "Close-query doesn't require password: so, it's fine.",
                           "ScrForm::Close - telling ScrControl to terminate",
                           "ScrControl::PerformFull... saver form has done a terminate", "~TScrForm destructor"})
    EXPECT_NE(t.find(step), std::string::npos) << step << "\n" << t;
}

TEST_F(RunModes, AfterADisplayChangeMovesAreIgnoredForThreeSecondsThenFourAreSwallowed) {
  SetRegistryNumber(kScreenSaverKey, "Mouse Threshold", 0);
  SaverRun run("/s", {{"SPIRALIS_CLOCK", "1000"}});
  HWND saver = run.ActiveSaver();
  ASSERT_NE(saver, nullptr) << run.trace();
  const UINT setClock = RegisterWindowMessageA("Spiralis_test_clock");
  int moves = 0;
  // A move at that time on the saver's clock, once the saver has had it.
  auto moveAt = [&](DWORD ms) {
    SendMessageA(saver, setClock, ms, 0);
    ++moves;
    return run.MoveTo(300 + 40 * (moves % 8), 200 + 30 * (moves / 8 % 2));
  };
  SendMessageA(saver, WM_DISPLAYCHANGE, 16, MAKELPARAM(1024, 768));
  for (DWORD at : {1000, 2500, 4000}) ASSERT_TRUE(moveAt(at)) << at << "\n" << run.trace();
  EXPECT_EQ(run.trace().find("guzzled"), std::string::npos) << "a move within 3 s of the change counts\n" << run.trace();
  for (int left = 3; left >= 0; --left) {
    ASSERT_TRUE(moveAt(4001)) << run.trace();
    EXPECT_TRUE(run.Traced("recent mode-change. " + std::to_string(left) + " left.")) << run.trace();
  }
  EXPECT_TRUE(run.Running());
  // Any move at all closes now (the threshold is 0).
  ASSERT_TRUE(moveAt(4001)) << run.trace();
  EXPECT_TRUE(run.Ended()) << run.trace();
  EXPECT_NE(run.trace().find("Full mouse move: closing..."), std::string::npos);
}

TEST_F(RunModes, ClicksAndKeysCloseWhenThereIsNoActiveConfiguration) {
  struct Case {
    std::function<void()> input;
    const char* trace;
  };
  const Case cases[] = {
      {[] { InputClick(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }, "Full mouse down: closing..."},
      {[] { InputClick(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP); }, "Full mouse down: closing..."},
      {[] { InputClick(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }, "Full right mouse: closing..."},
      {[] { InputKey('A'); }, "Full key down: closing..."},
      {[] { InputKey(VK_SHIFT); }, "Full key down: closing..."},
  };
  for (const Case& c : cases) {
    SaverRun run("/s");
    ASSERT_NE(run.ActiveSaver(), nullptr) << run.trace();
    c.input();
    EXPECT_TRUE(run.Ended()) << c.trace << "\n" << run.trace();
    EXPECT_NE(run.trace().find(c.trace), std::string::npos) << c.trace << "\n" << run.trace();
  }
}

TEST_F(RunModes, ActiveConfigurationOpensOverTheSaverCancelReloadsOkSaves) {
  SetRegistryNumber(kScreenSaverKey, "Active Config", 1);
  SetRegistryNumber(kProbeKey, "Probe", 11);
  {
    // Right click: the dialog opens in the middle of the screen; the value
    // it changed live is put back from the registry on Cancel.
    SaverRun run("/s", {{"SPIRALIS_LIVE", "42"}});
    HWND saver = run.ActiveSaver();
    ASSERT_NE(saver, nullptr) << run.trace();
    InputClick(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(run.Traced("Test: dialog smCActive")) << run.trace();
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p.x, GetSystemMetrics(SM_CXSCREEN) / 2);
    EXPECT_EQ(p.y, GetSystemMetrics(SM_CYSCREEN) / 2);
    HWND dialog = run.ShownWindow("TTestConfigDialog");
    ASSERT_NE(dialog, nullptr);
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - p.x), 2);
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - p.y), 2);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == dialog; }, 10000));
    InputKey(VK_ESCAPE);
    ASSERT_TRUE(run.Traced("Test: Probe 11")) << run.trace();
    EXPECT_TRUE(run.Running());
    DWORD stored = 0;
    EXPECT_TRUE(GetRegistryNumber(kProbeKey, "Probe", stored));
    EXPECT_EQ(stored, 11u);
    // Back in the saver: the origin is where the cursor is now, any key closes.
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == saver; }, 10000));
    InputKey('Q');
    EXPECT_TRUE(run.Ended()) << run.trace();
  }
  {
    // Shift: the dialog opens near the bottom-right corner; OK saves.
    SaverRun run("/s", {{"SPIRALIS_LIVE", "42"}});
    HWND saver = run.ActiveSaver();
    ASSERT_NE(saver, nullptr) << run.trace();
    InputKey(VK_SHIFT);
    ASSERT_TRUE(run.Traced("Test: dialog smCActive")) << run.trace();
    EXPECT_NE(run.trace().find("Full control key down: active config..."), std::string::npos);
    HWND dialog = run.ShownWindow("TTestConfigDialog");
    ASSERT_NE(dialog, nullptr);
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXFULLSCREEN) - 16) << "clamped onto the screen";
    PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(run.Traced("Test: Probe 42")) << run.trace();
    DWORD stored = 0;
    EXPECT_TRUE(GetRegistryNumber(kProbeKey, "Probe", stored));
    EXPECT_EQ(stored, 42u);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == saver; }, 10000));
    InputClick(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(run.Ended()) << run.trace();
  }
}

TEST_F(RunModes, CloseMessagesAndLostActivation) {
  {
    SaverRun run("/s");
    HWND saver = run.SaverWindow();
    ASSERT_NE(saver, nullptr);
    PostMessageA(saver, WM_CLOSE, 0, 0);
    ASSERT_TRUE(run.Traced("WM_CLOSE: but we're ignoring it, since it wasn't legit")) << run.trace();
    EXPECT_TRUE(run.Running());
    PostMessageA(saver, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(run.Ended()) << run.trace();
    EXPECT_NE(run.trace().find("SC_CLOSE: saClosing it"), std::string::npos);
    EXPECT_NE(run.trace().find("Close-query doesn't require password"), std::string::npos);
  }
  {
    SaverRun run("/s");
    ASSERT_NE(run.ActiveSaver(), nullptr);
    TestWindow other;
    ShowWindow(other.handle(), SW_SHOW);
    // Wine may hand the activation back to a window it has only just mapped:
    // the other window takes it again until the saver goes.
    bool ended = false;
    for (int i = 0; i < 5 && !ended; ++i) {
      SetForegroundWindow(other.handle());
      ended = run.Ended(3000);
    }
    EXPECT_TRUE(ended) << run.trace();
    EXPECT_NE(run.trace().find("Full activation message: closing..."), std::string::npos);
  }
  {
    // Compact: a quarter-screen window that another window may cover.
    SaverRun run("/s", {{"SPIRALIS_DEBUGLEVEL", "0"}});
    HWND saver = run.SaverWindow();
    ASSERT_NE(saver, nullptr);
    RECT r;
    GetWindowRect(saver, &r);
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN) / 4);
    EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN) / 4);
    // A display change leaves its size alone.
    SendMessageA(saver, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    RECT after;
    GetWindowRect(saver, &after);
    EXPECT_TRUE(EqualRect(&r, &after));
    TestWindow other;
    ShowWindow(other.handle(), SW_SHOW);
    SetForegroundWindow(other.handle());
    PumpMessages(800);  // no close comes in this time
    EXPECT_TRUE(run.Running()) << run.trace();
    PostMessageA(saver, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(run.Ended()) << run.trace();
  }
}

TEST_F(RunModes, AnActionDecidedInANestedDispatchIsPostedOnceFromOutside) {
  SaverRun run("/s");
  HWND saver = run.ActiveSaver();
  ASSERT_NE(saver, nullptr) << run.trace();
  SendMessageA(saver, RegisterWindowMessageA("Spiralis_test_nested"), 0, 0);
  EXPECT_TRUE(run.Ended()) << run.trace();
  const std::string t = run.trace();
  const std::size_t ends = t.find("Test: nested input ends");
  const std::size_t posted = t.find("saClose... posting message");
  ASSERT_NE(ends, std::string::npos) << t;
  EXPECT_GT(posted, ends) << t;
  // Until it arrives; the saver's window losing the activation as it goes
  // decides more closes, and that is fine.
  const std::string untilArrival = t.substr(0, t.find("got the saClose at last..."));
  EXPECT_EQ(Count(untilArrival, "saClose... posting message"), 1) << t;
  EXPECT_EQ(Count(t, "got the saClose at last..."), 1) << t;
}

TEST_F(RunModes, RegularConfigurationWithAndWithoutADialog) {
  {
    SaverRun run("/c", {{"SPIRALIS_SET", "FormConfig="}});
    EXPECT_TRUE(run.Ended()) << run.trace();
    EXPECT_NE(run.boxes().find("This screen saver has no settings to configure"), std::string::npos) << run.boxes();
    EXPECT_NE(run.boxes().find("Screen saver"), std::string::npos) << run.boxes();
  }
  {
    SetRegistryNumber(kProbeKey, "Probe", 5);
    SaverRun run("/c", {{"SPIRALIS_LIVE", "63"}});
    ASSERT_TRUE(run.Traced("Test: dialog smCRegular")) << run.trace();
    HWND dialog = run.ShownWindow("TTestConfigDialog");
    ASSERT_NE(dialog, nullptr);
    // Its system menu's About item: without an About class, the built-in box,
    // centred on the dialog.
    PostMessageA(dialog, WM_SYSCOMMAND, 3500, 0);
    HWND about = nullptr;
    PumpUntil([&] { return (about = FindWindowA("#32770", "About Vantrel")) && IsWindowVisible(about); }, 5000);
    ASSERT_NE(about, nullptr) << run.trace();
    RECT a, d;
    GetWindowRect(about, &a);
    GetWindowRect(dialog, &d);
    EXPECT_LE(std::abs((a.left + a.right) / 2 - (d.left + d.right) / 2), 1);
    EXPECT_LE(std::abs((a.top + a.bottom) / 2 - (d.top + d.bottom) / 2), 1);
    char line[64] = "";
    GetDlgItemTextA(about, 18, line, sizeof line);
    EXPECT_STREQ(line, "www.vantrel.org/saverlib");
    GetDlgItemTextA(about, IDOK, line, sizeof line);
    EXPECT_STREQ(line, "OK");
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 5000));
    EXPECT_NE(run.trace().find("About system menu click: executing about dialog..."), std::string::npos);
    EXPECT_NE(run.trace().find("Perform About Dialog"), std::string::npos);
    PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(run.Ended()) << run.trace();
    DWORD stored = 0;
    EXPECT_TRUE(GetRegistryNumber(kProbeKey, "Probe", stored));
    EXPECT_EQ(stored, 63u);
    EXPECT_NE(run.trace().find("Perform Config (regular)"), std::string::npos);
  }
}

TEST_F(RunModes, EveryFailureEndsTheRunWithItsTrace) {
  struct Case {
    const char* args;
    std::map<std::string, std::string> env;
    const char* trace;
  };
  const Case cases[] = {
      {"/s", {{"SPIRALIS_SET", "FormFullScreen="}}, "No full form found. FormFullScreen=''"},
      {"/s", {{"SPIRALIS_SET", "FormFullScreen=TNoSuchForm"}}, "No full form found. FormFullScreen='TNoSuchForm'"},
      {"/s", {{"SPIRALIS_SET", "FormFullScreen=TPlainForm"}}, "Saver class doesn't descend from TScrForm"},
      {"/s",
       {{"SPIRALIS_SET", "FormFullScreen=TBrokenSaverForm"}},
       "No saver form found. Did you include ScrSysDefs in the main project? FormFullScreen='TBrokenSaverForm'"},
      {"/c", {{"SPIRALIS_SET", "FormConfig=TTestSaverForm"}}, "Config class doesn't descend from TScrDialog"},
      {"/c",
       {{"SPIRALIS_SET", "FormConfig=TBrokenConfigDialog"}},
       "No config form found. Did you include ScrSysDefs in the main project? FormConfig='TBrokenConfigDialog'"},
      {"/a", {{"SPIRALIS_SET", "FormPwordChange=TPlainForm"}}, "Change-password class doesn't descend from TScrDialog"},
      {"/x", {}, "Command line gave odd result"},
      {"/s", {{"SPIRALIS_MAINFORM", "TTwoControlsForm"}}, "You can only have one ScrControl object!"},
  };
  for (const Case& c : cases) {
    auto env = c.env;
    env.emplace("SPIRALIS_DEBUGLEVEL", "3");  // no trace window to hold the process
    SaverRun run(c.args, env);
    ASSERT_TRUE(run.started());
    EXPECT_TRUE(run.Ended()) << c.trace << "\n" << run.trace();
    EXPECT_NE(run.trace().find(c.trace), std::string::npos) << c.trace << "\n" << run.trace();
    EXPECT_EQ(run.boxes(), "") << c.trace;
  }
}

// A trace window that the user has seen holds the process after the saver
// has gone, until the user closes it. The trace keeps only errors here: under
// Wine, writing to a shown trace window stalls the run (see docs/wine.md).
TEST_F(RunModes, AShownTraceWindowHoldsTheProcessAfterTheSaverUntilClosed) {
  ProgramRun run("runmodes_host.exe", "/s", {{"SPIRALIS_DEBUGLEVEL", "1"}, {"SPIRALIS_ERRORLINE", "Test: an error"}});
  HWND saver = run.ShownWindow("TTestSaverForm");
  ASSERT_NE(saver, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == saver; }, 10000));
  InputKey('Q');
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(saver); }, 10000));
  HWND traceWindow = run.ShownWindow("ScrDebugWindowClass");
  ASSERT_NE(traceWindow, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return (GetWindowLongA(traceWindow, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 10000));
  PumpMessages(500);  // the process does not end in this time
  EXPECT_TRUE(run.Running()) << "the process is held";
  EXPECT_TRUE(IsWindowVisible(traceWindow));
  PostMessageA(traceWindow, WM_CLOSE, 0, 0);
  EXPECT_TRUE(run.Ended());
}

// The password is a matter of the other platform: these run the saver as
// that platform, with the stand-in provider beside it.
class Passwords : public RunModes {
 protected:
  void SetUp() override {
    RunModes::SetUp();
    HKEY k;
    RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    RegSetValueExA(k, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
    RegCloseKey(k);
    CopyFileA((ProgramDir() + "\\fake_provider.dll").c_str(), provider_.c_str(), FALSE);
    SetRegistryNumber(kDesktopKey, "ScreenSaveUsePassword", 1);
  }
  void TearDown() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
    DeleteFileA(provider_.c_str());
    RunModes::TearDown();
  }
  static constexpr const char* kAppDefaults = "Software\\Wine\\AppDefaults\\runmodes_host.exe";
  std::string provider_ = ProgramDir() + "\\PASSWORD.CPL";
};

TEST_F(Passwords, WithinTheDelayClosingNeedsNoPassword) {
  SaverRun run("/s", {{"SPIRALIS_ANSWER", "0"}});
  ASSERT_NE(run.ActiveSaver(), nullptr) << run.trace();
  InputKey('A');
  EXPECT_TRUE(run.Ended()) << run.trace();
  EXPECT_NE(run.trace().find("Nope, we're within the delay."), std::string::npos) << run.trace();
  EXPECT_EQ(run.trace().find("about to call VerifyScreenSavePwd"), std::string::npos);
}

TEST_F(Passwords, ARefusedPasswordKeepsTheSaverRunning) {
  SetRegistryNumber(kScreenSaverKey, "Password Delay", 0);
  SaverRun run("/s", {{"SPIRALIS_ANSWER", "0"}});
  ASSERT_NE(run.ActiveSaver(), nullptr) << run.trace();
  InputKey('A');
  ASSERT_TRUE(run.Traced("Close-query checked passwords and it wasn't okay. So, cancel.")) << run.trace();
  EXPECT_TRUE(run.Running());
  // The next qualifying input asks again; without a password in use it closes.
  SetRegistryNumber(kDesktopKey, "ScreenSaveUsePassword", 0);
  InputKey('B');
  EXPECT_TRUE(run.Ended()) << run.trace();
  EXPECT_NE(run.trace().find("NeedPassword: no, registry says we don't"), std::string::npos) << run.trace();
}

TEST_F(Passwords, AnAcceptedPasswordCloses) {
  SetRegistryNumber(kScreenSaverKey, "Password Delay", 0);
  SaverRun run("/s", {{"SPIRALIS_ANSWER", "1"}});
  ASSERT_NE(run.ActiveSaver(), nullptr) << run.trace();
  InputClick(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(run.Ended()) << run.trace();
  const std::string t = run.trace();
  EXPECT_NE(t.find("NeedPassword: yes registry says we do."), std::string::npos) << t;
  EXPECT_NE(t.find("DefaultVerifyPasswordDialog: verifypwd returned TRUE!"), std::string::npos) << t;
  EXPECT_NE(t.find("Close-query checked password and it was okay."), std::string::npos) << t;
}

TEST_F(RunModes, AnErrorEscapingTheEntryPointIsShownAndTheProgramEnds) {
  SaverRun run("/s", {{"SPIRALIS_MAINFORM", "TNoSuchModule"}});
  EXPECT_TRUE(run.Ended()) << run.boxes();
  EXPECT_NE(run.boxes().find("Cannot create a form of class (none)"), std::string::npos) << run.boxes();
}
