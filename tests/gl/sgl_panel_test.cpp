// The OpenGL panel as a toolkit control on a form read from a resource: it
// clears to its colour and draws through OnGLPaint (read back, and seen on
// the screen), builds a new context and runs OnGLInit again after a driver
// change, reports failures through OnGLError, and restores the display mode
// and leaks nothing however its form goes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gl/present.h"
#include "gl/sgl.h"
#include "gl/sgl_components.h"
#include "gl/sgl_panel.h"
#include "gl/sgl_trace.h"
#include "tests/gl/drivers/stub_driver.h"
#include "tests/gl/gl_support.h"
#include "tests/support/win32_support.h"
#include "toolkit/forms.h"
#include "toolkit/screen.h"

using namespace gl_testing;
using testing_support::TempDir;

class TPanelForm : public TForm {
  TK_CLASS(TPanelForm)
  explicit TPanelForm(TComponent* owner) : TForm(owner) {}

  TSglPanel* SglPanel = nullptr;
  int inits = 0, paints = 0;
  // Read back while painting: a pixel of the left half (drawn over in red)
  // and one of the right half (the clear colour).
  unsigned left = 0, right = 0;
  std::vector<std::string> errors;
  std::function<void()> beforeSwap;  // more reading back, while the frame is there

  void SglPanelGLInit(TObject*) { ++inits; }
  void SglPanelGLPaint(TObject*) {
    ++paints;
    sglColor3f(1.0f, 0.0f, 0.0f);
    sglBegin(GL_TRIANGLES);
    sglVertex2f(-1.0f, -1.0f);
    sglVertex2f(0.0f, -1.0f);
    sglVertex2f(0.0f, 1.0f);
    sglVertex2f(-1.0f, -1.0f);
    sglVertex2f(0.0f, 1.0f);
    sglVertex2f(-1.0f, 1.0f);
    sglEnd();
    const int w = SglPanel->Width(), h = SglPanel->Height();
    left = ReadPixel(w / 4, h / 2);
    right = ReadPixel(3 * w / 4, h / 2);
    if (beforeSwap) beforeSwap();
    SglPanel->SwapBuffers();
  }
  void SglPanelGLError(TObject*, const std::string& err) { errors.push_back(err); }
};

const TMetaClass& TPanelForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TPanelForm>("TPanelForm", &TForm::StaticClass(), [](auto& c) {
    c.Field("SglPanel", &TPanelForm::SglPanel);
    c.Method("SglPanelGLInit", &TPanelForm::SglPanelGLInit);
    c.Method("SglPanelGLPaint", &TPanelForm::SglPanelGLPaint);
    c.Method("SglPanelGLError", &TPanelForm::SglPanelGLError);
  });
  return cls;
}

namespace {

int UserObjects() { return static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)); }
int GdiObjects() { return static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)); }

TPanelForm* ShowPanelForm() {
  auto* form = CreateComponent<TPanelForm>(nullptr);
  form->Show();
  form->SglPanel->Repaint();
  return form;
}

COLORREF ScreenPixel(POINT p) {
  HDC screen = GetDC(nullptr);
  const COLORREF seen = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return seen;
}

class SglPanelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SglRegisterClasses();
    RegisterClass(&TPanelForm::StaticClass());
  }
  // Whatever a failed assertion left (a form, its context, a changed
  // display mode, the driver) goes before the next test.
  void TearDown() override {
    for (int i = Screen->FormCount() - 1; i >= 0; --i)
      if (auto* form = dynamic_cast<TPanelForm*>(Screen->Forms(i))) form->Free();
    if (sglDriverHandle()) sglFreeDriver();
    testing_support::PumpMessages(0);
  }
  SglTraceCapture trace_;
  TempDir temp_;
};

}  // namespace

