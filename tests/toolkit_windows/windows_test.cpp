// Windows, forms, the application loop and message routing, with real
// windows under Wine.
#include <gtest/gtest.h>

#include "tests/support/win32_support.h"
#include "toolkit/comctrls.h"
#include "toolkit/extctrls.h"
#include "toolkit/forms.h"
#include "toolkit/screen.h"
#include "toolkit/stdctrls.h"

using namespace testing_support;

static_assert(CM_ACTIVATE == 0xB000 && CM_DIALOGKEY == 0xB005 && CM_SHOWINGCHANGED == 0xB019 &&
              CM_RELEASE == 0xB021 && CM_RECREATEWND == 0xB033);
static_assert(CN_KEYDOWN == 0xBD00 && CN_CTLCOLORSTATIC == 0xBD38 && CN_HSCROLL == 0xBD14);

namespace {

class TStreamedForm : public TForm {
  TK_CLASS(TStreamedForm)
  explicit TStreamedForm(TComponent* owner) : TForm(owner) {}
  TPanel* Panel1 = nullptr;
  TButton* OkButton = nullptr;
  TTimer* Timer1 = nullptr;
  int clicks = 0, ticks = 0;
  std::function<void()> onTick;
  void OkClick(TObject*) { ++clicks; }
  void TimerTick(TObject*) {
    ++ticks;
    if (onTick) onTick();
  }
};

const TMetaClass& TStreamedForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TStreamedForm>("TStreamedForm", &TForm::StaticClass(), [](auto& c) {
    c.Field("Panel1", &TStreamedForm::Panel1);
    c.Field("OkButton", &TStreamedForm::OkButton);
    c.Field("Timer1", &TStreamedForm::Timer1);
    c.Method("OkClick", &TStreamedForm::OkClick);
    c.Method("TimerTick", &TStreamedForm::TimerTick);
  });
  return cls;
}

// A form with no resource that keeps what its WndProc saw.
class TProbeForm : public TForm {
  TK_CLASS(TProbeForm)
  explicit TProbeForm(TComponent* owner) : TForm(owner) {}
  std::vector<UINT> seen;
  std::vector<WPARAM> keys;
  bool throwOnUser = false;
  void WndProc(TMessage& m) override {
    seen.push_back(m.Msg);
    if (m.Msg == WM_KEYDOWN) keys.push_back(m.WParam);
    if (m.Msg == WM_USER + 7 && throwOnUser) throw EConvertError("Bad number 'x'");
    TForm::WndProc(m);
  }
  bool Saw(UINT msg) const { return std::find(seen.begin(), seen.end(), msg) != seen.end(); }
};

const TMetaClass& TProbeForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TProbeForm>("TProbeForm", &TForm::StaticClass());
  return cls;
}

// Re-creates its own window from inside its first paint.
class TRecreatingControl : public TCustomControl {
  TK_CLASS(TRecreatingControl)
  explicit TRecreatingControl(TComponent* owner) : TCustomControl(owner) {}
  int paints = 0;
  std::vector<HWND> paintedOn;

 protected:
  void Paint() override {
    ++paints;
    paintedOn.push_back(Handle());
    Canvas()->Brush.Color = clRed;
    Canvas()->FillRect(ClientRect());
    if (paints == 1) RecreateWnd();
  }
};

const TMetaClass& TRecreatingControl::StaticClass() {
  static const TMetaClass cls = DefineClass<TRecreatingControl>("TRecreatingControl", &TCustomControl::StaticClass());
  return cls;
}

// Knows when a component is gone.
class TWatcher : public TComponent {
 public:
  TWatcher() : TComponent(nullptr) {}
  std::vector<TComponent*> removed;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove) removed.push_back(c);
  }
};

class ToolkitWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterClasses({&TPanel::StaticClass(), &TButton::StaticClass(), &TTimer::StaticClass(),
                     &TStreamedForm::StaticClass()});
    // The invisible main form a saver run starts with: closing other forms must not end the run.
    if (!Application->MainForm()) {
      TForm* main = nullptr;
      Application->CreateForm(main);
      ASSERT_EQ(Application->MainForm(), main);
    }
  }
  void TearDown() override {
    Application->ProcessMessages();
    Application->ResetTerminated();
  }
};

