#include "values/screenmode_list.h"

#include <limits>

#include "toolkit/sysutils.h"

namespace {

std::int64_t SortKey(const TScrModeEntry& e) {
  if (e.IsNormal()) return -1;
  return static_cast<std::int64_t>(e.width) * (1 << 20) + static_cast<std::int64_t>(e.height) * (1 << 8) +
         (e.bpp == -1 ? 0 : e.bpp);
}

std::int64_t Distance(std::int64_t a, std::int64_t b) { return a > b ? a - b : b - a; }

std::optional<std::int32_t> Number(const std::string& text) {
  std::int32_t value;
  if (!TryStrToInt(text, value)) return std::nullopt;
  return value;
}

}  // namespace

std::vector<TScrModeEntry> BuildScrModeList(const std::vector<TScrModeEntry>& displayModes, bool ignoreBpp,
                                            bool for3dfx) {
  if (for3dfx) return {{512, 384, -1}, {640, 480, -1}, {800, 600, -1}, {1024, 768, -1}};
  std::vector<TScrModeEntry> list{TScrModeEntry{}};
  for (const TScrModeEntry& mode : displayModes) {
    bool duplicate = false;
    for (const TScrModeEntry& e : list)
      if (e.width == mode.width && e.height == mode.height && (ignoreBpp || e.bpp == mode.bpp)) duplicate = true;
    if (duplicate) continue;
    TScrModeEntry entry{mode.width, mode.height, ignoreBpp ? -1 : mode.bpp};
    auto at = list.begin();
    while (at != list.end() && SortKey(*at) <= SortKey(entry)) ++at;
    list.insert(at, entry);
  }
  return list;
}

int BestScrModeIndex(const std::vector<TScrModeEntry>& list, std::int32_t width, std::int32_t height,
                     std::int32_t bpp, bool ignoreBpp, bool for3dfx, const TScrDesktopMode& desktop) {
  std::int64_t desktopWidth = for3dfx ? 800 : desktop.width;
  std::int64_t desktopHeight = for3dfx ? 600 : desktop.height;
  int best = 0;
  std::int64_t bestPenalty = std::numeric_limits<std::int64_t>::max();
  for (size_t i = 0; i < list.size(); ++i) {
    const TScrModeEntry& m = list[i];
    std::int64_t penalty = 0;
    if (width != -1)
      penalty += Distance(width, m.width);
    else if (m.width != -1)
      penalty += Distance(desktopWidth, m.width) + 2;
    if (height != -1)
      penalty += Distance(height, m.height);
    else if (m.height != -1)
      penalty += Distance(desktopHeight, m.height) + 2;
    if (!ignoreBpp && !for3dfx) {
      if (bpp != -1)
        penalty += Distance(bpp, m.bpp) * 5000;
      else if (m.bpp != -1)
        penalty += Distance(desktop.bpp, m.bpp);
    }
    if (penalty < bestPenalty) {
      bestPenalty = penalty;
      best = static_cast<int>(i);
    }
  }
  return best;
}

std::string ScrModeText(const TScrModeEntry& e, bool ignoreBpp, bool for3dfx) {
  if (e.IsNormal()) return "normal";
  std::string text = std::to_string(e.width) + "x" + std::to_string(e.height);
  if (!ignoreBpp && !for3dfx) text += "x" + std::to_string(e.bpp);
  return text;
}

std::optional<TScrModeEntry> ParseScrModeText(const std::string& text) {
  if (text == "default") return TScrModeEntry{0, 0, 0};
  size_t x = text.find('x');
  if (x == std::string::npos) return std::nullopt;
  std::string rest = text.substr(x + 1);
  size_t y = rest.find('x');
  auto w = Number(text.substr(0, x));
  auto h = Number(y == std::string::npos ? rest : rest.substr(0, y));
  auto b = Number(y == std::string::npos ? "-1" : rest.substr(y + 1));
  if (!w || !h || !b) return std::nullopt;
  return TScrModeEntry{*w, *h, *b};
}
