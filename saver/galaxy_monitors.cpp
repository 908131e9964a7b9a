#include "saver/galaxy_monitors.h"

std::vector<TGalaxyViewport> GalaxyViewports(const std::vector<RECT>& areas, int height) {
  std::vector<TGalaxyViewport> out;
  for (const RECT& r : areas)
    out.push_back({static_cast<int>(r.left), static_cast<int>(height - r.bottom), static_cast<int>(r.right - r.left),
                   static_cast<int>(r.bottom - r.top)});
  return out;
}

TMonitorLayout MonitorLayoutOf(int figure) {
  return figure == 1 ? TMonitorLayout::Across : figure == 2 ? TMonitorLayout::Primary : TMonitorLayout::Each;
}

std::vector<TScrMonitor> UsableMonitors(const std::vector<TScrMonitor>& monitors, RECT primary) {
  std::vector<TScrMonitor> usable;
  for (const TScrMonitor& m : monitors)
    if (m.Bounds.right > m.Bounds.left && m.Bounds.bottom > m.Bounds.top) usable.push_back(m);
  if (usable.empty()) usable.push_back({primary, primary, true});
  return usable;
}

std::vector<TGalaxyViewport> LayoutViewports(const std::vector<TScrMonitor>& monitors, TMonitorLayout layout,
                                             POINT origin, int width, int height) {
  if (monitors.size() < 2 || layout == TMonitorLayout::Across) return {};
  std::vector<TScrMonitor> shown = monitors;
  if (layout == TMonitorLayout::Primary) {
    shown.clear();
    for (const TScrMonitor& m : monitors)
      if (m.Primary) shown.push_back(m);
    if (shown.empty()) shown.push_back(monitors.front());
  }
  const std::vector<RECT> areas = ScrMonitorAreas(shown, origin, width, height);
  if (layout == TMonitorLayout::Each && areas.size() < 2) return {};
  return GalaxyViewports(areas, height);
}
