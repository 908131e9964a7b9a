// The saver's preview inside a dialog (TScrPreview on a form read from a
// resource, with the real main module): the live galaxy and a push button
// beside it both on the screen, a live galaxy that PreviewPresent
// closes and makes again, the icon instead while a saver runs or when there
// is no preview form, and a live preview opened and closed over a running
// full-screen saver that keeps drawing afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

#include "framework/preview.h"
#include "gl/sgl.h"
#include "saver/mainform.h"
#include "saver/saverform.h"
#include "tests/saver/driven_form.h"
#include "tests/support/screen_pixels.h"
#include "tests/support/main_module.h"
#include "tests/support/win32_support.h"
#include "toolkit/screen.h"
#include "toolkit/stdctrls.h"
#include "values/values.h"

using namespace testing_support;

class TPreviewTestForm : public TForm {
  TK_CLASS(TPreviewTestForm)
  explicit TPreviewTestForm(TComponent* owner) : TForm(owner) {}
  TScrPreview* ScrPreview = nullptr;
  TButton* Button = nullptr;
};

const TMetaClass& TPreviewTestForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TPreviewTestForm>(
      "TPreviewTestForm", &TForm::StaticClass(), [](auto& c) {
        c.Field("ScrPreview", &TPreviewTestForm::ScrPreview);
        c.Field("Button", &TPreviewTestForm::Button);
      });
  return cls;
}

// A preview form whose making takes its host away.
HWND gHostToDestroy = nullptr;

class TDyingHostForm : public TScrForm {
  TK_CLASS(TDyingHostForm)
  explicit TDyingHostForm(TComponent* owner) : TScrForm(owner) {}
  void AfterConstruction() override {
    TScrForm::AfterConstruction();
    if (gHostToDestroy) DestroyWindow(gHostToDestroy);
  }
};

const TMetaClass& TDyingHostForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TDyingHostForm>("TDyingHostForm", &TScrForm::StaticClass());
  return cls;
}

namespace {

class DialogPreview : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterSaverClasses();
    RegisterClasses({&TPreviewTestForm::StaticClass(), &TDyingHostForm::StaticClass(), &TButton::StaticClass()});
  }
  void SetUp() override {
    MainForm = NewMainModule<TMainForm>();
    ScrLoadValuesFromRegistry(MainForm);
    MainForm->Background->SetValue(0x0000FF);  // red, as a TColor
    gScrMode = smCRegular;
    forms_ = Screen->FormCount();
  }
  void TearDown() override {
    gScrMode = smNone;
    MainForm->Free();
    MainForm = nullptr;
    PumpMessages(0);
  }
  // The test dialog, shown.
  TPreviewTestForm* Dialog(bool autoPreview = true) {
    auto* dialog = CreateComponent<TPreviewTestForm>(nullptr);
    dialog->ScrPreview->SetAutoPreview(autoPreview);
    dialog->Show();
    return dialog;
  }
  // The live preview form inside the control, once it draws; null if none.
  static TSaverForm* LivePreview(TScrPreview* preview) {
    HWND proxy = GetWindow(preview->Handle(), GW_CHILD);
    if (!proxy || ClassOf(proxy) != "ScrPreviewProxyChild") return nullptr;
    auto* form = dynamic_cast<TSaverForm*>(FindControl(GetWindow(proxy, GW_CHILD)));
    if (form) PumpUntil([&] { return form->SglPanel->IsOn(); }, 5000);
    return form;
  }

  int forms_ = 0;
};

}  // namespace

