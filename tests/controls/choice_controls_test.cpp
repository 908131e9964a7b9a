// Check boxes, radio buttons, text labels and the hot-corner picture with
// real windows and real clicks: what they write lands in the settings (the
// shared screen-saver keys of the prefix for the system ones), and the
// stand-in corner service is asked and told.
#include <gtest/gtest.h>

#include <memory>

#include "controls_support.h"
#include "framework/sysregistry.h"
#include "tests/support/program_run.h"
#include "tests/support/win32_support.h"
#include "values/sysvalues.h"
#include "values/values.h"

using namespace controls_testing;

namespace {

class TChoicesForm : public TForm {
  TK_CLASS(TChoicesForm)
  explicit TChoicesForm(TComponent* owner) : TForm(owner) {}
  TScrVBoolean* Flag = nullptr;
  TScrVIndex* Speed = nullptr;
  TScrVInteger* Rings = nullptr;
  TScrVSysDisableActiveConfig* DisableConfig = nullptr;
  TScrVSysCorners* Corners = nullptr;
  TScrCheckBox* DisableBox = nullptr;
  TScrRadioButton *TrueRadio = nullptr, *FalseRadio = nullptr;
  TScrRadioButton *Speed1 = nullptr, *Speed2 = nullptr, *Speed3 = nullptr, *Speed4 = nullptr;
  TLabel *SpeedLabel = nullptr, *RingsLabel = nullptr, *HotsLabel = nullptr;
  TScrTextHotServicesController* HotsText = nullptr;
  TScrMonitor* Monitor = nullptr;
  TScrCorners* ScrCorners1 = nullptr;
  std::vector<std::string> events;
  void DisableClick(TObject*) {
    events.push_back(std::string("click, setting ") + (DisableConfig->GetValue() ? "on" : "off"));
  }
  void CornerChange(TObject*) { events.push_back("corners " + ScrCorners1->GetStringFromCorners()); }
};

const TMetaClass& TChoicesForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TChoicesForm>("TChoicesForm", &TForm::StaticClass(), [](auto& c) {
    c.Field("Flag", &TChoicesForm::Flag);
    c.Field("Speed", &TChoicesForm::Speed);
    c.Field("Rings", &TChoicesForm::Rings);
    c.Field("DisableConfig", &TChoicesForm::DisableConfig);
    c.Field("Corners", &TChoicesForm::Corners);
    c.Field("DisableBox", &TChoicesForm::DisableBox);
    c.Field("TrueRadio", &TChoicesForm::TrueRadio);
    c.Field("FalseRadio", &TChoicesForm::FalseRadio);
    c.Field("Speed1", &TChoicesForm::Speed1);
    c.Field("Speed2", &TChoicesForm::Speed2);
    c.Field("Speed3", &TChoicesForm::Speed3);
    c.Field("Speed4", &TChoicesForm::Speed4);
    c.Field("SpeedLabel", &TChoicesForm::SpeedLabel);
    c.Field("RingsLabel", &TChoicesForm::RingsLabel);
    c.Field("HotsLabel", &TChoicesForm::HotsLabel);
    c.Field("HotsText", &TChoicesForm::HotsText);
    c.Field("Monitor", &TChoicesForm::Monitor);
    c.Field("ScrCorners1", &TChoicesForm::ScrCorners1);
    c.Method("DisableClick", &TChoicesForm::DisableClick);
    c.Method("CornerChange", &TChoicesForm::CornerChange);
  });
  return cls;
}

// The shared entries these tests write, put back afterwards.
const char* const kEntries[] = {"Mouse Corners", "Active Config"};

