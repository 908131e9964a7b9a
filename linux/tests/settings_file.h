#pragma once
// The controls of spiralis.xml as XScreenSaver's settings program reads them:
// sliders ("number": arg, low, high, default), menus ("select": the arg-set
// of each entry, "" for the entry that passes nothing), check boxes.
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "linux/hack_options.h"

struct TSettingsItem {
  std::string Kind;
  std::map<std::string, std::string> Attr;
  std::vector<std::string> Choices;
};

inline std::map<std::string, std::string> SettingsAttributes(const std::string& text) {
  static const std::regex pair(R"re(([\w-]+)="([^"]*)")re");
  std::map<std::string, std::string> attr;
  for (std::sregex_iterator i(text.begin(), text.end(), pair), end; i != end; ++i) attr[(*i)[1]] = (*i)[2];
  return attr;
}

inline std::vector<TSettingsItem> ReadSettingsText(const std::string& text) {
  static const std::regex element(R"re(<(number|boolean)\b([^>]*)/>|<select\b([^>]*)>([\s\S]*?)</select>)re");
  static const std::regex option(R"re(<option\b([^>]*)/>)re");
  std::vector<TSettingsItem> items;
  for (std::sregex_iterator i(text.begin(), text.end(), element), end; i != end; ++i) {
    const bool select = !(*i)[1].matched;
    TSettingsItem item{select ? "select" : (*i)[1].str(), SettingsAttributes((*i)[select ? 3 : 2]), {}};
    const std::string body = (*i)[4];
    for (std::sregex_iterator o(body.begin(), body.end(), option); o != end; ++o)
      item.Choices.push_back(SettingsAttributes((*o)[1])["arg-set"]);
    items.push_back(item);
  }
  return items;
}

inline std::vector<TSettingsItem> ReadSettingsFile(const std::string& path) {
  std::stringstream buffer;
  buffer << std::ifstream(path).rdbuf();
  return ReadSettingsText(buffer.str());
}

// "--rings %" with "60" gives {"--rings", "60"}; "--speed slow" {"--speed", "slow"}.
inline std::vector<std::string> SettingsArguments(const std::string& pattern, const std::string& figure = "") {
  std::vector<std::string> args;
  std::istringstream words(pattern);
  for (std::string w; words >> w;) args.push_back(w == "%" ? figure : w);
  return args;
}

// The hack's command line `args` (its name put first), parsed.
struct THackParsed {
  THackParse result;
  THackSettings s;
  std::string message;
};
inline THackParsed ParseHackArgs(std::vector<std::string> args) {
  args.insert(args.begin(), "spiralis");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  THackParsed p;
  p.result = ParseHackOptions(static_cast<int>(argv.size()), argv.data(), p.s, p.message);
  return p;
}
