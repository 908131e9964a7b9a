#pragma once
// Galaxies and a context for the tests that draw through the real driver
// (galaxy_view_test.cpp, and the frame bench's in tools/frame-bench).
#include <memory>

#include "galaxy/galaxy.h"
#include "galaxy/settings.h"
#include "gl/sgl.h"
#include "tests/gl/gl_support.h"

namespace gl_testing {

// The longest trail, where every state a cell can take is in use.
inline const int kMaxTrails = static_cast<int>(FindGalaxySetting("trails")->Max);

// Settings for a galaxy whose cells the tests light themselves (see Dark).
inline TGalaxySettings Empty(int rings) {
  TGalaxySettings s;
  s.Rings = rings;
  s.Density = 0;
  return s;
}

// A galaxy of `rings` whose cells hold every state 0 .. 255 in turn, with a
// full trail, so that every colour entry shows somewhere.
inline std::unique_ptr<TGalaxy> EveryState(int rings, TLcgRandom& random) {
  TGalaxySettings s = Empty(rings);
  s.Trails = kMaxTrails;
  s.Probability = 100;
  s.Explosion = 0x40C0F0;
  s.Exhausted = 0x20FF10;
  s.Replenished = 0xF01080;
  s.Background = 0x302010;
  auto g = std::make_unique<TGalaxy>(s, random, [] { return 3u; });
  // The trail grows while the galaxy stays busy: an explosion at the centre
  // of replenished neighbours every step keeps it from dying out.
  for (int i = 0; i < 1000 && g->TrailLength() < kMaxTrails; ++i) {
    for (int k = 1; k <= 6; ++k) g->SetCell(k, 0);
    g->SetCell(0, g->ExplodeNow());
    g->Step();
  }
  for (int i = 0; i < g->CellCount(); ++i) g->SetCell(i, static_cast<std::uint8_t>(i * 7));
  return g;
}

// A window whose context has a 24-bit depth buffer.
struct DeepContext {
  explicit DeepContext(int width = W, int height = H) : window{20, 20, width, height} {
    int bpp = -1, depthBits = 24, dbl = 1, acc = 1;
    const int format = sglBestPixelFormat(window.dc(), &bpp, &depthBits, &dbl, &acc);
    PIXELFORMATDESCRIPTOR pfd{};
    if (depthBits == 24 && sglDescribePixelFormat(window.dc(), format, sizeof pfd, &pfd) &&
        sglSetPixelFormat(window.dc(), format, &pfd))
      rc = sglCreateContext(window.dc());
    if (rc && !sglMakeCurrent(window.dc(), rc)) {
      sglDeleteContext(rc);
      rc = nullptr;
    }
  }
  ~DeepContext() {
    if (!rc) return;
    sglMakeCurrent(nullptr, nullptr);
    sglDeleteContext(rc);
  }
  DeepContext(const DeepContext&) = delete;
  DeepContext& operator=(const DeepContext&) = delete;
  static constexpr int W = 320, H = 240;
  GLWindow window{20, 20, W, H};
  HGLRC rc = nullptr;
};


}  // namespace gl_testing
