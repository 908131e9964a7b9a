#pragma once
// The ten named presets of the galaxy's settings, in the order the options
// dialog lists them, and the one way every front end applies one.
#include <string>

#include "galaxy/settings.h"

struct TGalaxyPreset {
  const char* Name;
  TGalaxySettings Settings;
};

constexpr int kGalaxyPresetCount = 10;
extern const TGalaxyPreset kGalaxyPresets[kGalaxyPresetCount];

// Finding a preset by its name: FindGalaxyPreset (galaxy/words.h).

// Applies a preset: set(info, value) for every setting of the table, in its
// order, with the preset's value.
template <class Set>
void ApplyGalaxyPreset(const TGalaxyPreset& preset, Set set) {
  for (const TGalaxySettingInfo& info : kGalaxySettings) set(info, GetGalaxySetting(preset.Settings, info));
}
