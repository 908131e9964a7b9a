#include "saver/galaxy_monitors.h"

#include "gl/sgl.h"
#include "saver/galaxy_view.h"

std::vector<TGalaxyViewport> GalaxyViewports(const std::vector<RECT>& areas, int height) {
  std::vector<TGalaxyViewport> out;
  for (const RECT& r : areas)
    out.push_back({static_cast<int>(r.left), static_cast<int>(height - r.bottom), static_cast<int>(r.right - r.left),
                   static_cast<int>(r.bottom - r.top)});
  return out;
}

void GalaxyDrawViewports(TGalaxy& galaxy, const std::vector<TGalaxyViewport>& views, int width, int height,
                         double eye, float depth, std::uint32_t ms) {
  // Parts of the window on no monitor (beside a smaller monitor) show
  // nothing; cleared so that they hold no stale picture either.
  long long covered = 0;
  for (const TGalaxyViewport& v : views) covered += static_cast<long long>(v.width) * v.height;
  if (covered < static_cast<long long>(width) * height) sglClear(GL_COLOR_BUFFER_BIT);
  // The scissor keeps each picture's clear to its own monitor.
  sglEnable(GL_SCISSOR_TEST);
  for (const TGalaxyViewport& v : views) {
    sglViewport(v.x, v.y, v.width, v.height);
    sglScissor(v.x, v.y, v.width, v.height);
    galaxy.SetCameraDirty(true);  // each monitor's own aspect
    GalaxyDrawFrame(galaxy, v.width, v.height, eye, depth, ms);
  }
  sglDisable(GL_SCISSOR_TEST);
  sglViewport(0, 0, width, height);
  // The projection is the last monitor's: whatever draws next sets its own.
  galaxy.SetCameraDirty(true);
}
