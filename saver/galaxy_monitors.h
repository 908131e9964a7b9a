#pragma once
// The galaxy on several monitors: one whole picture per monitor, each in its
// own viewport with its own aspect and camera, never one picture stretched
// over all of them.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "saver/galaxy.h"

// An OpenGL viewport: x and y from the bottom-left corner of the window.
struct TGalaxyViewport {
  int x, y, width, height;
};

// The viewports of `areas` (client rectangles, y downwards) in a window
// `height` pixels high.
std::vector<TGalaxyViewport> GalaxyViewports(const std::vector<RECT>& areas, int height);

// One frame up to the swap: the galaxy drawn once in each viewport (each
// cleared alone), then the viewport back to the whole `width` x `height`.
void GalaxyDrawViewports(TGalaxy& galaxy, const std::vector<TGalaxyViewport>& views, int width, int height,
                         double eye, float depth, std::uint32_t ms);