TEST_F(DialogPreview, ShowsTheLiveGalaxyAndPreviewPresentClosesAndMakesItAgain) {
  const int owned = MainForm->ScrControl->ComponentCount();
  TPreviewTestForm* dialog = Dialog();
  TScrPreview* preview = dialog->ScrPreview;
  EXPECT_TRUE(preview->GetPreviewPresent());
  TSaverForm* live = LivePreview(preview);
  ASSERT_NE(live, nullptr);
  EXPECT_EQ(live->ScrMode(), smSPConfig);
  EXPECT_EQ(gScrSaver, live);
  RECT r;
  GetWindowRect(live->Handle(), &r);
  EXPECT_EQ(r.right - r.left, 153);
  EXPECT_EQ(r.bottom - r.top, 113);
  // The galaxy on the screen: background in a corner, cells in the middle.
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(preview->Handle(), 2, 2) == 0xFF0000u; }, 3000));
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(preview->Handle(), 76, 56) != 0xFF0000u; }, 3000));

  // It follows the control's size, and the galaxy fills the new size.
  preview->SetBounds(preview->Left(), preview->Top(), 170, 125);
  EXPECT_EQ(live->Width(), 170);
  EXPECT_EQ(live->SglPanel->Height(), 125);
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(preview->Handle(), 167, 122) == 0xFF0000u; }, 3000));

  HWND firstForm = live->Handle();
  preview->SetPreviewPresent(false);
  EXPECT_EQ(GetWindow(preview->Handle(), GW_CHILD), nullptr);
  EXPECT_FALSE(IsWindow(firstForm));
  EXPECT_EQ(gScrSaver, nullptr);
  EXPECT_EQ(Screen->FormCount(), forms_ + 1);  // the dialog alone
  EXPECT_EQ(MainForm->ScrControl->ComponentCount(), owned);

  preview->SetPreviewPresent(true);
  live = LivePreview(preview);
  ASSERT_NE(live, nullptr);
  EXPECT_NE(live->Handle(), firstForm);
  EXPECT_TRUE(live->SglPanel->IsOn());

  // The dialog goes: its preview with it, and nothing stays behind.
  dialog->Free();
  EXPECT_EQ(gScrSaver, nullptr);
  EXPECT_EQ(Screen->FormCount(), forms_);
  EXPECT_EQ(MainForm->ScrControl->ComponentCount(), owned);
  EXPECT_FALSE(Application->Terminated());
}

// What the screen shows of a window's client area, sampled every other pixel.
struct Seen {
  int red = 0, white = 0, face = 0, dark = 0, other = 0;
};

Seen LookAt(HWND window, int width, int height) {
  const COLORREF f = GetSysColor(COLOR_BTNFACE);
  const unsigned face = (GetRValue(f) << 16) | (GetGValue(f) << 8) | GetBValue(f);
  Seen seen;
  for (int y = 1; y < height; y += 2)
    for (int x = 1; x < width; x += 2) {
      const unsigned p = ScreenPixel(window, x, y);
      const unsigned r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (p == 0xFF0000u) ++seen.red;
      else if (p == 0xFFFFFFu) ++seen.white;
      else if (p == face) ++seen.face;
      else if (r < 100 && g < 100 && b < 100) ++seen.dark;
      else ++seen.other;
    }
  return seen;
}

// The options dialog's situation: standard controls and the live OpenGL
// galaxy in one window. Both must reach the screen (under Wine only one of
// them shows unless the panel's frames come through GDI).
TEST_F(DialogPreview, TheScreenShowsAButtonAndTheLiveGalaxyBesideIt) {
  TPreviewTestForm* dialog = Dialog();
  TSaverForm* live = LivePreview(dialog->ScrPreview);
  ASSERT_NE(live, nullptr);
  HWND button = dialog->Button->Handle();
  Seen galaxy, face;
  const bool both = PumpUntil(
      [&] {
        galaxy = LookAt(dialog->ScrPreview->Handle(), 153, 113);
        face = LookAt(button, 100, 30);
        // The galaxy: its red background over most of the picture, and cells
        // (neither red nor the form's white) in it.
        const bool galaxyShows = galaxy.red > 76 * 56 / 3 && galaxy.white == 0 &&
                                 galaxy.face + galaxy.dark + galaxy.other > 20;
        // The button: its face colour over most of it, and its caption's dark
        // letters.
        const bool buttonShows = face.face > 50 * 15 / 2 && face.dark > 10 && face.red == 0;
        return galaxyShows && buttonShows;
      },
      5000);
  EXPECT_TRUE(both) << "galaxy: red " << galaxy.red << " white " << galaxy.white << " cells "
                    << galaxy.face + galaxy.dark + galaxy.other << "; button: face " << face.face << " dark "
                    << face.dark << " white " << face.white << " other " << face.other;
  dialog->Free();
}

