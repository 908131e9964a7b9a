// XScreenSaver's settings file for the hack, spiralis.xml, written from the
// galaxy's table: a slider for every number, a menu for every choice and
// colour, the presets, and XScreenSaver's own frame rate and frame counter.
#include <cctype>
#include <string>

#include "galaxy/colors.h"
#include "galaxy/words.h"
#include "linux/hack_options.h"

namespace {

const char* const kDescription = R"(A galaxy in which star formation spreads by chain reaction. Cells of a
hexagonal lattice turn in concentric rings; an exploding cell (a
supernova) sets off each of its neighbours with the triggering
probability, an exhausted cell needs time to replenish its gases, and
when the chain reaction dies out the galaxy is seeded afresh. The rings
are drawn as a cone of coloured cells under a slowly wandering camera.

Picking a preset sets every slider's meaning at once; a slider moved away
from its default then changes that one setting of the preset.)";

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// One menu entry: its id, label and the arguments it passes (none for the
// default's).
std::string Entry(const std::string& id, const std::string& label, const std::string& args) {
  return "      <option id=\"" + id + "\" _label=\"" + label + "\"" + (args.empty() ? "" : " arg-set=\"" + args + "\"") +
         "/>\n";
}

std::string Slider(const TGalaxySettingInfo& s) {
  const std::string option = s.Option, low = std::to_string(SliderMin(s)), high = std::to_string(SliderMax(s));
  return "    <number id=\"" + option + "\" type=\"slider\" arg=\"--" + option + " %\"\n" +
         "            _label=\"" + s.Caption + "\" _low-label=\"" + GalaxySettingFigure(s, s.Min) +
         "\" _high-label=\"" + GalaxySettingFigure(s, s.Max) + "\"\n" + "            low=\"" + low + "\" high=\"" +
         high + "\" default=\"" + GalaxySettingWord(s, GalaxySettingDefault(s)) + "\"/>\n";
}

// A menu of a choice's options or of every colour by its name, each passing
// its word; the default's entry (for two names of the default's colour,
// LtGray being Silver's, the first) passes nothing.
std::string Menu(const TGalaxySettingInfo& s) {
  const std::string option = s.Option;
  const double def = GalaxySettingDefault(s);
  std::string menu = "    <select id=\"" + option + "\">\n";
  bool defaultShown = false;
  const auto add = [&](double value, const std::string& word, const std::string& caption) {
    const bool isDefault = value == def && !defaultShown;
    defaultShown = defaultShown || isDefault;
    menu += Entry(option + "-" + word, std::string(s.Caption) + ": " + caption,
                  isDefault ? "" : "--" + option + " " + word);
  };
  if (s.Kind == TSettingKind::Choice)
    for (int i = 0; i < s.ChoiceCount; ++i) add(s.Choices[i].Value, s.Choices[i].Word, s.Choices[i].Caption);
  else
    for (const TNamedColor& c : kGalaxyColors) add(c.Color, Lower(c.Name), c.Name);
  return menu + "    </select>\n";
}

std::string Setting(const TGalaxySettingInfo& s) {
  switch (s.Kind) {
    case TSettingKind::Number: return Slider(s);
    case TSettingKind::Choice:
    case TSettingKind::Color: return Menu(s);
  }
  return std::string();
}

}  // namespace

std::string HackSettingsFile() {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n\n"
      "<screensaver name=\"spiralis\" _label=\"Spiralis\" gl=\"yes\">\n\n"
      "  <command arg=\"--root\"/>\n\n"
      "  <hgroup>\n    <vgroup>\n";
  // The first column the Science settings, the second the Visuals (from Eye on).
  for (const TGalaxySettingInfo& s : kGalaxySettings) {
    if (&s == FindGalaxySetting("eye")) xml += "    </vgroup>\n    <vgroup>\n";
    xml += Setting(s);
  }
  xml += "    <select id=\"preset\">\n" + Entry("preset-none", "Preset: none", "");
  for (const TGalaxyPreset& p : kGalaxyPresets) {
    const std::string word = GalaxyPresetWord(p);
    xml += Entry("preset-" + word, std::string("Preset: ") + p.Name, "--preset " + word);
  }
  xml += "    </select>\n";
  xml += "    <number id=\"delay\" type=\"slider\" arg=\"--delay %\"\n"
         "            _label=\"Frame rate\" _low-label=\"Low\" _high-label=\"High\"\n"
         "            low=\"0\" high=\"" + std::to_string(kHackDelayMax) + "\" default=\"" +
         std::to_string(kHackDelayDefault) + "\" convert=\"invert\"/>\n"
         "    <boolean id=\"showfps\" _label=\"Show frame rate\" arg-set=\"--fps\"/>\n"
         "    </vgroup>\n  </hgroup>\n\n"
         "  <_description>\n" + std::string(kDescription) + "\n  </_description>\n</screensaver>\n";
  return xml;
}
