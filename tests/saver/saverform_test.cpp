// The saver form with the real main module: every setting change reaches the
// galaxy of every live saver form, and the form's timer steps its galaxy.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/monitors.h"
#include "saver/configform.h"
#include "saver/mainform.h"
#include "saver/saverform.h"
#include "tests/saver/driven_form.h"
#include "tests/support/main_module.h"
#include "tests/support/program_run.h"
#include "tests/support/win32_support.h"
#include "values/registry.h"
#include "values/values.h"

using namespace testing_support;

namespace {

// The main module for one test, with its settings loaded (so that a value
// set before a form exists is not loaded over later). Its control component
// would start the program's run mode from the message loop; these tests
// drive the forms themselves, so that start is taken off the queue.
class SaverForms : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterSaverClasses(); }

  void SetUp() override {
    MainForm = NewMainModule<TMainForm>();
    ScrLoadValuesFromRegistry(MainForm);
  }
  void TearDown() override {
    for (TSaverForm* f : forms_) f->Free();
    forms_.clear();
    MainForm->Free();
    MainForm = nullptr;
  }

  TSaverForm* NewForm() {
    forms_.push_back(CreateComponent<TSaverForm>(nullptr));
    return forms_.back();
  }
  // A form whose timer is stopped: only the test steps its galaxy.
  TSaverForm* QuietForm() {
    TSaverForm* f = NewForm();
    f->Timer->SetEnabled(false);
    return f;
  }

  std::vector<TSaverForm*> forms_;
};

int ExplodingCells(const TGalaxy& g) {
  int n = 0;
  for (int i = 0; i < g.CellCount(); ++i)
    if (g.Cells()[i] == g.ExplodeNow() || g.Cells()[i] == g.ExplodeNext()) ++n;
  return n;
}

bool SameColor(const TGalaxyRGB& c, float r, float g, float b) { return c.Red == r && c.Green == g && c.Blue == b; }

// A galaxy's trail target, trail length, growth counter and quiet count.
std::vector<int> Trail(const TGalaxy& g) { return {g.TrailTarget(), g.TrailLength(), g.GrowCounter(), g.QuietCount()}; }

}  // namespace

