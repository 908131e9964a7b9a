// Edits, spin buttons, combo boxes and list boxes bound to settings, driven
// with real keys, clicks and the wheel: every accepted input lands in the
// setting and in every other viewer of it, a refused one never reaches the
// registry, and what is stored loads back exactly.
#include <gtest/gtest.h>

#include "controls_support.h"
#include "values/values.h"

using namespace controls_testing;

namespace {

class ValueEditors : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterTestClasses(); }
  void SetUp() override { settings = TControlsSettings::Create(); }
  void TearDown() override { settings->Destroy(); }
  // Saves every setting, spoils them in memory and loads them again.
  void SaveSpoilAndLoad() {
    ScrSaveValuesToRegistry(settings);
    settings->Delay->SetValue(1);
    settings->Rings->SetValue(3);
    settings->Density->SetValue(0.001);
    settings->Title->SetValue("spoilt");
    settings->Tint->SetValue(0x010203);
    settings->Sensitivity->SetIndex(0);
    settings->Flag->SetValue(true);
    settings->Mode->SetIndex(0);
    ScrLoadValuesFromRegistry(settings);
  }
  TControlsSettings* settings = nullptr;
};

// Replaces the whole text of `edit` by typing.
void Retype(TScrEdit* edit, const std::string& text) {
  ClickAt(CentreOf(edit));
  PumpUntil([&] { return edit->Focused(); });
  Press(VK_END);
  PressWith(VK_SHIFT, VK_HOME);
  if (text.empty()) Press(VK_DELETE);
  TypeText(text);
  PumpUntil([&] { return edit->Text() == text; });
  PumpMessages(0);
}

