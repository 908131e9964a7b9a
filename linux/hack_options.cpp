#include "linux/hack_options.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "galaxy/colors.h"
#include "galaxy/presets.h"

namespace {

// Words compare without case, and a space, '-' or '_' are the same: a
// preset is "Warp Speed", "warp-speed" or warp_speed.
char Fold(char c) {
  return c == ' ' || c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
bool SameWord(const std::string& a, const char* b) {
  const std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}
std::string Slug(const char* name) {
  std::string s;
  for (const char* p = name; *p; ++p) s += Fold(*p);
  return s;
}

enum class TKind { Flag, Setting, Preset, Window, Text, Delay };

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

std::string ColorWord(TGalaxyColor c) {
  for (const TNamedColor& n : kGalaxyColors)
    if (n.Color == c) return n.Name;
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return buf;
}

// What an option takes, for the usage text and the error line.
std::string Takes(const TOption& o) {
  std::string s;
  switch (o.Kind) {
    case TKind::Setting:
      switch (o.Setting->Kind) {
        case TSettingKind::Number:
          return std::to_string(SliderMin(*o.Setting)) + " to " + std::to_string(SliderMax(*o.Setting));
        case TSettingKind::Choice:
          for (int i = 0; i < o.Setting->ChoiceCount; ++i)
            s += (i ? ", " : "") + std::string(o.Setting->Choices[i].Word);
          return "one of " + s;
        case TSettingKind::Color: return "a colour name (Black, Maroon, ... White) or #rrggbb";
      }
      break;
    case TKind::Preset:
      for (const TGalaxyPreset& p : kGalaxyPresets) s += (s.empty() ? "" : ", ") + Slug(p.Name);
      return "one of " + s;
    case TKind::Window: return "a window id (decimal or 0x hex)";
    case TKind::Text: return "a name";
    case TKind::Delay: return "0 to " + std::to_string(kHackDelayMax);
    case TKind::Flag: break;
  }
  return "no value";
}

}  // namespace

std::string HackSettingWord(const TGalaxySettingInfo& s, double value) {
  switch (s.Kind) {
    case TSettingKind::Number: return std::to_string(SliderPosition(s, value));
    case TSettingKind::Choice:
      for (int i = 0; i < s.ChoiceCount; ++i)
        if (s.Choices[i].Value == value) return s.Choices[i].Word;
      break;
    case TSettingKind::Color: return ColorWord(static_cast<TGalaxyColor>(value));
  }
  return std::string();
}

namespace {

bool ParseInteger(const std::string& text, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text.c_str(), &end, 10);
  return !*end && !errno;
}

}  // namespace

bool ParseHackSetting(const TGalaxySettingInfo& s, const std::string& text, double& value) {
  switch (s.Kind) {
    case TSettingKind::Number: {
      long position = 0;
      if (!ParseInteger(text, position) || position < SliderMin(s) || position > SliderMax(s)) return false;
      value = static_cast<double>(position) / s.Steps;
      return true;
    }
    case TSettingKind::Choice:
      for (int i = 0; i < s.ChoiceCount; ++i)
        if (SameWord(text, s.Choices[i].Word)) return value = s.Choices[i].Value, true;
      return false;
    case TSettingKind::Color: {
      TGalaxyColor c = 0;
      if (!ParseHackColor(text, c)) return false;
      value = c;
      return true;
    }
  }
  return false;
}

const TGalaxyPreset* FindHackPreset(const std::string& text) {
  for (const TGalaxyPreset& p : kGalaxyPresets)
    if (SameWord(text, p.Name)) return &p;
  return nullptr;
}

std::string HackPresetWord(const TGalaxyPreset& preset) { return Slug(preset.Name); }

namespace {

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
      if (!ParseHackSetting(*option.Setting, text, value)) return false;
      values.push_back({option.Setting, value});
      return true;
    }
    case TKind::Preset: return (preset = FindHackPreset(text)) != nullptr;
    case TKind::Window:
      result.Target = THackTarget::WindowId;
      return ParseHackWindowId(text, result.WindowId);
    case TKind::Text: result.Display = text; return true;
    case TKind::Delay: {
      long delay = 0;
      if (!ParseInteger(text, delay) || delay < 0 || delay > kHackDelayMax) return false;
      result.Delay = static_cast<int>(delay);
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

bool ParseHackColor(const std::string& text, TGalaxyColor& color) {
  for (const TNamedColor& n : kGalaxyColors)
    if (SameWord(text, n.Name)) return color = n.Color, true;
  if (text.size() != 7 || text[0] != '#') return false;
  for (std::size_t i = 1; i < 7; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  const unsigned long rgb = std::strtoul(text.c_str() + 1, nullptr, 16);
  color = static_cast<TGalaxyColor>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
  return true;
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
    if (o.Kind != TKind::Flag) line += o.Kind == TKind::Window ? " ID" : " VALUE";
    line.resize(line.size() < 24 ? 24 : line.size() + 1, ' ');
    line += o.Caption;
    if (o.Kind != TKind::Flag) line += ": " + Takes(o);
    if (o.Kind == TKind::Delay)
      line += " microseconds at least between pictures (default " + std::to_string(kHackDelayDefault) + ")";
    if (o.Setting) line += " (default " + HackSettingWord(*o.Setting, GetGalaxySetting(defaults, *o.Setting)) + ")";
    s += line + "\n";
  }
  s += "Every option may also begin with two dashes.\n";
  return s;
}