TEST_F(SaverForms, AFormIsBuiltFromItsResourceWithTheCurrentSettings) {
  MainForm->nRings->SetValue(30);
  MainForm->Speed->SetIndex(1);  // Medium
  MainForm->DarkMatter->SetIndex(2);  // Absent
  TSaverForm* f = QuietForm();
  ASSERT_NE(f->Galaxy(), nullptr);
  for (TScrValueController* c :
       {f->nRingsController, f->ReStartController, f->PropabilityController, f->DarkMatterController,
        f->VelocityController, f->SpeedController, f->TrailsController, f->ReplenController, f->ExhaustController,
        f->ExplodeController, f->BackgroundController})
    ASSERT_NE(c, nullptr);
  EXPECT_EQ(f->nRingsController->Value(), MainForm->nRings);
  EXPECT_EQ(f->BackgroundController->Value(), MainForm->Background);
  const TGalaxy& g = *f->Galaxy();
  EXPECT_EQ(g.Rings(), 30);
  EXPECT_EQ(g.CellCount(), 3 * 30 * 31 + 1);
  EXPECT_EQ(g.RotationLaw(), TRotationLaw::Absent);
  EXPECT_EQ(g.Velocity(), 23);
  EXPECT_EQ(g.TriggerThreshold(), 12451);
  EXPECT_EQ(g.TrailTarget(), 45);
  EXPECT_EQ(g.TrailLength(), 4);
  EXPECT_EQ(g.TimerInterval(), 40);
  EXPECT_EQ(f->Timer->Interval(), 40);
  EXPECT_TRUE(SameColor(g.ColorTable()[g.ExplodeNow()], 0.0f, 1.0f, 1.0f));  // clAqua
  EXPECT_GE(ExplodingCells(g), 1);
  // Only a full-screen form follows a display change.
  f->SetBounds(10, 20, 300, 200);
  f->Perform(WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  EXPECT_EQ(f->Left(), 10);
  EXPECT_EQ(f->Width(), 300);
}

TEST_F(SaverForms, EverySettingChangeReachesEveryLiveForm) {
  TSaverForm* a = QuietForm();
  TSaverForm* b = QuietForm();
  const TGalaxy* galaxies[] = {a->Galaxy(), b->Galaxy()};

  MainForm->nRings->SetValue(12);
  for (const TGalaxy* g : galaxies) {
    EXPECT_EQ(g->Rings(), 12);
    EXPECT_EQ(g->CellCount(), 3 * 12 * 13 + 1);
  }

  MainForm->Speed->SetIndex(0);  // Slow
  for (TSaverForm* f : {a, b}) {
    EXPECT_EQ(f->Galaxy()->TimerInterval(), 100);
    EXPECT_EQ(f->Timer->Interval(), 100);
  }
  MainForm->Speed->SetIndex(2);  // Fast
  for (TSaverForm* f : {a, b}) EXPECT_EQ(f->Timer->Interval(), 1);

  MainForm->Probability->SetValue(100);
  MainForm->Velocity->SetValue(7);
  MainForm->DarkMatter->SetIndex(0);  // Present
  for (const TGalaxy* g : galaxies) {
    EXPECT_EQ(g->TriggerThreshold(), 32767);
    EXPECT_EQ(g->Velocity(), 7);
    EXPECT_EQ(g->RotationLaw(), TRotationLaw::Present);
  }

  MainForm->Explosion->SetValue(clRed);
  MainForm->Background->SetValue(clNavy);
  for (const TGalaxy* g : galaxies) {
    EXPECT_TRUE(SameColor(g->ColorTable()[g->ExplodeNow()], 1.0f, 0.0f, 0.0f));
    EXPECT_TRUE(SameColor(g->ColorTable()[g->ExplodeNext()], 1.0f, 0.0f, 0.0f));
    EXPECT_TRUE(SameColor(g->ColorTable()[TGalaxy::BackgroundSlot], 0.0f, 0.0f, 128 / 255.0f));
  }

  // A Trails below the live trail length cuts it at once; one above lets it grow again.
  MainForm->Trails->SetValue(2);
  for (const TGalaxy* g : galaxies) {
    EXPECT_EQ(Trail(*g), (std::vector<int>{2, 2, -1, g->QuietCount()}));
    EXPECT_EQ(g->QuietLimit(), 7);
  }
  MainForm->Trails->SetValue(45);
  for (const TGalaxy* g : galaxies) EXPECT_EQ(Trail(*g), (std::vector<int>{45, 2, 0, g->QuietCount()}));

  // Any change of ReStart restarts: the trail starts again from 4.
  a->TimerTimer(a->Timer);
  b->TimerTimer(b->Timer);
  MainForm->ReStart->SetValue(!MainForm->ReStart->GetValue());
  for (const TGalaxy* g : galaxies) {
    EXPECT_EQ(Trail(*g), (std::vector<int>{45, 4, 0, 0}));
    EXPECT_EQ(g->Rings(), 12);
    EXPECT_GE(ExplodingCells(*g), 1);
  }

  // A preset restarts once (ReStart turns over once), and so does the same
  // preset picked again, when nothing else changes.
  for (int pick = 1; pick <= 2; ++pick) {
    SCOPED_TRACE(pick);
    for (TSaverForm* f : {a, b})
      for (int i = 0; i < 3; ++i) f->TimerTimer(f->Timer);
    const bool restart = MainForm->ReStart->GetValue();
    ASSERT_TRUE(TConfigForm::ApplyPreset("Gold on Red"));
    EXPECT_NE(MainForm->ReStart->GetValue(), restart);
    for (const TGalaxy* g : galaxies) {
      EXPECT_EQ(g->Rings(), 19);
      EXPECT_EQ(g->TrailLength(), 4);
      EXPECT_EQ(g->GrowCounter(), 0);  // counts the steps since the restart
    }
  }
  EXPECT_FALSE(TConfigForm::ApplyPreset("gold on blue"));
}

TEST_F(SaverForms, EverySeedingUsesTheCurrentDensity) {
  TSaverForm* f = QuietForm();
  const TGalaxy& g = *f->Galaxy();
  // 10981 cells at the default 60 rings: about 55 seeds at 0.005, 549 at 0.05.
  ASSERT_LT(ExplodingCells(g), 100);

  // A restart by ReStart.
  MainForm->Density->SetValue(0.05);
  MainForm->ReStart->SetValue(!MainForm->ReStart->GetValue());
  EXPECT_GT(ExplodingCells(g), 400);

  // A reseeding by a change of rings.
  MainForm->Density->SetValue(0.0);
  MainForm->nRings->SetValue(61);
  EXPECT_LE(ExplodingCells(g), 2);

  // A restart after die-out: nothing is ever triggered at Probability 0.
  MainForm->Probability->SetValue(0);
  MainForm->Density->SetValue(0.05);
  bool reseeded = false;
  for (int i = 0; i < 30 && !reseeded; ++i) {
    f->TimerTimer(f->Timer);
    reseeded = ExplodingCells(g) > 400;
  }
  EXPECT_TRUE(reseeded);
}

TEST_F(SaverForms, EachTickIsOneStepOfTheGalaxy) {
  MainForm->nRings->SetValue(20);
  TSaverForm* f = QuietForm();
  TGalaxySettings s;
  s.Rings = 20;
  TGalaxy reference(s);
  for (int i = 0; i < 25; ++i) {
    f->TimerTimer(f->Timer);
    reference.Step();
  }
  // The rotation does not depend on chance: both galaxies turned alike.
  for (int j = 0; j < 20; ++j) {
    EXPECT_EQ(f->Galaxy()->RingAngle(j), reference.RingAngle(j)) << j;
    EXPECT_EQ(f->Galaxy()->RingOffset(j), reference.RingOffset(j)) << j;
  }
  EXPECT_EQ(f->Galaxy()->TrailLength(), reference.TrailLength());
  EXPECT_EQ(f->Galaxy()->ExplodeNow(), reference.ExplodeNow());
}

TEST_F(SaverForms, TheTimerStepsTheGalaxy) {
  TSaverForm* f = NewForm();
  ASSERT_TRUE(f->Timer->Running());
  const TGalaxy& g = *f->Galaxy();
  EXPECT_EQ(g.RingAngle(1), 0.0);
  // Velocity 23, law Partial: ring 1 turns by 0.2 * 23 / 60 cells per step.
  EXPECT_TRUE(PumpUntil([&] { return g.RingAngle(1) > 0.5; }, 10000));
  EXPECT_GE(g.StepCount(), 3u);
  // Stopped, it stays where it is.
  f->Timer->SetEnabled(false);
  const double angle = g.RingAngle(1);
  PumpMessages(100);  // no step comes in this time
  EXPECT_EQ(g.RingAngle(1), angle);
}

TEST_F(SaverForms, ANewBackgroundShowsInTheNextFrame) {
  MainForm->Background->SetValue(0x0000FF);  // red, as a TColor
  TSaverForm* f = QuietForm();
  f->SetBounds(100, 100, 240, 180);
  f->Show();
  ASSERT_TRUE(PumpUntil([&] { return f->SglPanel->IsOn(); }));
  f->TimerTimer(nullptr);  // one step and its picture
  // A corner of the picture is background: the galaxy is a cone in the middle.
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(f->Handle(), 2, 2) == 0xFF0000u; }));

  MainForm->Background->SetValue(0xFF0000);  // blue
  f->TimerTimer(nullptr);
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(f->Handle(), 2, 2) == 0x0000FFu; }));
}

