#include "linux/hack_options.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "galaxy/presets.h"

namespace {

struct TNamedColor {
  const char* Name;
  TGalaxyColor Color;
};
// The colour list of the options dialog, in its order.
constexpr TNamedColor Colors[] = {
    {"Black", 0x000000},  {"Maroon", 0x000080}, {"Green", 0x008000}, {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080}, {"Teal", 0x808000},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},    {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00}, {"LtGray", 0xC0C0C0},
    {"DkGray", 0x808080}, {"White", 0xFFFFFF},
};

// Words compare without case, and a space, '-' or '_' are the same: a
// preset is "Warp Speed", "warp-speed" or warp_speed.
char Fold(char c) { return c == ' ' || c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
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

enum class TKind { Flag, Integer, Choice, Color, Preset, Window, Text };

struct TChoice {
  const char* Word;
  int Value;
};

// One option. A setter receives the parsed figure, choice or colour.
struct TOption {
  const char* Name;
  const char* Caption;
  TKind Kind;
  double Min, Max;
  std::vector<TChoice> Choices;
  void (*Set)(THackSettings&, double);
  double (*Get)(const THackSettings&);
};

const std::vector<TOption>& Table() {
  using S = THackSettings;
  static const std::vector<TOption> table = {
      {"root", "Draw on the root window (or XSCREENSAVER_WINDOW)", TKind::Flag, 0, 0, {},
       [](S& s, double) { s.Target = THackTarget::Root; }, nullptr},
      {"window", "Draw in a window of its own", TKind::Flag, 0, 0, {},
       [](S& s, double) { s.Target = THackTarget::OwnWindow; }, nullptr},
      {"window-id", "Draw in the window of this id", TKind::Window, 0, 0, {}, nullptr, nullptr},
      {"display", "X display", TKind::Text, 0, 0, {}, nullptr, nullptr},
      {"fps", "Show the frame rate", TKind::Flag, 0, 0, {}, [](S& s, double) { s.Fps = true; }, nullptr},
      {"preset", "Presets", TKind::Preset, 0, 0, {}, nullptr, nullptr},
      {"speed", "Speed of sim.", TKind::Choice, 0, 0, {{"fast", 1}, {"medium", 40}, {"slow", 100}},
       [](S& s, double v) { s.Galaxy.Speed = static_cast<int>(v); },
       [](const S& s) { return static_cast<double>(s.Galaxy.Speed); }},
      {"velocity", "Galactic rotation", TKind::Integer, 0, 40, {},
       [](S& s, double v) { s.Galaxy.Velocity = static_cast<int>(v); },
       [](const S& s) { return static_cast<double>(s.Galaxy.Velocity); }},
      {"probability", "Triggering probability", TKind::Integer, 0, 100, {},
       [](S& s, double v) { s.Galaxy.Probability = static_cast<int>(v); },
       [](const S& s) { return static_cast<double>(s.Galaxy.Probability); }},
      {"rings", "Number of rings", TKind::Integer, TGalaxy::MinRings, TGalaxy::MaxRings, {},
       [](S& s, double v) { s.Galaxy.Rings = static_cast<int>(v); },
       [](const S& s) { return static_cast<double>(s.Galaxy.Rings); }},
      // The dialog's slider: 0 .. 100 hundredths of the largest density, 0.05.
      {"density", "Initial star density", TKind::Integer, 0, 100, {},
       [](S& s, double v) { s.Galaxy.Density = v / 2000.0; },
       [](const S& s) { return s.Galaxy.Density * 2000.0; }},
      {"dark-matter", "Dark Matter", TKind::Choice, 0, 0, {{"present", 1}, {"partial", 2}, {"absent", 3}},
       [](S& s, double v) { s.Galaxy.DarkMatter = static_cast<int>(v); },
       [](const S& s) { return static_cast<double>(s.Galaxy.DarkMatter); }},
      {"trails", "Time to replenish gases", TKind::Integer, 1, TGalaxy::MaxTrails, {},
       [](S& s, double v) { s.Galaxy.Trails = static_cast<int>(v); },
       [](const S& s) { return static_cast<double>(s.Galaxy.Trails); }},
      {"eye", "Camera wander", TKind::Integer, 0, 150, {}, [](S& s, double v) { s.Eye = static_cast<int>(v); },
       [](const S& s) { return static_cast<double>(s.Eye); }},
      {"depth", "Depth of field", TKind::Integer, 0, 600, {}, [](S& s, double v) { s.Depth = static_cast<int>(v); },
       [](const S& s) { return static_cast<double>(s.Depth); }},
      {"explosion", "Explosion", TKind::Color, 0, 0, {},
       [](S& s, double v) { s.Galaxy.Explosion = static_cast<TGalaxyColor>(v); },
       [](const S& s) { return static_cast<double>(s.Galaxy.Explosion); }},
      {"exhausted", "Exhausted", TKind::Color, 0, 0, {},
       [](S& s, double v) { s.Galaxy.Exhausted = static_cast<TGalaxyColor>(v); },
       [](const S& s) { return static_cast<double>(s.Galaxy.Exhausted); }},
      {"plenished", "Plenished", TKind::Color, 0, 0, {},
       [](S& s, double v) { s.Galaxy.Replenished = static_cast<TGalaxyColor>(v); },
       [](const S& s) { return static_cast<double>(s.Galaxy.Replenished); }},
      {"background", "Background", TKind::Color, 0, 0, {},
       [](S& s, double v) { s.Galaxy.Background = static_cast<TGalaxyColor>(v); },
       [](const S& s) { return static_cast<double>(s.Galaxy.Background); }},
  };
  return table;
}

std::string Figure(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

std::string ColorWord(TGalaxyColor c) {
  for (const TNamedColor& n : Colors)
    if (n.Color == c) return n.Name;
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return buf;
}

// What an option takes, for the usage text and the error line.
std::string Takes(const TOption& o) {
  std::string s;
  switch (o.Kind) {
    case TKind::Integer: return Figure(o.Min) + " to " + Figure(o.Max);
    case TKind::Choice:
      for (const TChoice& c : o.Choices) s += (s.empty() ? "" : ", ") + std::string(c.Word);
      return "one of " + s;
    case TKind::Color: return "a colour name (Black, Maroon, ... White) or #rrggbb";
    case TKind::Preset:
      for (const TGalaxyPreset& p : kGalaxyPresets) s += (s.empty() ? "" : ", ") + Slug(p.Name);
      return "one of " + s;
    case TKind::Window: return "a window id (decimal or 0x hex)";
    case TKind::Text: return "a name";
    case TKind::Flag: break;
  }
  return "no value";
}

bool ParseInteger(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end || errno) return false;
  value = static_cast<double>(v);
  return true;
}

}  // namespace

