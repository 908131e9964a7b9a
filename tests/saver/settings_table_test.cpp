// The galaxy's one table of settings against every place that shows them:
// the settings module's values, the options dialog's track bars and colour
// list, the Linux hack's options and its settings file; and the ten presets
// applied through the dialog and through the hack.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "controls/lists.h"
#include "galaxy/colors.h"
#include "galaxy/presets.h"
#include "linux/hack_options.h"
#include "linux/tests/settings_file.h"
#include "saver/configform.h"
#include "saver/mainform.h"
#include "toolkit/graphics.h"
#include "values/values.h"

namespace {

class SettingsTable : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterSaverClasses(); }
  void SetUp() override {
    MainForm = CreateComponent<TMainForm>(nullptr);
    ScrLoadValuesFromRegistry(MainForm);
  }
  void TearDown() override {
    MainForm->Free();
    MainForm = nullptr;
  }
};

THackParse Parse(std::vector<std::string> args, THackSettings& s) {
  args.insert(args.begin(), "spiralis");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::string message;
  return ParseHackOptions(static_cast<int>(argv.size()), argv.data(), s, message);
}

// The track bars of the options dialog's compiled-in form, by the value
// their controller edits: "MainForm.Velocity" -> {min, max}.
std::map<std::string, std::pair<int, int>> TrackBars() {
  HRSRC found = FindResourceA(nullptr, "TCONFIGFORM", MAKEINTRESOURCEA(10));
  const char* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  const std::string text(data, SizeofResource(nullptr, found));
  static const std::regex bar(R"(: TScrTrackBar\b[\s\S]*?Min = (\d+)\s+Max = (\d+)[\s\S]*?Value = MainForm\.(\w+))");
  std::map<std::string, std::pair<int, int>> bars;
  for (std::sregex_iterator i(text.begin(), text.end(), bar), end; i != end; ++i)
    bars[(*i)[3]] = {std::stoi((*i)[1]), std::stoi((*i)[2])};
  return bars;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

}  // namespace

TEST_F(SettingsTable, EveryPlaceShowsEachSettingAsTheTableDefinesIt) {
  const auto bars = TrackBars();
  std::map<std::string, TSettingsItem> xml;  // by the hack's option
  for (TSettingsItem& item : ReadSettingsFile(SPIRALIS_XML)) xml[item.Attr["id"]] = item;
  const std::string usage = HackUsage();
  for (const TGalaxySettingInfo& info : kGalaxySettings) {
    SCOPED_TRACE(info.ValueName);
    const double def = GalaxySettingDefault(info);
    TScrValue* value = MainForm->GalaxyValue(info);
    ASSERT_NE(value, nullptr);
    ASSERT_EQ(xml.count(info.Option), 1u);
    TSettingsItem item = xml[info.Option];
    // The hack's usage names the option, its caption and its default; the
    // settings file passes the option.
    EXPECT_NE(usage.find("  -" + std::string(info.Option) + " VALUE"), std::string::npos);
    EXPECT_NE(usage.find(std::string(info.Caption) + ": "), std::string::npos);
    THackSettings parsed;
    switch (info.Kind) {
      case TSettingKind::Number: {
        if (auto* v = dynamic_cast<TScrVInteger*>(value)) {
          EXPECT_EQ(v->Def(), def);
          ASSERT_EQ(v->GetRanges()->Count(), 1);
          EXPECT_EQ(v->GetRanges()->GetItem(0)->Min(), info.Min);
          EXPECT_EQ(v->GetRanges()->GetItem(0)->Max(), info.Max);
        } else {
          auto* d = dynamic_cast<TScrVDouble*>(value);
          ASSERT_NE(d, nullptr);
          EXPECT_EQ(d->Def(), def);
          ASSERT_EQ(d->GetRanges()->Count(), 1);
          EXPECT_EQ(d->GetRanges()->GetItem(0)->Min(), info.Min);
          EXPECT_EQ(d->GetRanges()->GetItem(0)->Max(), info.Max);
        }
        EXPECT_EQ(bars.at(info.ValueName), std::make_pair(SliderMin(info), SliderMax(info)));
        EXPECT_EQ(item.Kind, "number");
        EXPECT_EQ(item.Attr["_label"], info.Caption);
        EXPECT_EQ(item.Attr["arg"], "--" + std::string(info.Option) + " %");
        EXPECT_EQ(std::stoi(item.Attr["low"]), SliderMin(info));
        EXPECT_EQ(std::stoi(item.Attr["high"]), SliderMax(info));
        EXPECT_EQ(std::stoi(item.Attr["default"]), SliderPosition(info, def));
        // The hack takes the slider's ends, and nothing beyond.
        const std::string option = "-" + std::string(info.Option);
        ASSERT_EQ(Parse({option, std::to_string(SliderMax(info))}, parsed), THackParse::Run);
        EXPECT_DOUBLE_EQ(GetGalaxySetting(parsed.Galaxy, info), info.Max);
        ASSERT_EQ(Parse({option, std::to_string(SliderMin(info))}, parsed), THackParse::Run);
        EXPECT_DOUBLE_EQ(GetGalaxySetting(parsed.Galaxy, info), info.Min);
        EXPECT_EQ(Parse({option, std::to_string(SliderMax(info) + 1)}, parsed), THackParse::Error);
        EXPECT_EQ(Parse({option, std::to_string(SliderMin(info) - 1)}, parsed), THackParse::Error);
        break;
      }
      case TSettingKind::Choice: {
        // The index value's options hold the same captions and figures, in
        // any order; its default selects the table's default.
        auto* v = dynamic_cast<TScrVIndex*>(value);
        ASSERT_NE(v, nullptr);
        std::set<std::pair<std::string, int>> windows, table;
        for (int i = 0; i < v->GetRanges()->Count(); ++i)
          windows.insert({v->GetRanges()->GetItem(i)->Caption(), v->GetRanges()->GetItem(i)->Def()});
        std::set<std::string> words, files;
        for (int i = 0; i < info.ChoiceCount; ++i) {
          const TSettingChoice& c = info.Choices[i];
          table.insert({c.Caption, c.Value});
          const bool isDefault = c.Value == def;
          words.insert(isDefault ? "" : "--" + std::string(info.Option) + " " + c.Word);
          ASSERT_EQ(Parse({"-" + std::string(info.Option), c.Word}, parsed), THackParse::Run);
          EXPECT_EQ(GetGalaxySetting(parsed.Galaxy, info), c.Value);
        }
        EXPECT_EQ(windows, table);
        EXPECT_EQ(v->IntegerFromIndex(v->IndexFromInteger(v->Def())), def);
        EXPECT_EQ(bars.at(info.ValueName), std::make_pair(0, info.ChoiceCount - 1));
        files.insert(item.Choices.begin(), item.Choices.end());
        EXPECT_EQ(files, words);  // the default passes nothing
        break;
      }
      case TSettingKind::Color: {
        auto* v = dynamic_cast<TScrVColor*>(value);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->Def(), def);
        EXPECT_EQ(bars.count(info.ValueName), 0u);
        // The settings file offers every colour by name; the default passes nothing.
        std::set<std::string> words, files(item.Choices.begin(), item.Choices.end());
        for (const TNamedColor& c : kGalaxyColors)
          words.insert(c.Color == def ? "" : "--" + std::string(info.Option) + " " + Lower(c.Name));
        EXPECT_EQ(files, words);
        break;
      }
    }
  }
  // And the presets' menu, -fps's check box ("Show frame rate") and -delay's
  // slider ("Frame rate").
  EXPECT_EQ(xml.size(), static_cast<size_t>(kGalaxySettingCount + 3));
}