// Steps that come faster than the monitor can show are drawn at its refresh
// rate, the latest step each time; one that comes after a pause is drawn at
// once. A form that is no preview keeps to the monitors' rate.
TEST_F(SaverForms, StepsFasterThanTheMonitorAreDrawnAtItsRate) {
  TSaverForm* f = QuietForm();
  f->SetBounds(100, 100, 160, 120);
  f->Show();
  TDrivenForm driven(f);
  ASSERT_TRUE(driven.Paced());
  DEVMODEA shown{};  // the test display's one monitor: its rate, or 60 when it tells none
  shown.dmSize = sizeof shown;
  ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &shown));
  const int monitor = shown.dmDisplayFrequency > 1 ? static_cast<int>(shown.dmDisplayFrequency) : 60;
  EXPECT_EQ(f->PictureRate(), monitor);
  EXPECT_NEAR(f->PicturePace().Rate(), monitor, 1e-9);
  // A second of steps every 5 ms at 20 pictures a second, then a pause.
  f->PicturePace().SetRate(20);
  EXPECT_EQ(driven.Ticks(200, 5), 20);
  driven.Wait(100);
  EXPECT_EQ(driven.Ticks(1, 80), 1);
  // Slower steps than the rate are each drawn.
  EXPECT_EQ(driven.Ticks(10, 80), 10);
}

