#include "galaxy/presets.h"

#include "galaxy/colors.h"

using namespace galaxy_colors;

// Rings, velocity, probability, trails; explosion, exhausted, background,
// replenished; density, dark matter, depth, speed (ms), eye.
const TGalaxyPreset kGalaxyPresets[kGalaxyPresetCount] = {
    {"Pink Clouds of Heaven", {56, 8, 35, 17, Maroon, Purple, Maroon, Fuchsia, 0.0, 1, 247, 1, 17}},
    {"Galaxy Simulation", {64, 10, 38, 45, White, Black, Navy, Navy, 0.05, 3, 0, 1, 0}},
    {"Blue Waves of Reaction", {39, 8, 70, 17, Black, Black, Black, Navy, 0.0, 3, 0, 1, 14}},
    {"Space Vertex", {41, 15, 69, 50, White, Red, Black, Blue, 0.005, 2, 343, 1, 100}},
    {"Gold on Red", {19, 10, 65, 9, Olive, Olive, Maroon, Black, 0.0125, 3, 278, 1, 33}},
    {"Red Algae Blooms", {49, 3, 62, 14, Black, Blue, Black, Red, 0.0095, 3, 0, 1, 12}},
    {"Warp Speed", {53, 40, 52, 18, White, Maroon, Black, Navy, 0.05, 1, 49, 1, 12}},
    {"Strings of Light", {44, 20, 79, 58, Olive, Black, Black, Black, 0.0, 1, 350, 1, 26}},
    {"Lots of Blinky Lights", {88, 0, 0, 4, Green, Black, Black, Black, 0.05, 1, 136, 1, 143}},
    {"Time Machine", {60, 23, 38, 45, Aqua, Teal, Black, Black, 0.05, 2, 500, 1, 50}},
};