TEST_F(DialogPreview, ShowsTheIconOverARunningSaverOrWithoutAPreviewForm) {
  struct Case {
    TScrMode mode;
    const char* previewClass;
  };
  const Case cases[] = {{smSFull, "TSaverForm"}, {smCRegular, ""}};
  const unsigned desktop = [] {
    const COLORREF c = GetSysColor(COLOR_BACKGROUND);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }();
  for (const Case& c : cases) {
    gScrMode = c.mode;
    MainForm->ScrControl->FormPreview()->SetFormClassName(c.previewClass);
    TPreviewTestForm* dialog = Dialog();
    HWND icon = GetWindow(dialog->ScrPreview->Handle(), GW_CHILD);
    ASSERT_NE(icon, nullptr) << c.mode;
    EXPECT_EQ(ClassOf(icon), "ScrDefaultPreviewWindowClass");
    EXPECT_EQ(Screen->FormCount(), forms_ + 1) << c.mode;  // no saver form
    // On the screen: the icon (32 x 32) in the middle, the desktop's colour
    // all around it.
    int iconPixels = 0, aroundWrong = 0;
    PumpUntil([&] {
      iconPixels = aroundWrong = 0;
      for (int y = 1; y < 113; y += 3)
        for (int x = 1; x < 153; x += 3) {
          const bool inIcon = x >= 60 && x < 92 && y >= 40 && y < 72;
          const bool desktopColour = ScreenPixel(icon, x, y) == desktop;
          if (inIcon) iconPixels += !desktopColour;
          else aroundWrong += !desktopColour;
        }
      return iconPixels > 20 && aroundWrong == 0;
    });
    EXPECT_GT(iconPixels, 20) << c.mode;
    EXPECT_EQ(aroundWrong, 0) << c.mode;

    dialog->ScrPreview->SetPreviewPresent(false);
    EXPECT_FALSE(IsWindow(icon));
    EXPECT_FALSE(Application->Terminated());  // only the control panel's preview ends the program
    dialog->Free();
  }
}

TEST_F(DialogPreview, AFullScreenSaverDrawsOnAfterALivePreviewOverItCloses) {
  gScrMode = smSFull;
  auto* saver = CreateComponent<TSaverForm>(nullptr);
  saver->Timer->SetEnabled(false);
  saver->SetBounds(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  saver->Show();
  saver->TimerTimer(nullptr);
  ASSERT_TRUE(PumpUntil([&] { return saver->SglPanel->IsOn(); }));
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(saver->Handle(), 2, 2) == 0xFF0000u; }));

  // A live preview (not the icon) in a dialog over it: a second panel on the
  // same driver, then closed again.
  TPreviewTestForm* dialog = Dialog(false);
  dialog->ScrPreview->SetPreviewPresent(true);
  TSaverForm* live = LivePreview(dialog->ScrPreview);
  ASSERT_NE(live, nullptr);
  EXPECT_TRUE(live->SglPanel->IsOn());
  dialog->ScrPreview->SetPreviewPresent(false);
  dialog->Free();

  // The saver's next frames show what it draws now.
  ASSERT_NE(sglDriverHandle(), nullptr);
  MainForm->Background->SetValue(0xFF0000);  // blue
  saver->TimerTimer(nullptr);
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(saver->Handle(), 2, 2) == 0x0000FFu; }));
  EXPECT_TRUE(saver->SglPanel->IsOn());

  // The last panel lets the driver go.
  saver->Free();
  EXPECT_EQ(sglDriverHandle(), nullptr);
}

namespace {

// A window of a thread of its own, which ends when told (its window goes with it).
struct ThreadHost {
  HWND window = nullptr;
  HANDLE thread = nullptr;
  DWORD id = 0;
  ThreadHost() {
    thread = CreateThread(nullptr, 0, Run, this, 0, &id);
    PumpUntil([&] { return window != nullptr; }, 5000);
  }
  ~ThreadHost() {
    End();
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0) << "the host's thread did not end";
    CloseHandle(thread);
  }
  void End() const { PostThreadMessageA(id, WM_QUIT, 0, 0); }
  static DWORD WINAPI Run(void* p) {
    auto* self = static_cast<ThreadHost*>(p);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, before anyone posts to it
    self->window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 152, 112, nullptr, nullptr, nullptr, nullptr);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
  }
};