// A power setting's change as the system sends it: WM_POWERBROADCAST with
// PBT_POWERSETTINGCHANGE and a POWERBROADCAST_SETTING holding a DWORD. (Under
// Wine the system may never send one: the test sends them itself.)
void SendPowerSetting(HWND form, const GUID& setting, DWORD data) {
  struct {
    GUID PowerSetting;
    DWORD DataLength;
    DWORD Data;
  } broadcast{setting, sizeof(DWORD), data};
  SendMessageA(form, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&broadcast));
}

const GUID kDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
const GUID kPowerSource = {0x5d3e9a59, 0xe9d5, 0x4b00, {0xa6, 0xbd, 0xff, 0x34, 0xff, 0x51, 0x65, 0x48}};
const GUID kBatterySaver = {0xe00958c0, 0xc213, 0x4ace, {0xac, 0x77, 0xfe, 0xcc, 0xed, 0x2e, 0xee, 0xa5}};

// The display off: no picture and no step for a minute, and the galaxy goes
// on from the same cells when it is back; dimmed, at most 10 pictures a
// second; on battery or battery saver, at most 30; on mains again, the
// monitor's rate. The Frame rate setting lowers the monitor's rate.
TEST_F(SaverForms, ThePowerAndTheFrameRateSetHowOftenItDraws) {
  TSaverForm* f = QuietForm();
  f->SetBounds(100, 100, 160, 120);
  f->Show();
  TDrivenForm driven(f);
  ASSERT_TRUE(driven.Paced());
  const TGalaxy& g = *f->Galaxy();
  const int monitor = ScrRefreshRate();
  ASSERT_GT(monitor, 30);
  driven.Ticks(10, 5);

  SendPowerSetting(f->Handle(), kDisplayState, 0);
  const std::vector<std::uint8_t> cells(g.Cells(), g.Cells() + g.CellCount());
  const unsigned steps = g.StepCount();
  EXPECT_EQ(driven.Ticks(6000, 10), 0);
  EXPECT_EQ(g.StepCount(), steps);
  SendPowerSetting(f->Handle(), kDisplayState, 1);
  EXPECT_EQ(std::vector<std::uint8_t>(g.Cells(), g.Cells() + g.CellCount()), cells);

  const struct {
    const char* what;
    const GUID& setting;
    DWORD data;
    int rate;  // pictures in a second of 5 ms steps
  } cases[] = {
      {"dimmed", kDisplayState, 2, 10},      {"on", kDisplayState, 1, monitor},
      {"battery", kPowerSource, 1, 30},      {"a short-term source", kPowerSource, 2, 30},
      {"mains", kPowerSource, 0, monitor},   {"battery saver", kBatterySaver, 1, 30},
      {"battery saver off", kBatterySaver, 0, monitor},
  };
  for (const auto& c : cases) {
    SendPowerSetting(f->Handle(), c.setting, c.data);
    EXPECT_EQ(f->PictureRate(), c.rate) << c.what;
    EXPECT_NEAR(driven.Ticks(200, 5), c.rate, 1) << c.what;
  }
  // A setting the saver does not follow, or one too short to read, changes nothing.
  SendPowerSetting(f->Handle(), GUID{}, 0);
  EXPECT_EQ(f->PictureRate(), monitor);

  MainForm->FrameRate->SetValue(10);
  EXPECT_NEAR(driven.Ticks(200, 5), 10, 1);
  SendPowerSetting(f->Handle(), kDisplayState, 2);  // dimmed, and 10 a second already
  EXPECT_EQ(f->PictureRate(), 10);
  MainForm->FrameRate->SetValue(0);  // "Monitor"
  SendPowerSetting(f->Handle(), kDisplayState, 1);
  EXPECT_EQ(f->PictureRate(), monitor);
}

