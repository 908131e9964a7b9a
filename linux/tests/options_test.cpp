#include "linux/hack_options.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "galaxy/presets.h"
#include "linux/tests/settings_file.h"

namespace {

struct Parsed {
  THackParse result;
  THackSettings settings;
  std::string message;
};

Parsed Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "spiralis");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  Parsed p;
  p.result = ParseHackOptions(static_cast<int>(argv.size()), argv.data(), p.settings, p.message);
  return p;
}

bool SameSettings(const THackSettings& a, const THackSettings& b) {
  const TGalaxySettings &x = a.Galaxy, &y = b.Galaxy;
  return x.Rings == y.Rings && x.Velocity == y.Velocity && x.Probability == y.Probability &&
         x.Trails == y.Trails && x.Density == y.Density && x.DarkMatter == y.DarkMatter && x.Speed == y.Speed &&
         x.Explosion == y.Explosion && x.Exhausted == y.Exhausted && x.Background == y.Background &&
         x.Replenished == y.Replenished && a.Depth == b.Depth && a.Eye == b.Eye && a.Fps == b.Fps &&
         a.Target == b.Target && a.WindowId == b.WindowId;
}

TEST(HackOptions, FiguresTakeTheDialogsRangesAndNameThemWhenOutside) {
  struct Case {
    const char* option;
    const char* caption;
    int min, max;
    std::function<double(const THackSettings&)> get;
  };
  const Case cases[] = {
      {"rings", "Number of rings", 2, 150, [](const THackSettings& s) { return s.Galaxy.Rings; }},
      {"velocity", "Galactic rotation", 0, 40, [](const THackSettings& s) { return s.Galaxy.Velocity; }},
      {"probability", "Triggering probability", 0, 100, [](const THackSettings& s) { return s.Galaxy.Probability; }},
      {"trails", "Time to replenish gases", 1, 150, [](const THackSettings& s) { return s.Galaxy.Trails; }},
      {"density", "Initial star density", 0, 100, [](const THackSettings& s) { return s.Galaxy.Density * 2000; }},
      {"depth", "Depth of field", 0, 600, [](const THackSettings& s) { return s.Depth; }},
      {"eye", "Camera wander", 0, 150, [](const THackSettings& s) { return s.Eye; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    const std::string dash = std::string("-") + c.option, dashes = "-" + dash;
    for (int v : {c.min, c.max}) {
      const Parsed p = Parse({dash, std::to_string(v)});
      ASSERT_EQ(p.result, THackParse::Run) << p.message;
      EXPECT_EQ(c.get(p.settings), v);
      EXPECT_EQ(c.get(Parse({dashes, std::to_string(v)}).settings), v);
    }
    const std::string range = std::to_string(c.min) + " to " + std::to_string(c.max);
    for (const std::string& bad : {std::to_string(c.min - 1), std::to_string(c.max + 1), std::string("7x"),
                                   std::string("")}) {
      const Parsed p = Parse({dash, bad});
      EXPECT_EQ(p.result, THackParse::Error) << bad;
      EXPECT_EQ(p.message, dash + " " + bad + ": " + c.caption + " takes " + range);
    }
    const Parsed missing = Parse({dash});
    EXPECT_EQ(missing.result, THackParse::Error);
    EXPECT_NE(missing.message.find(range), std::string::npos) << missing.message;
  }
  // Density is the dialog's slider: hundredths of 0.05.
  EXPECT_EQ(Parse({"-density", "25"}).settings.Galaxy.Density, 0.0125);
  EXPECT_EQ(Parse({"-density", "19"}).settings.Galaxy.Density, 0.0095);
}

TEST(HackOptions, WordsAndColours) {
  EXPECT_EQ(Parse({"-speed", "slow"}).settings.Galaxy.Speed, 100);
  EXPECT_EQ(Parse({"-speed", "Medium"}).settings.Galaxy.Speed, 40);
  EXPECT_EQ(Parse({"--speed", "fast"}).settings.Galaxy.Speed, 1);
  EXPECT_EQ(Parse({"-dark-matter", "present"}).settings.Galaxy.DarkMatter, 1);
  EXPECT_EQ(Parse({"-dark-matter", "PARTIAL"}).settings.Galaxy.DarkMatter, 2);
  EXPECT_EQ(Parse({"-dark-matter", "absent"}).settings.Galaxy.DarkMatter, 3);
  const Parsed speed = Parse({"-speed", "warp"});
  EXPECT_EQ(speed.result, THackParse::Error);
  EXPECT_EQ(speed.message, "-speed warp: Speed of sim. takes one of fast, medium, slow");

  const Parsed c = Parse({"-explosion", "aqua", "-exhausted", "LtGray", "-background", "#ff8000", "-plenished",
                          "Maroon"});
  ASSERT_EQ(c.result, THackParse::Run) << c.message;
  EXPECT_EQ(c.settings.Galaxy.Explosion, 0xFFFF00u);
  EXPECT_EQ(c.settings.Galaxy.Exhausted, 0xC0C0C0u);
  EXPECT_EQ(c.settings.Galaxy.Background, 0x0080FFu);  // red in the low byte
  EXPECT_EQ(c.settings.Galaxy.Replenished, 0x000080u);
  for (const char* bad : {"pink", "#ff80", "#ff800g", "ff8000"}) {
    const Parsed p = Parse({"-background", bad});
    EXPECT_EQ(p.result, THackParse::Error) << bad;
    EXPECT_NE(p.message.find("Background takes a colour name"), std::string::npos) << p.message;
  }
}

TEST(HackOptions, PresetsComeFirstAndOptionsChangeThem) {
  for (const TGalaxyPreset& preset : kGalaxyPresets) {
    SCOPED_TRACE(preset.Name);
    std::string slug = preset.Name;
    for (char& ch : slug) ch = ch == ' ' ? '-' : static_cast<char>(std::tolower(ch));
    const Parsed byName = Parse({"-preset", preset.Name});
    const Parsed bySlug = Parse({"--preset", slug});
    ASSERT_EQ(bySlug.result, THackParse::Run) << bySlug.message;
    EXPECT_TRUE(SameSettings(byName.settings, bySlug.settings));
    const THackSettings& s = bySlug.settings;
    EXPECT_EQ(s.Galaxy.Rings, preset.Rings);
    EXPECT_EQ(s.Galaxy.Velocity, preset.Velocity);
    EXPECT_EQ(s.Galaxy.Probability, preset.Probability);
    EXPECT_EQ(s.Galaxy.Trails, preset.Trails);
    EXPECT_EQ(s.Galaxy.Explosion, preset.Explosion);
    EXPECT_EQ(s.Galaxy.Exhausted, preset.Exhausted);
    EXPECT_EQ(s.Galaxy.Background, preset.Background);
    EXPECT_EQ(s.Galaxy.Replenished, preset.Replenished);
    EXPECT_EQ(s.Galaxy.Density, preset.Density);
    EXPECT_EQ(s.Galaxy.DarkMatter, preset.DarkMatter);
    EXPECT_EQ(s.Galaxy.Speed, preset.Speed);
    EXPECT_EQ(s.Depth, preset.Depth);
    EXPECT_EQ(s.Eye, preset.Eye);
  }
  // Whatever the order, an option beside a preset changes that one setting.
  const Parsed p = Parse({"-rings", "20", "-preset", "warp-speed", "-speed", "slow"});
  EXPECT_EQ(p.settings.Galaxy.Rings, 20);
  EXPECT_EQ(p.settings.Galaxy.Velocity, 40);
  EXPECT_EQ(p.settings.Galaxy.Speed, 100);
  const Parsed bad = Parse({"-preset", "Warp"});
  EXPECT_EQ(bad.result, THackParse::Error);
  EXPECT_NE(bad.message.find("pink-clouds-of-heaven"), std::string::npos) << bad.message;
}

TEST(HackOptions, WindowSwitchesAndMistakes) {
  EXPECT_EQ(Parse({}).settings.Target, THackTarget::OwnWindow);
  EXPECT_EQ(Parse({"-root"}).settings.Target, THackTarget::Root);
  EXPECT_EQ(Parse({"--root"}).settings.Target, THackTarget::Root);
  EXPECT_EQ(Parse({"--root", "-window"}).settings.Target, THackTarget::OwnWindow);
  for (const char* id : {"0x2a", "42"}) {
    const Parsed p = Parse({"--window-id", id, "-fps"});
    EXPECT_EQ(p.settings.Target, THackTarget::WindowId);
    EXPECT_EQ(p.settings.WindowId, 42u);
    EXPECT_TRUE(p.settings.Fps);
  }
  EXPECT_FALSE(Parse({}).settings.Fps);
  EXPECT_EQ(Parse({"-display", ":7"}).settings.Display, ":7");
  EXPECT_EQ(Parse({"--help"}).result, THackParse::Help);
  const std::vector<std::vector<std::string>> wrong = {
      {"-window-id"}, {"-window-id", "xyz"}, {"-window-id", "0"}, {"-window-id", "-5"}, {"-rot"}, {"rings"}, {"-"}, {"--"}};
  for (const auto& args : wrong) {
    const Parsed p = Parse(args);
    EXPECT_EQ(p.result, THackParse::Error) << args[0];
    EXPECT_NE(p.message.find(args[0]), std::string::npos) << p.message;
    EXPECT_EQ(p.message.find('\n'), std::string::npos);
  }
  EXPECT_EQ(Parse({"-rot"}).message, "unknown option -rot");
  // The usage names every option with what it takes and its default.
  const std::string usage = HackUsage();
  for (const char* line : {"-rings VALUE", "Number of rings: 2 to 150 (default 60)", "(default Aqua)",
                           "Initial star density: 0 to 100 (default 10)", "-window-id ID", "(default partial)"})
    EXPECT_NE(usage.find(line), std::string::npos) << line;
}

TEST(HackSettingsFile, EveryControlPassesWhatTheHackTakesAndDefaultsAgree) {
  const auto items = ReadSettingsFile(SPIRALIS_XML);
  int numbers = 0, selects = 0, booleans = 0;
  const THackSettings defaults;
  std::string named;
  for (const TSettingsItem& item : items) {
    if (item.Kind == "number") {
      ++numbers;
      const std::string arg = item.Attr.at("arg");
      SCOPED_TRACE(arg);
      named += arg;
      for (const char* end : {"low", "high", "default"}) {
        const Parsed p = Parse(SettingsArguments(arg, item.Attr.at(end)));
        EXPECT_EQ(p.result, THackParse::Run) << p.message;
        // A slider at its default passes nothing: the hack's default must be the same.
        if (std::string(end) == "default") {
          EXPECT_TRUE(SameSettings(p.settings, defaults));
        }
      }
      EXPECT_EQ(Parse(SettingsArguments(arg, item.Attr.at("high") + "1")).result, THackParse::Error);
    } else if (item.Kind == "select") {
      ++selects;
      int silent = 0;
      for (const std::string& choice : item.Choices) {
        SCOPED_TRACE(choice);
        named += choice;
        const Parsed p = Parse(SettingsArguments(choice));
        ASSERT_EQ(p.result, THackParse::Run) << p.message;
        if (choice.empty()) ++silent;
        // The entry that passes nothing is the hack's default; the others change something.
        EXPECT_EQ(SameSettings(p.settings, defaults), choice.empty());
      }
      EXPECT_EQ(silent, 1);
    } else {
      ++booleans;
      named += item.Attr.at("arg-set");
      EXPECT_EQ(Parse(SettingsArguments(item.Attr.at("arg-set"))).result, THackParse::Run);
    }
  }
  EXPECT_EQ(numbers, 7);
  EXPECT_EQ(selects, 7);  // speed, dark matter, four colours, presets
  EXPECT_EQ(booleans, 1);
  for (const char* option : {"--speed", "--velocity", "--probability", "--rings", "--density", "--dark-matter",
                             "--trails", "--eye", "--depth", "--explosion", "--exhausted", "--plenished",
                             "--background", "--preset", "--fps"})
    EXPECT_NE(named.find(option), std::string::npos) << option;
}

}  // namespace
