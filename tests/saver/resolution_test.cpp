// The program on screens of 96, 120 and 144 pixels per inch: its manifest,
// the full-screen saver and its OpenGL viewport over the whole physical
// screen, and forms scaled from the resolution they were designed at.
#include <gtest/gtest.h>

#include <windows.h>


#include <cstdlib>
#include <string>

#include "gl/sgl.h"
#include "saver/mainform.h"
#include "saver/saverform.h"
#include "tests/support/main_module.h"
#include "tests/support/program_run.h"
#include "toolkit/screen.h"
#include "toolkit/stdctrls.h"

using namespace testing_support;

namespace {

std::string SaverPath() { return ProgramDir() + "\\..\\Spiralis.scr"; }

// The application manifest compiled into Spiralis.scr.
std::string SaverManifest() {
  HMODULE scr = LoadLibraryExA(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!scr) return "";
  std::string text;
  if (HRSRC res = FindResourceA(scr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)))
    if (HGLOBAL data = LoadResource(scr, res))
      text.assign(static_cast<const char*>(LockResource(data)), SizeofResource(scr, res));
  FreeLibrary(scr);
  return text;
}

// Whether "comctl32.dll" comes from a side-by-side assembly in an
// activation context (none: the process's own).
bool CommonControlsRedirected(HANDLE context) {
  ULONG_PTR cookie = 0;
  if (context) ActivateActCtx(context, &cookie);
  ACTCTX_SECTION_KEYED_DATA data{};
  data.cbSize = sizeof data;
  const bool found = FindActCtxSectionStringA(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                              "comctl32.dll", &data);
  if (context) DeactivateActCtx(0, cookie);
  return found;
}

const char* const kDesktopKey = "Control Panel\\Desktop";

// The screen's resolution for programs started from now on (Wine reads it
// when a process starts); the value that was there before comes back after.
class ScreenResolution {
 public:
  explicit ScreenResolution(DWORD ppi) : had_(GetRegistryNumber(kDesktopKey, "LogPixels", old_)) {
    SetRegistryNumber(kDesktopKey, "LogPixels", ppi);
  }
  ~ScreenResolution() {
    if (had_) {
      SetRegistryNumber(kDesktopKey, "LogPixels", old_);
      return;
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, "LogPixels");
      RegCloseKey(key);
    }
  }
  ScreenResolution(const ScreenResolution&) = delete;
  ScreenResolution& operator=(const ScreenResolution&) = delete;

 private:
  DWORD old_ = 0;
  bool had_;
};

class TScaledForm : public TForm {
  TK_CLASS(TScaledForm)
  explicit TScaledForm(TComponent* owner) : TForm(owner) {}
  TPanel* Panel1 = nullptr;
  TButton* PixelFont = nullptr;
  TButton* PointFont = nullptr;
  TPanel* Bottom = nullptr;
};

const TMetaClass& TScaledForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TScaledForm>("TScaledForm", &TForm::StaticClass(), [](auto& c) {
    c.Field("Panel1", &TScaledForm::Panel1);
    c.Field("PixelFont", &TScaledForm::PixelFont);
    c.Field("PointFont", &TScaledForm::PointFont);
    c.Field("Bottom", &TScaledForm::Bottom);
  });
  return cls;
}

// What the About box looks like, taken by a timer while it runs modally.
struct TAboutLook {
  bool seen = false;
  int fontHeight = 0;
  std::string clipped;  // the texts wider than their items
};
TAboutLook gAboutLook;

BOOL CALLBACK LookAtAboutItem(HWND item, LPARAM) {
  char text[256] = "";
  GetWindowTextA(item, text, sizeof text);
  auto font = reinterpret_cast<HFONT>(SendMessageA(item, WM_GETFONT, 0, 0));
  HDC dc = GetDC(item);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
  SelectObject(dc, old);
  ReleaseDC(item, dc);
  RECT r{};
  GetClientRect(item, &r);
  if (extent.cx > r.right) gAboutLook.clipped += std::string(text) + "; ";
  return TRUE;
}

