// The setting controls with real windows and real input: track bars bound
// to settings, the notify edit in a dialog, and the notify list.
#include <gtest/gtest.h>

#include <cmath>

#include "values/lists.h"

#include "controls_support.h"
#include "tests/support/program_run.h"

using namespace controls_testing;

namespace {

class SettingControls : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterTestClasses(); }
  void SetUp() override { settings = TControlsSettings::Create(); }
  void TearDown() override { settings->Destroy(); }
  TControlsSettings* settings = nullptr;
};

// The thumb's centre on the screen.
POINT Thumb(TTrackBar* bar) {
  RECT r{};
  SendMessageA(bar->Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&r));
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(bar->Handle(), &p);
  return p;
}

}  // namespace

TEST_F(SettingControls, DraggedTrackBarWritesItsSettingAndEveryOtherViewerFollows) {
  auto* form = CreateComponent<TSlidersForm>(nullptr);
  Activate(form);
  ASSERT_EQ(41, form->RingsBar->Position());
  EXPECT_EQ(2, form->RingsBar->Min());
  EXPECT_EQ(150, form->RingsBar->Max());
  EXPECT_EQ(41, form->RingsBar2->Position());

  POINT from = Thumb(form->RingsBar);
  DragFrom(from, POINT{from.x + 120, from.y});
  ASSERT_TRUE(PumpUntil([&] { return GetCapture() == nullptr && settings->Rings->GetValue() != 41; }));
  PumpMessages(0);
  const int dragged = settings->Rings->GetValue();
  EXPECT_GT(dragged, 80);
  EXPECT_EQ(dragged, form->RingsBar->Position());
  EXPECT_EQ(dragged, form->RingsBar2->Position());
  ASSERT_FALSE(form->seen.empty());
  EXPECT_EQ(dragged, form->seen.back());

  // Keys on the other bar: End and Home reach the ends of the range.
  form->RingsBar2->SetFocus();
  Press(VK_END);
  ASSERT_TRUE(PumpUntil([&] { return settings->Rings->GetValue() == 150; }));
  EXPECT_EQ(150, form->RingsBar->Position());
  Press(VK_HOME);
  ASSERT_TRUE(PumpUntil([&] { return settings->Rings->GetValue() == 2; }));
  EXPECT_EQ(2, form->RingsBar->Position());

  // A change of the setting moves both; a bar whose controller goes is blank.
  settings->Rings->SetValue(77);
  EXPECT_EQ(77, form->RingsBar->Position());
  EXPECT_EQ(77, form->RingsBar2->Position());
  form->Shared->Free();
  EXPECT_EQ(0, form->RingsBar2->Min());
  EXPECT_EQ(100, form->RingsBar2->Max());
  EXPECT_EQ(10, form->RingsBar2->Position());
  form->Free();
}