// Drops the list down and clicks item `index`.
void ChooseWithMouse(TCustomComboBox* combo, int index) {
  ClickAt(CentreOf(combo));
  ASSERT_TRUE(PumpUntil([&] { return SendMessageA(combo->Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0; }));
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  GetComboBoxInfo(combo->Handle(), &info);
  RECT r{};
  SendMessageA(info.hwndList, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(info.hwndList, &p);
  ClickAt(p);
  PumpUntil([&] { return SendMessageA(combo->Handle(), CB_GETDROPPEDSTATE, 0, 0) == 0; });
  PumpMessages(0);
}

// The upper (up) or lower (down) arrow of a vertical up-down.
POINT Arrow(TScrUpDown* upDown, bool up) {
  RECT r{};
  GetWindowRect(upDown->Handle(), &r);
  return POINT{(r.left + r.right) / 2, up ? r.top + (r.bottom - r.top) / 4 : r.bottom - (r.bottom - r.top) / 4};
}

bool ShowsInvalid(TScrEdit* edit) { return !edit->Valid() && edit->TControl::Color() == edit->ColorInvalid(); }

}  // namespace

TEST_F(ValueEditors, DelayOpensInItsUnitAndEveryInputGoesThroughTheSameCheck) {
  // The unit is chosen from the stored delay; opening, entering and leaving
  // the edit writes nothing (90 s shows as 1 minute and stays 90).
  const struct {
    int stored, unit;
    const char* shown;
  } opens[] = {{300, 1, "5"}, {45, 0, "45"}, {90, 1, "1"}, {60, 1, "1"}, {59, 0, "59"}};
  for (const auto& open : opens) {
    SCOPED_TRACE(open.stored);
    settings->Delay->SetValue(open.stored);
    auto* form = CreateComponent<TEditorsForm>(nullptr);
    Activate(form);
    ASSERT_EQ(2, form->DelayUnits->Items()->Count());
    EXPECT_EQ("minutes", form->DelayUnits->Items()->Strings(1));
    EXPECT_EQ(open.unit, form->DelayUnits->ItemIndex());
    EXPECT_EQ(open.shown, form->DelayEdit->Text());
    ClickAt(CentreOf(form->DelayEdit));
    PumpUntil([&] { return form->DelayEdit->Focused(); });
    Press(VK_TAB);
    PumpUntil([&] { return !form->DelayEdit->Focused(); });
    EXPECT_EQ(open.stored, settings->Delay->GetValue());
    form->Free();
  }

  settings->Delay->SetValue(120);
  auto* form = CreateComponent<TEditorsForm>(nullptr);
  Activate(form);
  EXPECT_EQ("2", form->DelayEdit->Text());
  EXPECT_EQ(0, form->DelayUpDown->Min());
  EXPECT_EQ(60, form->DelayUpDown->Max());  // 3600 s
  EXPECT_EQ(2, form->DelayUpDown->Position());
  const struct {
    const char* what;
    std::function<void()> input;
    int delay;
    const char* shown;
    bool valid;
  } steps[] = {
      {"typed 3 (minutes)", [&] { Retype(form->DelayEdit, "3"); }, 180, "3", true},
      {"up arrow of the spin button", [&] { ClickAt(Arrow(form->DelayUpDown, true)); }, 240, "4", true},
      {"down-arrow key", [&] { MoveTo(CentreOf(form->DelayEdit)); Press(VK_DOWN); }, 180, "3", true},
      {"wheel", [&] { Wheel(1); }, 240, "4", true},
      {"set to 5 minutes by the program, spun up",
       [&] {
         settings->Delay->SetValue(300);
         EXPECT_EQ(5, form->DelayUpDown->Position());
         ClickAt(Arrow(form->DelayUpDown, true));
       },
       360, "6", true},
      // "6" on the way was a valid 6 minutes.
      {"typed 61: 3660 s is too long", [&] { Retype(form->DelayEdit, "61"); }, 360, "61", false},
      {"typed 60", [&] { Retype(form->DelayEdit, "60"); }, 3600, "60", true},
      {"spun past the end", [&] { ClickAt(Arrow(form->DelayUpDown, true)); }, 3600, "60", true},
      {"unit switched to seconds: 60 s", [&] { ChooseWithMouse(form->DelayUnits, 0); }, 60, "60", true},
      // The spin button counts in seconds now, from the figure shown.
      {"spun up in seconds", [&] { ClickAt(Arrow(form->DelayUpDown, true)); }, 61, "61", true},
      {"typed 90 (seconds), spun up",
       [&] {
         Retype(form->DelayEdit, "90");
         ClickAt(Arrow(form->DelayUpDown, true));
       },
       91, "91", true},
      {"typed 61 (seconds)", [&] { Retype(form->DelayEdit, "61"); }, 61, "61", true},
      {"back to minutes: refused", [&] { ChooseWithMouse(form->DelayUnits, 1); }, 61, "61", false},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    step.input();
    PumpUntil([&] { return settings->Delay->GetValue() == step.delay && form->DelayEdit->Text() == step.shown; });
    EXPECT_EQ(step.delay, settings->Delay->GetValue());
    EXPECT_EQ(step.shown, form->DelayEdit->Text());
    EXPECT_EQ(step.valid, form->DelayEdit->Valid());
    EXPECT_EQ(!step.valid, ShowsInvalid(form->DelayEdit));
  }
  form->Free();
  SaveSpoilAndLoad();
  EXPECT_EQ(61, settings->Delay->GetValue());
}

TEST_F(ValueEditors, TypedTextIsJudgedByTheSettingAndLandsInEveryViewer) {
  settings->Tint->SetValue(0x008080);  // Olive
  auto* form = CreateComponent<TEditorsForm>(nullptr);
  Activate(form);
  EXPECT_EQ("41", form->RingsEdit->Text());
  EXPECT_EQ("0.005", form->DensityEdit->Text());
  EXPECT_EQ("Spiralis", form->TitleEdit->Text());
  EXPECT_EQ("0", form->BlueEdit->Text());
  EXPECT_EQ(3, form->TintCombo->ItemIndex());
  const struct {
    TScrEdit* edit;
    const char* text;
    bool valid;
    std::function<bool()> holds;  // the setting and its other viewers
  } rows[] = {
      // Texts on the way may be valid and written ("15" of "151"); a refused
      // edit keeps the focus until its text is mended.
      {form->RingsEdit, "151", false, [&] { return settings->Rings->GetValue() == 15; }},
      {form->RingsEdit, "-1", false, [&] { return settings->Rings->GetValue() == 15; }},
      {form->RingsEdit, "abc", false, [&] { return settings->Rings->GetValue() == 15; }},
      {form->RingsEdit, "", false, [&] { return settings->Rings->GetValue() == 15; }},
      {form->RingsEdit, "100", true, [&] { return settings->Rings->GetValue() == 100 && form->RingsBar->Position() == 100; }},
      {form->DensityEdit, "0.0501", false, [&] { return settings->Density->GetValue() == 0.05; }},
      {form->DensityEdit, "0.05", true, [&] { return settings->Density->GetValue() == 0.05; }},
      {form->TitleEdit, "", true, [&] { return settings->Title->GetValue().empty(); }},
      {form->BlueEdit, "256", false, [&] { return settings->Tint->GetValue() == 0x198080; }},
      {form->BlueEdit, "255", true, [&] { return settings->Tint->GetValue() == 0xFF8080; }},
      {form->BlueEdit, "128", true,
       [&] { return settings->Tint->GetValue() == 0x808080 && form->TintCombo->ItemIndex() == 16; }},  // DkGray
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.edit->Name()) + " '" + row.text + "'");
    Retype(row.edit, row.text);
    PumpUntil(row.holds, 1000);
    EXPECT_TRUE(row.holds());
    EXPECT_EQ(row.valid, row.edit->Valid());
    EXPECT_EQ(!row.valid, ShowsInvalid(row.edit));
  }
  // The blue channel spins from its byte; the colour list follows.
  EXPECT_EQ(255, form->BlueUpDown->Max());
  ClickAt(Arrow(form->BlueUpDown, true));
  EXPECT_TRUE(PumpUntil([&] { return settings->Tint->GetValue() == 0x818080; }));
  EXPECT_EQ(-1, form->TintCombo->ItemIndex());
  form->Free();
  // Only what was accepted was stored.
  SaveSpoilAndLoad();
  EXPECT_EQ(100, settings->Rings->GetValue());
  EXPECT_EQ(0.05, settings->Density->GetValue());
  EXPECT_EQ("", settings->Title->GetValue());
  EXPECT_EQ(0x818080, settings->Tint->GetValue());
}