TEST_F(SglPanelTest, StartsWithItsDefaultsAndTracesItsLife) {
  auto* panel = new TSglPanel(nullptr);
  EXPECT_TRUE(SglTraceCapture::Traced(" - Starting constructor"));
  EXPECT_TRUE(SglTraceCapture::Traced(" - Done constructor"));
  EXPECT_EQ(clNone, panel->Color());
  EXPECT_TRUE(panel->ControlStyle().Contains(csOpaque));
  EXPECT_EQ("opengl32.dll", panel->glDriver());
  // Width, height, glBpp, glDepth, glDblBuff, glAcc, and the screen's width, height and depth.
  EXPECT_EQ((std::vector<int>{100, 100, -1, 16, 1, 1, -1, -1, -1}),
            (std::vector<int>{panel->Width(), panel->Height(), panel->glBpp(), panel->glDepth(), panel->glDblBuff(),
                              panel->glAcc(), panel->ScreenWidth(), panel->ScreenHeight(), panel->ScreenBpp()}));
  EXPECT_FALSE(panel->IsOn());

  // glBpp is the colour depth of both the pixel format and the mode.
  panel->SetglBpp(16);
  EXPECT_EQ(16, panel->ScreenBpp());
  EXPECT_EQ(-1, panel->glBpp());

  // GLError traces and fires OnGLError.
  std::vector<std::string> errors;
  panel->OnGLError = [&](TObject* sender, const std::string& err) {
    EXPECT_EQ(panel, sender);
    errors.push_back(err);
  };
  panel->GLError("Something failed");
  EXPECT_EQ(std::vector<std::string>{"Something failed"}, errors);
  ASSERT_EQ(1u, SglTraceCapture::Errors().size());
  EXPECT_NE(std::string::npos, SglTraceCapture::Errors()[0].find(" - Something failed"));

  panel->Free();
  EXPECT_TRUE(SglTraceCapture::Traced(" - ~TSglPanel. Finished destructor."));
}

TEST_F(SglPanelTest, ClearsToItsColourAndDrawsThroughOnGLPaint) {
  auto* form = CreateComponent<TPanelForm>(nullptr);
  TSglPanel* panel = form->SglPanel;
  ASSERT_NE(nullptr, panel);
  EXPECT_EQ(alClient, panel->Align());
  EXPECT_EQ(TColor(0x336699), panel->Color());
  form->Show();

  char name[64] = {};
  GetClassNameA(panel->Handle(), name, sizeof name);
  EXPECT_STREQ("TSglPanelOwndc", name);
  EXPECT_NE(0u, GetClassLongA(panel->Handle(), GCL_STYLE) & CS_OWNDC);
  EXPECT_EQ(320, panel->Width());

  panel->Repaint();
  ASSERT_TRUE(panel->IsOn()) << (form->errors.empty() ? "" : form->errors.back());
  EXPECT_EQ(1, form->inits);
  EXPECT_EQ(1, form->paints);
  EXPECT_EQ(0x996633u, form->right);  // red 0x99, green 0x66, blue 0x33
  EXPECT_EQ(0xFF0000u, form->left);
  EXPECT_TRUE(SglTraceCapture::Traced(" - Done init"));

  // On the screen too (under Wine through the read-back presentation).
  testing_support::PumpMessages(0);
  panel->Repaint();
  const POINT origin = panel->ClientOrigin();
  EXPECT_EQ(RGB(0x99, 0x66, 0x33), ScreenPixel({origin.x + 240, origin.y + 120}));
  EXPECT_EQ(RGB(0xFF, 0, 0), ScreenPixel({origin.x + 80, origin.y + 120}));

  // A new colour is painted at once, with the same context.
  const int paints = form->paints;
  panel->SetColor(0x00FF00);
  EXPECT_GT(form->paints, paints);
  EXPECT_EQ(0x00FF00u, form->right);
  EXPECT_EQ(1, form->inits);
  form->Free();
}

TEST_F(SglPanelTest, OnGLInitRunsAgainAfterADriverChange) {
  TPanelForm* form = ShowPanelForm();
  TSglPanel* panel = form->SglPanel;
  ASSERT_TRUE(panel->IsOn());
  HWND formWindow = form->Handle();
  EXPECT_EQ(&panel->Engine(), GetPropA(formWindow, "ScrGLSubclass"));
  HWND first = panel->Handle();

  // The same file name, whatever the path and case: nothing changes.
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  panel->SetglDriver(std::string(system) + "\\OPENGL32.DLL");
  EXPECT_TRUE(panel->IsOn());
  panel->SetScreenDimensions(-1, -1, -1);
  EXPECT_TRUE(panel->IsOn());

  panel->SetglDriver(StubDriver("stub_basic"));
  EXPECT_FALSE(panel->IsOn());
  EXPECT_EQ(nullptr, GetPropA(formWindow, "ScrGLSubclass"));

  // Back to the system's driver: a new window (the old one keeps its pixel
  // format), a new context, OnGLInit again, the form hooked again. Under Wine
  // the formats go on hidden windows, and the panel keeps its own.
  panel->SetglDriver("opengl32.dll");
  panel->Repaint();
  ASSERT_TRUE(panel->IsOn()) << (form->errors.empty() ? "" : form->errors.back());
  EXPECT_EQ(2, form->inits);
  EXPECT_EQ(HostIsWine(), first == panel->Handle());
  EXPECT_EQ(HostIsWine(), IsWindow(first) != FALSE);
  EXPECT_TRUE(IsWindowVisible(panel->Handle()));
  EXPECT_EQ(&panel->Engine(), GetPropA(formWindow, "ScrGLSubclass"));
  panel->Repaint();
  EXPECT_EQ(0x996633u, form->right);
  EXPECT_TRUE(form->errors.empty());
  form->Free();
}

