#pragma once
// The ten named presets of the galaxy's settings, in the order the options
// dialog lists them. Colours are TGalaxyColor values (red in the low byte);
// DarkMatter is the rotation law (1 Present, 2 Partial, 3 Absent) and Speed
// the step interval in milliseconds, as the settings' options hold them.
#include <string>

#include "galaxy/galaxy.h"

struct TGalaxyPreset {
  const char* Name;
  int Rings, Velocity, Probability, Trails;
  TGalaxyColor Explosion, Exhausted, Background, Replenished;
  double Density;
  int DarkMatter, Depth, Speed, Eye;
};

constexpr int kGalaxyPresetCount = 10;
extern const TGalaxyPreset kGalaxyPresets[kGalaxyPresetCount];

// The preset of that name (case counts), or null.
const TGalaxyPreset* FindGalaxyPreset(const std::string& name);