bool ParseHackColor(const std::string& text, TGalaxyColor& color) {
  for (const TNamedColor& n : Colors)
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
  std::vector<std::pair<const TOption*, double>> values;
  const TGalaxyPreset* preset = nullptr;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-h" || arg == "-help" || arg == "--help") return THackParse::Help;
    std::string name = arg.size() > 2 && arg.compare(0, 2, "--") == 0 ? arg.substr(2)
                       : arg.size() > 1 && arg[0] == '-'               ? arg.substr(1)
                                                                       : std::string();
    const TOption* option = nullptr;
    for (const TOption& o : Table())
      if (!name.empty() && name == o.Name) option = &o;
    if (!option) {
      message = "unknown option " + arg;
      return THackParse::Error;
    }
    if (option->Kind == TKind::Flag) {
      values.push_back({option, 0});
      continue;
    }
    if (i + 1 >= argc) {
      message = arg + " needs a value: " + option->Caption + ", " + Takes(*option);
      return THackParse::Error;
    }
    const std::string text = argv[++i];
    const std::string wrong = arg + " " + text + ": " + option->Caption + " takes " + Takes(*option);
    double value = 0;
    bool ok = false;
    switch (option->Kind) {
      case TKind::Integer:
        ok = ParseInteger(text, value) && value >= option->Min && value <= option->Max;
        break;
      case TKind::Choice:
        for (const TChoice& c : option->Choices)
          if (SameWord(text, c.Word)) ok = true, value = c.Value;
        break;
      case TKind::Color: {
        TGalaxyColor c = 0;
        ok = ParseHackColor(text, c);
        value = c;
        break;
      }
      case TKind::Preset:
        for (const TGalaxyPreset& p : kGalaxyPresets)
          if (SameWord(text, p.Name)) preset = &p, ok = true;
        break;
      case TKind::Window: {
        char* end = nullptr;
        errno = 0;
        const unsigned long id = std::strtoul(text.c_str(), &end, 0);
        ok = !text.empty() && text[0] != '-' && !*end && !errno && id != 0;
        result.Target = THackTarget::WindowId;
        result.WindowId = id;
        break;
      }
      case TKind::Text:
        ok = true;
        result.Display = text;
        break;
      case TKind::Flag: break;
    }
    if (!ok) {
      message = wrong;
      return THackParse::Error;
    }
    if (option->Set) values.push_back({option, value});
  }
  if (preset) {
    TGalaxySettings& g = result.Galaxy;
    g.Rings = preset->Rings;
    g.Velocity = preset->Velocity;
    g.Probability = preset->Probability;
    g.Trails = preset->Trails;
    g.Explosion = preset->Explosion;
    g.Exhausted = preset->Exhausted;
    g.Background = preset->Background;
    g.Replenished = preset->Replenished;
    g.Density = preset->Density;
    g.DarkMatter = preset->DarkMatter;
    g.Speed = preset->Speed;
    result.Depth = preset->Depth;
    result.Eye = preset->Eye;
  }
  for (const auto& v : values) v.first->Set(result, v.second);
  settings = result;
  return THackParse::Run;
}

std::string HackUsage() {
  const THackSettings defaults;
  std::string s = "usage: spiralis [options]\n";
  for (const TOption& o : Table()) {
    std::string line = "  -" + std::string(o.Name);
    if (o.Kind != TKind::Flag) line += o.Kind == TKind::Window ? " ID" : " VALUE";
    line.resize(line.size() < 24 ? 24 : line.size() + 1, ' ');
    line += o.Caption;
    if (o.Kind != TKind::Flag) line += ": " + Takes(o);
    if (o.Get) {
      const double d = o.Get(defaults);
      std::string word = Figure(d);
      if (o.Kind == TKind::Color) word = ColorWord(static_cast<TGalaxyColor>(d));
      for (const TChoice& c : o.Choices)
        if (c.Value == d) word = c.Word;
      line += " (default " + word + ")";
    }
    s += line + "\n";
  }
  s += "Every option may also begin with two dashes.\n";
  return s;
}