TEST_F(SglPanelTest, AFailureReachesOnGLErrorOnceUntilAPropertyChanges) {
  auto* form = CreateComponent<TPanelForm>(nullptr);
  const std::string missing = temp_ / "nothing.dll";
  form->SglPanel->SetglDriver(missing);
  form->Show();
  form->SglPanel->Repaint();
  form->SglPanel->Repaint();
  EXPECT_EQ(std::vector<std::string>{"Error loading library " + missing}, form->errors);
  EXPECT_EQ(0, form->paints);
  EXPECT_FALSE(form->SglPanel->IsOn());

  form->SglPanel->SetglDepth(24);
  form->SglPanel->Repaint();
  EXPECT_EQ(2u, form->errors.size());
  form->Free();
}

TEST_F(SglPanelTest, FreeingTheFormRestoresTheDisplayModeAndLeaksNothing) {
  // Once first, so what stays for the process (window classes, the driver's
  // own state) is not counted.
  ShowPanelForm()->Free();
  const int users = UserObjects(), gdi = GdiObjects();
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);

  auto fullScreen = [&] {
    auto* form = CreateComponent<TPanelForm>(nullptr);
    form->SglPanel->SetScreenDimensions(cx, cy, -1);
    form->Show();
    form->SglPanel->Repaint();
    return form;
  };

  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = cx;
  mode.dmPelsHeight = cy;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  ASSERT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, CDS_TEST))
      << "the display refuses its own size: no mode change can be tested here";

  // The form's window destroyed without any close.
  TPanelForm* form = fullScreen();
  ASSERT_TRUE(form->SglPanel->IsOn());
  ASSERT_TRUE(form->SglPanel->Engine().ModeChanged());
  EXPECT_EQ(0, form->Left());
  EXPECT_EQ(cx, form->Width());
  EXPECT_EQ(cx, form->SglPanel->Width());
  DestroyWindow(form->Handle());
  EXPECT_FALSE(form->SglPanel->Engine().ModeChanged());
  EXPECT_FALSE(form->SglPanel->IsOn());
  form->Free();

  // Freed while running, without a close.
  form = fullScreen();
  ASSERT_TRUE(form->SglPanel->Engine().ModeChanged());
  SglTraceCapture::Clear();
  form->Free();
  EXPECT_TRUE(SglTraceCapture::Traced(" - ~TSglPanel. Finished destructor."));

  // Released: the release message restores the mode through the form's hook.
  form = fullScreen();
  ASSERT_TRUE(form->SglPanel->Engine().ModeChanged());
  HWND window = form->Handle();
  form->Release();
  EXPECT_TRUE(testing_support::PumpUntil([&] { return !IsWindow(window); }, 5000));

  EXPECT_EQ(users, UserObjects());
  EXPECT_EQ(gdi, GdiObjects());
}

TEST_F(SglPanelTest, PanelsOnOneDriverShareItAndTheLastLetsItGo) {
  TPanelForm* first = ShowPanelForm();
  TPanelForm* second = ShowPanelForm();
  ASSERT_TRUE(first->SglPanel->IsOn());
  ASSERT_TRUE(second->SglPanel->IsOn());
  HMODULE driver = sglDriverHandle();
  ASSERT_NE(nullptr, driver);

  // Either one goes first: the other draws on, through the same driver.
  second->Free();
  EXPECT_EQ(driver, sglDriverHandle());
  first->SglPanel->SetColor(0x0000FF);  // repaints at once
  EXPECT_EQ(0xFF0000u, first->left);
  EXPECT_EQ(0xFF0000u, first->right);
  EXPECT_TRUE(first->errors.empty());

  second = ShowPanelForm();
  ASSERT_TRUE(second->SglPanel->IsOn());
  first->Free();
  second->SglPanel->Repaint();
  EXPECT_EQ(0x996633u, second->right);
  EXPECT_EQ(0xFF0000u, second->left);
  EXPECT_EQ(driver, sglDriverHandle());
  second->Free();
  EXPECT_EQ(nullptr, sglDriverHandle());
}