// The control panel's host goes once the preview shows in it: destroyed, or
// its thread ended.
const ThreadHost* gThreadHost = nullptr;
void CALLBACK EndHostOncePreviewed(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND proxy = GetWindow(gHostToDestroy, GW_CHILD);
  if (!proxy || !IsWindowVisible(GetWindow(proxy, GW_CHILD))) return;
  KillTimer(nullptr, id);
  if (gThreadHost)
    gThreadHost->End();
  else
    DestroyWindow(gHostToDestroy);
  gHostToDestroy = nullptr;
}

}  // namespace

TEST_F(DialogPreview, WhenEverTheHostGoesThePreviewGoesAndNothingStays) {
  enum Moment { kBeforeTheProxy, kWhileTheFormIsMade, kOnceShown, kWithItsThread };
  const char* const names[] = {"before the proxy", "while the form is made", "once shown", "with its thread"};
  const int owned = MainForm->ScrControl->ComponentCount();
  for (bool main : {false, true}) {
    for (Moment when : {kBeforeTheProxy, kWhileTheFormIsMade, kOnceShown, kWithItsThread}) {
      SCOPED_TRACE(std::string(names[when]) + (main ? ", control panel" : ", dialog"));
      MainForm->ScrControl->FormPreview()->SetFormClassName(when == kWhileTheFormIsMade ? "TDyingHostForm"
                                                                                       : "TSaverForm");
      gScrMode = main ? smSPMain : smCRegular;
      std::unique_ptr<ThreadHost> threadHost;
      std::unique_ptr<TestWindow> window;
      HWND host = nullptr;
      if (when == kWithItsThread) {
        threadHost = std::make_unique<ThreadHost>();
        host = threadHost->window;
      } else {
        window = std::make_unique<TestWindow>(WS_POPUP | WS_VISIBLE);
        host = window->handle();
      }
      if (when == kBeforeTheProxy) window->Destroy();
      if (when == kWhileTheFormIsMade) gHostToDestroy = host;
      // The control panel's preview runs until the program ends: its host
      // goes meanwhile.
      if (main && (when == kOnceShown || when == kWithItsThread)) {
        gHostToDestroy = host;
        gThreadHost = threadHost.get();
        SetTimer(nullptr, 0, 10, EndHostOncePreviewed);
      }
      HWND made = MainForm->ScrControl->PerformPreview(host, main);
      gHostToDestroy = nullptr;
      gThreadHost = nullptr;
      const bool early = when == kBeforeTheProxy || when == kWhileTheFormIsMade;
      if (!main) {
        EXPECT_EQ(made != nullptr, !early);
        if (when == kOnceShown) window->Destroy();
        threadHost.reset();
        PumpUntil([&] { return Screen->FormCount() == forms_ && gScrSaver == nullptr; });
      }
      EXPECT_EQ(Screen->FormCount(), forms_);
      EXPECT_EQ(MainForm->ScrControl->ComponentCount(), owned);
      EXPECT_EQ(gScrSaver, nullptr);
      // Only the control panel's preview ends the program (the quit may be
      // still on its way).
      MSG quit;
      const bool quitting = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
      EXPECT_EQ(Application->Terminated() || quitting, main);
      Application->ResetTerminated();
    }
  }
}

namespace {

// Run once inside the control panel's preview, whose message loop runs until
// the program ends.
std::function<void()> gInsidePreview;

void CALLBACK RunInsidePreview(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (auto run = std::exchange(gInsidePreview, nullptr)) run();
}

}  // namespace