TEST_F(ValueEditors, ListChoicesWriteTheSettingAndLoadBackExactly) {
  settings->Tint->SetValue(0x123456);  // in no colour table
  settings->Flag->SetValue(true);
  auto* form = CreateComponent<TEditorsForm>(nullptr);
  Activate(form);
  const int modes = settings->Mode->GetCount();
  const int mode = settings->Mode->GetIndex();
  ASSERT_GT(modes, 1);
  const struct {
    const char* what;
    TWinControl* list;
    int count;
    const char* first;
    const char* last;
    int shown;
    std::function<void()> choose;
    std::function<bool()> written;
    int shownAfter;
  } rows[] = {
      {"sensitivity", form->SensitivityCombo, 4, "High", "Ignore mouse movement", 1,
       [&] { ChooseWithMouse(form->SensitivityCombo, 2); }, [&] { return settings->Sensitivity->GetIndex() == 2; }, 2},
      {"sensitivity by key", form->SensitivityCombo, 4, "High", "Ignore mouse movement", 2, [&] { Press(VK_DOWN); },
       [&] { return settings->Sensitivity->GetIndex() == 3; }, 3},
      {"colour", form->TintCombo, 18, "Black", "White", -1, [&] { ChooseWithMouse(form->TintCombo, 8); },
       [&] { return settings->Tint->GetValue() == 0xC0C0C0 && form->BlueEdit->Text() == "192"; }, 8},
      {"screen mode", form->ModeCombo, modes, "", "", mode,
       [&] {
         ClickAt(CentreOf(form->ModeCombo));
         Press(VK_END);
         Press(VK_RETURN);
       },
       [&] { return settings->Mode->GetIndex() == modes - 1; }, modes - 1},
      {"boolean", form->FlagList, 2, "false", "true", 1,
       [&] {
         RECT r{};
         SendMessageA(form->FlagList->Handle(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
         POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
         ClientToScreen(form->FlagList->Handle(), &p);
         ClickAt(p);
       },
       [&] { return !settings->Flag->GetValue(); }, 0},
  };
  auto itemsOf = [](TWinControl* list) -> TStrings* {
    if (auto* combo = dynamic_cast<TScrComboBox*>(list)) return combo->Items();
    return static_cast<TScrListBox*>(list)->Items();
  };
  auto indexOf = [](TWinControl* list) {
    if (auto* combo = dynamic_cast<TScrComboBox*>(list)) return combo->ItemIndex();
    return static_cast<TScrListBox*>(list)->ItemIndex();
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    TStrings* items = itemsOf(row.list);
    ASSERT_EQ(row.count, items->Count());
    if (*row.first) {
      EXPECT_EQ(row.first, items->Strings(0));
      EXPECT_EQ(row.last, items->Strings(row.count - 1));
    }
    EXPECT_EQ(row.shown, indexOf(row.list));
    row.choose();
    EXPECT_TRUE(PumpUntil(row.written));
    EXPECT_EQ(row.shownAfter, indexOf(row.list));
  }
  for (int i = 0; i < modes; ++i) EXPECT_EQ(settings->Mode->StringFromIndex(i), form->ModeCombo->Items()->Strings(i));
  // No choice writes nothing.
  form->ModeCombo->Controller()->SetItemIndex(-1);
  EXPECT_EQ(modes - 1, settings->Mode->GetIndex());
  settings->Flag->SetValue(true);
  form->FlagList->Controller()->SetItemIndex(-1);
  EXPECT_TRUE(settings->Flag->GetValue());
  settings->Flag->SetValue(false);
  form->ModeCombo->Controller()->SetItemIndex(modes);  // nor one past the list
  EXPECT_EQ(modes - 1, settings->Mode->GetIndex());
  TScrListBoxScreenModeController unbound(nullptr);  // nor a choice without a setting
  unbound.SetItemIndex(0);
  EXPECT_EQ(-1, unbound.GetItemIndex()) << "no setting, no choice";
  EXPECT_EQ(0, unbound.GetNumRanges());
  EXPECT_EQ(modes - 1, settings->Mode->GetIndex());
  form->Free();
  SaveSpoilAndLoad();
  EXPECT_EQ(3, settings->Sensitivity->GetIndex());
  EXPECT_EQ(0xC0C0C0, settings->Tint->GetValue());
  EXPECT_EQ(modes - 1, settings->Mode->GetIndex());
  EXPECT_FALSE(settings->Flag->GetValue());
}

TEST_F(ValueEditors, ViewersWhoseControllersGoAreEmptyAndWriteNothing) {
  settings->Delay->SetValue(300);
  auto* form = CreateComponent<TEditorsForm>(nullptr);
  Activate(form);
  auto* units = static_cast<TScrListBoxTwoUnitsController*>(form->DelayUnits->Controller());
  form->DelayEdit->Controller()->Free();
  EXPECT_EQ("", form->DelayEdit->Text());
  EXPECT_EQ(nullptr, units->MagnitudeController());
  // The unit may still be changed; the delay stays.
  ChooseWithMouse(form->DelayUnits, 0);
  Retype(form->DelayEdit, "7");
  EXPECT_EQ(300, settings->Delay->GetValue());
  form->SensitivityCombo->Controller()->Free();
  EXPECT_EQ(0, form->SensitivityCombo->Items()->Count());
  // A colour channel without a colour still spins 0..255, from the middle.
  auto* edit = CreateNew<TScrEdit>(form);
  edit->SetParent(form);
  edit->SetController(CreateNew<TScrEditColorController>(form));
  auto* spin = CreateNew<TScrUpDown>(form);
  spin->SetParent(form);
  spin->MySetAssociate(edit);
  EXPECT_EQ(0, spin->Min());
  EXPECT_EQ(255, spin->Max());
  EXPECT_EQ(128, spin->Position());
  // A screen-mode slider without a setting shows a range of its own.
  auto* modes = CreateNew<TScrTrackBar>(form);
  modes->SetParent(form);
  modes->SetController(CreateNew<TScrTrackBarScreenModeController>(form));
  EXPECT_EQ(4, modes->Max());
  EXPECT_EQ(3, modes->Position());
  // An integer beyond the spin button's 16 bits: it stops at its ends.
  auto* wide = CreateNew<TScrVInteger>(form);
  wide->GetRanges()->AddRange("Range0", -100000, 100000, 0);
  auto* wideController = CreateNew<TScrEditIntegerController>(form);
  wideController->SetValue(wide);
  auto* wideEdit = CreateNew<TScrEdit>(form);
  wideEdit->SetParent(form);
  wideEdit->SetController(wideController);
  auto* wideSpin = CreateNew<TScrUpDown>(form);
  wideSpin->SetParent(form);
  wideSpin->MySetAssociate(wideEdit);
  EXPECT_EQ(-32768, wideSpin->Min());
  EXPECT_EQ(32767, wideSpin->Max());
  form->Free();
}