int UserObjects() { return static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)); }
int GdiObjects() { return static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)); }

TEST_F(ToolkitWindows, ApplicationBasics) {
  EXPECT_EQ(Application->Title(), "toolkit_windows_tests");  // the first letter as it is
  EXPECT_TRUE(IsWindow(Application->Handle()));
  EXPECT_NE(Application->Icon()->Handle(), nullptr);

  // A second form does not take over as main form; a failed creation leaves the reference null.
  TForm* other = nullptr;
  Application->CreateForm(other);
  EXPECT_NE(Application->MainForm(), other);
  EXPECT_EQ(other->Owner(), Application);
  other->Free();
  TStreamedForm* broken = reinterpret_cast<TStreamedForm*>(1);
  EXPECT_THROW(Application->CreateForm(&TProbeForm::StaticClass(), broken), Exception);  // no resource
  EXPECT_EQ(broken, nullptr);

  // Message boxes are owned by the application window and go through the seam.
  HWND owner = nullptr;
  std::string caption;
  TMessageBoxHook previous = SetMessageBoxHook([&](HWND o, const std::string&, const std::string& c, UINT) {
    owner = o;
    caption = c;
    return IDNO;
  });
  EXPECT_EQ(Application->MessageBox("Really?", "Spiralis", MB_YESNO), IDNO);
  SetMessageBoxHook(previous);
  EXPECT_EQ(owner, Application->Handle());
  EXPECT_EQ(caption, "Spiralis");

  // Terminate is a posted quit: Terminated only once a loop takes it.
  Application->Terminate();
  EXPECT_FALSE(Application->Terminated());
  Application->ProcessMessages();
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(ToolkitWindows, StreamedFormWithChildrenShowsAndCloses) {
  TStreamedForm* form = nullptr;
  Application->CreateForm(form);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Name(), "StreamedForm");
  EXPECT_EQ(Screen->FindRoot("StreamedForm"), form);
  ASSERT_TRUE(form->Panel1 && form->OkButton && form->Timer1);
  EXPECT_EQ(form->OkButton->Parent(), form->Panel1);
  EXPECT_EQ(form->Panel1->Parent(), form);

  // Before any window: the outer size holds the dialog frame around the client size.
  EXPECT_FALSE(form->HandleAllocated());
  EXPECT_EQ(form->ClientWidth(), 300);
  EXPECT_GT(form->Width(), 300);
  EXPECT_EQ(form->Panel1->Width(), 300);
  EXPECT_FALSE(form->OkButton->HandleAllocated());

  form->Show();
  ASSERT_TRUE(form->HandleAllocated());
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), Application->Handle());
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
  EXPECT_TRUE(form->OkButton->Showing());
  EXPECT_EQ(GetParent(form->OkButton->Handle()), form->Panel1->Handle());
  EXPECT_EQ(FindControl(form->OkButton->Handle()), form->OkButton);

  // A click travels to the panel, is reflected back to the button and sets the form's result.
  SendMessageA(form->OkButton->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form->clicks, 1);
  EXPECT_EQ(form->ModalResult(), mrOk);

  EXPECT_TRUE(PumpUntil([&] { return form->ticks > 0; }, 2000));

  PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
  Application->ProcessMessages();
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  HWND button = form->OkButton->Handle();
  form->Free();
  EXPECT_FALSE(IsWindow(button));
  EXPECT_EQ(Screen->FindRoot("StreamedForm"), nullptr);
}

