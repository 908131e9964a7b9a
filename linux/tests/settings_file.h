#pragma once
// What XScreenSaver's settings program reads from spiralis.xml: the sliders
// (their switch, range and default), the menus (the switches of their
// entries, "" for the entry that passes nothing) and the check boxes.
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

struct TSettingsItem {
  std::string Kind;                          // "number", "select" or "boolean"
  std::map<std::string, std::string> Attr;   // number and boolean: their attributes
  std::vector<std::string> Choices;          // select: each entry's arg-set, "" if none
  std::vector<std::string> Labels;           // select: each entry's label
};

inline std::map<std::string, std::string> SettingsAttributes(const std::string& text) {
  std::map<std::string, std::string> attr;
  static const std::regex pair(R"re(([\w-]+)="([^"]*)")re");
  for (std::sregex_iterator i(text.begin(), text.end(), pair), end; i != end; ++i) attr[(*i)[1]] = (*i)[2];
  return attr;
}

inline std::vector<TSettingsItem> ReadSettingsFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string text = buffer.str();
  std::vector<TSettingsItem> items;
  static const std::regex element(R"re(<(number|boolean)\b([^>]*)/>|<select\b[^>]*>([\s\S]*?)</select>)re");
  static const std::regex option(R"re(<option\b([^>]*)/>)re");
  for (std::sregex_iterator i(text.begin(), text.end(), element), end; i != end; ++i) {
    TSettingsItem item;
    if ((*i)[1].matched) {
      item.Kind = (*i)[1];
      item.Attr = SettingsAttributes((*i)[2]);
    } else {
      item.Kind = "select";
      const std::string body = (*i)[3];
      for (std::sregex_iterator o(body.begin(), body.end(), option); o != end; ++o) {
        auto attr = SettingsAttributes((*o)[1]);
        item.Choices.push_back(attr["arg-set"]);
        item.Labels.push_back(attr["_label"]);
      }
    }
    items.push_back(item);
  }
  return items;
}

// "--rings %" with a figure: {"--rings", "60"}; "--speed slow": {"--speed", "slow"}.
inline std::vector<std::string> SettingsArguments(const std::string& pattern, const std::string& figure = "") {
  std::vector<std::string> args;
  std::istringstream words(pattern);
  for (std::string w; words >> w;) args.push_back(w == "%" ? figure : w);
  return args;
}
