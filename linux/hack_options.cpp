#include "linux/hack_options.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "galaxy/presets.h"
#include "galaxy/words.h"

namespace {

enum class TKind { Flag, Setting, Preset, Window, Text, Delay, Seed, Frames, Path };

// One option: XScreenSaver's own, or one of the galaxy's settings.
struct TOption {
  const char* Name;
  const char* Caption;
  TKind Kind;
  const TGalaxySettingInfo* Setting;  // a Setting's
};

const std::vector<TOption>& Options() {
  static const std::vector<TOption> options = [] {
    std::vector<TOption> o = {
        {"root", "Draw on the root window (or XSCREENSAVER_WINDOW)", TKind::Flag, nullptr},
        {"window", "Draw in a window of its own", TKind::Flag, nullptr},
        {"window-id", "Draw in the window of this id", TKind::Window, nullptr},
        {"display", "X display", TKind::Text, nullptr},
        {"fps", "Show the frame rate", TKind::Flag, nullptr},
        {"delay", "Frame rate", TKind::Delay, nullptr},
        {"preset", "Presets", TKind::Preset, nullptr},
        {"seed", "Seed of the galaxy's random choices", TKind::Seed, nullptr},
        {"record-animation", "Record a film of this many pictures, then exit", TKind::Frames, nullptr},
        {"record-file", "The film's file", TKind::Path, nullptr},
    };
    for (const TGalaxySettingInfo& s : kGalaxySettings) o.push_back({s.Option, s.Caption, TKind::Setting, &s});
    return o;
  }();
  return options;
}

void SetFlag(THackSettings& s, const std::string& name) {
  if (name == "root") s.Target = THackTarget::Root;
  if (name == "window") s.Target = THackTarget::OwnWindow;
  if (name == "fps") s.Fps = true;
}

// What an option takes, for the usage text and the error line.
std::string Takes(const TOption& o) {
  std::string s;
  switch (o.Kind) {
    case TKind::Setting: return GalaxySettingTakes(*o.Setting);
    case TKind::Preset:
      for (const TGalaxyPreset& p : kGalaxyPresets) s += (s.empty() ? "" : ", ") + GalaxyPresetWord(p);
      return "one of " + s;
    case TKind::Window: return "a window id (decimal or 0x hex)";
    case TKind::Text: return "a name";
    case TKind::Delay: return "0 to " + std::to_string(kHackDelayMax);
    case TKind::Seed: return "0 to " + std::to_string(UINT32_MAX);
    case TKind::Frames: return "1 to " + std::to_string(INT_MAX);
    case TKind::Path: return "a file's path";
    case TKind::Flag: break;
  }
  return "no value";
}

// A decimal number from `min` to `max`, with nothing before or after it.
// What the usage writes for an option's value.
std::string Placeholder(const TOption& o) {
  switch (o.Kind) {
    case TKind::Window: return "ID";
    case TKind::Seed: return "N";
    case TKind::Frames: return "FRAMES";
    case TKind::Path: return "PATH";
    default: return "VALUE";
  }
}

bool ParseInteger(const std::string& text, long long min, long long max, long long& value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(text.c_str(), &end, 10);
  return !*end && !errno && value >= min && value <= max;
}

// An argument as the error line shows it: control characters (a newline
// would break the line, an escape would reach the terminal) as \xNN.
std::string Shown(const std::string& arg) {
  std::string s;
  for (const char c : arg) {
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
      s += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
      s += escaped;
    }
  }
  return s;
}

const TOption* FindOption(const std::string& arg) {
  const std::string name = arg.size() > 2 && arg.compare(0, 2, "--") == 0 ? arg.substr(2)
                           : arg.size() > 1 && arg[0] == '-'               ? arg.substr(1)
                                                                           : std::string();
  for (const TOption& o : Options())
    if (!name.empty() && name == o.Name) return &o;
  return nullptr;
}

