// The picture's own work per frame, without a driver: the camera, the cull
// and the vertex array of the lit quads (TGalaxyView::Draw through a table of
// OpenGL functions that do nothing), for the same galaxy at the control
// panel's preview size and full screen. What is left is our code's floating
// point, so builds for different units (x87, SSE2, x86-64) compare directly.
//
//   picture_bench [--frames N] [rings...]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "galaxy/galaxy.h"
#include "galaxy/view.h"

namespace {

// Each entry a function that does nothing.
#define PICTURE_BENCH_STUB(ret, name, params) \
  ret GALAXY_GLAPI Stub##name params {}
GALAXY_GL_ENTRIES(PICTURE_BENCH_STUB)
#undef PICTURE_BENCH_STUB

TGalaxyGL StubTable() {
  TGalaxyGL gl;
#define PICTURE_BENCH_FILL(ret, name, params) gl.name = &Stub##name;
  GALAXY_GL_ENTRIES(PICTURE_BENCH_FILL)
#undef PICTURE_BENCH_FILL
  return gl;
}

struct Result {
  double usPerFrame = 0;
  long drawn = 0, culled = 0;
};

// Frames of a busy galaxy (300 steps in, fixed seed), one step before each
// untimed; the camera follows a clock that moves 40 ms a frame.
Result Run(int rings, int width, int height, int frames) {
  TGalaxySettings settings;
  settings.Rings = rings;
  TLcgRandom random;
  TGalaxy galaxy(settings, random, [] { return 20261207u; });
  for (int i = 0; i < 300; ++i) galaxy.Step();
  TGalaxyView view;
  view.Init(StubTable(), width, height);
  Result r;
  std::chrono::steady_clock::duration spent{};
  for (int i = 0; i < frames; ++i) {
    galaxy.Step();
    const auto start = std::chrono::steady_clock::now();
    view.Draw(galaxy, width, height, settings.Eye, static_cast<float>(settings.Depth), 40u * i);
    spent += std::chrono::steady_clock::now() - start;
    r.drawn += view.DrawnQuads();
    r.culled += view.CulledQuads();
  }
  r.usPerFrame = std::chrono::duration<double, std::micro>(spent).count() / frames;
  r.drawn /= frames;
  r.culled /= frames;
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 500;
  std::vector<int> rings;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--frames") && i + 1 < argc)
      frames = std::atoi(argv[++i]);
    else
      rings.push_back(std::atoi(argv[i]));
  }
  if (rings.empty()) rings = {60, 150};
  if (frames < 1) frames = 1;
  std::printf("%6s %9s %10s %8s %8s\n", "rings", "size", "us/frame", "drawn", "culled");
  for (int n : rings) {
    for (const auto& size : {std::pair<int, int>{152, 112}, std::pair<int, int>{1024, 768}}) {
      const Result r = Run(n, size.first, size.second, frames);
      std::printf("%6d %4dx%-4d %10.1f %8ld %8ld\n", n, size.first, size.second, r.usPerFrame, r.drawn, r.culled);
    }
  }
  return 0;
}