class ChoiceControls : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ScrInstallControls();
    RegisterClasses({&TChoicesForm::StaticClass()});
  }
  void SetUp() override {
    for (const char* name : kEntries)
      keep_.push_back(std::make_unique<testing_support::EntryKeeper>(kScreenSaverKey, name));
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Vantrel\\ChoicesTest");
    SetEnvironmentVariableA("SPIRALIS_CALLS", "");
  }
  void TearDown() override {
    if (form) form->Free();
    keep_.clear();
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Vantrel\\ChoicesTest");
    SetEnvironmentVariableA("SPIRALIS_CALLS", nullptr);
  }
  void Open() {
    form = CreateComponent<TChoicesForm>(nullptr);
    Activate(form);
  }
  // The bytes of a shared entry.
  static std::string Entry(const char* name) { return testing_support::ReadRawEntry(kScreenSaverKey, name).bytes; }
  static void Put(const char* name, DWORD type, const std::string& bytes) {
    testing_support::WriteRawEntry(kScreenSaverKey, name, {true, type, bytes});
  }
  TChoicesForm* form = nullptr;

 private:
  std::vector<std::unique_ptr<testing_support::EntryKeeper>> keep_;
};

// A point inside corner i's icon, on the screen.
POINT InCorner(TScrCorners* corners, int i) {
  RECT r = corners->GetCornerRect(i);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(corners->Handle(), &p);
  return p;
}

// Clicks corner i with the left button and the menu item `item` with the
// mouse; answers whether a menu showed at all.
bool ChooseForCorner(TScrCorners* corners, int i, int item) {
  std::atomic<bool> shown{false}, over{false};
  {
    InputScript script([&, ui = GetCurrentThreadId()] {
      shown = MenuTracked(ui, 3000);  // a corner without a menu gets this long to show one
      over = !shown;
      if (!shown) return;
      DWORD_PTR menu = 0;
      SendMessageTimeoutA(ShownMenu(), MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, 1000, &menu);
      RECT r{};
      const HMENU shownMenu = reinterpret_cast<HMENU>(menu);
      if (menu && GetMenuItemRect(nullptr, shownMenu, item, &r)) {
        // The item lights under the pointer once the menu takes the mouse; a
        // click on a menu just shown may go unseen (Wine), so it is clicked
        // until the menu closes.
        const POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        MoveTo(at);
        WaitFor([&] { return (GetMenuState(shownMenu, item, MF_BYPOSITION) & MF_HILITE) != 0; }, 5000);
        for (int i = 0; i < 5 && ShownMenu(); ++i) {
          ClickAt(at);
          WaitFor([] { return !ShownMenu(); }, 1000);
        }
      }
      over = true;
    });
    ClickAt(InCorner(corners, i));
    PumpUntil([&] { return over && !ShownMenu(); }, 10000);
  }
  return shown;
}

}  // namespace

TEST_F(ChoiceControls, CheckBoxAndRadioButtonsWriteTheirSettingsOnRealClicks) {
  Put("Active Config", REG_DWORD, std::string("\1\0\0\0", 4));  // the running saver may open its options
  Open();
  // A false boolean shows on the button standing for false; Speed starts at "Partial".
  form->Flag->SetValue(false);
  EXPECT_FALSE(form->TrueRadio->Checked());
  EXPECT_TRUE(form->FalseRadio->Checked());
  EXPECT_TRUE(form->Speed2->Checked());
  EXPECT_FALSE(form->DisableBox->Checked());
  struct Row {
    const char* what;  // clicked in this order
    std::function<bool(TChoicesForm*)> holds;
  } rows[] = {
      {"check box: the form's OnClick first, then the setting is written",
       [](TChoicesForm* f) {
         return f->DisableConfig->GetValue() && f->DisableBox->Checked() && f->events == std::vector<std::string>{"click, setting off"};
       }},
      {"button for true",
       [](TChoicesForm* f) { return f->Flag->GetValue() && f->TrueRadio->Checked() && !f->FalseRadio->Checked(); }},
      {"button for false",
       [](TChoicesForm* f) { return !f->Flag->GetValue() && !f->TrueRadio->Checked() && f->FalseRadio->Checked(); }},
      {"third index button",
       [](TChoicesForm* f) {
         return f->Speed->GetIndex() == 2 && f->Speed3->Checked() && !f->Speed2->Checked() && !f->Speed1->Checked();
       }},
      {"fourth button, beyond the ranges, writes nothing",
       [](TChoicesForm* f) { return f->Speed->GetIndex() == 2 && f->Speed3->Checked(); }},
      {"first index button",
       [](TChoicesForm* f) { return f->Speed->GetIndex() == 0 && f->Speed1->Checked() && !f->Speed3->Checked(); }},
  };
  TWinControl* targets[] = {form->DisableBox, form->TrueRadio, form->FalseRadio, form->Speed3, form->Speed4, form->Speed1};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    RECT r;
    GetWindowRect(targets[i]->Handle(), &r);
    ClickAt(POINT{r.left + 7, (r.top + r.bottom) / 2});  // on the box or the circle
    EXPECT_TRUE(PumpUntil([&] { return rows[i].holds(form); }, 2000)) << rows[i].what;
  }
  // Saved where the system keeps it; the setting drives the box back.
  ScrSaveValuesToRegistry(form);
  EXPECT_EQ(std::string(4, '\0'), Entry("Active Config"));
  form->DisableConfig->SetValue(false);
  EXPECT_FALSE(form->DisableBox->Checked());
}

