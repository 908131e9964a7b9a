// The panel's window-level machinery on plain Win32 windows: a context built
// on paint that clears to the colour (read back, and seen on the screen), the
// failure texts and no retry until a property changes, the display mode kept
// and restored, the form's window hook, and the sizes for 3dfx cards.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "gl/panel_engine.h"
#include "gl/sgl.h"
#include "gl/sgl_trace.h"
#include "tests/gl/gl_support.h"
#include "tests/support/win32_support.h"

using namespace gl_testing;
using testing_support::TempDir;

namespace {

LRESULT CALLBACK FormProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
LRESULT CALLBACK PanelProc(HWND w, UINT m, WPARAM wp, LPARAM lp);

void RegisterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = FormProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = "EngineTestForm";
  RegisterClassA(&wc);
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = PanelProc;
  wc.hbrBackground = nullptr;
  wc.lpszClassName = "EngineTestPanelOwndc";
  RegisterClassA(&wc);
}

// A form window with a panel window inside, served by one engine.
class TestPanel : public SglPanelHost {
 public:
  TestPanel(int x = 60, int y = 60, int w = 160, int h = 120) : x_(x), y_(y), w_(w), h_(h) {
    RegisterClasses();
    form_ = CreateWindowExA(0, "EngineTestForm", "form", WS_POPUP | WS_VISIBLE, 40, 40, 400, 300,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    engine = std::make_unique<SglPanelEngine>(*this);
    CreatePanel();
  }
  ~TestPanel() override {
    if (IsWindow(form_)) DestroyWindow(form_);
    engine.reset();
  }
  void CreatePanel() {
    panel_ = CreateWindowExA(0, "EngineTestPanelOwndc", "", WS_CHILD | WS_VISIBLE, x_, y_, w_, h_, form_,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(panel_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  void Paint() {
    InvalidateRect(panel_, nullptr, FALSE);
    UpdateWindow(panel_);
  }
  HWND form() const { return form_; }

  HWND GLWindow() override { return IsWindow(panel_) ? panel_ : nullptr; }
  void RecreateGLWindow() override {
    ++recreated;
    DestroyWindow(panel_);
    CreatePanel();
  }
  HWND FormWindow() override { return IsWindow(form_) ? form_ : nullptr; }
  void SetFormBounds(const RECT& r) override {
    MoveWindow(form_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  }
  int PanelWidth() override { return w_; }
  int PanelHeight() override { return h_; }
  void ApplySizeFor3dfx(int width, int height) override {
    saved_ = {w_, h_};
    SetSize(width, height);
  }
  void RestoreSizeFor3dfx() override { SetSize(saved_.cx, saved_.cy); }
  bool IsReleaseMessage(UINT msg) override { return msg == WM_APP + 33; }
  void DoGLPixelFormat(HDC, int& num, int, int, int, int) override {
    if (forceFormat) num = forceFormat;
  }
  void DoGLInit() override { ++inits; }
  void DoGLPaint() override {
    ++paints;
    if (readBack) pixel = ReadPixel(w_ / 2, h_ / 2);
    if (swap) engine->SwapBuffers();
  }
  void DoGLError(const std::string& text) override { errors.push_back(text); }
  void DoResize() override { ++resizes; }

  std::unique_ptr<SglPanelEngine> engine;
  int recreated = 0, inits = 0, paints = 0, resizes = 0, forceFormat = 0;
  bool readBack = false;
  bool swap = true;  // the system's swap of a stand-in driver's frame stalls Wine
  unsigned pixel = 0;
  std::vector<std::string> errors;

 private:
  void SetSize(int w, int h) {
    w_ = w;
    h_ = h;
    // Without copying the window's bits: under Wine with ClientSideGraphics
    // "N", a move that copies them stalls for good.
    if (IsWindow(panel_))
      SetWindowPos(panel_, nullptr, x_, y_, w, h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  }
  int x_, y_, w_, h_;
  SIZE saved_{};
  HWND form_ = nullptr, panel_ = nullptr;
};

LRESULT CALLBACK PanelProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  auto* host = reinterpret_cast<TestPanel*>(GetWindowLongPtrA(w, GWLP_USERDATA));
  if (host && host->engine && host->engine->WindowMessage(m, wp, lp)) return m == WM_ERASEBKGND ? 1 : 0;
  return DefWindowProcA(w, m, wp, lp);
}

class PanelEngineTest : public ::testing::Test {
 protected:
  void TearDown() override {
    sglFreeDriver();
  }
  SglTraceCapture trace_;
  TempDir temp_;
};

}  // namespace

TEST_F(PanelEngineTest, ClearsToItsColourOnFirstPaintAndShowsItOnTheScreen) {
  TestPanel panel;
  panel.readBack = true;
  panel.engine->SetColor(0x336699);  // red 0x99, green 0x66, blue 0x33
  EXPECT_FALSE(panel.engine->IsOn());
  panel.Paint();
  ASSERT_TRUE(panel.engine->IsOn()) << (SglTraceCapture::Errors().empty() ? "" : SglTraceCapture::Errors().back());
  EXPECT_EQ(1, panel.inits);
  EXPECT_EQ(1, panel.paints);
  EXPECT_EQ(0x996633u, panel.pixel);
  EXPECT_TRUE(SglTraceCapture::Traced(" - Done init"));
  // These tests run under Wine, which shows no OpenGL drawn into a child
  // window: a hidden window draws, and the child's frames reach the screen
  // through GDI.
  EXPECT_TRUE(panel.engine->Presenting());
  EXPECT_NE(nullptr, FindWindowA("SglOffscreenFrames", nullptr));
  testing_support::PumpMessages(0);
  panel.Paint();
  HDC screen = GetDC(nullptr);
  const COLORREF seen = GetPixel(screen, 40 + 60 + 80, 40 + 60 + 60);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(RGB(0x99, 0x66, 0x33), seen);

  // A new colour is cleared to at once, without a new context.
  EXPECT_TRUE(panel.engine->SetColor(0x00FF00));
  EXPECT_FALSE(panel.engine->SetColor(0x00FF00));
  panel.Paint();
  EXPECT_EQ(0x00FF00u, panel.pixel);
  EXPECT_EQ(1, panel.inits);

  // The hidden window goes with the context.
  panel.engine->InvalidateGLHandle();
  EXPECT_EQ(nullptr, FindWindowA("SglOffscreenFrames", nullptr));
}

TEST_F(PanelEngineTest, FailuresAreReportedOnceAndRetriedAfterAPropertyChange) {
  TestPanel panel;
  const std::string missing = temp_ / "nothing.dll";
  panel.engine->SetDriver(missing);
  panel.Paint();
  panel.Paint();
  EXPECT_EQ((std::vector<std::string>{"Error loading library " + missing}), panel.errors);
  ASSERT_EQ(1u, SglTraceCapture::Errors().size());
  EXPECT_NE(std::string::npos, SglTraceCapture::Errors()[0].find(" - Error loading library "));
  EXPECT_EQ(0, panel.paints);
  EXPECT_TRUE(panel.engine->Failed());

  panel.engine->SetDepth(24);  // any property change clears the failure
  EXPECT_FALSE(panel.engine->Failed());
  panel.Paint();
  EXPECT_EQ(2u, panel.errors.size());

  panel.errors.clear();
  panel.engine->SetDriver(StubDriver("stub_nocontext"));
  panel.Paint();
  ASSERT_EQ(1u, panel.errors.size());
  EXPECT_EQ(0u, panel.errors[0].find("Error creating context: "));
  EXPECT_GT(panel.errors[0].size(), std::string("Error creating context: ").size());

  // The pixel format was set on that window: the next attempt gets a new one.
  // Under Wine the format goes on a hidden window that goes with the attempt,
  // and the panel's window never has one.
  panel.errors.clear();
  panel.engine->SetDriver("opengl32.dll");
  panel.forceFormat = 0x7000;
  panel.Paint();
  EXPECT_EQ(HostIsWine() ? 0 : 1, panel.recreated);
  if (HostIsWine()) {
    HDC dc = GetDC(panel.GLWindow());
    EXPECT_EQ(0, GetPixelFormat(dc));
    ReleaseDC(panel.GLWindow(), dc);
  }
  EXPECT_EQ(nullptr, FindWindowA("SglOffscreenFrames", nullptr));  // nor is one left behind
  EXPECT_EQ((std::vector<std::string>{"SetPixelFormat failed"}), panel.errors);

  panel.errors.clear();
  panel.engine->SetAcc(-1);
  panel.forceFormat = 0;
  panel.engine->SetDriver(StubDriver("stub_full"));  // describes no format at all
  panel.Paint();
  EXPECT_EQ((std::vector<std::string>{"ChoosePixelFormat failed"}), panel.errors);
}

TEST_F(PanelEngineTest, TheDriverChangesOnlyWithItsFileName) {
  TestPanel panel;
  panel.Paint();
  ASSERT_TRUE(panel.engine->IsOn());
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  panel.engine->SetDriver(std::string(system) + "\\OPENGL32.DLL");
  EXPECT_TRUE(panel.engine->IsOn());
  panel.engine->SetDriver(StubDriver("stub_basic"));
  EXPECT_FALSE(panel.engine->IsOn());
  EXPECT_EQ(nullptr, sglDriverHandle());
}

TEST_F(PanelEngineTest, ScreenModeIsKeptForUnchangedValuesAndAlwaysRestored) {
  // The display here offers one size: switching to it is a real switch that
  // must be undone; a depth the display refuses is silently not applied.
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  auto panel = std::make_unique<TestPanel>();
  panel->engine->SetScreenDimensions(cx, cy, 12);
  panel->Paint();
  EXPECT_TRUE(panel->engine->IsOn());
  EXPECT_FALSE(panel->engine->ModeChanged());
  EXPECT_TRUE(SglTraceCapture::Traced(" - Changed screen mode"));

  panel->engine->SetScreenDimensions(cx, cy, -1);
  panel->Paint();
  ASSERT_TRUE(panel->engine->IsOn());
  ASSERT_TRUE(panel->engine->ModeChanged());
  RECT form;
  GetWindowRect(panel->form(), &form);
  EXPECT_EQ(cx, form.right - form.left);
  EXPECT_EQ(0, form.top);

  panel->engine->SetScreenDimensions(cx, cy, -1);  // unchanged: the context stays
  EXPECT_TRUE(panel->engine->IsOn());

  // The form's release message restores the mode through the hook.
  SendMessageA(panel->form(), WM_APP + 33, 0, 0);
  EXPECT_FALSE(panel->engine->ModeChanged());

  // Destroying the form without any clean close restores it too.
  panel->engine->SetScreenDimensions(-1, -1, -1);
  panel->engine->SetScreenDimensions(cx, cy, -1);
  panel->Paint();
  ASSERT_TRUE(panel->engine->ModeChanged());
  DestroyWindow(panel->form());
  EXPECT_FALSE(panel->engine->ModeChanged());
  EXPECT_FALSE(panel->engine->IsOn());
  panel.reset();
}

TEST_F(PanelEngineTest, TheFormWindowIsHookedWhileTheContextLives) {
  TestPanel panel;
  const LONG_PTR original = GetWindowLongPtrA(panel.form(), GWLP_WNDPROC);
  panel.Paint();
  ASSERT_TRUE(panel.engine->IsOn());
  EXPECT_EQ(panel.engine.get(), GetPropA(panel.form(), "ScrGLSubclass"));
  EXPECT_EQ(original, reinterpret_cast<LONG_PTR>(GetPropA(panel.form(), "ScrGLOldWndProc")));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(&SglHookWndProc), GetWindowLongPtrA(panel.form(), GWLP_WNDPROC));

  // Moving the form moves the panel: the viewport follows.
  const int resizes = panel.resizes;
  MoveWindow(panel.form(), 50, 45, 400, 300, TRUE);
  SendMessageA(panel.form(), WM_SIZE, 0, MAKELPARAM(400, 300));
  EXPECT_EQ(resizes + 1, panel.resizes);
  EXPECT_TRUE(SglTraceCapture::Traced(" - The window has moved!"));

  panel.engine->InvalidateGLHandle();
  EXPECT_EQ(nullptr, GetPropA(panel.form(), "ScrGLSubclass"));
  EXPECT_EQ(nullptr, GetPropA(panel.form(), "ScrGLOldWndProc"));
  EXPECT_EQ(original, GetWindowLongPtrA(panel.form(), GWLP_WNDPROC));

  // Someone who subclasses the form after us keeps chaining to the hook.
  panel.Paint();
  ASSERT_TRUE(panel.engine->IsOn());
  const LONG_PTR later = SetWindowLongPtrA(panel.form(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormProc));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(&SglHookWndProc), later);
  panel.engine->InvalidateGLHandle();
  EXPECT_EQ(nullptr, GetPropA(panel.form(), "ScrGLSubclass"));
  EXPECT_NE(nullptr, GetPropA(panel.form(), "ScrGLOldWndProc"));
  // The hook passes messages on to the procedure it replaced.
  EXPECT_EQ(DefWindowProcA(panel.form(), WM_GETTEXTLENGTH, 0, 0),
            SglHookWndProc(panel.form(), WM_GETTEXTLENGTH, 0, 0));
  RemovePropA(panel.form(), "ScrGLOldWndProc");
}

// Whether ClipCursor takes effect here: Wine in Xvfb without a window
// manager accepts it and goes on without a clip.
bool SystemClipsTheCursor() {
  RECT saved, probe{1, 1, 101, 101}, now;
  GetClipCursor(&saved);
  ClipCursor(&probe);
  GetClipCursor(&now);
  ClipCursor(&saved);
  return EqualRect(&now, &probe) != FALSE;
}

// A 3dfx driver (its version resource says so) shrinks the panel to a size
// the card shows; one whose name says so also confines the cursor to the
// panel while its form is active. Leaving puts size, clip and cursor back.
TEST_F(PanelEngineTest, A3dfxDriverShrinksThePanelToASizeTheCardShows) {
  for (const auto& [height, cx, cy] : {std::tuple{-1, 512, 384}, {480, 640, 480}, {600, 800, 600}, {1024, 1024, 768}})
    EXPECT_TRUE(Sgl3dfxSize(height).cx == cx && Sgl3dfxSize(height).cy == cy) << height;

  const std::string driver = CopyTo(StubDriver("stub_full"), temp_ / "3dfx\\minigl.dll");
  HMODULE lib = LoadLibraryA(driver.c_str());
  ASSERT_NE(nullptr, lib);
  const PIXELFORMATDESCRIPTOR pfd = Format(PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER, 16, 16);
  reinterpret_cast<void (*)(const PIXELFORMATDESCRIPTOR*, int)>(GetProcAddress(lib, "TestDriverSetFormats"))(&pfd, 1);

  SetCursorPos(512, 384);
  RECT clipBefore;
  GetClipCursor(&clipBefore);
  {
    TestPanel panel(10, 10, 300, 200);
    panel.swap = false;
    panel.engine->SetDriver(driver);
    panel.Paint();
    ASSERT_TRUE(panel.engine->IsOn()) << (panel.errors.empty() ? "" : panel.errors.back());
    EXPECT_EQ(512, panel.PanelWidth());
    EXPECT_EQ(384, panel.PanelHeight());
    EXPECT_FALSE(panel.engine->ModeChanged());  // no mode change for 3dfx

    // The cursor is held in the panel's client area at the size it had
    // before (300 x 200 at the form's 40, 40 plus the panel's 10, 10).
    const RECT area{50, 50, 350, 250};
    RECT clip;
    POINT cursor;
    EXPECT_TRUE(panel.engine->MouseConfined());
    GetClipCursor(&clip);
    if (SystemClipsTheCursor()) {
      EXPECT_TRUE(EqualRect(&clip, &area)) << clip.left << "," << clip.top << "," << clip.right << "," << clip.bottom;
    }
    GetCursorPos(&cursor);
    EXPECT_TRUE(PtInRect(&area, cursor)) << cursor.x << "," << cursor.y;

    // Losing the activation lets the cursor go, back to the screen in
    // proportion; getting it back holds it again.
    const POINT free{(cursor.x - 50) * GetSystemMetrics(SM_CXSCREEN) / 300,
                     (cursor.y - 50) * GetSystemMetrics(SM_CYSCREEN) / 200};
    SendMessageA(panel.form(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(panel.engine->MouseConfined());
    GetClipCursor(&clip);
    EXPECT_TRUE(EqualRect(&clip, &clipBefore));
    GetCursorPos(&cursor);
    EXPECT_NEAR(cursor.x, free.x, 1);
    EXPECT_NEAR(cursor.y, free.y, 1);
    SendMessageA(panel.form(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(panel.engine->MouseConfined());
    GetCursorPos(&cursor);
    EXPECT_TRUE(PtInRect(&area, cursor)) << cursor.x << "," << cursor.y;

    // A new screen height: the context goes (size and cursor back), and the
    // next one sizes the panel for that height.
    panel.engine->SetScreenHeight(600);
    EXPECT_EQ(300, panel.PanelWidth());
    EXPECT_EQ(200, panel.PanelHeight());
    EXPECT_FALSE(panel.engine->MouseConfined());
    GetClipCursor(&clip);
    EXPECT_TRUE(EqualRect(&clip, &clipBefore));
    panel.Paint();
    EXPECT_EQ(800, panel.PanelWidth());
    EXPECT_EQ(600, panel.PanelHeight());
    EXPECT_TRUE(panel.engine->MouseConfined());
  }
  RECT clipAfter;
  GetClipCursor(&clipAfter);
  EXPECT_TRUE(EqualRect(&clipAfter, &clipBefore));
  FreeLibrary(lib);
}
