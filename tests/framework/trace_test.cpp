#include "framework/trace.h"

#include <gtest/gtest.h>

#include "tests/support/win32_support.h"

using namespace testing_support;

namespace {

class Trace : public ::testing::Test {
 protected:
  void SetUp() override { ScrDebugReset(); }
  void TearDown() override { ScrDebugReset(); }
  TempDir dir;
  std::string log = dir / "trace.log";
};

std::string EditText() {
  HWND edit = GetWindow(ScrDebugWindow(), GW_CHILD);
  char buf[4096] = "";
  GetWindowTextA(edit, buf, sizeof buf);
  return buf;
}

HWND gCloseTarget;
DWORD gClosedAt;
void CALLBACK CloseLater(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  gClosedAt = GetTickCount();
  PostMessageA(gCloseTarget, WM_CLOSE, 0, 0);
}

}  // namespace

TEST_F(Trace, ThresholdNoneWritesNothingAndMakesNoWindow) {
  WriteFile(log, "old");
  ScrDebugSettings(tlNone, true, log, smSFull);
  ScrDebugErr("error");
  ScrDebugUsr("user");
  EXPECT_EQ(ReadFile(log), "old");
  EXPECT_EQ(ScrDebugWindow(), nullptr);
}

TEST_F(Trace, FileIsTruncatedByTheFirstLineThenAppended) {
  WriteFile(log, "left over from the last run\r\n");
  ScrDebugSettings(tlAll, false, log, smSFull);
  EXPECT_EQ(ReadFile(log), "left over from the last run\r\n");
  ScrDebugAll("one");
  ScrDebugMsg("two");
  ScrDebug(tlUsr, "three");
  ScrDebugErr("");
  EXPECT_EQ(ReadFile(log), "one\r\ntwo\r\nthree\r\n\r\n");
  EXPECT_EQ(ScrDebugWindow(), nullptr);
}

TEST_F(Trace, ThresholdDropsLowerLevels) {
  ScrDebugSettings(tlUsr, false, log, smSFull);
  ScrDebugAll("all");
  ScrDebugMsg("msg");
  ScrDebugUsr("usr");
  ScrDebugErr("err");
  EXPECT_EQ(ReadFile(log), "usr\r\nerr\r\n");

  ScrDebugReset();
  ScrDebugSettings(tlMsg, false, log, smSFull);
  ScrDebugAll("all");
  ScrDebugMsg("msg");
  EXPECT_EQ(ReadFile(log), "msg\r\n");
}

TEST_F(Trace, DefaultsKeepOnlyErrorsForTheDebugger) {
  // Before any settings call: threshold tlErr, target the debugger channel.
  ScrDebugMsg("progress");
  EXPECT_EQ(ScrDebugWindow(), nullptr);
  ScrDebugErr("error");
  EXPECT_NE(ScrDebugWindow(), nullptr);  // a window is allowed until told otherwise
}

TEST_F(Trace, OnlyTheFirstSettingsOutsideTheMainPreviewRestartsTheLog) {
  ScrDebugSettings(tlAll, false, log, smSPMain);
  ScrDebugMsg("a");
  ScrDebugSettings(tlAll, false, log, smSPMain);
  ScrDebugMsg("b");
  EXPECT_EQ(ReadFile(log), "a\r\nb\r\n");
  ScrDebugSettings(tlAll, false, log, smSFull);  // restart: next line truncates
  ScrDebugMsg("c");
  ScrDebugSettings(tlAll, false, log, smCRegular);  // no second restart
  ScrDebugMsg("d");
  EXPECT_EQ(ReadFile(log), "c\r\nd\r\n");
}

TEST_F(Trace, LongLinesAndNamesAreCut) {
  ScrDebugSettings(tlAll, false, log, smSFull);
  ScrDebugMsg(std::string(5000, 'x'));
  EXPECT_EQ(ReadFile(log), std::string(298, 'x') + "\r\n");

  ScrDebugReset();
  std::string longName = dir.path() + "\\" + std::string(400, 'n');
  ScrDebugSettings(tlAll, false, longName, smSFull);
  ScrDebugMsg("cut");
  EXPECT_EQ(ReadFile(longName.substr(0, 259)), "cut\r\n");
}

TEST_F(Trace, UnopenableFileLosesTheLineSilently) {
  std::string bad = dir / "no such folder\\trace.log";
  ScrDebugSettings(tlAll, false, bad, smSFull);
  ScrDebugErr("lost");
  EXPECT_FALSE(FileExists(bad));
}

TEST_F(Trace, WindowAppearsHiddenAndShowsWithoutFocusAtTheFirstUserLine) {
  TestWindow focus(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetForegroundWindow(focus.handle());
  PumpMessages(50);
  HWND before = GetForegroundWindow();

  ScrDebugSettings(tlAll, true, log, smSFull);
  ScrDebugMsg("progress");
  HWND w = ScrDebugWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(IsWindowVisible(w));
  char cls[64];
  GetClassNameA(w, cls, sizeof cls);
  EXPECT_STREQ(cls, "ScrDebugWindowClass");

  RECT r;
  GetWindowRect(w, &r);
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(r.left, 3 * cx / 4);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, cx);
  EXPECT_EQ(r.bottom, cy / 2);

  ScrDebugUsr("hello");
  PumpMessages(50);
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_TRUE(ScrDebugWindowShown());
  EXPECT_EQ(GetForegroundWindow(), before);
  EXPECT_EQ(EditText(), "progress\r\nhello\r\n");
}

TEST_F(Trace, WindowNotAllowedMeansNoWindow) {
  ScrDebugSettings(tlAll, false, kScrDebugTarget, smSFull);
  ScrDebugErr("error");
  EXPECT_EQ(ScrDebugWindow(), nullptr);
}

TEST_F(Trace, EndOfRunWaitsForTheUserToCloseAShownWindow) {
  ScrDebugSettings(tlErr, true, log, smSFull);
  ScrDebugErr("something failed");
  HWND w = ScrDebugWindow();
  ASSERT_NE(w, nullptr);
  // The "user" closes the window a little later, from this thread's queue.
  gCloseTarget = w;
  gClosedAt = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 300, CloseLater);
  ASSERT_NE(timer, 0u);
  ScrDebugTerminate();
  EXPECT_NE(gClosedAt, 0u) << "returned before the window was closed";
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(ScrDebugWindow(), nullptr);
}

TEST_F(Trace, EndOfRunDoesNotWaitForAHiddenOrAlreadyClosedWindow) {
  ScrDebugSettings(tlAll, true, log, smSFull);
  ScrDebugMsg("only progress");
  HWND hidden = ScrDebugWindow();
  ASSERT_NE(hidden, nullptr);
  ScrDebugTerminate();  // returns at once: the window was never shown
  EXPECT_FALSE(IsWindow(hidden));

  ScrDebugReset();
  ScrDebugSettings(tlAll, true, log, smSFull);
  ScrDebugErr("shown");
  HWND shown = ScrDebugWindow();
  SendMessageA(shown, WM_CLOSE, 0, 0);  // the user read it already
  EXPECT_FALSE(IsWindow(shown));
  ScrDebugTerminate();
  ScrDebugErr("after the window: file only");
  EXPECT_EQ(ReadFile(log), "shown\r\nafter the window: file only\r\n");
}
