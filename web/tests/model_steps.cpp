// The galaxy stepped from a seed as the front ends' seed option gives it
// (SeededClock), its whole state printed after every step: built natively
// and to WebAssembly, the two must print the same. For each of a few looks
// (the defaults, presets that rotate by each law, seed densely or not at
// all, and one that dies out and is seeded afresh every ten steps), 600
// steps; after each a line with the
// step, the trail, the ring offsets and every cell's state (runs of one
// state as state*count).
#include <cstdio>
#include <string>

#include "galaxy/galaxy.h"
#include "galaxy/presets.h"
#include "galaxy/words.h"

namespace {

constexpr int kSteps = 600;
constexpr std::uint32_t kSeed = 20261208u;

void Print(const TGalaxy& g) {
  std::string line = "step " + std::to_string(g.StepCount()) + " trail " + std::to_string(g.TrailLength()) +
                     " quiet " + std::to_string(g.QuietCount()) + " offsets";
  for (int r = 0; r < g.Rings(); ++r) line += " " + std::to_string(g.RingOffset(r));
  line += " cells";
  const std::uint8_t* cells = g.Cells();
  for (int i = 0; i < g.CellCount();) {
    int run = 1;
    while (i + run < g.CellCount() && cells[i + run] == cells[i]) ++run;
    line += " " + std::to_string(cells[i]) + (run > 1 ? "*" + std::to_string(run) : "");
    i += run;
  }
  std::puts(line.c_str());
}

// A galaxy whose explosions trigger nothing.
TGalaxySettings Barren() {
  TGalaxySettings s;
  s.Probability = 0;
  return s;
}

}  // namespace

int main() {
  const TGalaxySettings looks[] = {TGalaxySettings(), FindGalaxyPreset("Galaxy Simulation")->Settings,
                                   FindGalaxyPreset("Warp Speed")->Settings,
                                   FindGalaxyPreset("Pink Clouds of Heaven")->Settings, Barren()};
  for (const TGalaxySettings& look : looks) {
    TLcgRandom random;
    TGalaxy galaxy(look, random, SeededClock(kSeed));
    for (int i = 0; i < kSteps; ++i) {
      galaxy.Step();
      Print(galaxy);
    }
  }
  return 0;
}