TEST_F(SglPanelTest, AResizedPanelDrawsOverItsWholeNewSize) {
  TPanelForm* form = ShowPanelForm();
  TSglPanel* panel = form->SglPanel;
  ASSERT_TRUE(panel->IsOn());
  // The left half of the viewport is red: with the viewport of the new size,
  // its top left and bottom left corners are red too, and the right ones not.
  unsigned corners[4] = {};
  form->beforeSwap = [&] {
    const int w = panel->Width(), h = panel->Height();
    const int at[4][2] = {{2, 2}, {2, h - 3}, {w - 3, 2}, {w - 3, h - 3}};
    for (int i = 0; i < 4; ++i) corners[i] = ReadPixel(at[i][0], at[i][1]);
  };
  for (SIZE size : {SIZE{152, 112}, SIZE{480, 360}}) {
    form->SetBounds(form->Left(), form->Top(), size.cx, size.cy);
    ASSERT_EQ(size.cx, panel->Width());
    panel->Repaint();
    EXPECT_EQ(1, form->inits) << "the same context";
    EXPECT_EQ((std::vector<unsigned>(corners, corners + 4)),
              (std::vector<unsigned>{0xFF0000u, 0xFF0000u, 0x996633u, 0x996633u}))
        << size.cx;
  }
  form->Free();
}

// Two panels on two drivers: the second one's driver replaces the first's
// for the process, and the first panel, painted again, makes itself a new
// context through the driver of now (its old one went with its library);
// so does the second when the first has replaced it in turn.
TEST_F(SglPanelTest, APanelWhoseDriverWasReplacedMakesANewContext) {
  struct Forms {
    TPanelForm* first = nullptr;
    TPanelForm* second = nullptr;
    ~Forms() {  // on every path: nothing left for the next test
      if (first) first->Free();
      if (second) second->Free();
    }
  } forms;
  forms.first = ShowPanelForm();  // the system's opengl32.dll
  TPanelForm* first = forms.first;
  ASSERT_TRUE(first->SglPanel->IsOn());
  ASSERT_EQ(1, first->inits);

  TPanelForm* second = forms.second = CreateComponent<TPanelForm>(nullptr);
  second->SglPanel->SetglDriver(StubDriver("stub_basic"));
  second->Show();
  second->SglPanel->Repaint();
  ASSERT_TRUE(second->SglPanel->IsOn()) << (second->errors.empty() ? "" : second->errors.back());
  HMODULE stub = sglDriverHandle();
  auto calls = reinterpret_cast<TestDriverCallsFn>(GetProcAddress(stub, "TestDriverCalls"));
  ASSERT_NE(nullptr, calls) << "the stub is the driver now";
  EXPECT_EQ(1, calls("wglCreateContext"));

  first->SglPanel->Repaint();
  EXPECT_EQ(2, first->inits) << "a new context, and OnGLInit again";
  EXPECT_TRUE(first->SglPanel->IsOn());
  EXPECT_NE(stub, sglDriverHandle()) << "the system's driver is loaded again";
  EXPECT_EQ(0x996633u, first->right) << "drawn through the system's driver";
  EXPECT_TRUE(first->errors.empty());

  second->SglPanel->Repaint();
  EXPECT_EQ(2, second->inits);
  EXPECT_TRUE(second->SglPanel->IsOn());
  calls = reinterpret_cast<TestDriverCallsFn>(GetProcAddress(sglDriverHandle(), "TestDriverCalls"));
  ASSERT_NE(nullptr, calls) << "the stub is the driver again";
  EXPECT_EQ(1, calls("wglCreateContext")) << "loaded afresh, one context made";
  forms.first->Free();
  forms.first = nullptr;
  forms.second->Free();
  forms.second = nullptr;
  EXPECT_EQ(nullptr, sglDriverHandle());
}