TEST_F(SettingControls, TrackBarControllersMapEachKindOfSetting) {
  // A real between two slider positions: opening the sliders leaves it alone.
  settings->Density->SetValue(0.0049);
  auto* form = CreateComponent<TSlidersForm>(nullptr);
  form->Show();
  PumpMessages(0);
  EXPECT_EQ(0.0049, settings->Density->GetValue());
  const int modes = settings->Mode->GetCount();
  struct Row {
    const char* what;
    TScrTrackBar* bar;
    int min, max, position;  // shown
    int move;                // the user moves the slider here
    std::function<bool()> written;
    std::string least, moved;  // the figures its tip tells at the least position and there
  };
  const Row rows[] = {
      {"integer", form->RingsBar, 2, 150, 41, 60, [&] { return settings->Rings->GetValue() == 60; }, "2", "60"},
      {"real over 0..100", form->DensityBar, 0, 100, 10, 37,
       [&] { return std::fabs(settings->Density->GetValue() - 0.0185) < 1e-12; }, "0", "0.0185"},
      {"index of three ranges", form->SpeedBar, 0, 2, 1, 2, [&] { return settings->Speed->GetIndex() == 2; },
       "Slow", "Fastest"},
      {"green channel of 0x336699", form->GreenBar, 0, 255, 0x66, 255,
       [&] { return settings->Tint->GetValue() == 0x33FF99; }, "0", "255"},
      {"screen mode", form->ModeBar, 0, modes - 1, settings->Mode->GetIndex(), modes - 1,
       [&] { return settings->Mode->GetIndex() == modes - 1; }, "normal",
       settings->Mode->StringFromIndex(modes - 1)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(row.min, row.bar->Min());
    EXPECT_EQ(row.max, row.bar->Max());
    EXPECT_EQ(row.position, row.bar->Position());
    row.bar->SetFocus();
    // The slider's own message, as its keys and mouse send it.
    SendMessageA(row.bar->Handle(), TBM_SETPOS, TRUE, row.move);
    EXPECT_TRUE(row.written());
    EXPECT_EQ(row.move, row.bar->Position());
    EXPECT_EQ(row.least, row.bar->Controller()->Figure(row.min));
    EXPECT_EQ(row.moved, row.bar->Controller()->Figure(row.move));
  }
  // Another channel shows at once.
  auto* green = static_cast<TScrTrackBarColorController*>(form->GreenBar->Controller());
  green->SetBitShift(16);
  EXPECT_EQ(0x33, form->GreenBar->Position());
  EXPECT_EQ("ControlsSettings->Tint->Green", green->GetTitle());
  // A controller without an owner is taken as a copy, with its setting and channel.
  TScrTrackBarColorController loose(nullptr);
  loose.SetValue(settings->Tint);
  loose.SetBitShift(8);
  form->SpeedBar->SetController(&loose);
  EXPECT_EQ(0xFF, form->SpeedBar->Position());
  EXPECT_EQ(255, form->SpeedBar->Max());
  form->Free();
}

TEST_F(SettingControls, InvalidEditKeepsOkFromClosingTheDialogWhileCancelCloses) {
  struct Row {
    TNotifyEditInvalidityAllowed mode;
    bool typedStays;     // the invalid keystroke stays in the edit (shown in ColorInvalid)
    bool tabKeepsFocus;  // Tab out of the invalid edit is refused
    bool okCloses;       // a click on OK closes the dialog
    bool cancelTakesFocus;  // the pressed Cancel button gets the focus (while the dialog is open)
    int result;
  };
  const Row rows[] = {
      {iaInsideMainly, true, true, false, true, mrCancel},
      {iaInsideOnly, true, true, false, false, mrCancel},
      {iaAlways, true, false, false, true, mrCancel},
      {iaNever, false, false, true, false, mrOk},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.mode));
    auto* dialog = CreateComponent<TEditDialog>(nullptr);
    dialog->Edit1->SetInvalidityAllowed(row.mode);
    const HWND window = dialog->Handle();
    const DWORD ui = GetCurrentThreadId();
    // The controls' windows as the running dialog has them (read once it shows).
    HWND editWindow = nullptr;
    auto centre = [](HWND w) {
      RECT r{};
      GetWindowRect(w, &r);
      return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    std::atomic<bool> typed{false}, keptAfterTab{false}, openAfterOk{false}, focusBack{false}, forced{false},
        cancelFocused{false};
    int result = 0;
    bool redWhileInvalid = false;
    dialog->Edit1->OnExit = [&](TObject*) { redWhileInvalid = dialog->Edit1->Valid() || dialog->Edit1->TControl::Color() == 255; };
    {
      InputScript script([&] {
        auto closed = [&](DWORD ms) { return WaitFor([&] { return !IsWindowVisible(window); }, ms); };
        if (!WaitFor([&] { return IsWindowVisible(window) && GetForegroundWindow() == window; }, 10000)) {
          forced = true;
          PostMessageA(window, WM_CLOSE, 0, 0);
          return;
        }
        editWindow = dialog->Edit1->Handle();
        const HWND cancelWindow = dialog->CancelButton->Handle();
        const POINT edit = centre(editWindow), ok = centre(dialog->OkButton->Handle()), cancel = centre(cancelWindow);
        ClickAt(edit);
        WaitFor([&] { return FocusOf(ui) == editWindow; });
        Sleep(100);
        Press(VK_END);
        Press('X');  // a lower-case x
        typed = WaitFor([&] { return TextOf(editWindow) == "12x"; }, row.typedStays ? 10000 : 1500);
        Press(VK_TAB);
        // What the row expects is waited for; the other outcome gets a short look.
        keptAfterTab = !WaitFor([&] { return FocusOf(ui) != editWindow; }, row.tabKeepsFocus ? 500 : 10000);
        ClickAt(ok);
        openAfterOk = !closed(row.okCloses ? 10000 : 1500);
        focusBack = FocusOf(ui) == editWindow;
        if (!openAfterOk) return;
        // Cancel pressed: the focus goes there, or the edit keeps it.
        MoveTo(cancel);
        testing_support::InputClick(MOUSEEVENTF_LEFTDOWN, 0);
        cancelFocused = WaitFor([&] { return FocusOf(ui) == cancelWindow; }, row.cancelTakesFocus ? 10000 : 500);
        testing_support::InputClick(MOUSEEVENTF_LEFTUP, 0);
        // The click may land while the edit holds the focus; Esc is the cancel button's too.
        if (!closed(1500)) Press(VK_ESCAPE);
        // Whatever went wrong, the modal run ends.
        if (!closed(10000)) {
          forced = true;
          PostMessageA(window, WM_CLOSE, 0, 0);
        }
      });
      SetForegroundWindow(window);
      result = dialog->ShowModalEx();
    }
    ASSERT_FALSE(forced.load()) << "the dialog did not take the input";
    EXPECT_EQ(row.typedStays, typed.load());
    EXPECT_EQ(row.tabKeepsFocus, keptAfterTab.load());
    EXPECT_EQ(!row.okCloses, openAfterOk.load());
    if (!row.okCloses) {
      EXPECT_TRUE(focusBack.load());
    }
    EXPECT_EQ(row.cancelTakesFocus, cancelFocused.load());
    EXPECT_TRUE(redWhileInvalid);
    EXPECT_EQ(row.result, result);
    // Only valid texts were reported.
    for (const std::string& change : dialog->changes) EXPECT_EQ("12", change);
    dialog->Free();
  }
}

