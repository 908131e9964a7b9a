#pragma once
// One galaxy from any settings, run and drawn as a front end would, with
// every step and the frame checked: the galaxy the fuzz targets and the
// in-process registry runs build from hostile settings.
#include <cstdint>
#include <string>
#include <vector>

#include "galaxy/galaxy.h"
#include "galaxy/view.h"
#include "tools/fuzz/checking_gl.h"

struct TGalaxyTrial {
  TGalaxySettings Settings;
  int Steps = 500;
  int Width = 640, Height = 480;
  std::uint32_t Clock = 0;  // the seed of every seeding, and the picture's time
  bool Arrays = true, Scissor = true;
  std::vector<TGalaxyViewport> Views;  // when there are any, a picture in each
};

// What went wrong in the trial, or empty: a cell in no state of the model,
// settings the model kept out of their ranges, a frame no driver would take.
inline std::string RunGalaxyTrial(const TGalaxyTrial& trial) {
  TLcgRandom random;
  TGalaxy galaxy(trial.Settings, random, [&trial] { return trial.Clock; });
  const TGalaxySettings& s = galaxy.Settings();
  if (ClampGalaxySettings(s) != s) return "settings out of their ranges";
  for (int step = 0; step < trial.Steps; ++step) {
    galaxy.Step();
    const std::uint8_t* cells = galaxy.Cells();
    for (int i = 0; i < galaxy.CellCount(); ++i) {
      const int state = cells[i];
      if (state > galaxy.TrailLength() && state != galaxy.ExplodeNow() && state != galaxy.ExplodeNext())
        return "cell " + std::to_string(i) + " in state " + std::to_string(state) + " at step " +
               std::to_string(step);
    }
  }
  TGalaxyView view;
  view.Init(checking_gl::Table(trial.Arrays, trial.Scissor), trial.Width, trial.Height);
  if (!view.Ready()) return "the checking table was refused";
  const double eye = s.Eye;
  const float depth = static_cast<float>(s.Depth);
  if (trial.Views.empty())
    view.Draw(galaxy, trial.Width, trial.Height, eye, depth, trial.Clock);
  else
    view.DrawViewports(galaxy, trial.Views, trial.Width, trial.Height, eye, depth, trial.Clock);
  const checking_gl::TRecord& r = checking_gl::Record();
  if (!r.Fault.empty()) return r.Fault;
  if (r.Open != 0) return "glBegin without glEnd";
  // Arrays hold four vertices a quad drawn; one at a time, four a lit cell
  // of the rings (the cells beyond the last ring are never drawn).
  int lit = 0;
  for (int i = 0; i < TGalaxy::CellIndex(galaxy.Rings(), 0); ++i) lit += galaxy.Cells()[i] != 0;
  const long pictures = trial.Views.empty() || !trial.Scissor ? 1 : static_cast<long>(trial.Views.size());
  if (!trial.Arrays && r.Vertices != 4L * lit * pictures) return "a lit cell not drawn";
  if (trial.Arrays && view.DrawnQuads() + view.CulledQuads() != lit) return "a lit cell neither drawn nor left out";
  return std::string();
}
