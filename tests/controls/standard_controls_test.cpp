// The toolkit's standard controls: built from a form resource with their
// properties, their state given to every new window, and driven by real
// mouse and keyboard input as in any Windows dialog.
#include <gtest/gtest.h>

#include "controls_support.h"
#include "tests/support/win32_support.h"
#include "toolkit/reader.h"
#include "toolkit/screen.h"

using namespace controls_testing;

namespace {

class StandardControls : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterTestClasses(); }
  void SetUp() override { form = CreateComponent<TAllControlsForm>(nullptr); }
  void TearDown() override {
    if (form) form->Free();
  }

  std::string Focused() const {
    TWinControl* c = FindControl(GetFocus());
    return c ? c->Name() : "(none)";
  }

  TAllControlsForm* form = nullptr;
};

// What each control's window shows, as the resource describes it.
struct WindowCheck {
  const char* what;
  std::function<bool(TAllControlsForm*)> holds;
};

std::vector<WindowCheck> WindowChecks() {
  auto send = [](TWinControl* c, UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendMessageA(c->Handle(), msg, w, l); };
  auto style = [](TWinControl* c) { return GetWindowLongA(c->Handle(), GWL_STYLE); };
  auto text = [](TWinControl* c) {
    char buf[256] = "";
    GetWindowTextA(c->Handle(), buf, sizeof buf);
    return std::string(buf);
  };
  return {
      {"edit text", [=](auto* f) { return text(f->Edit1) == "42"; }},
      {"up-down range, position and buddy",
       [=](auto* f) {
         int lo = -1, hi = -1;
         send(f->UpDown1, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
         return lo == 0 && hi == 99 && send(f->UpDown1, UDM_GETPOS32) == 42 &&
                reinterpret_cast<HWND>(send(f->UpDown1, UDM_GETBUDDY)) == f->Edit1->Handle();
       }},
      {"list items and selection",
       [=](auto* f) {
         char item[32] = "";
         send(f->List1, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(item));
         return send(f->List1, LB_GETCOUNT) == 3 && std::string(item) == "gamma" && send(f->List1, LB_GETCURSEL) == 1;
       }},
      {"combo items, selection and style",
       [=](auto* f) {
         return send(f->Combo1, CB_GETCOUNT) == 3 && send(f->Combo1, CB_GETCURSEL) == 2 &&
                (style(f->Combo1) & 3) == CBS_DROPDOWNLIST && f->Combo1->Text() == "blue";
       }},
      {"check box checked", [=](auto* f) { return send(f->Check1, BM_GETCHECK) == BST_CHECKED; }},
      {"radio buttons: one checked, the only tab stop, inside the group",
       [=](auto* f) {
         return send(f->Radio1, BM_GETCHECK) == 0 && send(f->Radio2, BM_GETCHECK) == 1 &&
                send(f->Radio3, BM_GETCHECK) == 0 && !(style(f->Radio1) & WS_TABSTOP) &&
                (style(f->Radio2) & WS_TABSTOP) && GetParent(f->Radio2->Handle()) == f->Group1->Handle();
       }},
      {"group box", [=](auto* f) { return text(f->Group1) == "Group" && (style(f->Group1) & 0xF) == BS_GROUPBOX; }},
      {"track bar range, position, orientation and page size",
       [=](auto* f) {
         return send(f->Track1, TBM_GETRANGEMIN) == 5 && send(f->Track1, TBM_GETRANGEMAX) == 50 &&
                send(f->Track1, TBM_GETPOS) == 20 && (style(f->Track1) & TBS_VERT) &&
                send(f->Track1, TBM_GETPAGESIZE) == 5;
       }},
      {"image: the resource's icon, stretched over the control",
       [=](auto* f) {
         RECT r = f->Image1->DestRect();
         return !f->Image1->Picture()->Empty() && f->Image1->Picture()->Width() == 16 && r.left == 0 &&
                r.top == 0 && r.right == 39 && r.bottom == 39;
       }},
      {"label centred and wrapped",
       [=](auto* f) {
         return (style(f->Label1) & SS_TYPEMASK) == SS_CENTER && text(f->Label1) == f->Label1->Caption() &&
                f->Label1->Width() == 90;
       }},
      {"link label: blue, underlined, hand cursor, sized to its text",
       [=](auto* f) {
         return f->Link1->Cursor() == crHandPoint && f->Link1->Font()->Style().Contains(fsUnderline) &&
                f->Link1->Font()->Color() == clBlue && f->Link1->Width() > 60 && f->Link1->Height() < 30;
       }},
      {"page control: two tabs, the second active and alone visible",
       [=](auto* f) {
         char caption[32] = "";
         TCITEMA item{};
         item.mask = TCIF_TEXT;
         item.pszText = caption;
         item.cchTextMax = sizeof caption;
         send(f->Pages, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
         return send(f->Pages, TCM_GETITEMCOUNT) == 2 && send(f->Pages, TCM_GETCURSEL) == 1 &&
                std::string(caption) == "First" && f->Second->Visible() && !f->First->Visible();
       }},
      {"default and cancel buttons",
       [=](auto* f) {
         return (style(f->OkButton) & 0xF) == BS_DEFPUSHBUTTON && f->OkButton->ModalResult() == mrOk &&
                f->CancelButton->Cancel() && f->CancelButton->ModalResult() == mrCancel;
       }},
      {"popup menu with its items, the form's",
       [=](auto* f) {
         return f->PopupMenu() == f->PopupMenu1 && f->PopupMenu1->Items()->Count() == 2 &&
                f->PopupMenu1->Items()->Items(0) == f->Item1 && f->Item2->Checked() && f->Item1->Caption() == "&First item";
       }},
      {"open dialog",
       [=](auto* f) {
         TOpenOptions o = f->OpenDialog1->Options();
         return f->OpenDialog1->DefaultExt() == "dll" && f->OpenDialog1->Filter() == "OpenGL (*.dll)|*.dll" &&
                o.Contains(ofReadOnly) && o.Contains(ofFileMustExist) && o.Contains(ofPathMustExist) &&
                !o.Contains(ofEnableSizing);
       }},
  };
}

}  // namespace

TEST_F(StandardControls, FormResourceBuildsEveryControlAndEveryNewWindowShowsTheSame) {
  form->Show();
  for (const char* phase : {"as read", "after new windows"}) {
    for (const WindowCheck& check : WindowChecks())
      EXPECT_TRUE(PumpUntil([&] { return check.holds(form); })) << check.what << ", " << phase;
    // Windows made again take what the old ones showed.
    form->Pages->RecreateWnd();
    form->OkButton->RecreateWnd();
  }

  // A new orientation is a new window of the other shape.
  form->Track1->SetOrientation(trHorizontal);
  EXPECT_FALSE(GetWindowLongA(form->Track1->Handle(), GWL_STYLE) & TBS_VERT);
  EXPECT_EQ(20, SendMessageA(form->Track1->Handle(), TBM_GETPOS, 0, 0));

  // Pages chosen by their index; one past the last chooses none.
  form->Pages->SetActivePageIndex(0);
  EXPECT_EQ(form->First, form->Pages->ActivePage());
  form->Pages->SetActivePageIndex(2);
  EXPECT_EQ(nullptr, form->Pages->ActivePage());
  EXPECT_EQ(-1, form->Pages->ActivePageIndex());

  // A track bar's position read with its form is no change; one given later,
  // before its window exists, is (its handler is bound before the position).
  auto* read = CreateNew<TAllControlsForm>(nullptr);
  ReadComponentResTexts(read, {{&TAllControlsForm::StaticClass(),
                                "object Read: TAllControlsForm\n"
                                "  object Bar: TTrackBar\n"
                                "    OnChange = ItemClick\n"
                                "    Max = 50\n"
                                "    Position = 20\n"
                                "  end\n"
                                "end\n"}});
  auto* bar = dynamic_cast<TTrackBar*>(read->FindComponent("Bar"));
  ASSERT_NE(nullptr, bar);
  EXPECT_FALSE(bar->HandleAllocated());
  EXPECT_EQ(20, bar->Position());
  EXPECT_TRUE(read->events.empty());
  bar->SetPosition(30);
  EXPECT_EQ(std::vector<std::string>{"item Bar"}, read->events);
  read->Free();
}

// Edits (read-only ones too) and list boxes paint their background in their
// own Color, as the screen shows it.
TEST_F(StandardControls, EditsAndListsPaintTheirColor) {
  form->Pages->SetActivePage(form->First);
  form->Show();
  struct Case {
    const char* what;
    TWinControl* control;
    TColor color;
    bool readOnly;
  };
  const Case cases[] = {
      {"edit", form->Edit1, 0x3080C0, false},
      {"read-only edit", form->Edit1, 0x20A040, true},
      {"list box", form->List1, 0xC04080, false},
  };
  for (const Case& c : cases) {
    if (c.readOnly) form->Edit1->SetReadOnly(true);
    c.control->SetColor(c.color);
    RECT r;
    GetClientRect(c.control->Handle(), &r);
    const COLORREF rgb = ColorToRGB(c.color);
    const unsigned expected = (GetRValue(rgb) << 16) | (GetGValue(rgb) << 8) | GetBValue(rgb);
    EXPECT_TRUE(PumpUntil([&] {
      return testing_support::ScreenPixel(c.control->Handle(), r.right - 3, r.bottom - 3) == expected;
    })) << c.what;
  }
}

TEST_F(StandardControls, KeyboardMovesLikeAnyDialog) {
  form->Pages->SetActivePage(form->First);
  Activate(form);
  form->Edit1->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return Focused() == "Edit1"; })) << Focused();

  std::vector<std::string> order;
  for (int i = 0; i < 8; ++i) {
    const std::string was = Focused();
    Press(VK_TAB);
    PumpUntil([&] { return Focused() != was; });
    order.push_back(Focused());
  }
  EXPECT_EQ((std::vector<std::string>{"List1", "Combo1", "Check1", "Radio2", "OkButton", "CancelButton", "Pages",
                                      "Edit1"}),
            order);

  // Arrows move within the radio group and check the button they reach.
  form->Radio2->SetFocus();
  Press(VK_DOWN);
  PumpUntil([&] { return form->Radio3->Checked(); });
  EXPECT_EQ("Radio3", Focused());
  EXPECT_FALSE(form->Radio2->Checked());
  Press(VK_UP);
  PumpUntil([&] { return form->Radio2->Checked(); });
  Press(VK_UP);
  PumpUntil([&] { return form->Radio1->Checked(); });
  EXPECT_TRUE(form->Radio1->Checked() && !form->Radio3->Checked());

  // Space toggles the check box; Enter is the default button's, Esc the cancel button's.
  form->Check1->SetFocus();
  Press(VK_SPACE);
  PumpUntil([&] { return !form->Check1->Checked(); });
  EXPECT_EQ(std::vector<std::string>{"check off"}, form->events);
  Press(VK_RETURN);
  PumpUntil([&] { return form->ModalResult() != mrNone; });
  EXPECT_EQ(mrOk, form->ModalResult());
  form->SetModalResult(mrNone);
  Press(VK_ESCAPE);
  PumpUntil([&] { return form->ModalResult() != mrNone; });
  EXPECT_EQ(mrCancel, form->ModalResult());

  // Ctrl+Tab turns the page and the focus leaves the hidden one.
  form->Edit1->SetFocus();
  PressWith(VK_CONTROL, VK_TAB);
  PumpUntil([&] { return form->Pages->ActivePage() == form->Second; });
  EXPECT_EQ(form->Second, form->Pages->ActivePage());
  EXPECT_EQ("Pages", Focused());
  // Outside the pages it turns none (a Tab after it has moved on once it is handled).
  form->OkButton->SetFocus();
  PressWith(VK_CONTROL, VK_TAB);
  Press(VK_TAB);
  PumpUntil([&] { return Focused() == "CancelButton"; });
  EXPECT_EQ(form->Second, form->Pages->ActivePage());
}