// The Frame rate setting as stored: a figure from 5 up to the value's range
// is taken; below 5, or beyond the range, it is the monitor's rate (0). The
// dialog's slider runs from 5 to the monitor's rate, which reads "Monitor".
TEST_F(SaverForms, TheFrameRateSettingAndItsSlider) {
  const std::string key = "Software\\Vantrel\\" + scrreg::ApplicationTitle();
  const struct {
    DWORD stored;
    int rate;
  } cases[] = {{10, 10}, {5, 5}, {3, 0}, {0, 0}, {100000, 0}, {1000, 1000}};
  for (const auto& c : cases) {
    SetRegistryNumber(key.c_str(), "FrameRate", c.stored);
    MainForm->FrameRate->LoadFromRegistry();
    EXPECT_EQ(MainForm->PictureRateSetting(), c.rate) << c.stored;
  }
  auto* slider = CreateComponent<TFrameRateController>(nullptr);
  slider->SetValue(MainForm->FrameRate);
  const int monitor = ScrRefreshRate();
  EXPECT_EQ(slider->GetMin(), 5);
  EXPECT_EQ(slider->GetMax(), monitor);
  EXPECT_EQ(slider->Figure(monitor), "Monitor");
  EXPECT_EQ(slider->Figure(5), "5");
  slider->SetPosition(monitor);
  EXPECT_EQ(MainForm->FrameRate->GetValue(), 0);
  EXPECT_EQ(slider->GetPosition(), monitor);
  slider->SetPosition(12);
  EXPECT_EQ(MainForm->PictureRateSetting(), 12);
  EXPECT_EQ(slider->GetPosition(), 12);
  slider->Free();
  HKEY settings = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &settings) == ERROR_SUCCESS) {
    RegDeleteValueA(settings, "FrameRate");
    RegCloseKey(settings);
  }
}

// --- Hostile settings ---------------------------------------------------------