TEST_F(ToolkitWindows, ModalFormEndsByResultCloseKeyAndTerminate) {
  TestWindow other(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  TStreamedForm* form = CreateComponent<TStreamedForm>(Application);

  // By ModalResult, from a timer ticking inside the modal loop; the other window is disabled meanwhile.
  bool otherEnabled = true;
  form->onTick = [&] {
    otherEnabled = IsWindowEnabled(other.handle()) != 0;
    form->SetModalResult(mrOk);
  };
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_FALSE(otherEnabled);
  EXPECT_TRUE(IsWindowEnabled(other.handle()));
  EXPECT_FALSE(form->Visible());

  // A refusal of CloseQuery keeps it open; Close then ends it with mrCancel.
  int queries = 0;
  form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++queries > 1; };
  form->onTick = [&] { form->Close(); };
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(queries, 2);
  form->OnCloseQuery = nullptr;

  // Enter goes through the key pipeline to the default button.
  form->onTick = [&] {
    form->onTick = nullptr;
    PostMessageA(form->OkButton->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  };
  EXPECT_EQ(form->ShowModal(), mrOk);

  // Terminate ends it with mrCancel.
  form->onTick = [&] { Application->Terminate(); };
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_TRUE(Application->Terminated());

  // Showing a visible form modally is refused.
  Application->ResetTerminated();
  form->onTick = nullptr;
  form->Show();
  EXPECT_THROW(form->ShowModal(), EInvalidOperation);
  form->Free();
}

TEST_F(ToolkitWindows, ReleaseFreesTheFormFromItsOwnMessageEvenWhenHooked) {
  TWatcher watcher;
  auto* form = CreateNew<TProbeForm>(Application);
  form->FreeNotification(&watcher);
  form->Show();
  // Someone else hooks the form window and must still see the posted CM_RELEASE.
  static WNDPROC previous;
  static bool hookSawRelease;
  hookSawRelease = false;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      form->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == CM_RELEASE) hookSawRelease = true;
        return CallWindowProcA(previous, w, m, wp, lp);
      })));
  HWND wnd = form->Handle();
  form->Release();
  EXPECT_TRUE(watcher.removed.empty());
  Application->ProcessMessages();
  EXPECT_TRUE(hookSawRelease);
  ASSERT_EQ(watcher.removed.size(), 1u);
  EXPECT_FALSE(IsWindow(wnd));

  // Released while it runs modally: the loop ends first, then the form goes.
  auto* modal = CreateComponent<TStreamedForm>(Application);
  modal->FreeNotification(&watcher);
  modal->onTick = [&] {
    modal->onTick = nullptr;
    modal->Release();
  };
  EXPECT_EQ(modal->ShowModal(), mrCancel);
  Application->ProcessMessages();
  EXPECT_EQ(watcher.removed.size(), 2u);
}

TEST_F(ToolkitWindows, ControlFoundAndServedAfterItsWindowProcedureWasReplaced) {
  auto* form = CreateNew<TProbeForm>(nullptr);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  form->Show();
  static WNDPROC previous;
  static int hooked;
  hooked = 0;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      form->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        ++hooked;
        return CallWindowProcA(previous, w, m, wp, lp);
      })));
  EXPECT_EQ(FindControl(form->Handle()), form);
  EXPECT_EQ(FindControl(panel->Handle()), panel);
  EXPECT_EQ(FindControl(GetDesktopWindow()), nullptr);
  EXPECT_EQ(FindControl(nullptr), nullptr);
  SendMessageA(form->Handle(), WM_USER + 3, 0, 0);
  EXPECT_GT(hooked, 0);
  EXPECT_TRUE(form->Saw(WM_USER + 3));

  // Component messages go straight to WndProc, past any hook.
  hooked = 0;
  form->Perform(CM_CHANGED);
  EXPECT_EQ(hooked, 0);
  EXPECT_TRUE(form->Saw(CM_CHANGED));
  form->Free();
}

TEST_F(ToolkitWindows, WindowRecreatedFromInsideItsOwnPaint) {
  auto* form = CreateNew<TForm>(nullptr);
  form->SetBounds(50, 50, 300, 200);
  auto* control = new TRecreatingControl(form);
  control->SetAlign(alClient);
  control->SetParent(form);
  form->Show();
  HWND first = control->Handle();
  UpdateWindow(first);
  ASSERT_GE(control->paints, 1);
  EXPECT_FALSE(IsWindow(first));
  ASSERT_TRUE(control->HandleAllocated());
  HWND second = control->Handle();
  EXPECT_NE(second, first);
  EXPECT_TRUE(IsWindowVisible(second));
  EXPECT_EQ(FindControl(second), control);
  control->Repaint();  // synchronous: the new window paints at once
  EXPECT_GE(control->paints, 2);
  EXPECT_EQ(control->paintedOn.back(), second);
  RECT r;
  GetClientRect(second, &r);
  EXPECT_EQ(r.right, form->ClientWidth());
  form->Free();
}

