// The saver's main module: its settings as a user's registry leaves them,
// and the program started with its switches.
#include "saver/mainform.h"

#include <gtest/gtest.h>

#include "galaxy/presets.h"
#include "galaxy/words.h"
#include "saver/configform.h"
#include "values/controller.h"
#include "values/values.h"
#include "tests/support/program_run.h"
#include "tests/support/screen_pixels.h"
#include "values/registry.h"

using namespace testing_support;

namespace {

// Where this program's settings live (the project is the program's name).
std::string SettingsKey() { return "Software\\Vantrel\\" + scrreg::ApplicationTitle(); }

void Store(const char* name, DWORD number) { SetRegistryNumber(SettingsKey().c_str(), name, number); }
void Store(const char* name, const char* text) { WriteRawEntry(SettingsKey(), name, {true, REG_SZ, text + std::string(1, '\0')}); }

class MainModule : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSaverClasses();
    RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKey().c_str());
  }
  void TearDown() override {
    // Goes before any message is dispatched, so its control never runs a mode here.
    if (module) module->Free();
    MainForm = nullptr;
    RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKey().c_str());
  }
  TMainForm* Create() {
    module = CreateComponent<TMainForm>(nullptr);
    MainForm = module;
    return module;
  }
  TMainForm* module = nullptr;
};

}  // namespace

TEST_F(MainModule, EverySettingHasItsDefault) {
  TMainForm* m = Create();
  ASSERT_NE(m->ScrControl, nullptr);
  EXPECT_EQ(m->ScrControl->DebugLevel(), dlRelease);
  EXPECT_EQ(m->ScrControl->DebugLog(), "OutputDebugString");
  EXPECT_EQ(m->ScrControl->FormFullScreen()->GetFormClassName(), "TSaverForm");
  EXPECT_EQ(m->ScrControl->FormConfig()->GetFormClassName(), "TConfigForm");
  EXPECT_EQ(m->nRings->GetValue(), 60);
  EXPECT_EQ(m->Velocity->GetValue(), 23);
  EXPECT_EQ(m->Probability->GetValue(), 38);
  EXPECT_EQ(m->Trails->GetValue(), 45);
  EXPECT_EQ(m->Depth->GetValue(), 500);
  EXPECT_EQ(m->Eye->GetValue(), 50);
  EXPECT_DOUBLE_EQ(m->Density->GetValue(), 0.005);
  EXPECT_EQ(m->Explosion->GetValue(), clAqua);
  EXPECT_EQ(m->Exhausted->GetValue(), clTeal);
  EXPECT_EQ(m->Background->GetValue(), clBlack);
  EXPECT_EQ(m->Driver->GetValue(), "opengl32.dll");
  EXPECT_EQ(m->DriverPath->GetValue(), "");
  EXPECT_EQ(m->DarkMatter->IntegerFromCurrentIndex(), 2);  // Partial
  EXPECT_EQ(m->Speed->IntegerFromCurrentIndex(), 1);       // Fast: 1 ms
  EXPECT_FALSE(m->ReStart->GetValue());
  EXPECT_EQ(m->Mode->GetWidth(), -1);  // "normal": no mode change
  EXPECT_NE(m->Corners, nullptr);
  EXPECT_NE(m->MouseThreshold, nullptr);
}

TEST_F(MainModule, StoredSettingsOutOfRangeOrBetweenOptionsReadAsTheRulesSay) {
  Store("nRings", 500);      // beyond 150: the default
  Store("Trails", 7);
  Store("Speed", "2");       // within Fast's 1..3: Fast, stepping every 1 ms
  Store("DarkMatter", "3");  // Absent
  Store("Mode", "640x480");
  TMainForm* m = Create();
  EXPECT_EQ(m->nRings->GetValue(), 60);
  EXPECT_EQ(m->Trails->GetValue(), 7);
  EXPECT_EQ(m->Speed->IntegerFromCurrentIndex(), 1);
  EXPECT_EQ(m->DarkMatter->IntegerFromCurrentIndex(), 3);

  m->Free();
  module = nullptr;
  Store("Speed", "40");
  m = Create();
  EXPECT_EQ(m->Speed->IntegerFromCurrentIndex(), 40);  // Medium
}

