#pragma once
// The galaxy on several monitors, the way the Monitors setting lays it out:
// one whole picture per monitor, each in its own viewport with its own
// aspect and camera (TGalaxyView::DrawViewports draws them); one picture
// across the whole virtual screen, each monitor showing its part of it; or
// the primary monitor's picture alone, the others in the background colour.
#include <windows.h>

#include <vector>

#include "framework/monitors.h"
#include "galaxy/view.h"

// The Monitors setting's figures.
enum class TMonitorLayout { Each = 0, Across = 1, Primary = 2 };
// A figure of the setting; one that is none of them is Each.
TMonitorLayout MonitorLayoutOf(int figure);

// The monitors a picture can be laid on: those of some size, in their
// order; the primary screen's metrics (`primary`) when none is left.
std::vector<TScrMonitor> UsableMonitors(const std::vector<TScrMonitor>& monitors, RECT primary);

// The pictures of a full-screen window of `width` x `height` whose client
// area begins at `origin` (screen coordinates), for `layout`: a viewport a
// monitor (Each), the whole window (Across: one camera on the middle of the
// rectangle around every monitor), or the primary monitor's alone (Primary).
// Empty when the window shows a single picture anyway (one monitor, or a
// window on no monitor).
std::vector<TGalaxyViewport> LayoutViewports(const std::vector<TScrMonitor>& monitors, TMonitorLayout layout,
                                             POINT origin, int width, int height);

// The viewports of `areas` (client rectangles, y downwards) in a window
// `height` pixels high.
std::vector<TGalaxyViewport> GalaxyViewports(const std::vector<RECT>& areas, int height);
