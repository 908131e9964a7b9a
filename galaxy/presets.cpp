#include "galaxy/presets.h"

namespace {
// The toolkit's named colours, as TGalaxyColor values.
constexpr TGalaxyColor kBlack = 0x000000, kMaroon = 0x000080, kGreen = 0x008000, kOlive = 0x008080,
                       kNavy = 0x800000, kPurple = 0x800080, kTeal = 0x808000, kRed = 0x0000FF,
                       kBlue = 0xFF0000, kFuchsia = 0xFF00FF, kAqua = 0xFFFF00, kWhite = 0xFFFFFF;
}  // namespace

const TGalaxyPreset kGalaxyPresets[kGalaxyPresetCount] = {
    {"Pink Clouds of Heaven", 56, 8, 35, 17, kMaroon, kPurple, kMaroon, kFuchsia, 0.0, 1, 247, 1, 17},
    {"Galaxy Simulation", 64, 10, 38, 45, kWhite, kBlack, kNavy, kNavy, 0.05, 3, 0, 1, 0},
    {"Blue Waves of Reaction", 39, 8, 70, 17, kBlack, kBlack, kBlack, kNavy, 0.0, 3, 0, 1, 14},
    {"Space Vertex", 41, 15, 69, 50, kWhite, kRed, kBlack, kBlue, 0.005, 2, 343, 1, 100},
    {"Gold on Red", 19, 10, 65, 9, kOlive, kOlive, kMaroon, kBlack, 0.0125, 3, 278, 1, 33},
    {"Red Algae Blooms", 49, 3, 62, 14, kBlack, kBlue, kBlack, kRed, 0.0095, 3, 0, 1, 12},
    {"Warp Speed", 53, 40, 52, 18, kWhite, kMaroon, kBlack, kNavy, 0.05, 1, 49, 1, 12},
    {"Strings of Light", 44, 20, 79, 58, kOlive, kBlack, kBlack, kBlack, 0.0, 1, 350, 1, 26},
    {"Lots of Blinky Lights", 88, 0, 0, 4, kGreen, kBlack, kBlack, kBlack, 0.05, 1, 136, 1, 143},
    {"Time Machine", 60, 23, 38, 45, kAqua, kTeal, kBlack, kBlack, 0.05, 2, 500, 1, 50},
};

const TGalaxyPreset* FindGalaxyPreset(const std::string& name) {
  for (const TGalaxyPreset& p : kGalaxyPresets)
    if (name == p.Name) return &p;
  return nullptr;
}
