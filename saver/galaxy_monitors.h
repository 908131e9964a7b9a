#pragma once
// The galaxy on several monitors: one whole picture per monitor, each in its
// own viewport with its own aspect and camera, never one picture stretched
// over all of them (TGalaxyView::DrawViewports draws them).
#include <windows.h>

#include <vector>

#include "galaxy/view.h"

// The viewports of `areas` (client rectangles, y downwards) in a window
// `height` pixels high.
std::vector<TGalaxyViewport> GalaxyViewports(const std::vector<RECT>& areas, int height);