TEST_F(ChoiceControls, LabelsShowTheirValuesAndTheHotCornerServiceAsAskedOnce) {
  {
    testing_support::InstalledLibrary service("Cornsvc.dll");
    Open();
  }
  struct Row {
    std::function<void(TChoicesForm*)> change;
    const char* speed;
    const char* rings;
  } rows[] = {
      {[](TChoicesForm*) {}, "Partial", "Few"},
      {[](TChoicesForm* f) { f->Speed->SetIndex(2); }, "Absent", "Few"},
      {[](TChoicesForm* f) { f->Speed->SetIndex(-1); }, "", "Few"},
      {[](TChoicesForm* f) { f->Rings->SetValue(42); }, "", "Many"},
      {[](TChoicesForm* f) { f->Rings->SetValue(500); }, "", ""},  // outside every range
  };
  for (const Row& row : rows) {
    row.change(form);
    EXPECT_EQ(row.speed, form->SpeedLabel->Caption());
    EXPECT_EQ(row.rings, form->RingsLabel->Caption());
  }
  // The service answered once, while it was there; the label keeps that until asked again.
  EXPECT_EQ(kHotServicesText, form->HotsLabel->Caption());
  // The label and the corners picture each asked once, while the service was there.
  EXPECT_EQ("System_Agent_Detect;System_Agent_Detect;", testing_support::StandInCalls());
  form->HotsText->SetValue(form->Speed);
  EXPECT_EQ(nullptr, form->HotsText->Value());
  form->HotsText->Recheck();
  EXPECT_EQ(kNoHotServicesText, form->HotsLabel->Caption());
}

TEST_F(ChoiceControls, CornersChosenWithRealClicksReachTheSystemSettingAndTheService) {
  Put("Mouse Corners", REG_SZ, std::string("YXNZ", 5));
  testing_support::InstalledLibrary service("Cornsvc.dll");
  Open();
  TScrCorners* corners = form->ScrCorners1;
  EXPECT_EQ("Y-N-", corners->GetStringFromCorners());
  EXPECT_EQ(std::vector<std::string>{"corners Y-N-"}, form->events);  // shown, not written
  const std::string asked = testing_support::StandInCalls();
  // Asked once by the label, once by the picture, never again for clicks and paints.
  EXPECT_EQ("System_Agent_Detect;System_Agent_Detect;", asked);
  struct Row {
    int corner, item;  // items: 0 "Now", 1 "Never", 2 "Default"
    const char* expected;
    std::size_t events;
  } rows[] = {
      {1, 1, "YNN-", 2},
      {1, 1, "YNN-", 2},  // the action it already has: nothing written, nothing fired
      {3, 0, "YNNY", 3},
      {0, 2, "-NNY", 4},
  };
  for (const Row& row : rows) {
    ASSERT_TRUE(ChooseForCorner(corners, row.corner, row.item)) << "corner " << row.corner;
    EXPECT_EQ(row.expected, corners->GetStringFromCorners());
    EXPECT_EQ(row.expected, form->Corners->GetValue());
    EXPECT_EQ(row.events, form->events.size());
  }
  // The menu's marks are gone again.
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(corners->CornerMenu()->Items()->Items(i)->Checked());
  ScrSaveValuesToRegistry(form);
  EXPECT_EQ(std::string("-NNY", 5), Entry("Mouse Corners"));
  EXPECT_EQ(asked + "Screen_Saver_Changed;", testing_support::StandInCalls());
  // A new setting shows at once.
  form->Corners->SetValue("NNNN");
  EXPECT_EQ("NNNN", corners->GetStringFromCorners());
}

