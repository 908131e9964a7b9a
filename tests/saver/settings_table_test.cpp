// The galaxy's one table of settings against every place that shows them:
// the settings module's values, the options dialog's sliders and colour
// list, the Linux hack's options and its settings file, the page's panel;
// and the ten presets applied through the dialog and through the hack.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "controls/lists.h"
#include "controls/trackbar.h"
#include "galaxy/colors.h"
#include "galaxy/presets.h"
#include "galaxy/words.h"
#include "linux/hack_options.h"
#include "linux/tests/settings_file.h"
#include "saver/configform.h"
#include "saver/mainform.h"
#include "tests/support/main_module.h"
#include "toolkit/graphics.h"
#include "values/pascreate.h"
#include "values/values.h"

namespace {

class SettingsTable : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterSaverClasses(); }
  void SetUp() override {
    MainForm = testing_support::NewMainModule<TMainForm>();
    ScrLoadValuesFromRegistry(MainForm);
  }
  void TearDown() override {
    MainForm->Free();
    MainForm = nullptr;
  }
};

// The controller class the options dialog's compiled-in form binds to each
// value: "Velocity" -> "TScrTrackBarIntegerController".
std::map<std::string, std::string> DialogControllers() {
  HRSRC found = FindResourceA(nullptr, "TCONFIGFORM", MAKEINTRESOURCEA(10));
  const char* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  const std::string text(data, SizeofResource(nullptr, found));
  static const std::regex bound(R"(: (TScr\w+Controller)\s+Value = MainForm\.(\w+))");
  std::map<std::string, std::string> controllers;
  for (std::sregex_iterator i(text.begin(), text.end(), bound), end; i != end; ++i)
    if ((*i)[1] != "TScrTextIndexController") controllers[(*i)[2]] = (*i)[1];
  return controllers;
}

// The ends of a slider of the dialog's kind, showing `value` through a
// controller of class `name`.
std::pair<int, int> SliderEnds(const std::string& name, TScrValue* value) {
  TScrTrackBar* bar = CreateComponent<TScrTrackBar>(nullptr);
  auto* controller = static_cast<TScrTrackBarController*>(ScrCreateOwnedComponent(bar, FindClass(name)));
  bar->SetController(controller);
  controller->SetValue(value);
  const std::pair<int, int> ends{bar->Min(), bar->Max()};
  bar->Free();
  return ends;
}

// One setting's entry of the page's panel: {"option":"rings",...}.
std::string PanelEntry(const std::string& option) {
  const std::string json = GalaxyTableJson();
  const std::size_t at = json.find("{\"option\":\"" + option + "\"");
  return at == std::string::npos ? std::string() : json.substr(at, json.find('}', at) - at + 1);
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

}  // namespace