TEST_F(ToolkitWindows, FormInsideAForeignWindowOutlivesThatWindow) {
  auto* form = CreateNew<TProbeForm>(nullptr);
  {
    ForeignProgram host("ForeignHost");
    form->SetParentWindow(host.window());
    form->SetBounds(0, 0, 120, 80);
    form->Show();
    ASSERT_TRUE(form->HandleAllocated());
    EXPECT_TRUE(GetWindowLongA(form->Handle(), GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(GetParent(form->Handle()), host.window());
    // The host destroys its window, and with it ours: this thread must keep answering meanwhile.
    PostMessageA(host.window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !form->HandleAllocated(); }, 5000));
    host.Close();
  }
  // The object lives on without a window, and cannot make one in a parent that has gone.
  EXPECT_TRUE(form->Saw(WM_NCDESTROY));
  form->Hide();
  EXPECT_THROW(form->Show(), EInvalidOperation);
  form->Free();
}

TEST_F(ToolkitWindows, ExceptionInAHandlerReachesHandleException) {
  auto* form = CreateNew<TProbeForm>(nullptr);
  form->throwOnUser = true;
  form->HandleNeeded();

  TObject* sender = nullptr;
  std::string text;
  Application->OnException = [&](TObject* s, const Exception& e) {
    sender = s;
    text = e.Message();
  };
  SendMessageA(form->Handle(), WM_USER + 7, 0, 0);
  EXPECT_EQ(sender, form);
  EXPECT_EQ(text, "Bad number 'x'");
  Application->OnException = nullptr;

  // Without a handler it is shown, through the seam, under the title; also from a timer.
  MessageBoxRecorder boxes;
  SendMessageA(form->Handle(), WM_USER + 7, 0, 0);
  auto* timer = new TTimer(form);
  timer->SetInterval(5);
  timer->SetOnTimer([timer](TObject*) {
    timer->SetEnabled(false);
    throw Exception("Tick failed");
  });
  EXPECT_TRUE(PumpUntil([&] { return boxes.boxes().size() >= 2; }, 2000));
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_EQ(boxes.boxes()[0].text, "Bad number 'x'");  // a period only after a letter or digit
  EXPECT_EQ(boxes.boxes()[0].caption, Application->Title());
  EXPECT_EQ(boxes.boxes()[1].text, "Tick failed.");
  form->Free();
}