void CALLBACK LookAtAbout(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dlg = FindWindowA("#32770", "About Vantrel");
  if (!dlg) return;
  KillTimer(nullptr, timer);
  gAboutLook.seen = true;
  LOGFONTA lf{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  gAboutLook.fontHeight = lf.lfHeight;
  EnumChildWindows(dlg, LookAtAboutItem, 0);
  EndDialog(dlg, IDOK);
}

RECT WindowRectOf(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  return r;
}

}  // namespace

TEST(SaverManifest, AsksForThemedControlsTheRealResolutionAndNoElevation) {
  const std::string m = SaverManifest();
  ASSERT_FALSE(m.empty()) << "no manifest resource in " << SaverPath();
  for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                           "level=\"asInvoker\"", "uiAccess=\"false\"",
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                           "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm<",
                           "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, "
                           "PerMonitor<"})
    EXPECT_NE(m.find(part), std::string::npos) << part;

  // The system reads it and finds what it depends on (the common controls'
  // assembly), where this test program, without a manifest, has the system's.
  ACTCTXA actx{};
  actx.cbSize = sizeof actx;
  const std::string path = SaverPath();
  actx.lpSource = path.c_str();
  actx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  actx.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE context = CreateActCtxA(&actx);
  ASSERT_NE(context, INVALID_HANDLE_VALUE) << GetLastError();
  EXPECT_TRUE(CommonControlsRedirected(context));
  EXPECT_FALSE(CommonControlsRedirected(nullptr));
  ReleaseActCtx(context);
}

// Each resolution in a fresh process: the saver itself, full screen, and a
// copy of this program that looks at its forms from inside.
TEST(ScreenResolutions, FullScreenSaverAndScaledFormsAt96_120_144) {
  for (DWORD ppi : {96u, 120u, 144u}) {
    SCOPED_TRACE(ppi);
    ScreenResolution resolution(ppi);
    {
      ProgramRun saver("..\\Spiralis.scr", "/s");
      HWND wnd = saver.ShownWindow("TSaverForm");
      ASSERT_NE(wnd, nullptr);
      const RECT r = WindowRectOf(wnd);
      EXPECT_EQ(r.left, 0);
      EXPECT_EQ(r.top, 0);
      EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
      EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    }
    EXPECT_EQ(RunInChild("AtResolution.DISABLED_FormsAndViewport", {{"SPIRALIS_EXPECTED_PPI", std::to_string(ppi)}}), "")
        << "the forms at " << ppi << " pixels per inch";
  }
}

