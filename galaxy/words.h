#pragma once
// The galaxy's settings as words: how every front end names a setting's
// value (the hack's options, its settings file, the page's address and
// panel), reads one back, and shows the figure a person reads.
// Words compare without case, and a space, '-' or '_' are the same: a
// preset is "Warp Speed", "warp-speed" or warp_speed.
#include <cstdint>
#include <string>

#include "galaxy/presets.h"
#include "galaxy/settings.h"

// Whether `text` is `word` but for case and the spelling of its gaps.
bool SameGalaxyWord(const std::string& text, const char* word);

// One setting's value from its word (a slider position, a choice's word, a
// colour's name or #rrggbb), in the galaxy's units; false if the text is
// none of them.
bool ParseGalaxySetting(const TGalaxySettingInfo& setting, const std::string& text, double& value);
// A setting's value as its word: a slider position, a choice's word, a
// colour's name (its first, where two share a colour) or #rrggbb.
std::string GalaxySettingWord(const TGalaxySettingInfo& setting, double value);
// What a setting's word may be: "0 to 100", "one of slow, medium, fast".
std::string GalaxySettingTakes(const TGalaxySettingInfo& setting);
// The figure a person reads for a value: the number in the setting's own
// units (a density of 0.0095, not its slider position), a choice's caption
// or a colour's name.
std::string GalaxySettingFigure(const TGalaxySettingInfo& setting, double value);

// A seed of the galaxy's random choices (SeededClock), as the hack's -seed
// and the page's seed= take it: decimal digits alone, 0 to 4294967295;
// false for anything else.
bool ParseGalaxySeed(const std::string& text, std::uint32_t& seed);

// One colour by its name or as #rrggbb; false if neither.
bool ParseGalaxyColor(const std::string& text, TGalaxyColor& color);

// The preset of that name ("Warp Speed", "warp-speed" or warp_speed), or null.
const TGalaxyPreset* FindGalaxyPreset(const std::string& name);
// A preset's name as a word: "warp-speed".
std::string GalaxyPresetWord(const TGalaxyPreset& preset);

// The settings and the presets as a page's panel shows them, in JSON:
// {"settings": [{option, caption, kind, min, max | choices: [[word,
// caption]...]}...], "presets": [[word, name]...]}, in the dialog's order.
std::string GalaxyTableJson();
