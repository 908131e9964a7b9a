#include "web/address.h"

#include <cctype>

#include "galaxy/words.h"

namespace {

constexpr std::size_t kMaxNoteValue = 40;  // a note quotes no more of a value

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// %XX and '+' decoded; a '%' not followed by two hex digits stays as it is.
std::string Decode(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

// Letters and digits as they are; every other byte as %XX.
std::string Encode(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalnum(u)) {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  return out;
}

// A value as a note quotes it: printable characters only, and not too many.
std::string Quote(const std::string& text) {
  std::string out;
  for (const char c : text.substr(0, kMaxNoteValue))
    out += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
  return "\"" + out + (text.size() > kMaxNoteValue ? "...\"" : "\"");
}

struct TPair {
  std::string Name, Value;
};

std::vector<TPair> Split(const std::string& query) {
  std::vector<TPair> pairs;
  std::size_t start = !query.empty() && query[0] == '?' ? 1 : 0;
  while (start <= query.size()) {
    std::size_t end = query.find('&', start);
    if (end == std::string::npos) end = query.size();
    const std::string part = query.substr(start, end - start);
    if (!part.empty()) {
      const std::size_t eq = part.find('=');
      pairs.push_back({Decode(part.substr(0, eq)), eq == std::string::npos ? "" : Decode(part.substr(eq + 1))});
    }
    start = end + 1;
  }
  return pairs;
}

}  // namespace

TWebLook ReadWebAddress(const std::string& query, std::vector<std::string>& notes) {
  TWebLook look;
  const std::vector<TPair> pairs = Split(query);
  for (const TPair& p : pairs) {
    if (p.Name != "preset") continue;
    look.Preset = FindGalaxyPreset(p.Value);
    if (!look.Preset) notes.push_back("no preset " + Quote(p.Value) + ": the defaults instead");
  }
  if (look.Preset) look.Settings = look.Preset->Settings;
  for (const TPair& p : pairs) {
    if (p.Name == "preset") continue;
    if (p.Name == "seed") {
      look.Seeded = ParseGalaxySeed(p.Value, look.Seed);
      if (!look.Seeded) notes.push_back("seed=" + Quote(p.Value) + " is no whole number from 0 to 4294967295: none");
      continue;
    }
    const TGalaxySettingInfo* info = FindGalaxySetting(p.Name);
    double value = 0;
    if (!info)
      notes.push_back("no setting " + Quote(p.Name) + ": ignored");
    else if (!ParseGalaxySetting(*info, p.Value, value))
      notes.push_back(std::string(info->Option) + "=" + Quote(p.Value) + " is none of its values: " +
                      GalaxySettingWord(*info, GetGalaxySetting(look.Settings, *info)) + " instead");
    else
      SetGalaxySetting(look.Settings, *info, value);
  }
  return look;
}

std::string WriteWebAddress(const TWebLook& look) {
  const TGalaxySettings base = look.Preset ? look.Preset->Settings : TGalaxySettings();
  std::string query = look.Preset ? "preset=" + GalaxyPresetWord(*look.Preset) : std::string();
  for (const TGalaxySettingInfo& info : kGalaxySettings) {
    const double value = GetGalaxySetting(look.Settings, info);
    if (GalaxySettingWord(info, value) == GalaxySettingWord(info, GetGalaxySetting(base, info))) continue;
    if (!query.empty()) query += '&';
    query += std::string(info.Option) + "=" + Encode(GalaxySettingWord(info, value));
  }
  if (look.Seeded) query += (query.empty() ? "seed=" : "&seed=") + std::to_string(look.Seed);
  return query;
}