TEST_F(SettingControls, NotifyControlsReportOncePerChange) {
  auto* form = CreateNew<TForm>(nullptr);
  form->SetBounds(150, 150, 400, 250);
  auto* list = CreateNew<TNotifyListBox>(form);
  auto* bar = CreateNew<TNotifyTrackBar>(form);
  auto* radio = CreateNew<TNotifyRadioButton>(form);
  auto* edit = CreateNew<TNotifyEdit>(form);
  int contents = 0, positions = 0, barChanges = 0, edits = 0, itemsSeen = -1;
  list->OnContentsChanged = [&](TObject*) {
    ++contents;
    itemsSeen = list->Items()->Count();
  };
  bar->OnPositionChanged = [&](TObject*) { ++positions; };
  radio->SetChecked(true);  // no window yet: silently
  // A position given before the window exists, outside a form's reading, is a change.
  bar->OnChange = [&](TObject*) { ++barChanges; };
  bar->SetPosition(3);
  bar->SetPosition(3);
  EXPECT_EQ(1, barChanges);
  edit->SetNotifyImmediacy(niOnKillFocus);
  edit->OnChange = [&](TObject*) { ++edits; };
  for (TControl* c : std::initializer_list<TControl*>{list, bar, radio, edit}) c->SetParent(form);
  bar->SetTop(110);
  radio->SetTop(170);
  edit->SetLeft(200);
  Activate(form);

  // Ten items while redrawing is off: one report, when it is back on.
  list->Items()->BeginUpdate();
  for (int i = 0; i < 10; ++i) list->Items()->Add("item " + std::to_string(i));
  EXPECT_EQ(0, contents);
  list->Items()->EndUpdate();
  EXPECT_EQ(1, contents);
  EXPECT_EQ(10, itemsSeen);
  // Each insertion and deletion while drawing: one report, once it is made.
  list->Items()->Insert(0, "first");
  EXPECT_EQ(2, contents);
  EXPECT_EQ(11, itemsSeen);
  list->Items()->Delete(0);
  EXPECT_EQ(3, contents);
  EXPECT_EQ(10, itemsSeen);
  EXPECT_EQ("item 0", list->Items()->Get(0));

  // A position set twice is reported once; a drag is reported.
  bar->SetPosition(7);
  bar->SetPosition(7);
  EXPECT_EQ(1, positions);
  POINT from = Thumb(bar);
  DragFrom(from, POINT{from.x - 40, from.y});
  EXPECT_TRUE(PumpUntil([&] { return positions >= 2 && GetCapture() == nullptr; }));
  EXPECT_EQ(BST_CHECKED, SendMessageA(radio->Handle(), BM_GETCHECK, 0, 0));

  // A figure typed into an edit that reports on leaving: one report, at the Tab.
  edit->SetFocus();
  TypeText("345");
  PumpUntil([&] { return edit->Text() == "345"; });
  PumpMessages(0);
  EXPECT_EQ(0, edits);
  Press(VK_TAB);
  EXPECT_TRUE(PumpUntil([&] { return !edit->Focused(); }));
  EXPECT_TRUE(PumpUntil([&] { return edits > 0; }));
  PumpMessages(0);
  EXPECT_EQ(1, edits) << "one report";
  form->Free();
}

