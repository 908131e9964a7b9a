// Steps per second of the galaxy model alone, without windows or drawing.
//
//   bench [--steps N] [--warmup N] [rings...]
//
// For each ring count: a galaxy with the default settings and a fixed seed
// runs the warm-up steps (the trail grows to its full length over the first
// 220), then N measured steps. Prints time per step and per stored cell, and
// how busy the galaxy was (cells exploding per step, restarts).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "galaxy/galaxy.h"

namespace {

struct Result {
  double nsPerStep = 0;
  int restarts = 0;
};

int Exploding(const TGalaxy& g) {
  // Cells that explode in the next step (after the swap: ExplodeNow).
  int count = 0;
  const std::uint8_t now = g.ExplodeNow();
  for (int i = 0; i < g.CellCount(); ++i) count += g.Cells()[i] == now;
  return count;
}

Result Run(int rings, int warmup, int steps) {
  TGalaxySettings settings;
  settings.Rings = rings;
  TLcgRandom random;
  int seedings = 0;
  TGalaxy galaxy(settings, random, [&] { return 20240601u + static_cast<std::uint32_t>(seedings++); });
  for (int i = 0; i < warmup; ++i) galaxy.Step();

  Result r;
  const int before = seedings;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < steps; ++i) galaxy.Step();
  const auto end = std::chrono::steady_clock::now();
  r.nsPerStep = std::chrono::duration<double, std::nano>(end - start).count() / steps;
  r.restarts = seedings - before;
  return r;
}

double Busy(int rings, int warmup, int steps) {
  TGalaxySettings settings;
  settings.Rings = rings;
  TLcgRandom random;
  int seedings = 0;
  TGalaxy galaxy(settings, random, [&] { return 20240601u + static_cast<std::uint32_t>(seedings++); });
  for (int i = 0; i < warmup; ++i) galaxy.Step();
  long long total = 0;
  for (int i = 0; i < steps; ++i) {
    galaxy.Step();
    total += Exploding(galaxy);
  }
  return static_cast<double>(total) / steps;
}

}  // namespace

int main(int argc, char** argv) {
  int steps = 2000, warmup = 300;
  bool quiet = false;
  std::vector<int> rings;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--steps") && i + 1 < argc)
      steps = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--warmup") && i + 1 < argc)
      warmup = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--quiet"))  // no busy-ness pass (for callgrind)
      quiet = true;
    else
      rings.push_back(std::atoi(argv[i]));
  }
  if (rings.empty()) rings = {60, 150};
  if (steps < 1) steps = 1;
  std::printf("%6s %8s %8s %12s %10s %12s %9s\n", "rings", "cells", "steps", "us/step", "ns/cell",
              "exploding", "restarts");
  for (int n : rings) {
    const Result r = Run(n, warmup, steps);
    const int cells = 3 * n * (n + 1) + 1;
    const double busy = quiet ? 0.0 : Busy(n, warmup, steps);
    std::printf("%6d %8d %8d %12.2f %10.3f %12.1f %9d\n", n, cells, steps, r.nsPerStep / 1000.0,
                r.nsPerStep / cells, busy, r.restarts);
  }
  return 0;
}