namespace {

// Registry data of every kind the registry can hold for a setting: each type,
// odd sizes, huge and empty texts, "none", numbers of every sign and size.
struct RawData {
  const char* what;
  DWORD type;
  std::string bytes;
};

std::vector<RawData> HostileData() {
  using namespace std::string_literals;
  return {
      {"none", REG_SZ, "none\0"s},
      {"None", REG_SZ, "None\0"s},
      {"empty text", REG_SZ, "\0"s},
      {"text of no bytes", REG_SZ, ""},
      {"text without its zero", REG_SZ, "12345"},
      {"huge text", REG_SZ, std::string(100000, '9') + '\0'},
      {"text with a zero inside", REG_SZ, "40\0x\0"s},
      {"negative text", REG_SZ, "-2147483648\0"s},
      {"beyond 32 bits", REG_SZ, "99999999999999999999\0"s},
      {"huge real", REG_SZ, "1e308\0"s},
      {"nan", REG_SZ, "nan\0"s},
      {"a screen mode no display has", REG_SZ, "99999x99999x32\0"s},
      {"a screen mode of nothing", REG_SZ, "0x0x0\0"s},
      {"default", REG_SZ, "default\0"s},
      {"largest number", REG_DWORD, "\xFF\xFF\xFF\xFF"s},
      {"smallest number", REG_DWORD, "\x00\x00\x00\x80"s},
      {"zero", REG_DWORD, "\0\0\0\0"s},
      {"three bytes", REG_BINARY, "\1\2\3"s},
      {"no bytes", REG_BINARY, ""},
      {"eight bytes", REG_QWORD, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F"s},
      {"list", REG_MULTI_SZ, "40\0none\0\0"s},
      {"expandable", REG_EXPAND_SZ, "%PATH%\0"s},
      {"no type", REG_NONE, "\1"s},
  };
}

// A registry path (key, backslash, entry) as its key and entry.
std::pair<std::string, std::string> KeyAndEntry(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return {path.substr(0, slash), path.substr(slash + 1)};
}

void PutRaw(const std::string& path, const RawData& data) {
  const auto [key, entry] = KeyAndEntry(path);
  ASSERT_TRUE(WriteRawEntry(key, entry, {true, data.type, data.bytes}));
}

void DeleteEntry(const std::string& path) {
  const auto [key, entry] = KeyAndEntry(path);
  WriteRawEntry(key, entry, {});
}

}  // namespace

// Whatever another program or a hand edit left in any of the saver's entries
// or the shared screen-saver settings, a saver form is built and runs on it,
// a running one takes it on a reload, and it can be saved again; what cannot
// be used gives the default ("none" has its own meaning).
TEST_F(SaverForms, AnyDataInAnySettingGivesARunningForm) {
  const char* const settings[] = {"DriverPath", "Driver",  "nRings",      "Velocity",  "Probability",
                                  "Trails",     "Explosion", "Exhausted", "Background", "Replenished",
                                  "ReStart",    "Density", "DarkMatter",  "Depth",     "Speed",
                                  "Eye",        "Told3dfx", "ToldActive", "Mode"};
  std::vector<std::string> paths;
  for (const char* name : settings) {
    auto* value = dynamic_cast<TScrValue*>(MainForm->FindComponent(name));
    ASSERT_NE(value, nullptr) << name;
    paths.push_back(value->GetRegistryPath());
  }
  // The screen-saver settings shared with the system and other savers.
  const std::string shared = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers\\";
  for (const char* entry : {"Password Delay", "Password Delay Index", "Mouse Threshold", "Mouse Threshold Index",
                            "Mouse Corners", "Mute Sound", "Mute", "Active Config"})
    paths.push_back(shared + entry);
  paths.push_back("Control Panel\\Desktop\\ScreenSaveUsePassword");

  std::vector<std::unique_ptr<EntryKeeper>> keep;
  for (const std::string& path : paths) {
    const auto [key, entry] = KeyAndEntry(path);
    keep.push_back(std::make_unique<EntryKeeper>(key, entry));
  }

  for (const std::string& path : paths) {
    for (const RawData& data : HostileData()) {
      SCOPED_TRACE(path + " holding " + data.what);
      TSaverForm* running = QuietForm();
      PutRaw(path, data);
      EXPECT_NO_THROW(ScrLoadValuesFromRegistry(MainForm));
      TSaverForm* fresh = nullptr;
      EXPECT_NO_THROW(fresh = QuietForm());
      for (TSaverForm* f : {running, fresh}) {
        ASSERT_TRUE(f && f->Galaxy()) << "every form has its galaxy";
        EXPECT_NO_THROW(f->TimerTimer(nullptr));
        const int interval = f->Timer->Interval();
        EXPECT_TRUE(interval == 1 || interval == 40 || interval == 100) << interval;
        EXPECT_GE(f->Galaxy()->Rings(), 2);
      }
      // What was read can be written back (the options dialog's OK).
      EXPECT_NO_THROW(ScrSaveValuesToRegistry(MainForm));
      DeleteEntry(path);
      for (TSaverForm* f : forms_) f->Free();
      forms_.clear();
    }
  }
  // What cannot be used is the default, below the least figure as above the
  // greatest, and the galaxy is built with the defaults.
  auto number = [](DWORD n) { return RawData{"number", REG_DWORD, std::string(reinterpret_cast<const char*>(&n), 4)}; };
  auto text = [](const char* t) { return RawData{"text", REG_SZ, std::string(t) + '\0'}; };
  const std::pair<TScrValue*, RawData> unusable[] = {
      {MainForm->nRings, number(1)},      {MainForm->Trails, number(0)},      {MainForm->Velocity, number(41)},
      {MainForm->Probability, number(0xFFFFFFFF)}, {MainForm->Speed, text("500")}, {MainForm->Density, text("0.0501")},
      {MainForm->Explosion, text("255")},  {MainForm->ReStart, number(2)}};
  for (const auto& [value, data] : unusable) PutRaw(value->GetRegistryPath(), data);
  MainForm->ReStart->SetValue(true);
  ScrLoadValuesFromRegistry(MainForm);
  EXPECT_EQ(MainForm->nRings->GetValue(), 60);
  EXPECT_EQ(MainForm->Trails->GetValue(), 45);
  EXPECT_EQ(MainForm->Velocity->GetValue(), 23);
  EXPECT_EQ(MainForm->Probability->GetValue(), 38);
  EXPECT_EQ(MainForm->Speed->GetIndex(), 2);  // Def names the figure 1: Fast
  EXPECT_EQ(MainForm->Density->GetValue(), 0.005);
  EXPECT_EQ(MainForm->Explosion->GetValue(), clAqua);
  EXPECT_FALSE(MainForm->ReStart->GetValue());
  EXPECT_EQ(QuietForm()->Galaxy()->Settings(), TGalaxySettings());  // every entry is gone or unusable
  for (const auto& [value, data] : unusable) DeleteEntry(value->GetRegistryPath());

  // "none" keeps its meaning: no current option; the rings turn alike and the
  // steps come at the default pace.
  PutRaw(MainForm->DarkMatter->GetRegistryPath(), {"none", REG_SZ, std::string("none", 5)});
  PutRaw(MainForm->Speed->GetRegistryPath(), {"none", REG_SZ, std::string("none", 5)});
  ScrLoadValuesFromRegistry(MainForm);
  EXPECT_EQ(MainForm->DarkMatter->GetIndex(), -1);
  EXPECT_EQ(MainForm->Speed->GetIndex(), -1);
  TSaverForm* f = QuietForm();
  EXPECT_EQ(f->Galaxy()->RotationLaw(), TRotationLaw::Present);
  EXPECT_EQ(f->Timer->Interval(), 1);
  DeleteEntry(MainForm->DarkMatter->GetRegistryPath());
  DeleteEntry(MainForm->Speed->GetRegistryPath());

  // A driver that cannot be found draws with the system's; one that can is kept.
  for (const char* driver : {"none", "", "C:\\no such folder\\opengl32.dll", "glu32.dll"}) {
    MainForm->Driver->SetValue(driver);
    f->ScrEndDialog(false);  // back to the full-screen run's driver
    EXPECT_STRCASEEQ(f->SglPanel->glDriver().c_str(), std::string(driver) == "glu32.dll" ? "glu32.dll" : "opengl32.dll")
        << driver;
  }
}
