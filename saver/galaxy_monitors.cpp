#include "saver/galaxy_monitors.h"

std::vector<TGalaxyViewport> GalaxyViewports(const std::vector<RECT>& areas, int height) {
  std::vector<TGalaxyViewport> out;
  for (const RECT& r : areas)
    out.push_back({static_cast<int>(r.left), static_cast<int>(height - r.bottom), static_cast<int>(r.right - r.left),
                   static_cast<int>(r.bottom - r.top)});
  return out;
}
