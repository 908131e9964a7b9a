#include "galaxy/words.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "galaxy/colors.h"

namespace {

char Fold(char c) {
  return c == ' ' || c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string Slug(const char* name) {
  std::string s;
  for (const char* p = name; *p; ++p) s += Fold(*p);
  return s;
}

bool ParseInteger(const std::string& text, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text.c_str(), &end, 10);
  return !*end && !errno;
}

std::string ColorWord(TGalaxyColor c) {
  for (const TNamedColor& n : kGalaxyColors)
    if (n.Color == c) return n.Name;
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return buf;
}

}  // namespace

bool SameGalaxyWord(const std::string& text, const char* word) {
  const std::size_t n = std::strlen(word);
  if (text.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (Fold(text[i]) != Fold(word[i])) return false;
  return true;
}

bool ParseGalaxySetting(const TGalaxySettingInfo& s, const std::string& text, double& value) {
  switch (s.Kind) {
    case TSettingKind::Number: {
      long position = 0;
      if (!ParseInteger(text, position) || position < SliderMin(s) || position > SliderMax(s)) return false;
      value = static_cast<double>(position) / s.Steps;
      return true;
    }
    case TSettingKind::Choice:
      for (int i = 0; i < s.ChoiceCount; ++i)
        if (SameGalaxyWord(text, s.Choices[i].Word)) return value = s.Choices[i].Value, true;
      return false;
    case TSettingKind::Color: {
      TGalaxyColor c = 0;
      if (!ParseGalaxyColor(text, c)) return false;
      value = c;
      return true;
    }
  }
  return false;
}

std::string GalaxySettingWord(const TGalaxySettingInfo& s, double value) {
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

std::string GalaxySettingTakes(const TGalaxySettingInfo& s) {
  std::string words;
  switch (s.Kind) {
    case TSettingKind::Number:
      words = std::to_string(SliderMin(s)) + " to " + std::to_string(SliderMax(s));
      // A slider whose positions are not the figures says which figures they are.
      if (s.Steps != 1) words += " (figures " + GalaxySettingFigure(s, s.Min) + " to " + GalaxySettingFigure(s, s.Max) + ")";
      return words;
    case TSettingKind::Choice:
      for (int i = 0; i < s.ChoiceCount; ++i) words += (i ? ", " : "") + std::string(s.Choices[i].Word);
      return "one of " + words;
    case TSettingKind::Color: break;
  }
  return "a colour name (Black, Maroon, ... White) or #rrggbb";
}

std::string GalaxySettingFigure(const TGalaxySettingInfo& s, double value) {
  switch (s.Kind) {
    case TSettingKind::Number: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.6g", s.Integer ? static_cast<double>(static_cast<long>(value)) : value);
      return buf;
    }
    case TSettingKind::Choice:
      for (int i = 0; i < s.ChoiceCount; ++i)
        if (s.Choices[i].Value == value) return s.Choices[i].Caption;
      break;
    case TSettingKind::Color: return ColorWord(static_cast<TGalaxyColor>(value));
  }
  return std::string();
}

bool ParseGalaxySeed(const std::string& text, std::uint32_t& seed) {
  if (text.empty() || text.size() > 10) return false;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > UINT32_MAX) return false;
  seed = static_cast<std::uint32_t>(value);
  return true;
}

bool ParseGalaxyColor(const std::string& text, TGalaxyColor& color) {
  for (const TNamedColor& n : kGalaxyColors)
    if (SameGalaxyWord(text, n.Name)) return color = n.Color, true;
  if (text.size() != 7 || text[0] != '#') return false;
  for (std::size_t i = 1; i < 7; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  const unsigned long rgb = std::strtoul(text.c_str() + 1, nullptr, 16);
  color = static_cast<TGalaxyColor>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
  return true;
}

const TGalaxyPreset* FindGalaxyPreset(const std::string& name) {
  for (const TGalaxyPreset& p : kGalaxyPresets)
    if (SameGalaxyWord(name, p.Name)) return &p;
  return nullptr;
}

std::string GalaxyPresetWord(const TGalaxyPreset& preset) { return Slug(preset.Name); }

namespace {

std::string Json(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// [[word, caption], ...]
template <class Each>
std::string JsonPairs(int count, Each each) {
  std::string json = "[";
  for (int i = 0; i < count; ++i) {
    const std::pair<std::string, std::string> pair = each(i);
    json += std::string(i ? "," : "") + "[" + Json(pair.first) + "," + Json(pair.second) + "]";
  }
  return json + "]";
}

std::string SettingJson(const TGalaxySettingInfo& s) {
  const std::string json = "{\"option\":" + Json(s.Option) + ",\"caption\":" + Json(s.Caption) + ",\"kind\":";
  switch (s.Kind) {
    case TSettingKind::Number:
      return json + "\"number\",\"min\":" + std::to_string(SliderMin(s)) + ",\"max\":" + std::to_string(SliderMax(s)) +
             "}";
    case TSettingKind::Choice:
      return json + "\"choice\",\"choices\":" + JsonPairs(s.ChoiceCount, [&](int i) {
               return std::make_pair(std::string(s.Choices[i].Word), std::string(s.Choices[i].Caption));
             }) + "}";
    case TSettingKind::Color: break;
  }
  constexpr int kColors = sizeof kGalaxyColors / sizeof kGalaxyColors[0];
  return json + "\"color\",\"choices\":" + JsonPairs(kColors, [&](int i) {
           return std::make_pair(GalaxySettingWord(s, kGalaxyColors[i].Color), std::string(kGalaxyColors[i].Name));
         }) + "}";
}

}  // namespace

std::string GalaxyTableJson() {
  std::string json = "{\"settings\":[";
  for (const TGalaxySettingInfo& s : kGalaxySettings) json += (&s == kGalaxySettings ? "" : ",") + SettingJson(s);
  return json + "],\"presets\":" + JsonPairs(kGalaxyPresetCount, [](int i) {
           return std::make_pair(GalaxyPresetWord(kGalaxyPresets[i]), std::string(kGalaxyPresets[i].Name));
         }) + "}";
}