TEST_F(ToolkitWindows, KeysReachAFormUnlessFocusReallyMoved) {
  // A full-screen form with no tab stops: Tab, Enter, Esc and letters all arrive.
  auto* bare = CreateNew<TProbeForm>(nullptr);
  bare->SetBounds(0, 0, 200, 100);
  bare->Show();
  for (WPARAM key : {WPARAM(VK_TAB), WPARAM(VK_RETURN), WPARAM(VK_ESCAPE), WPARAM('A')})
    PostMessageA(bare->Handle(), WM_KEYDOWN, key, 0);
  Application->ProcessMessages();
  EXPECT_EQ(bare->keys, (std::vector<WPARAM>{VK_TAB, VK_RETURN, VK_ESCAPE, 'A'}));
  bare->Free();

  // With two buttons Tab moves the focus, is consumed, and CM_EXIT/CM_ENTER follow the focus.
  auto* form = CreateNew<TProbeForm>(nullptr);
  form->SetBounds(0, 0, 300, 200);
  auto* a = new TButton(form);
  auto* b = new TButton(form);
  a->SetParent(form);
  b->SetParent(form);
  b->SetTop(40);
  int exits = 0;
  a->OnExit = [&](TObject*) { ++exits; };
  form->Show();
  SetForegroundWindow(form->Handle());
  a->SetFocus();
  Application->ProcessMessages();
  ASSERT_TRUE(a->Focused());
  EXPECT_EQ(form->ActiveControl(), a);
  PostMessageA(a->Handle(), WM_KEYDOWN, VK_TAB, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(form->ActiveControl(), b);
  EXPECT_EQ(exits, 1);
  form->Free();
}

TEST_F(ToolkitWindows, CursorVisibilityAndShowingChanges) {
  auto* form = CreateNew<TProbeForm>(nullptr);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetVisible(false);
  form->Show();
  EXPECT_TRUE(form->Saw(CM_SHOWINGCHANGED));
  EXPECT_FALSE(panel->HandleAllocated());  // hidden controls get their window when first shown
  panel->Show();
  EXPECT_TRUE(panel->Showing());
  EXPECT_TRUE(IsWindowVisible(panel->Handle()));
  form->Hide();
  EXPECT_FALSE(panel->Showing());

  panel->SetCursor(crHandPoint);
  EXPECT_EQ(SendMessageA(panel->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(panel->Handle()), HTCLIENT), 1);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  form->Free();
}

TEST_F(ToolkitWindows, NoWindowsOrGdiObjectsLeakAcrossHundredsOfForms) {
  auto cycle = [](int n) {
    for (int i = 0; i < n; ++i) {
      TStreamedForm* form = CreateComponent<TStreamedForm>(i % 2 ? Application : nullptr);
      form->Show();
      form->Panel1->SetColor(clTeal);
      form->Panel1->Repaint();
      SendMessageA(form->OkButton->Handle(), WM_CTLCOLORBTN, 0, reinterpret_cast<LPARAM>(form->OkButton->Handle()));
      if (i % 3 == 0) {
        form->Release();
        Application->ProcessMessages();
      } else {
        form->Free();
      }
    }
    Application->ProcessMessages();
  };
  cycle(5);  // window classes and the like, made once
  int users = UserObjects(), gdi = GdiObjects();
  cycle(300);
  EXPECT_EQ(UserObjects(), users);
  EXPECT_EQ(GdiObjects(), gdi);
}

}  // namespace

// Moved between monitors of 96 and 144 pixels per inch and back, a page
// control's sheets fill its display area (scaled once, not twice), and
// what lies on each sheet stays inside it, the bottom row included.
TEST_F(ToolkitWindows, TabSheetsFollowTheirPageControlAcrossResolutions) {
  auto* form = CreateNew<TForm>(nullptr);
  form->SetBounds(100, 100, 420, 320);
  form->SetPixelsPerInch(96);
  auto* pages = CreateNew<TPageControl>(form);
  pages->SetParent(form);
  pages->SetBounds(8, 8, 380, 260);
  std::vector<TButton*> buttons;
  for (int i = 0; i < 3; ++i) {
    auto* sheet = CreateNew<TTabSheet>(form);
    sheet->SetPageControl(pages);
    sheet->SetCaption("Page " + std::to_string(i));
    const RECT area = pages->DisplayRect();
    auto* bottom = CreateNew<TButton>(form);
    bottom->SetParent(sheet);
    bottom->SetBounds(10, area.bottom - area.top - 30, 80, 25);  // 5 pixels above the sheet's bottom
    buttons.push_back(bottom);
  }
  form->Show();
  PumpMessages(50);
  for (const int ppi : {144, 96, 120}) {
    SCOPED_TRACE(ppi);
    RECT suggested{100, 100, 100 + MulDiv(form->Width(), ppi, form->PixelsPerInch()),
                   100 + MulDiv(form->Height(), ppi, form->PixelsPerInch())};
    SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(ppi, ppi), reinterpret_cast<LPARAM>(&suggested));
    PumpMessages(50);
    ASSERT_EQ(form->PixelsPerInch(), ppi);
    const RECT area = pages->DisplayRect();
    for (int i = 0; i < pages->PageCount(); ++i) {
      TTabSheet* sheet = pages->Pages(i);
      const RECT r = sheet->BoundsRect();
      EXPECT_TRUE(EqualRect(&r, &area)) << i << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
      RECT client{};
      GetClientRect(sheet->Handle(), &client);
      const RECT b = buttons[static_cast<std::size_t>(i)]->BoundsRect();
      EXPECT_GE(b.top, 0) << i;
      EXPECT_LE(b.bottom, client.bottom) << "the bottom row is cut off on page " << i;
    }
  }
  form->Free();
}