// An index list whose captions fail on demand.
class TFailingCaptions : public TScrListBoxIndexController {
  TK_CLASS(TFailingCaptions)
  explicit TFailingCaptions(TComponent* owner) : TScrListBoxIndexController(owner) {}
  bool fail = false;
  std::string GetRangeString(int i) override {
    if (fail && i == 1) throw EConvertError("no caption");
    return TScrListBoxIndexController::GetRangeString(i);
  }
};

const TMetaClass& TFailingCaptions::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TFailingCaptions>("TFailingCaptions", &TScrListBoxIndexController::StaticClass());
  return cls;
}

// A list whose controller fails while the items are made again keeps its
// items, and draws again.
TEST_F(SettingControls, AListKeepsItsItemsAndItsDrawingWhenItsControllerFails) {
  auto* form = CreateNew<TForm>(nullptr);
  form->SetBounds(150, 150, 300, 200);
  auto* list = CreateNew<TScrListBox>(form);
  list->SetParent(form);
  auto* controller = CreateNew<TFailingCaptions>(form);
  controller->SetValue(settings->Speed);
  list->SetController(controller);
  Activate(form);
  ASSERT_EQ("Slow,Fast,Fastest", list->Items()->CommaText());
  controller->fail = true;
  EXPECT_ANY_THROW(list->ValueChanged(TValueNotifications{vnRange}));
  EXPECT_EQ("Slow,Fast,Fastest", list->Items()->CommaText());
  EXPECT_EQ(0, list->Items()->UpdateCount());
  EXPECT_TRUE(GetWindowLongA(list->Handle(), GWL_STYLE) & WS_VISIBLE) << "redrawing is on again";
  controller->fail = false;
  settings->Speed->SetIndex(2);
  EXPECT_EQ(2, list->ItemIndex());
  form->Free();
}

// ---- The dialog's OK, lists and corrected texts ----------------------------------------