// Takes one option's value into `result` (a setting's into `values`).
bool TakeValue(const TOption& option, const std::string& text, THackSettings& result,
               std::vector<std::pair<const TGalaxySettingInfo*, double>>& values, const TGalaxyPreset*& preset) {
  switch (option.Kind) {
    case TKind::Setting: {
      double value = 0;
      if (!ParseGalaxySetting(*option.Setting, text, value)) return false;
      values.push_back({option.Setting, value});
      return true;
    }
    case TKind::Preset: return (preset = FindGalaxyPreset(text)) != nullptr;
    case TKind::Window:
      result.Target = THackTarget::WindowId;
      return ParseHackWindowId(text, result.WindowId);
    case TKind::Text: result.Display = text; return true;
    case TKind::Path:
      result.RecordFile = text;
      return !text.empty();
    case TKind::Seed: return result.Seeded = ParseGalaxySeed(text, result.Seed);
    case TKind::Delay:
    case TKind::Frames: {
      const bool delay = option.Kind == TKind::Delay;
      long long n = 0;
      if (!ParseInteger(text, delay ? 0 : 1, delay ? kHackDelayMax : INT_MAX, n)) return false;
      (delay ? result.Delay : result.RecordFrames) = static_cast<int>(n);
      return true;
    }
    case TKind::Flag: break;
  }
  return false;
}

}  // namespace

bool ParseHackWindowId(const std::string& text, unsigned long& id) {
  // strtoul would take blanks and a sign ("-1" as the largest id) first.
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(text.c_str(), &end, 0);
  if (end != text.c_str() + text.size() || errno || value == 0 || value > kHackWindowIdMax) return false;
  id = value;
  return true;
}

unsigned long HackEnvironmentWindow(const char* text) {
  unsigned long id = 0;
  return text && ParseHackWindowId(text, id) ? id : 0;
}

double HackPictureRate(int delayUs, double refreshHz) {
  const double rate = delayUs > 0 ? 1e6 / delayUs : 0;
  if (refreshHz > 0 && (rate <= 0 || refreshHz < rate)) return refreshHz;
  return rate;
}

THackParse ParseHackOptions(int argc, const char* const* argv, THackSettings& settings,
                            std::string& message) {
  THackSettings result;
  std::vector<std::pair<const TGalaxySettingInfo*, double>> values;
  const TGalaxyPreset* preset = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "-help" || arg == "--help") return THackParse::Help;
    const TOption* option = FindOption(arg);
    if (!option) {
      message = "unknown option " + Shown(arg);
      return THackParse::Error;
    }
    if (option->Kind == TKind::Flag) {
      SetFlag(result, option->Name);
      continue;
    }
    if (i + 1 >= argc) {
      message = arg + " needs a value: " + option->Caption + ", " + Takes(*option);
      return THackParse::Error;
    }
    const std::string text = argv[++i];
    if (!TakeValue(*option, text, result, values, preset)) {
      message = arg + " " + Shown(text) + ": " + option->Caption + " takes " + Takes(*option);
      return THackParse::Error;
    }
  }
  if (preset)
    ApplyGalaxyPreset(*preset, [&](const TGalaxySettingInfo& s, double v) { SetGalaxySetting(result.Galaxy, s, v); });
  for (const auto& v : values) SetGalaxySetting(result.Galaxy, *v.first, v.second);
  settings = result;
  return THackParse::Run;
}

std::string HackUsage() {
  const TGalaxySettings defaults;
  std::string s = "usage: spiralis [options]\n";
  for (const TOption& o : Options()) {
    std::string line = "  -" + std::string(o.Name);
    if (o.Kind != TKind::Flag) line += " " + Placeholder(o);
    line.resize(line.size() < 24 ? 24 : line.size() + 1, ' ');
    line += o.Caption;
    if (o.Kind != TKind::Flag) line += ": " + Takes(o);
    if (o.Kind == TKind::Delay)
      line += " microseconds at least between pictures (default " + std::to_string(kHackDelayDefault) + ")";
    if (o.Kind == TKind::Seed) line += " (default: the calendar's time)";
    if (o.Kind == TKind::Frames) line += ", each 1/30 s later, as H.264 in MP4";
    if (o.Kind == TKind::Path) line += " (default " + std::string(kHackRecordFileDefault) + ")";
    if (o.Setting) {
      const double def = GetGalaxySetting(defaults, *o.Setting);
      const std::string word = GalaxySettingWord(*o.Setting, def), figure = GalaxySettingFigure(*o.Setting, def);
      line += " (default " + word + (o.Setting->Steps != 1 ? ", the figure " + figure : "") + ")";
    }
    s += line + "\n";
  }
  s += "Every option may also begin with two dashes.\n";
  return s;
}