// Run by the test above in a process of its own, at the resolution it set.
TEST(AtResolution, DISABLED_FormsAndViewport) {
  const char* expected = std::getenv("SPIRALIS_EXPECTED_PPI");
  ASSERT_NE(expected, nullptr);
  const int ppi = std::atoi(expected);
  ASSERT_EQ(Screen->PixelsPerInch(), ppi);
  const auto scaled = [ppi](int v) { return MulDiv(v, ppi, 96); };

  // A form designed at 96 pixels per inch.
  RegisterClasses({&TScaledForm::StaticClass(), &TPanel::StaticClass(), &TButton::StaticClass()});
  auto* form = CreateComponent<TScaledForm>(nullptr);
  form->Show();
  PumpMessages(0);
  EXPECT_EQ(form->PixelsPerInch(), ppi);
  struct Case {
    const char* what;
    int actual, designed;
  };
  RECT client{};
  GetClientRect(form->Handle(), &client);
  const RECT pixelButton = WindowRectOf(form->PixelFont->Handle());
  const RECT pointButton = WindowRectOf(form->PointFont->Handle());
  const POINT origin = form->ClientOrigin();
  const Case cases[] = {
      {"client width", client.right, 300},
      {"client height", client.bottom, 200},
      {"panel left", form->Panel1->Left(), 8},
      {"panel width", form->Panel1->Width(), 284},
      {"button left on screen", pixelButton.left - origin.x, 8 + 10},
      {"button top on screen", pixelButton.top - origin.y, 8 + 10},
      {"button width on screen", pixelButton.right - pixelButton.left, 75},
      {"button height on screen", pixelButton.bottom - pixelButton.top, 25},
      {"next button's left edge meets the first", pointButton.left - origin.x, 8 + 85},
      {"aligned panel's height", form->Bottom->Height(), 41},
      {"aligned panel's top", form->Bottom->Top(), 200 - 41},
      {"pixel font height", -form->PixelFont->Font()->Height(), 11},
      {"form font height", -form->Font()->Height(), 11},
  };
  for (const Case& c : cases) EXPECT_NEAR(c.actual, scaled(c.designed), 1) << c.what;
  EXPECT_EQ(form->Bottom->Width(), client.right);
  // A size in points suits every screen as it is.
  EXPECT_EQ(form->PointFont->Font()->Height(), -MulDiv(8, ppi, 72));
  form->Free();

  // The About box: its dialog units follow the resolution of its font, and
  // every text fits its item.
  gAboutLook = {};
  SetTimer(nullptr, 0, 50, LookAtAbout);
  DefaultAboutDialog(nullptr);
  EXPECT_TRUE(gAboutLook.seen);
  EXPECT_NEAR(-gAboutLook.fontHeight, MulDiv(8, ppi, 72), 1);
  EXPECT_EQ(gAboutLook.clipped, "");

  // The saver form over the whole screen draws into all of it. (The main
  // module's control component would start a run mode from the queue: the
  // test takes that off.)
  RegisterSaverClasses();
  MainForm = NewMainModule<TMainForm>();
  auto* saver = CreateComponent<TSaverForm>(nullptr);
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  saver->SetBorderStyle(bsNone);
  saver->SetBounds(0, 0, cx, cy);
  saver->Show();
  ASSERT_TRUE(PumpUntil([&] { return saver->SglPanel->IsOn(); }, 10000));
  GLint viewport[4] = {};
  PumpUntil([&] { return sglGetIntegerv(GL_VIEWPORT, viewport), viewport[2] == cx && viewport[3] == cy; });
  EXPECT_EQ(viewport[0], 0);
  EXPECT_EQ(viewport[1], 0);
  EXPECT_EQ(viewport[2], cx);
  EXPECT_EQ(viewport[3], cy);
  saver->Free();
  MainForm->Free();
  MainForm = nullptr;
}

// Moved to a monitor of half as many pixels per inch again, and back: the
// system's message scales the form, point sizes too, and places it where
// the system says.
TEST(MonitorResolution, AFormFollowsItsMonitor) {
  RegisterClasses({&TScaledForm::StaticClass(), &TPanel::StaticClass(), &TButton::StaticClass()});
  auto* form = CreateComponent<TScaledForm>(nullptr);
  form->Show();
  PumpMessages(0);
  const int from = form->PixelsPerInch(), to = from * 3 / 2;
  const RECT button = form->PixelFont->BoundsRect();
  const int pixelFont = form->PixelFont->Font()->Height(), pointFont = form->PointFont->Font()->Height();
  const int bottom = form->Bottom->Height();

  RECT suggested{40, 30, 40 + MulDiv(form->Width(), to, from), 30 + MulDiv(form->Height(), to, from)};
  SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(form->PixelsPerInch(), to);
  const RECT now = WindowRectOf(form->Handle());
  EXPECT_EQ(now.left, 40);
  EXPECT_EQ(now.top, 30);
  EXPECT_EQ(now.right, suggested.right);
  EXPECT_EQ(now.bottom, suggested.bottom);
  struct Case {
    const char* what;
    int actual, before;
  };
  const Case cases[] = {
      {"button left", form->PixelFont->Left(), button.left},
      {"button width", form->PixelFont->Width(), button.right - button.left},
      {"button height", form->PixelFont->Height(), button.bottom - button.top},
      {"font in pixels", form->PixelFont->Font()->Height(), pixelFont},
      {"font in points", form->PointFont->Font()->Height(), pointFont},
      {"aligned panel's height", form->Bottom->Height(), bottom},
  };
  for (const Case& c : cases) EXPECT_NEAR(c.actual, MulDiv(c.before, to, from), 1) << c.what;
  EXPECT_EQ(form->PointFont->Font()->Size(), 8);
  RECT client{};
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(form->Bottom->Top() + form->Bottom->Height(), client.bottom);

  form->Free();
}
