#pragma once
// The page's settings as its address keeps them: a query string in the
// galaxy's option names and words (galaxy/words.h), "preset=warp-speed&rings=150", so
// that a link reproduces a look. Platform-free, so that it is tested
// natively.
#include <cstdint>
#include <string>
#include <vector>

#include "galaxy/presets.h"
#include "galaxy/settings.h"

// What a page shows: every setting, and the preset they started from (null
// for the defaults); and the seed its galaxy repeats from, where the
// address gives one (seed=N, the hack's -seed).
struct TWebLook {
  TGalaxySettings Settings;
  const TGalaxyPreset* Preset = nullptr;
  bool Seeded = false;
  std::uint32_t Seed = 0;
};

// The look of a query string (with or without its '?'; '+' and %XX decoded).
// A preset is applied first, wherever it stands, and the settings named
// beside it change it; the last of repeated names counts. A name that is no
// setting, or a value its setting does not take, leaves that setting as the
// preset (or the defaults) has it and adds a line to `notes`.
TWebLook ReadWebAddress(const std::string& query, std::vector<std::string>& notes);

// The shortest query string of a look (without '?'): its preset, then each
// setting the preset (or the defaults) has otherwise, in the table's order,
// then its seed. Empty for the defaults without a seed.
std::string WriteWebAddress(const TWebLook& look);
