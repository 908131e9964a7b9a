#pragma once
// The eighteen colours a user picks the galaxy's colours from: the sixteen
// of the VGA palette, with LtGray and DkGray, in the options dialog's order.
// The presets, the Linux hack and its settings file take them from here.
#include "galaxy/settings.h"

// X(name, value), value a TGalaxyColor (red in the low byte).
#define GALAXY_COLORS(X)                                                                                    \
  X(Black, 0x000000) X(Maroon, 0x000080) X(Green, 0x008000) X(Olive, 0x008080) X(Navy, 0x800000)            \
  X(Purple, 0x800080) X(Teal, 0x808000) X(Gray, 0x808080) X(Silver, 0xC0C0C0) X(Red, 0x0000FF)             \
  X(Lime, 0x00FF00) X(Yellow, 0x00FFFF) X(Blue, 0xFF0000) X(Fuchsia, 0xFF00FF) X(Aqua, 0xFFFF00)            \
  X(LtGray, 0xC0C0C0) X(DkGray, 0x808080) X(White, 0xFFFFFF)

// The colours by name, as constants: galaxy_colors::Aqua.
namespace galaxy_colors {
#define GALAXY_COLOR_CONSTANT(name, value) constexpr TGalaxyColor name = value;
GALAXY_COLORS(GALAXY_COLOR_CONSTANT)
#undef GALAXY_COLOR_CONSTANT
}  // namespace galaxy_colors

struct TNamedColor {
  const char* Name;
  TGalaxyColor Color;
};

constexpr TNamedColor kGalaxyColors[] = {
#define GALAXY_COLOR_ENTRY(name, value) {#name, value},
    GALAXY_COLORS(GALAXY_COLOR_ENTRY)
#undef GALAXY_COLOR_ENTRY
};
