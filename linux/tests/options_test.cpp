#include "linux/hack_options.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "galaxy/presets.h"
#include "linux/system_gl.h"
#include "linux/tests/settings_file.h"

namespace {

// Every setting, as one comparable row.
std::vector<double> Row(const THackSettings& s) {
  const TGalaxySettings& g = s.Galaxy;
  return {double(g.Rings), double(g.Velocity), double(g.Probability), double(g.Trails), g.Density * 2000,
          double(g.DarkMatter), double(g.Speed), double(g.Explosion), double(g.Exhausted), double(g.Background),
          double(g.Replenished), double(g.Depth), double(g.Eye), double(s.Fps), double(int(s.Target)), double(s.WindowId),
          double(s.Delay)};
}

TEST(HackOptions, FiguresTakeTheDialogsRangesAndAMistakeNamesTheRange) {
  // Option, caption, range, and its column in Row(); the figures a slider's
  // positions stand for, where they are others.
  const struct { const char *option, *caption; int min, max, column; const char* figures; } cases[] = {
      {"rings", "Number of rings", 2, 150, 0, ""},    {"velocity", "Galactic rotation", 0, 40, 1, ""},
      {"probability", "Triggering probability", 0, 100, 2, ""}, {"trails", "Time to replenish gases", 1, 150, 3, ""},
      {"density", "Initial star density", 0, 100, 4, " (figures 0 to 0.05)"}, {"depth", "Depth of field", 0, 600, 11, ""},
      {"eye", "Camera wander", 0, 150, 12, ""},       {"delay", "Frame rate", 0, 100000, 16, ""}};
  for (const auto& c : cases) {
    const std::string dash = std::string("-") + c.option;
    for (int v : {c.min, c.max}) {
      EXPECT_EQ(Row(ParseHackArgs({dash, std::to_string(v)}).s)[c.column], v) << dash;
      EXPECT_EQ(Row(ParseHackArgs({"-" + dash, std::to_string(v)}).s)[c.column], v) << dash;
    }
    const std::string bads[] = {std::to_string(c.min - 1), std::to_string(c.max + 1), "7x", ""};
    for (const std::string& bad : bads) {
      const THackParsed p = ParseHackArgs({dash, bad});
      EXPECT_EQ(p.result, THackParse::Error);
      EXPECT_EQ(p.message, dash + " " + bad + ": " + c.caption + " takes " + std::to_string(c.min) + " to " +
                               std::to_string(c.max) + c.figures);
    }
    EXPECT_EQ(ParseHackArgs({dash}).result, THackParse::Error);
  }
  EXPECT_EQ(ParseHackArgs({"-density", "19"}).s.Galaxy.Density, 0.0095);  // the slider's hundredths of 0.05
}

TEST(HackOptions, WordsColoursPresetsAndWindows) {
  const struct { const char *option, *word; int column, value; } words[] = {
      {"-speed", "fast", 6, 1},          {"-speed", "Medium", 6, 40},          {"-speed", "slow", 6, 100},
      {"-dark-matter", "present", 5, 1}, {"-dark-matter", "PARTIAL", 5, 2}, {"-dark-matter", "absent", 5, 3}};
  for (const auto& w : words) EXPECT_EQ(Row(ParseHackArgs({"-speed", "slow", w.option, w.word}).s)[w.column], w.value) << w.word;
  EXPECT_EQ(ParseHackArgs({"-speed", "warp"}).message, "-speed warp: Speed of sim. takes one of slow, medium, fast");
  const THackParsed c = ParseHackArgs({"-explosion", "aqua", "-exhausted", "LtGray", "-background", "#ff8000"});
  EXPECT_EQ(c.s.Galaxy.Explosion, 0xFFFF00u);
  EXPECT_EQ(c.s.Galaxy.Exhausted, 0xC0C0C0u);
  EXPECT_EQ(c.s.Galaxy.Background, 0x0080FFu);  // red in the low byte
  for (const char* bad : {"pink", "#ff80", "#ff800g"}) EXPECT_EQ(ParseHackArgs({"-plenished", bad}).result, THackParse::Error);

  for (const TGalaxyPreset& p : kGalaxyPresets) EXPECT_EQ(ParseHackArgs({"-preset", p.Name}).s.Galaxy, p.Settings) << p.Name;
  // A preset comes first wherever it stands; the options beside it change it.
  const std::vector<double> mixed = Row(ParseHackArgs({"-rings", "20", "--preset", "warp-speed", "-speed", "slow"}).s);
  EXPECT_EQ((std::vector<double>{mixed[0], mixed[1], mixed[6]}), (std::vector<double>{20, 40, 100}));

  EXPECT_EQ(ParseHackArgs({"--root"}).s.Target, THackTarget::Root);
  EXPECT_EQ(ParseHackArgs({"-root", "-window"}).s.Target, THackTarget::OwnWindow);
  EXPECT_EQ(ParseHackArgs({"-display", ":5"}).s.Display, ":5");
  const THackParsed id = ParseHackArgs({"--window-id", "0x2a", "-fps"});
  EXPECT_EQ(std::make_tuple(id.s.Target, id.s.WindowId, id.s.Fps), std::make_tuple(THackTarget::WindowId, 42ul, true));
  EXPECT_EQ(ParseHackArgs({"--help"}).result, THackParse::Help);
  for (const std::vector<std::string>& wrong :
       std::vector<std::vector<std::string>>{{"-window-id", "xyz"}, {"-window-id", "0"}, {"-rot"}, {"xroot"}, {"--"}})
    EXPECT_EQ(ParseHackArgs(wrong).result, THackParse::Error) << wrong[0];
  EXPECT_EQ(ParseHackArgs({"-rot"}).message, "unknown option -rot");
  // The usage: a line per option with what it takes and its default.
  const std::string usage = HackUsage();
  for (const char* line : {"\n  -root                 Draw on the root window (or XSCREENSAVER_WINDOW)\n",
                           "\n  -rings VALUE          Number of rings: 2 to 150 (default 60)\n",
                           "\n  -dark-matter VALUE    Dark Matter: one of present, partial, absent (default partial)\n",
                           "\n  -delay VALUE          Frame rate: 0 to 100000 microseconds at least between pictures "
                           "(default 30000)\n"})
    EXPECT_NE(usage.find(line), std::string::npos) << line << usage;
}

TEST(HackSettingsFile, EveryControlPassesWhatTheHackTakesAndItsDefaultIsTheHacks) {
  const std::vector<double> defaults = Row(THackSettings());
  int controls = 0;
  for (const TSettingsItem& item : ReadSettingsFile(SPIRALIS_XML)) {
    ++controls;
    std::vector<std::vector<std::string>> runs;  // each with whether it must leave the defaults
    if (item.Kind == "number")
      for (const char* end : {"default", "low", "high"})
        runs.push_back(SettingsArguments(item.Attr.at("arg"), item.Attr.at(end)));
    for (const std::string& choice : item.Choices) runs.push_back(SettingsArguments(choice));
    if (item.Kind == "boolean") runs.push_back(SettingsArguments(item.Attr.at("arg-set")));
    int silent = 0;
    for (const auto& args : runs) {
      const THackParsed p = ParseHackArgs(args);
      ASSERT_EQ(p.result, THackParse::Run) << p.message;
      // The settings program passes nothing for a control at its default:
      // the hack's default must be the same, and every other entry must differ.
      if (item.Kind == "select") {
        EXPECT_EQ(Row(p.s) == defaults, args.empty()) << (args.empty() ? "" : args[1]);
      }
      silent += args.empty();
    }
    if (item.Kind == "number") {
      EXPECT_EQ(Row(ParseHackArgs(runs[0]).s), defaults) << runs[0][0];
    }
    if (item.Kind == "select") {
      EXPECT_EQ(silent, 1);
    }
  }
  EXPECT_EQ(controls, 16);  // eight sliders (with -delay's), seven menus (with the presets), -fps's box
}

// The seed and the recording's switches (their bad values end to end in
// film_test.cpp): the seed's whole range, and nothing but digits.
TEST(HackOptions, SeedAndRecording) {
  EXPECT_FALSE(THackSettings().Seeded);
  EXPECT_EQ(THackSettings().RecordFile, "spiralis.mp4");
  const THackParsed p = ParseHackArgs({"-seed", "4294967295", "--record-animation", "300", "-record-file", "a:b.mp4"});
  ASSERT_EQ(p.result, THackParse::Run) << p.message;
  EXPECT_EQ(std::make_tuple(p.s.Seeded, p.s.Seed, p.s.RecordFrames, p.s.RecordFile),
            std::make_tuple(true, 4294967295u, 300, std::string("a:b.mp4")));
  EXPECT_EQ(ParseHackArgs({"-seed", "0"}).s.Seeded, true);
  for (const char* bad : {"-1", "4294967296", "0x10", "+5", " 5", ""})
    EXPECT_EQ(ParseHackArgs({"-seed", bad}).message, std::string("-seed ") + bad + ": Seed of the galaxy's random choices takes 0 to 4294967295");
  EXPECT_EQ(ParseHackArgs({"-record-animation", "2147483648"}).result, THackParse::Error);
  EXPECT_EQ(ParseHackArgs({"-record-file", ""}).result, THackParse::Error);
}

// The window XScreenSaver names, by -window-id or XSCREENSAVER_WINDOW: only a
// number that can be an X window's id is taken; the environment's others
// leave the root window.
TEST(HackWindowId, OnlyAnXResourceIdIsTaken) {
  const struct { const char* text; unsigned long id; } cases[] = {
      {"0x2a", 42}, {"42", 42}, {"052", 42}, {"0X1FFFFFFF", 0x1FFFFFFF}, {"0x20000000", 0}, {"4294967338", 0},
      {"18446744073709551658", 0}, {"-1", 0}, {" 42", 0}, {"+42", 0}, {"42 ", 0}, {"0", 0}, {"0x", 0}, {"", 0}};
  for (const auto& c : cases) {
    unsigned long id = 7;
    EXPECT_EQ(ParseHackWindowId(c.text, id), c.id != 0) << c.text;
    EXPECT_EQ(id, c.id ? c.id : 7) << c.text;
    EXPECT_EQ(HackEnvironmentWindow(c.text), c.id) << c.text;
    const THackParsed p = ParseHackArgs({"-window-id", c.text});
    EXPECT_EQ(p.result, c.id ? THackParse::Run : THackParse::Error) << c.text;
  }
  EXPECT_EQ(HackEnvironmentWindow(nullptr), 0u);
}

// Pictures a second: one per -delay, never beyond a refresh rate that is
// known; 0 paces nothing.
TEST(HackPictureRate, TheDelayAndTheRefreshRateWhicheverIsSlower) {
  const struct { int delay; double refresh, rate; } cases[] = {
      {30000, 0, 1e6 / 30000}, {100000, 0, 10}, {0, 0, 0},    {0, 60, 60},
      {30000, 60, 1e6 / 30000}, {10000, 60, 60}, {1, 144, 144}, {100000, -1, 10}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(HackPictureRate(c.delay, c.refresh), c.rate) << c.delay << " " << c.refresh;
  EXPECT_EQ(THackSettings().Delay, 30000);  // XScreenSaver's default
}

// The main loop's pace over ten seconds of a clock the test drives (from
// `start`, across the clock's wrap too): it waits until something is due,
// takes the steps and draws a picture when one is, which takes `drawMs`.
// -delay counts from the end of the last picture; the refresh rate caps it;
// with neither, every step is drawn.
TEST(HackPace, StepsAtTheirIntervalPicturesAtTheDelayAfterTheLastOne) {
  const struct {
    int delayUs;
    double refreshHz;
    int intervalMs, drawMs, steps, pictures;
  } cases[] = {
      {100000, 0, 10, 0, 1000, 100},  {100000, 0, 10, 50, 1000, 67}, {0, 0, 100, 0, 100, 100},
      {0, 0, 1, 0, 1000, 1000},       {20000, 30, 10, 0, 1000, 300}, {0, 60, 10, 0, 1000, 600},
      {30000, 0, 100, 0, 100, 100},
  };
  for (std::uint32_t start : {0u, 0xFFFFF000u})
    for (const auto& c : cases) {
      THackPace pace;
      pace.Start(c.delayUs, c.refreshHz, c.intervalMs, start);
      int steps = 0, pictures = 0;
      for (std::uint32_t now = start; now - start < 10000;) {
        if (const std::uint32_t wait = pace.Until(now)) {
          now += wait;
          continue;
        }
        steps += pace.Steps.Take(now);
        if (pace.Pictures.Due(now)) ++pictures, now += c.drawMs, pace.Pictures.Drawn(now);
      }
      // Within 2 %: steps wait for the next picture, the last ones for none.
      EXPECT_NEAR(steps, c.steps, c.steps / 50 + 1) << c.delayUs << " us, " << c.refreshHz << " Hz, " << c.drawMs;
      EXPECT_NEAR(pictures, c.pictures, c.pictures / 50 + 1) << c.delayUs << " us, " << c.refreshHz << " Hz, " << c.drawMs;
    }
}

// The hack draws through the system's OpenGL from arrays: a table missing an
// entry would draw nothing, or one call per vertex, without a word; an entry
// in the wrong slot would draw nonsense. Each slot holds the function that
// the system's libGL gives for its name.
TEST(SystemGalaxyGL, HasEveryEntryEachTheSystemsFunctionOfItsName) {
  const TGalaxyGL gl = SystemGalaxyGL();
  EXPECT_TRUE(gl.Complete());
  EXPECT_TRUE(gl.HasArrays());
#define BY_NAME(ret, name, params) \
  EXPECT_EQ(reinterpret_cast<void*>(gl.name), dlsym(RTLD_DEFAULT, "gl" #name)) << "gl" #name;
  GALAXY_GL_ENTRIES(BY_NAME)
#undef BY_NAME
}

}  // namespace