// OK is checked however it is given: a button inside a panel, its
// accelerator (Alt and the underlined letter), or the default button.
TEST_F(SettingControls, OkInAPanelOrByItsAcceleratorIsRefusedWhileAnEditIsInvalid) {
  auto* dialog = CreateComponent<TEditDialog>(nullptr);
  dialog->Edit1->SetInvalidityAllowed(iaAlways);  // the focus may leave it: only OK must refuse
  auto* panel = CreateNew<TPanel>(dialog);
  panel->SetParent(dialog);
  panel->SetBounds(120, 5, 120, 40);
  auto* go = CreateNew<TButton>(dialog);
  go->SetParent(panel);
  go->SetBounds(10, 8, 90, 25);
  go->SetCaption("&Go");
  go->SetModalResult(mrOk);
  const HWND window = dialog->Handle();
  const DWORD ui = GetCurrentThreadId();
  std::atomic<bool> forced{false}, openAfterAccel{false}, openAfterPanel{false}, focusBack{false};
  int result = 0;
  {
    InputScript script([&] {
      auto closed = [&](DWORD ms) { return WaitFor([&] { return !IsWindowVisible(window); }, ms); };
      if (!WaitFor([&] { return IsWindowVisible(window) && GetForegroundWindow() == window; }, 10000)) {
        forced = true;
        PostMessageA(window, WM_CLOSE, 0, 0);
        return;
      }
      const HWND edit = dialog->Edit1->Handle();
      RECT r{};
      GetWindowRect(go->Handle(), &r);
      const POINT goAt{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      GetWindowRect(edit, &r);
      ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
      WaitFor([&] { return FocusOf(ui) == edit; });
      Press(VK_END);
      Press('X');
      Sleep(200);
      PressWith(VK_MENU, 'G');
      openAfterAccel = !closed(1000);
      focusBack = FocusOf(ui) == edit;
      ClickAt(goAt);
      openAfterPanel = !closed(1000);
      // Valid again: the accelerator now closes the dialog.
      ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
      Press(VK_END);
      Press(VK_BACK);
      Sleep(200);
      PressWith(VK_MENU, 'G');
      if (!closed(10000)) {
        forced = true;
        PostMessageA(window, WM_CLOSE, 0, 0);
      }
    });
    SetForegroundWindow(window);
    result = dialog->ShowModalEx();
  }
  EXPECT_FALSE(forced.load()) << "the dialog did not close by its accelerator once valid";
  EXPECT_TRUE(openAfterAccel.load()) << "Alt+G closed the dialog over an invalid edit";
  EXPECT_TRUE(focusBack.load());
  EXPECT_TRUE(openAfterPanel.load()) << "the panel's OK closed the dialog over an invalid edit";
  EXPECT_EQ(mrOk, result);
  ASSERT_FALSE(dialog->changes.empty());
  EXPECT_EQ("12", dialog->changes.back());
  for (const std::string& change : dialog->changes) EXPECT_EQ("12", change) << "only valid texts are reported";
  dialog->Free();
}

// A list bound to a list of strings: each change of its items reaches the
// setting as the items are after it, the last one included.
TEST_F(SettingControls, StringsListHandsTheSettingTheItemsAfterEachChange) {
  auto* form = CreateNew<TForm>(nullptr);
  form->SetBounds(150, 150, 300, 200);
  auto* strings = CreateNew<TScrVStringList>(form);
  strings->SetName("Names");
  strings->SetRegistryPath("Software\\Vantrel\\ControlsTest\\<name>");
  auto* list = CreateNew<TScrListBox>(form);
  list->SetParent(form);
  auto* controller = CreateNew<TScrListBoxStringsController>(form);
  controller->SetValue(strings);
  list->SetController(controller);
  Activate(form);
  const struct {
    const char* what;
    std::function<void()> change;
    const char* items;
  } steps[] = {
      {"add", [&] { list->Items()->Add("alpha"); }, "alpha"},
      {"add again", [&] { list->Items()->Add("beta"); }, "alpha,beta"},
      {"insert", [&] { list->Items()->Insert(0, "gamma"); }, "gamma,alpha,beta"},
      {"delete", [&] { list->Items()->Delete(1); }, "gamma,beta"},
      {"clear", [&] { list->Items()->Clear(); }, ""},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    EXPECT_EQ(step.items, list->Items()->CommaText());
    EXPECT_EQ(step.items, strings->GetItems()->CommaText());
  }
  form->Free();
}

// A judge that corrects the text: the edit shows the correction, with the
// caret after it, and only corrected texts reach the setting.
TEST_F(SettingControls, CorrectedTextIsShownAndWritten) {
  auto* form = CreateNew<TForm>(nullptr);
  form->SetBounds(150, 150, 300, 120);
  auto* edit = CreateNew<TScrEdit>(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 150, 24);
  auto* controller = CreateNew<TScrEditStringController>(form);
  controller->SetValue(settings->Title);
  edit->SetController(controller);
  std::vector<std::string> written;
  settings->Title->SetValue("");
  edit->OnValidateOrChange = [](TObject*, std::string& text, bool& valid) {
    for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    valid = text.find(' ') == std::string::npos;
  };
  edit->OnChange = [&](TObject*) { written.push_back(edit->Text()); };
  Activate(form);
  ClickAt(CentreOf(edit));
  PumpUntil([&] { return edit->Focused(); });
  TypeText("ab");
  PumpUntil([&] { return edit->Text() == "AB"; });
  Press(VK_LEFT);  // the caret stays where the keystroke left it: "A|B"
  TypeText("c");
  EXPECT_TRUE(PumpUntil([&] { return edit->Text() == "ACB"; })) << edit->Text();
  EXPECT_EQ("ACB", settings->Title->GetValue());
  EXPECT_TRUE(edit->Valid());
  EXPECT_EQ("ACB", edit->LastValidText());
  for (const std::string& w : written)
    EXPECT_EQ(std::string::npos, w.find_first_of("abc")) << "an uncorrected text was reported: " << w;
  EXPECT_FALSE(written.empty());
  form->Free();
}