// The real program, as the system starts it.
namespace {

// Waits for the run to end, closing its trace window when it shows, as a
// user would; answers whether it showed.
bool RunToEnd(const ProgramRun& run) {
  bool shown = false;
  for (int waited = 0; !run.Ended(100) && waited < 30000; waited += 100) {
    if (HWND trace = ShownWindowOf(run.pid(), "ScrDebugWindowClass")) {
      shown = true;
      PostMessageA(trace, WM_CLOSE, 0, 0);
    }
  }
  return shown;
}

}  // namespace

TEST(SpiralisProgram, OptionsShowTheOptionsDialogAndClosingItEndsTheRun) {
  ProgramRun run("..\\Spiralis.scr", "/c");
  HWND dialog = run.ShownWindow("TConfigForm");
  ASSERT_NE(dialog, nullptr);
  char caption[64] = {};
  GetWindowTextA(dialog, caption, sizeof caption);
  EXPECT_STREQ(caption, "Options for Spiralis");
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  RunToEnd(run);
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_EQ(run.boxes().find("no settings to configure"), std::string::npos) << run.boxes();
}

TEST(SpiralisProgram, ALogFileInTheCurrentFolderTracesTheWholeRun) {
  SpiralisRun run("/x");  // an unknown switch: the run ends at once
  RunToEnd(run);
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_FALSE(ReadFile(run.folder() / "spiralis.log").empty());
  EXPECT_EQ(run.boxes(), "");

  // Without the file the run is released: nothing is written, no window.
  ProgramRun released("..\\Spiralis.scr", "/x");
  EXPECT_FALSE(RunToEnd(released));
  EXPECT_EQ(released.ExitCode(), 0u);
  EXPECT_FALSE(testing_support::FileExists(released.folder() / "spiralis.log"));
}

// ---- The ten presets ---------------------------------------------------------------

// Each preset, picked twice, writes its thirteen figures and restarts the
// galaxy each time (ReStart flips); a name that is no preset, however
// spelt, writes nothing.
TEST_F(MainModule, EachPresetWritesItsThirteenFiguresAndRestarts) {
  TMainForm* m = Create();
  ScrLoadValuesFromRegistry(m);  // loaded now, not over the presets' figures on first read
  int restarts = 0;
  auto* watch = CreateNew<TScrValueController>(m);
  watch->OnChange = [&](TObject*) { ++restarts; };
  watch->SetValue(m->ReStart);
  restarts = 0;
  for (const TGalaxyPreset& preset : kGalaxyPresets) {
    SCOPED_TRACE(preset.Name);
    for (int pick = 0; pick < 2; ++pick) {
      const bool before = m->ReStart->GetValue();
      const int seen = restarts;
      ASSERT_TRUE(TConfigForm::ApplyPreset(pick ? GalaxyPresetWord(preset) : preset.Name));
      EXPECT_NE(before, m->ReStart->GetValue()) << "pick " << pick;
      EXPECT_EQ(seen + 1, restarts) << "pick " << pick;
    }
    EXPECT_EQ(m->GalaxySettings(), preset.Settings);
    // As the values hold them, in the units they are stored in.
    EXPECT_EQ(m->nRings->GetValue(), preset.Settings.Rings);
    EXPECT_EQ(m->Speed->IntegerFromCurrentIndex(), preset.Settings.Speed);
    EXPECT_DOUBLE_EQ(m->Density->GetValue(), preset.Settings.Density);
    EXPECT_EQ(static_cast<TGalaxyColor>(m->Replenished->GetValue()), preset.Settings.Replenished);
  }

  const int seen = restarts;
  EXPECT_FALSE(TConfigForm::ApplyPreset("space vortex"));
  EXPECT_FALSE(TConfigForm::ApplyPreset(""));
  EXPECT_EQ(seen, restarts);
  EXPECT_EQ(m->GalaxySettings(), kGalaxyPresets[kGalaxyPresetCount - 1].Settings) << "still the last preset's";
}
