// Spiralis.scr run as a program in full-screen mode, ended by real input the
// way a user ends it.
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/win32_support.h"

using namespace testing_support;

namespace {

const char* const kScreenSaverKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const char* const kDesktopKey = "Control Panel\\Desktop";

void SetNumber(const char* keyPath, const char* entry, DWORD value) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)) return;
  RegSetValueExA(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

void MoveTo(int x, int y) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

void Click(DWORD down, DWORD up) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = down;
  in[1].mi.dwFlags = up;
  SendInput(2, in, sizeof in[0]);
}

void Key(WORD vk) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof in[0]);
}

// One run of Spiralis.scr in a folder of its own, where a "spiralis.log"
// file makes it trace everything; its message boxes go to a file. The
// process never outlives the object.
class SpiralisRun {
 public:
  explicit SpiralisRun(const std::string& args) {
    WriteFile(trace_, "");
    SetEnvironmentVariableA("SPIRALIS_MSGBOX", boxes_.c_str());
    const std::string exe = ProgramDir() + "\\..\\Spiralis.scr";
    std::string line = "\"" + exe + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, dir_.path().c_str(), &si, &pi)) {
      CloseHandle(pi.hThread);
      process_ = pi.hProcess;
    }
    SetEnvironmentVariableA("SPIRALIS_MSGBOX", nullptr);
  }
  ~SpiralisRun() {
    if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 5000);
    }
    if (process_) CloseHandle(process_);
  }
  SpiralisRun(const SpiralisRun&) = delete;
  SpiralisRun& operator=(const SpiralisRun&) = delete;

  bool started() const { return process_ != nullptr; }
  std::string trace() const { return ReadFile(trace_) + (FileExists(boxes_) ? "\nBoxes:\n" + ReadFile(boxes_) : ""); }
  bool Ended(DWORD ms = 15000) const {
    return PumpUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, ms);
  }
  bool Running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
  // The saver form's window once it shows.
  HWND SaverWindow(DWORD ms = 10000) const {
    HWND found = nullptr;
    PumpUntil([&] { return (found = FindWindowA("TSaverForm", nullptr)) && IsWindowVisible(found); }, ms);
    return found;
  }

 private:
  TempDir dir_;
  std::string trace_ = dir_ / "spiralis.log";
  std::string boxes_ = dir_ / "boxes.txt";
  HANDLE process_ = nullptr;
};

class SpiralisFullScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNumber(kScreenSaverKey, "Mouse Threshold", 50);
    SetNumber(kScreenSaverKey, "Active Config", 0);
    SetNumber(kDesktopKey, "ScreenSaveUsePassword", 0);
    SetCursorPos(500, 400);
    PumpMessages(50);
  }
};

}  // namespace

TEST_F(SpiralisFullScreen, ShowsTheSaverFormOverTheWholeScreenAndEndsOnAMouseMove) {
  SpiralisRun run("/s");
  ASSERT_TRUE(run.started());
  HWND saver = run.SaverWindow();
  ASSERT_NE(saver, nullptr) << run.trace();
  RECT r{};
  GetWindowRect(saver, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
  PumpMessages(300);
  EXPECT_TRUE(run.Running()) << run.trace();

  // Moves beyond the threshold until the saver takes one as the end.
  for (int i = 0; i < 10 && run.Running(); ++i) {
    MoveTo(i % 2 ? 200 : 800, 400);
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
      {[] { Click(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }, "Full mouse down: closing..."},
      {[] { Key('A'); }, "Full key down: closing..."},
  };
  for (const Case& c : cases) {
    SpiralisRun run("/s");
    ASSERT_NE(run.SaverWindow(), nullptr) << run.trace();
    PumpMessages(300);
    c.input();
    EXPECT_TRUE(run.Ended()) << c.trace << "\n" << run.trace();
    EXPECT_NE(run.trace().find(c.trace), std::string::npos) << c.trace << "\n" << run.trace();
  }
}

// --- What the user sees --------------------------------------------------------

namespace {

const char* const kSaverKey = "Software\\Vantrel\\Spiralis";

// The whole screen as 0xRRGGBB pixels, read back from the display.
std::vector<unsigned> Screen() {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  std::vector<unsigned> pixels(static_cast<const unsigned*>(bits), static_cast<const unsigned*>(bits) + w * h);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  for (unsigned& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

int Count(const std::vector<unsigned>& pixels, bool (*match)(unsigned)) {
  int n = 0;
  for (unsigned p : pixels) n += match(p);
  return n;
}

unsigned R(unsigned p) { return (p >> 16) & 0xFF; }
unsigned G(unsigned p) { return (p >> 8) & 0xFF; }
unsigned B(unsigned p) { return p & 0xFF; }

class SpiralisPicture : public SpiralisFullScreen {
 protected:
  void SetUp() override {
    SpiralisFullScreen::SetUp();
    // Colours that cannot be mistaken for each other, as TColor values.
    SetNumber(kSaverKey, "Background", 0x0000FF);   // red
    SetNumber(kSaverKey, "Explosion", 0x00FF00);    // green
    SetNumber(kSaverKey, "Exhausted", 0xFF0000);    // blue, fading to ...
    SetNumber(kSaverKey, "Replenished", 0x000000);  // ... black
  }
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kSaverKey); }
};

}  // namespace

TEST_F(SpiralisPicture, TheGalaxyFillsTheScreenInItsColoursAndMoves) {
  SpiralisRun run("/s");
  ASSERT_NE(run.SaverWindow(), nullptr) << run.trace();
  PumpMessages(2500);
  std::vector<unsigned> first = Screen();
  PumpMessages(1000);
  std::vector<unsigned> second = Screen();
  ASSERT_TRUE(run.Running()) << run.trace();
  Key('A');
  EXPECT_TRUE(run.Ended()) << run.trace();

  const int total = static_cast<int>(first.size());
  int background = Count(first, [](unsigned p) { return p == 0xFF0000u; });
  int exploding = Count(first, [](unsigned p) { return G(p) > 200 && R(p) < 60 && B(p) < 60; });
  int exhausted = Count(first, [](unsigned p) { return B(p) > 40 && R(p) < 60 && G(p) < 60; });
  // The clear colour shows around and between the cells; the cells show in
  // the explosion colour and in the exhausted colour fading toward black.
  EXPECT_GT(background, total / 10);
  EXPECT_GT(exploding, 0);
  EXPECT_GT(exhausted, 100);
  EXPECT_LT(background + exploding + exhausted, total + 1);
  // The next picture differs: the galaxy turns and the camera wanders.
  int changed = 0;
  for (size_t i = 0; i < first.size(); ++i) changed += first[i] != second[i];
  EXPECT_GT(changed, total / 100);
}