// The toolkit's colour constants and the dialog's colour list are the
// galaxy's eighteen colours.
TEST_F(SettingsTable, TheDialogsColoursAreTheGalaxys) {
  TScrListBoxRGBColorController* list = CreateComponent<TScrListBoxRGBColorController>(nullptr);
  list->SetValue(MainForm->Explosion);
  ASSERT_EQ(list->GetNumRanges(), static_cast<int>(std::size(kGalaxyColors)));
  for (int i = 0; i < list->GetNumRanges(); ++i) {
    const TNamedColor& c = kGalaxyColors[i];
    EXPECT_EQ(list->GetRangeString(i), c.Name);
    list->SetItemIndex(i);
    EXPECT_EQ(MainForm->Explosion->GetValue(), static_cast<TColor>(c.Color)) << c.Name;
    const std::string ident = "cl" + std::string(c.Name);
    const auto& idents = ColorIdents();
    const auto it = std::find_if(idents.begin(), idents.end(), [&](const TIdentEntry& e) { return ident == e.Name; });
    ASSERT_NE(it, idents.end()) << ident;
    EXPECT_EQ(static_cast<TGalaxyColor>(it->Value), c.Color) << ident;
  }
  list->Free();
}

// A preset applied by the options dialog and by the hack's -preset gives the
// preset's settings, whatever the settings were before.
TEST_F(SettingsTable, EachPresetGivesTheSameSettingsThroughTheDialogAndTheHack) {
  for (const TGalaxyPreset& p : kGalaxyPresets) {
    SCOPED_TRACE(p.Name);
    const bool restart = MainForm->ReStart->GetValue();
    ASSERT_TRUE(TConfigForm::ApplyPreset(p.Name));
    EXPECT_NE(MainForm->ReStart->GetValue(), restart);  // every live galaxy starts afresh
    THackSettings hack;
    ASSERT_EQ(Parse({"-preset", p.Name}, hack), THackParse::Run);
    EXPECT_EQ(MainForm->GalaxySettings(), p.Settings);
    EXPECT_EQ(hack.Galaxy, p.Settings);
  }
  EXPECT_FALSE(TConfigForm::ApplyPreset("warp speed"));  // the dialog's names, as it lists them
}