// Every place a setting shows: the settings module's value (its fallback
// and ranges), the dialog's control as its form binds it, the hack's option
// and usage, the hack's settings file and the page's panel.
TEST_F(SettingsTable, EveryPlaceShowsEachSettingAsTheTableDefinesIt) {
  const auto controllers = DialogControllers();
  std::map<std::string, TSettingsItem> xml;  // by the hack's option
  for (TSettingsItem& item : ReadSettingsText(HackSettingsFile())) xml[item.Attr["id"]] = item;
  const std::string usage = HackUsage();
  for (const TGalaxySettingInfo& info : kGalaxySettings) {
    SCOPED_TRACE(info.ValueName);
    const double def = GalaxySettingDefault(info);
    TScrValue* value = MainForm->GalaxyValue(info);
    ASSERT_NE(value, nullptr);
    ASSERT_EQ(xml.count(info.Option), 1u);
    ASSERT_EQ(controllers.count(info.ValueName), 1u);
    const std::string controller = controllers.at(info.ValueName), panel = PanelEntry(info.Option);
    TSettingsItem item = xml[info.Option];
    // The hack's usage names the option, its caption and its default; the
    // panel shows the caption.
    EXPECT_NE(usage.find("  -" + std::string(info.Option) + " VALUE"), std::string::npos);
    EXPECT_NE(usage.find(std::string(info.Caption) + ": "), std::string::npos);
    EXPECT_NE(panel.find("\"caption\":\"" + std::string(info.Caption) + "\""), std::string::npos) << panel;
    switch (info.Kind) {
      case TSettingKind::Number: {
        if (auto* v = dynamic_cast<TScrVInteger*>(value)) {
          EXPECT_EQ(v->Def(), def);
          EXPECT_EQ(v->GetMin(), info.Min);
          EXPECT_EQ(v->GetMax(), info.Max);
        } else {
          auto* d = dynamic_cast<TScrVDouble*>(value);
          ASSERT_NE(d, nullptr);
          EXPECT_EQ(d->Def(), def);
          EXPECT_EQ(d->GetMin(), info.Min);
          EXPECT_EQ(d->GetMax(), info.Max);
        }
        const std::pair<int, int> ends{SliderMin(info), SliderMax(info)};
        EXPECT_EQ(SliderEnds(controller, value), ends) << controller;
        EXPECT_EQ(item.Kind, "number");
        EXPECT_EQ(item.Attr["_label"], info.Caption);
        EXPECT_EQ(item.Attr["arg"], "--" + std::string(info.Option) + " %");
        EXPECT_EQ(std::stoi(item.Attr["low"]), ends.first);
        EXPECT_EQ(std::stoi(item.Attr["high"]), ends.second);
        EXPECT_EQ(std::stoi(item.Attr["default"]), SliderPosition(info, def));
        EXPECT_EQ(item.Attr["_high-label"], GalaxySettingFigure(info, info.Max));  // a figure, not a position
        EXPECT_NE(panel.find("\"min\":" + std::to_string(ends.first) + ",\"max\":" + std::to_string(ends.second)),
                  std::string::npos)
            << panel;
        // The hack takes the slider's ends, and nothing beyond.
        const std::string option = "-" + std::string(info.Option);
        const THackParsed top = ParseHackArgs({option, std::to_string(ends.second)});
        ASSERT_EQ(top.result, THackParse::Run);
        EXPECT_DOUBLE_EQ(GetGalaxySetting(top.s.Galaxy, info), info.Max);
        const THackParsed bottom = ParseHackArgs({option, std::to_string(ends.first)});
        ASSERT_EQ(bottom.result, THackParse::Run);
        EXPECT_DOUBLE_EQ(GetGalaxySetting(bottom.s.Galaxy, info), info.Min);
        EXPECT_EQ(ParseHackArgs({option, std::to_string(ends.second + 1)}).result, THackParse::Error);
        EXPECT_EQ(ParseHackArgs({option, std::to_string(ends.first - 1)}).result, THackParse::Error);
        break;
      }
      case TSettingKind::Choice: {
        // The index value's options are the table's, in the slider's order:
        // the caption, the figures that read as it, the figure it stores.
        auto* v = dynamic_cast<TScrVIndex*>(value);
        ASSERT_NE(v, nullptr);
        ASSERT_EQ(v->GetRanges()->Count(), info.ChoiceCount);
        std::set<std::string> words, files(item.Choices.begin(), item.Choices.end());
        for (int i = 0; i < info.ChoiceCount; ++i) {
          const TSettingChoice& c = info.Choices[i];
          const TScrVIntegerRange* range = v->GetRanges()->GetItem(i);
          EXPECT_EQ(range->Caption(), c.Caption);
          EXPECT_EQ(std::make_pair(range->Min(), range->Max()), std::make_pair(c.Min, c.Max));
          EXPECT_EQ(range->Def(), c.Value);
          words.insert(c.Value == def ? "" : "--" + std::string(info.Option) + " " + c.Word);
          EXPECT_NE(panel.find("[\"" + std::string(c.Word) + "\",\"" + c.Caption + "\"]"), std::string::npos) << panel;
          const THackParsed hack = ParseHackArgs({"-" + std::string(info.Option), c.Word});
          ASSERT_EQ(hack.result, THackParse::Run);
          EXPECT_EQ(GetGalaxySetting(hack.s.Galaxy, info), c.Value);
        }
        EXPECT_EQ(v->IntegerFromIndex(v->IndexFromInteger(v->Def())), def);
        EXPECT_EQ(SliderEnds(controller, value), std::make_pair(0, info.ChoiceCount - 1)) << controller;
        EXPECT_EQ(files, words);  // the default passes nothing
        break;
      }
      case TSettingKind::Color: {
        auto* v = dynamic_cast<TScrVColor*>(value);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->Def(), def);
        EXPECT_EQ(controller, "TScrListBoxRGBColorController");
        // The settings file and the panel offer every colour by name; the
        // file's default passes nothing.
        std::set<std::string> words, files(item.Choices.begin(), item.Choices.end());
        for (const TNamedColor& c : kGalaxyColors) {
          words.insert(c.Color == def ? "" : "--" + std::string(info.Option) + " " + Lower(c.Name));
          EXPECT_NE(panel.find(",\"" + std::string(c.Name) + "\"]"), std::string::npos) << panel;
        }
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