namespace {
// Do the checkerboard pixels of corner i's cell show `color`?
bool CheckerboardIn(TScrCorners* corners, int i, COLORREF color) {
  RECT r = corners->GetCornerRect(i);
  HDC dc = GetDC(corners->Handle());
  bool all = true;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left + (y - r.top) % 2; x < r.right; x += 2) all = all && GetPixel(dc, x, y) == color;
  ReleaseDC(corners->Handle(), dc);
  return all;
}
}  // namespace

TEST_F(ChoiceControls, WithoutTheServiceTheCornersAreDimmedAndOpenNoMenu) {
  for (bool running : {true, false}) {
    SCOPED_TRACE(running ? "service running" : "no service");
    std::unique_ptr<testing_support::InstalledLibrary> service;
    if (running) service = std::make_unique<testing_support::InstalledLibrary>("Cornsvc.dll");
    Open();
    TScrCorners* corners = form->ScrCorners1;
    auto dimmed = [&](bool dim) {
      return PumpUntil([&] {
        for (int i = 0; i < 4; ++i)
          if (CheckerboardIn(corners, i, RGB(0, 128, 128)) != dim) return false;
        return true;
      });
    };
    EXPECT_TRUE(dimmed(!running));
    EXPECT_EQ(running, ChooseForCorner(corners, 2, 1));
    EXPECT_EQ(running ? "--N-" : "----", form->Corners->GetValue());
    if (!running) {  // a service that starts later shows once asked again
      testing_support::InstalledLibrary late("Cornsvc.dll");
      corners->Controller()->Recheck();
      EXPECT_TRUE(dimmed(false));
    }
    form->Free();
    form = nullptr;
  }
}

