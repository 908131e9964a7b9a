#pragma once
// The display modes a full-screen run may switch to, as the screen-mode
// setting offers them: "normal" (keep the desktop's mode) first, then the
// display's modes ordered by width, height and depth; or the fixed list of
// 3dfx boards. Free of the platform: the display's modes and the desktop's
// figures are given.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TScrModeEntry {
  std::int32_t width = -1, height = -1, bpp = -1;  // -1: unspecified
  bool IsNormal() const { return width == -1 && height == -1 && bpp == -1; }
  bool operator==(const TScrModeEntry& o) const {
    return width == o.width && height == o.height && bpp == o.bpp;
  }
};

// The desktop's current figures, used where a request leaves a part open.
struct TScrDesktopMode {
  std::int32_t width, height, bpp;
};

// Builds the offered list from the display's modes, in the order the system
// enumerates them. With `ignoreBpp` depths are not told apart.
std::vector<TScrModeEntry> BuildScrModeList(const std::vector<TScrModeEntry>& displayModes, bool ignoreBpp,
                                            bool for3dfx);

// The entry nearest to the request (-1 parts: the desktop's figures); the
// earlier entry on a tie; 0 for an empty list.
int BestScrModeIndex(const std::vector<TScrModeEntry>& list, std::int32_t width, std::int32_t height,
                     std::int32_t bpp, bool ignoreBpp, bool for3dfx, const TScrDesktopMode& desktop);

// The stored text of an entry: "normal", "640x480" or "640x480x16".
std::string ScrModeText(const TScrModeEntry& entry, bool ignoreBpp, bool for3dfx);

// The dimensions a stored text asks for: "default" asks for 0x0x0; "WxH" and
// "WxHxB" (lower-case x, each part an integer as StrToInt reads it) ask for
// those; anything else asks for nothing (the defaults stand).
std::optional<TScrModeEntry> ParseScrModeText(const std::string& text);