// A preview, the control panel's and the options dialog's alike, draws at
// most 30 pictures a second, while its galaxy steps at the Speed setting's
// pace: a second of Fast steps (every 10 ms) on a driven clock, taken
// together at each picture, the timer waking once a picture. A clock that
// jumps (half a second late, a machine that slept an hour or a day, a clock set back,
// timeGetTime's wrap after 49.7 days) costs at most a picture's catch-up,
// and the steps go on at their pace.
TEST_F(DialogPreview, APreviewDrawsThirtyPicturesASecondAndStepsAtTheSpeedsPace) {
  MainForm->Speed->SetIndex(MainForm->Speed->IndexFromInteger(1));  // Fast
  for (bool main : {false, true}) {
    SCOPED_TRACE(main ? "control panel" : "dialog");
    gScrMode = main ? smSPMain : smCRegular;
    TestWindow host(WS_POPUP | WS_VISIBLE);
    SetWindowPos(host.handle(), nullptr, 0, 0, 152, 112, SWP_NOZORDER | SWP_NOMOVE);
    int pictures = -1, interval = -1, speed = -1;
    unsigned steps = 0;
    auto measure = [&] {
      auto* form = dynamic_cast<TSaverForm*>(gScrSaver);
      ASSERT_NE(form, nullptr);
      EXPECT_EQ(form->ScrMode(), main ? smSPMain : smSPConfig);
      interval = form->Timer->Interval();
      speed = form->Galaxy()->TimerInterval();
      TDrivenForm driven(form);
      ASSERT_TRUE(driven.Paced());
      EXPECT_EQ(form->PictureRate(), 30);
      const unsigned before = form->Galaxy()->StepCount();
      pictures = driven.Ticks(100, 10);
      steps = form->Galaxy()->StepCount() - before;
      const std::uint32_t picture = 1000 / 30;
      for (std::uint32_t jump : {500u, 3600000u, 86400000u, 0u - 3600000u, 0u}) {
        if (jump == 0) jump = 0u - driven.Now() - picture / 2;  // to just before the wrap
        driven.Wait(jump);
        const unsigned at = form->Galaxy()->StepCount();
        driven.Ticks(1, picture);
        EXPECT_LE(form->Galaxy()->StepCount() - at, picture / 10 + 1) << jump;
        const unsigned then = form->Galaxy()->StepCount();
        driven.Ticks(30, picture);
        EXPECT_NEAR(form->Galaxy()->StepCount() - then, 30 * picture / 10, 2) << jump;
      }
    };
    if (main) {
      gInsidePreview = [&] {
        measure();
        host.Destroy();
      };
      SetTimer(nullptr, 0, 10, RunInsidePreview);
      MainForm->ScrControl->PerformPreview(host.handle(), true);
      MSG quit;
      PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
      Application->ResetTerminated();
    } else {
      ASSERT_NE(MainForm->ScrControl->PerformPreview(host.handle(), false), nullptr);
      measure();
      host.Destroy();
      PumpMessages(0);
    }
    EXPECT_EQ(speed, 1);
    EXPECT_EQ(interval, 1000 / 30);  // one wake-up a picture, not one a step
    EXPECT_EQ(steps, 100u);
    EXPECT_NEAR(pictures, 30, 1);
    EXPECT_EQ(gScrSaver, nullptr);
  }
}

// Closing the live preview runs nothing else: a message waiting in the
// queue is still waiting when the dialog (and the preview with it) has gone.
TEST_F(DialogPreview, ClosingThePreviewHandlesNoOtherMessage) {
  for (const bool whole : {false, true}) {
    SCOPED_TRACE(whole ? "the dialog goes" : "the preview is switched off");
    TPreviewTestForm* dialog = Dialog();
    ASSERT_NE(LivePreview(dialog->ScrPreview), nullptr);
    HWND waiting = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(waiting, nullptr);
    PostMessageA(waiting, WM_USER + 77, 0, 0);
    if (whole)
      dialog->Free();
    else
      dialog->ScrPreview->SetPreviewPresent(false);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, waiting, WM_USER + 77, WM_USER + 77, PM_REMOVE)) << "the queue was pumped";
    DestroyWindow(waiting);
    if (!whole) dialog->Free();
    EXPECT_EQ(Screen->FormCount(), forms_);
  }
}