TEST_F(ChoiceControls, MonitorPlacesItsScreenAreaByItsSizeAndTheCornersScaleWithTheForm) {
  Open();
  TScrMonitor* monitor = form->Monitor;
  TScrCorners* corners = form->ScrCorners1;
  EXPECT_EQ(monitor->Inside(), corners->Parent());
  auto* extra = new TPanel(form);
  extra->SetParent(monitor);
  EXPECT_EQ(monitor->Inside(), extra->Parent());
  extra->Free();
  struct Row {
    std::function<void()> change;
    RECT inside;  // in the monitor
    int cellWidth, cellHeight;
  } rows[] = {
      {[] {}, RECT{16, 17, 184 - 15, 170 - 40}, 24, 22},
      {[&] { monitor->SetBounds(280, 10, 368, 340); }, RECT{32, 34, 338, 260}, 24, 22},
      {[&] { monitor->RestoreMonitor(nullptr); }, RECT{16, 17, 169, 130}, 24, 22},
      // A form read at 96 dpi shown at 120: everything grows by a quarter and still lines up.
      {[&] { form->ScaleBy(120, 96); }, RECT{20, 21, 230 - 18, 212 - 49}, 30, 28},
  };
  for (const Row& row : rows) {
    row.change();
    PumpMessages(0);
    const TPanel* in = monitor->Inside();
    EXPECT_EQ(row.inside.left, in->Left());
    EXPECT_EQ(row.inside.top, in->Top());
    EXPECT_EQ(row.inside.right, in->Left() + in->Width());
    EXPECT_EQ(row.inside.bottom, in->Top() + in->Height());
    // The corners fill the screen area; the bottom-right cell ends at its corner.
    EXPECT_EQ(in->Width(), corners->Width());
    RECT r = corners->GetCornerRect(2);
    EXPECT_EQ(row.cellWidth, r.right - r.left);
    EXPECT_EQ(row.cellHeight, r.bottom - r.top);
    EXPECT_EQ(corners->Width(), r.right);
    EXPECT_EQ(corners->Height(), r.bottom);
  }
  EXPECT_EQ(230, monitor->Width());
  EXPECT_EQ(212, monitor->Height());

  // A picture of its own (image left, mask right) is drawn instead of the
  // built-in one: the image's top half red, where the mask is black; its
  // bottom half black, where the mask is white and the monitor's own colour
  // shows through.
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 100);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(mem, bitmap);
  const RECT imageTop{0, 0, 100, 50}, imageBottom{0, 50, 100, 100}, maskTop{100, 0, 200, 50}, maskBottom{100, 50, 200, 100};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(mem, &imageTop, red);
  FillRect(mem, &imageBottom, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  FillRect(mem, &maskTop, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  FillRect(mem, &maskBottom, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SelectObject(mem, old);
  DeleteObject(red);
  DeleteDC(mem);
  TPicture picture;
  picture.SetBitmap(bitmap);
  DeleteObject(bitmap);
  monitor->SetColor(0x00FF00);  // green
  monitor->RestoreMonitor(&picture);
  EXPECT_EQ(100, monitor->Width()) << "the size of the image";
  EXPECT_EQ(100, monitor->Height());
  auto pixel = [&](int x, int y) { return testing_support::ScreenPixel(monitor->Handle(), x, y); };
  EXPECT_TRUE(PumpUntil([&] { return pixel(3, 3) == 0xFF0000u; })) << std::hex << pixel(3, 3);
  EXPECT_EQ(0xFF0000u, pixel(96, 46));
  EXPECT_EQ(0x00FF00u, pixel(3, 54)) << "through the mask";
  EXPECT_EQ(0x00FF00u, pixel(96, 96));
  // Made larger, the picture is stretched over the whole control.
  monitor->SetBounds(monitor->Left(), monitor->Top(), 200, 160);
  EXPECT_TRUE(PumpUntil([&] { return pixel(196, 76) == 0xFF0000u; })) << std::hex << pixel(196, 76);
  EXPECT_EQ(0x00FF00u, pixel(196, 84));
  EXPECT_EQ(0x00FF00u, pixel(4, 156));
}

TEST_F(ChoiceControls, RadioControllersOfferOneButtonPerChoiceOfTheirValue) {
  Open();
  auto endsWith = [](const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
  };
  TComponent owner(nullptr);
  TList<TScrValueController> list;
  TScrRadioButtonBooleanController boolean(nullptr);
  boolean.EnumControllersOfValue(&owner, form->Speed, list);  // not a boolean: none
  boolean.EnumControllersOfValue(&owner, form->Flag, list);
  TScrRadioButtonIndexController index(nullptr);
  index.EnumControllersOfValue(&owner, form->Flag, list);  // not an index: none
  index.EnumControllersOfValue(&owner, form->Speed, list);
  const char* titles[] = {"->True", "->False", "->Index1", "->Index2", "->Index3"};
  ASSERT_EQ(5, list.Count());
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(endsWith(list.Items(i)->GetTitle(), titles[i])) << list.Items(i)->GetTitle();
    EXPECT_EQ(i < 2 ? static_cast<TScrValue*>(form->Flag) : form->Speed, list.Items(i)->Value());
    EXPECT_EQ(&owner, list.Items(i)->Owner());
  }
  EXPECT_EQ("->", index.GetTitle().substr(index.GetTitle().size() - 2));  // Index -1 names no button
}

// ---- The corners from the keyboard; sizes in pixels under scaling ----------------------

// Tab reaches the corners and marks the focused one; the arrow keys pick a
// corner; Space, Enter and the context-menu key open that corner's menu.
TEST_F(ChoiceControls, CornersWorkFromTheKeyboard) {
  Put("Mouse Corners", REG_SZ, std::string("----", 5));
  testing_support::InstalledLibrary service("Cornsvc.dll");
  Open();
  TScrCorners* corners = form->ScrCorners1;
  const RECT cell0 = corners->GetCornerRect(0);
  auto edgePixels = [&] {
    std::vector<COLORREF> seen;
    HDC dc = GetDC(corners->Handle());
    for (int x = cell0.left; x < cell0.right; ++x) seen.push_back(GetPixel(dc, x, cell0.top));
    ReleaseDC(corners->Handle(), dc);
    return seen;
  };
  const std::vector<COLORREF> unfocused = edgePixels();
  form->DisableBox->SetFocus();
  for (int i = 0; i < 20 && !corners->Focused(); ++i) {
    const HWND was = GetFocus();
    Press(VK_TAB);
    PumpUntil([&] { return GetFocus() != was; });
  }
  ASSERT_TRUE(corners->Focused()) << "Tab reaches the corners";
  EXPECT_TRUE(PumpUntil([&] { return unfocused != edgePixels(); })) << "the focused corner is marked";

  Press(VK_RIGHT);
  Press(VK_DOWN);
  EXPECT_TRUE(PumpUntil([&] { return corners->FocusedCorner() == 2; })) << corners->FocusedCorner();
  Press(VK_LEFT);
  Press(VK_UP);
  Press(VK_RIGHT);
  EXPECT_TRUE(PumpUntil([&] { return corners->FocusedCorner() == 1; })) << corners->FocusedCorner();

  struct Row {
    WORD key;
    int downs;  // Down presses in the menu: 1 "Now", 2 "Never", 3 "Default"
    const char* expected;
  } rows[] = {{VK_SPACE, 2, "-N--"}, {VK_RETURN, 1, "-Y--"}, {VK_APPS, 3, "----"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    std::atomic<bool> shown{false};
    {
      InputScript script([&, ui = GetCurrentThreadId()] {
        if (!MenuTracked(ui, 5000)) return;
        shown = true;
        for (int i = 0; i < row.downs; ++i) Press(VK_DOWN);
        Press(VK_RETURN);
      });
      Press(row.key);
      PumpUntil([&] { return shown && !ShownMenu(); });
    }
    EXPECT_TRUE(shown.load()) << "the key opened the menu";
    EXPECT_EQ(row.expected, corners->GetStringFromCorners());
    EXPECT_EQ(row.expected, form->Corners->GetValue());
  }
  EXPECT_TRUE(IsWindowVisible(form->Handle())) << "Enter opened the menu, not the dialog's default";
  Press(VK_TAB);
  EXPECT_TRUE(PumpUntil([&] { return !corners->Focused(); })) << "Tab leaves the corners";
}

// What a control keeps in pixels scales with the form: a track bar's thumb,
// a combo box's dropped lines, the corner cells of a picture.
TEST_F(ChoiceControls, PixelSizesScaleWithTheForm) {
  form = CreateComponent<TChoicesForm>(nullptr);
  auto* bar = new TTrackBar(form);
  bar->SetParent(form);
  bar->SetBounds(10, 250, 150, 40);
  auto* combo = new TComboBox(form);
  combo->SetParent(form);
  combo->SetBounds(200, 250, 120, 21);
  combo->SetStyle(csDropDownList);
  combo->SetDropDownCount(8);
  for (int i = 0; i < 12; ++i) combo->Items()->Add("line " + std::to_string(i));
  HBITMAP bitmap = CreateBitmap(60, 90, 1, 1, nullptr);
  TPicture picture;
  picture.SetBitmap(bitmap);  // a copy
  DeleteObject(bitmap);
  form->ScrCorners1->SetPicture(&picture);
  form->ScaleBy(144, 96);
  Activate(form);

  EXPECT_EQ(30, SendMessageA(bar->Handle(), TBM_GETTHUMBLENGTH, 0, 0)) << "20 at 96 dpi";
  EXPECT_EQ(15, bar->Left());  // and the bar itself as any control
  EXPECT_EQ(375, bar->Top());
  EXPECT_EQ(225, bar->Width());
  EXPECT_EQ(60, bar->Height());
  const RECT cell = form->ScrCorners1->GetCornerRect(0);
  EXPECT_EQ(45, cell.right - cell.left) << "30 at 96 dpi";
  EXPECT_EQ(45, cell.bottom - cell.top);
  SendMessageA(combo->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  GetComboBoxInfo(combo->Handle(), &info);
  RECT list{};
  GetClientRect(info.hwndList, &list);
  const int line = static_cast<int>(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 0, 0));
  EXPECT_GE(list.bottom, 8 * line) << "eight lines of " << line << " pixels show";
  SendMessageA(combo->Handle(), CB_SHOWDROPDOWN, FALSE, 0);
}