TEST_F(StandardControls, MouseDrivesTabsLinksListsSpinsAndThePopupMenu) {
  Activate(form);
  // A click on the first tab shows its sheet.
  RECT tab{};
  SendMessageA(form->Pages->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
  POINT p{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2};
  ClientToScreen(form->Pages->Handle(), &p);
  ClickAt(p);
  ASSERT_TRUE(PumpUntil([&] { return form->Pages->ActivePage() == form->First; }));
  EXPECT_TRUE(form->First->Showing() && !form->Second->Showing());

  // The list takes a click; a new window keeps the choice.
  RECT item{};
  SendMessageA(form->List1->Handle(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  POINT q{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(form->List1->Handle(), &q);
  form->events.clear();
  ClickAt(q);
  ASSERT_TRUE(PumpUntil([&] { return form->List1->ItemIndex() == 0; }));
  // Choosing the same item again is a click again, reported once.
  ClickAt(q);
  EXPECT_TRUE(PumpUntil([&] { return form->events.size() >= 2; }));
  PumpMessages(100);  // no third report in this time
  EXPECT_EQ((std::vector<std::string>{"list 0", "list 0"}), form->events);
  form->List1->RecreateWnd();
  EXPECT_EQ(0, form->List1->ItemIndex());
  EXPECT_EQ("alpha", form->List1->Items()->Get(0));
  // An item past either end of a live list is an error, written or read.
  for (const int beyond : {-1, form->List1->Items()->Count()}) {
    EXPECT_ANY_THROW(form->List1->Items()->PutObject(beyond, nullptr)) << beyond;
    EXPECT_ANY_THROW(form->List1->Items()->GetObject(beyond)) << beyond;
  }

  // The up arrow of the spin button steps the edit's number.
  RECT spin;
  GetWindowRect(form->UpDown1->Handle(), &spin);
  ClickAt(POINT{(spin.left + spin.right) / 2, spin.top + 4});
  ASSERT_TRUE(PumpUntil([&] { return form->UpDown1->Position() == 43; }));
  EXPECT_TRUE(PumpUntil([&] { return form->Edit1->Text() == "43"; }));
  EXPECT_TRUE(PumpUntil([&] { return form->events.back() == "spin 43"; })) << "its click event, after the step";

  // The link label: the hand over it, its click event when clicked.
  form->Pages->SetActivePage(form->Second);
  PumpUntil([&] { return IsWindowVisible(form->Second->Handle()); });
  MoveTo(CentreOf(form->Link1));
  EXPECT_TRUE(PumpUntil([&] { return GetCursor() == Screen->Cursors(crHandPoint); }));
  ClickAt(CentreOf(form->Link1));
  EXPECT_TRUE(PumpUntil([&] { return !form->events.empty() && form->events.back() == "link http://example.invalid/"; }));

  // A right click on the form opens its menu; the keyboard picks an item.
  POINT corner = form->ClientToScreen(POINT{20, 330});
  {
    InputScript script([ui = GetCurrentThreadId()] {
      // The system's menu window shows; the keyboard picks the first item.
      if (!MenuTracked(ui, 5000)) return;
      Press(VK_DOWN);
      Press(VK_RETURN);
    });
    ClickAt(corner, true);
    PumpUntil([&] { return !form->events.empty() && form->events.back().rfind("item", 0) == 0; });
  }
  EXPECT_EQ("item Item1", form->events.back());
}

TEST_F(StandardControls, OpenDialogAnswersTheUsersChoice) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "driver.dll", "");
  struct Row {
    WORD key;
    bool chosen;
  };
  for (const Row row : {Row{VK_RETURN, true}, Row{VK_ESCAPE, false}}) {
    form->OpenDialog1->SetInitialDir(dir.path());
    form->OpenDialog1->SetFileName("driver.dll");
    Activate(form);
    const DWORD ui = GetCurrentThreadId();
    bool answer = !row.chosen;
    {
      InputScript script([ui, key = row.key] {
        HWND dialog = nullptr;
        if (!WaitFor([&] {
              dialog = GetForegroundWindow();
              char cls[16] = "";
              GetClassNameA(dialog, cls, sizeof cls);
              DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
              return thread == ui && std::string(cls) == "#32770" && IsWindowVisible(dialog);
            }, 10000))
          return;
        // Keys go to the dialog once a control of it has the focus.
        if (WaitFor([&] { return IsChild(dialog, FocusOf(ui)); }, 5000)) Press(key);
      });
      answer = form->OpenDialog1->Execute();
    }
    EXPECT_EQ(row.chosen, answer);
    if (row.chosen) {
      EXPECT_EQ(dir / "driver.dll", form->OpenDialog1->FileName());
    }
  }
}
