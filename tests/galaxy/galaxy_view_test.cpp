// The galaxy's picture: quad geometry, and real frames through Wine's OpenGL.
#include "galaxy/view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "gl/sgl.h"
#include "saver/galaxy_gl.h"
#include "tests/gl/drivers/stub_driver.h"
#include "tests/galaxy/galaxy_gl_support.h"
#include "tests/gl/gl_support.h"
#include "tools/frame-bench/frame_limit.h"

using namespace gl_testing;

namespace {

struct Quad {
  int state;
  float x0, y0, x1, y1, z;
};

std::vector<Quad> Quads(const TGalaxy& galaxy, float depth) {
  std::vector<Quad> out;
  ForEachGalaxyQuad(galaxy, depth, [&](int state, float x0, float y0, float x1, float y1, float z) {
    out.push_back({state, x0, y0, x1, y1, z});
  });
  return out;
}

// Finds the slot of ring `ring` whose cell now stands at x (any y), for tests
// that want a cell at a known place.
int SlotAt(const TGalaxy& g, int ring, int x, int y) {
  for (int slot = 0; slot < 6 * ring; ++slot)
    if (g.CellPosition(ring, slot) == TGalaxyPoint{x, y}) return slot;
  return -1;
}

// Puts every cell out: even a galaxy seeded at density 0 lights a few.
void Dark(TGalaxy& g) {
  for (int i = 0; i < g.CellCount(); ++i) g.SetCell(i, 0);
}

}  // namespace

TEST(GalaxyView, QuadSizeGrowsWithDepthAndIsAtLeastOne) {
  EXPECT_NEAR(GalaxyQuadSize(500, 60), 2.31f, 0.01f);  // the default galaxy's cells
  EXPECT_GT(GalaxyQuadSize(500, 60), GalaxyQuadSize(250, 60));
  EXPECT_GT(GalaxyQuadSize(500, 60), GalaxyQuadSize(500, 120));  // more rings, smaller cells
  EXPECT_FLOAT_EQ(GalaxyQuadSize(0, 60), 1.0f);
  EXPECT_FLOAT_EQ(GalaxyQuadSize(10, 150), 1.0f);
}

TEST(GalaxyView, QuadsFormAConeAndTruncateTowardZero) {
  TLcgRandom random;
  TGalaxy g(Empty(60), random, [] { return 7u; });
  Dark(g);
  EXPECT_TRUE(Quads(g, 500).empty());  // replenished cells are never drawn

  g.SetCell(0, 5);
  int right = SlotAt(g, 3, 3, 3), left = SlotAt(g, 3, -3, 3);
  ASSERT_GE(right, 0);
  ASSERT_GE(left, 0);
  g.SetCell(TGalaxy::CellIndex(3, right), 9);
  g.SetCell(TGalaxy::CellIndex(3, left), 9);
  int outer = TGalaxy::CellIndex(59, 0);
  g.SetCell(outer, 200);

  std::vector<Quad> q = Quads(g, 500);
  ASSERT_EQ(q.size(), 4u);
  // The centre lies deepest, at the full depth; its quad is S wide and high.
  EXPECT_EQ(q[0].state, 5);
  EXPECT_FLOAT_EQ(q[0].z, 500);
  EXPECT_FLOAT_EQ(q[0].x0, 0);
  EXPECT_FLOAT_EQ(q[0].x1, 2);    // trunc(0 + 2.31)
  EXPECT_FLOAT_EQ(q[0].y1, 2);    // trunc(0 + 4.62) / 2
  // Ring 3 lies at (1 - 3/60) of the depth; on the negative side truncation
  // toward zero makes the quad wider.
  for (const Quad& c : {q[1], q[2]}) {
    EXPECT_FLOAT_EQ(c.z, (1.0f - 3.0f / 60.0f) * 500.0f);
    EXPECT_FLOAT_EQ(c.y0, 1.5f);
    EXPECT_FLOAT_EQ(c.y1, 3.5f);  // trunc(3 + 4.62) / 2
    if (c.x0 == 3) {
      EXPECT_FLOAT_EQ(c.x1, 5);
    } else {
      EXPECT_FLOAT_EQ(c.x0, -3);
      EXPECT_FLOAT_EQ(c.x1, 0);  // trunc(-0.69)
    }
  }
  EXPECT_NE(q[1].x0, q[2].x0);
  // The outer ring is nearest.
  EXPECT_EQ(q[3].state, 200);
  EXPECT_NEAR(q[3].z, 500.0 / 60, 1e-4);

  // Depth 0: everything in one plane, unit quads.
  for (const Quad& c : Quads(g, 0)) {
    EXPECT_FLOAT_EQ(c.z, 0);
    EXPECT_GE(c.x1 - c.x0, 0);
    EXPECT_LE(c.x1 - c.x0, 1);
  }
}

namespace {

constexpr int W = 160, H = 120;

class GalaxyFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, sglLoadDriver("opengl32.dll"));
    int bpp = -1, depthBits = 16, dbl = -1, acc = 1;
    ASSERT_NE(0, sglBestPixelFormat(window.dc(), &bpp, &depthBits, &dbl, &acc));
    context = std::make_unique<GLContext>(window.dc());
    ASSERT_TRUE(context->ok());
  }
  void TearDown() override {
    context.reset();
    sglFreeDriver();
  }
  GLWindow window{30, 30, W, H};
  std::unique_ptr<GLContext> context;
  TGalaxyView view;
};

bool Near(unsigned a, unsigned b) {
  for (int shift : {0, 8, 16}) {
    int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d < -2 || d > 2) return false;
  }
  return true;
}

unsigned Rgb(TGalaxyColor c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

int CountPixels(unsigned rgb) {
  int n = 0;
  for (int y = 0; y < H; y += 2)
    for (int x = 0; x < W; x += 2)
      if (Near(ReadPixel(x, y), rgb)) ++n;
  return n;
}

}  // namespace

TEST_F(GalaxyFrame, BackgroundFillsTheFrameAndLitCellsShowInTheirColours) {
  TGalaxySettings s = Empty(20);
  s.Background = 0x0000FF;  // red, as a TColor
  s.Explosion = 0x00FF00;   // green
  TLcgRandom random;
  TGalaxy g(s, random, [] { return 1u; });
  Dark(g);
  view.Init(SglGalaxyTable(), W, H);
  EXPECT_TRUE(view.CameraDirty(g, W, H));
  EXPECT_TRUE(view.ClearColorDirty(g));
  view.Draw(g, W, H, 0.0, 100.0f, 0);
  sglFinish();
  EXPECT_EQ(GLenum(GL_NO_ERROR), sglGetError());
  EXPECT_FALSE(view.CameraDirty(g, W, H));
  EXPECT_FALSE(view.ClearColorDirty(g));
  // A step, another number of rings or another size needs the camera again.
  g.Step();
  EXPECT_TRUE(view.CameraDirty(g, W, H));
  view.Draw(g, W, H, 0.0, 100.0f, 0);
  EXPECT_FALSE(view.CameraDirty(g, W, H));
  EXPECT_TRUE(view.CameraDirty(g, W, H - 1));
  EXPECT_TRUE(view.CameraDirty(g, W - 1, H));
  g.SetRings(21);
  EXPECT_TRUE(view.CameraDirty(g, W, H));
  Dark(g);
  view.Draw(g, W, H, 0.0, 100.0f, 0);
  sglFinish();
  EXPECT_EQ(CountPixels(0xFF0000), (W / 2) * (H / 2));

  // Light every cell: the explosion colour now covers a good part of the view.
  for (int i = 0; i < g.CellCount(); ++i) g.SetCell(i, g.ExplodeNow());
  view.Draw(g, W, H, 0.0, 100.0f, 0);
  sglFinish();
  int lit = CountPixels(Rgb(s.Explosion));
  EXPECT_GT(lit, (W / 2) * (H / 2) / 10);
  EXPECT_LT(lit, (W / 2) * (H / 2));

  // A new background shows in the next frame.
  g.SetColors(s.Explosion, s.Exhausted, 0xFF0000, s.Replenished);  // blue
  EXPECT_TRUE(view.ClearColorDirty(g));
  view.Draw(g, W, H, 0.0, 100.0f, 0);
  sglFinish();
  EXPECT_GT(CountPixels(0x0000FF), 0);
  EXPECT_EQ(CountPixels(0xFF0000), 0);
}

TEST_F(GalaxyFrame, FieldOfViewShrinksWithTheAspect) {
  double m[16];
  // With Eye 0 the camera looks straight down +z, so the combined matrix keeps
  // the projection's vertical scale: cot(fovy / 2).
  view.Init(SglGalaxyTable(), W, H);
  view.SetupCamera(200, 100, 60, 0.0, 0);
  sglGetDoublev(GL_PROJECTION_MATRIX, m);
  EXPECT_NEAR(m[5], 1.0 / std::tan(std::atan(1.0) / 2), 1e-6);  // 45 degrees
  view.SetupCamera(100, 100, 60, 0.0, 0);
  sglGetDoublev(GL_PROJECTION_MATRIX, m);
  EXPECT_NEAR(m[5], 1.0, 1e-6);  // 90 degrees
  view.SetupCamera(100, 0, 60, 0.0, 0);  // no height yet: no infinities
  sglGetDoublev(GL_PROJECTION_MATRIX, m);
  for (double v : m) EXPECT_TRUE(std::isfinite(v));
}

TEST_F(GalaxyFrame, TheCameraWandersWithTime) {
  TGalaxySettings s = Empty(30);
  TLcgRandom random;
  TGalaxy g(s, random, [] { return 1u; });
  for (int i = 0; i < g.CellCount(); ++i) g.SetCell(i, g.ExplodeNow());
  view.Init(SglGalaxyTable(), W, H);
  auto frame = [&](std::uint32_t ms) {
    view.Invalidate();
    view.Draw(g, W, H, 40.0, 200.0f, ms);
    sglFinish();
    std::vector<unsigned> pixels;
    for (int y = 0; y < H; y += 4)
      for (int x = 0; x < W; x += 4) pixels.push_back(ReadPixel(x, y));
    return pixels;
  };
  EXPECT_EQ(frame(0), frame(0));
  EXPECT_NE(frame(0), frame(4000));  // a quarter of a radian later
}


namespace {
void(GALAXY_GLAPI* gRealBufferSubData)(unsigned, std::ptrdiff_t, std::ptrdiff_t, const void*) = nullptr;
// An upload the driver refuses (GL_INVALID_VALUE: a negative offset).
void GALAXY_GLAPI RefusedBufferSubData(unsigned target, std::ptrdiff_t, std::ptrdiff_t size, const void* data) {
  gRealBufferSubData(target, -1, size, data);
}
}  // namespace

// One vertex at a time, and from arrays with the quads that show nothing left
// out: the same galaxy state gives the same frame, byte for byte. From
// buffers, and from buffers whose uploads fail (then from arrays), too. The frame
// has no depth test, so the drawing order alone decides which quad shows;
// but the driver does not quite repeat its own frame one vertex at a time: a
// few pixels on the edges of quads (at most 8 of 76,800 in these cases) come
// out differently with what its vertex buffer held before, as its rounding
// of a vertex depends on where the stream of vertices is split. So that
// frame is drawn after seven different histories, and every pixel where all
// seven agree must be the same from arrays and from buffers. That the quads
// left out draw nothing is the next test's.
TEST(GalaxyArrays, DrawTheSameFrameAsOneVertexAtATime) {
  ASSERT_NE(nullptr, sglLoadDriver("opengl32.dll"));
  constexpr int W = DeepContext::W, H = DeepContext::H;

  struct Case {
    int rings;
    double eye;
    float depth;
    std::uint32_t ms;
  };
  // The smallest galaxy near the near plane and far off; the middle and
  // largest with the view cutting the disc and the far plane the cone.
  const Case cases[] = {{1, 0.0, 12.0f, 0},        {1, 0.0, 100.0f, 0},       {2, 0.0, 12.0f, 0},
                        {60, 50.0, 500.0f, 0},     {60, 17.0, 60.0f, 9000},
                        {150, 143.0, 136.0f, 4000}, {150, 100.0, 500.0f, 20000}};
  TLcgRandom otherRandom;
  TGalaxy other(Empty(7), otherRandom, [] { return 5u; });
  for (const Case& c : cases) {
    TLcgRandom random;
    auto g = EveryState(c.rings, random);
    ASSERT_EQ(g->TrailLength(), kMaxTrails);
    DeepContext context;  // each case from the driver's first state
    ASSERT_NE(nullptr, context.rc);
    TGalaxyView view;  // refused buffers leave a view on arrays for good
    // The buffers' functions are the current context's.
    const TGalaxyGL withBuffers = SglGalaxyTable();
    ASSERT_TRUE(withBuffers.HasBuffers());
    const TGalaxyGL withArrays = frame_limit::WithoutBuffers(withBuffers);
    TGalaxyGL without = withArrays, refusing = withBuffers;
    without.ColorPointer = nullptr;
    gRealBufferSubData = withBuffers.BufferSubData;
    refusing.BufferSubData = RefusedBufferSubData;
    auto frame = [&](const TGalaxyGL& table, int history) {
      view.Init(table, W, H);
      for (int i = 0; i < history; ++i) view.Draw(other, W, H, 0.0, 100.0f, 0);  // other vertices first
      view.Invalidate();
      view.Draw(*g, W, H, c.eye, c.depth, c.ms);
      sglFinish();
      std::vector<std::uint32_t> pixels(W * H);
      sglReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
      return pixels;
    };
    const std::vector<std::uint32_t> reference = frame(without, 0);
    EXPECT_FALSE(view.UsesArrays());
    std::vector<bool> steady(reference.size(), true);
    for (int history : {1, 2, 3, 5, 8, 13}) {
      const std::vector<std::uint32_t> again = frame(without, history);
      for (size_t i = 0; i < reference.size(); ++i) steady[i] = steady[i] && again[i] == reference[i];
    }
    const std::vector<std::uint32_t> arrays = frame(withArrays, 0);
    EXPECT_TRUE(view.UsesArrays());
    EXPECT_FALSE(view.UsesBuffers());
    const std::vector<std::uint32_t> buffers = frame(withBuffers, 0);
    EXPECT_TRUE(view.UsesBuffers());
    const std::vector<std::uint32_t> refused = frame(refusing, 0);
    EXPECT_FALSE(view.UsesBuffers());
    int compared = 0, differing = 0, differingBuffers = 0, differingRefused = 0;
    for (size_t i = 0; i < reference.size(); ++i) {
      if (!steady[i]) continue;
      ++compared;
      differing += arrays[i] != reference[i];
      differingBuffers += buffers[i] != reference[i];
      differingRefused += refused[i] != reference[i];
    }
    EXPECT_EQ(differing, 0) << "pixels differ at " << c.rings << " rings, eye " << c.eye << ", depth "
                                       << c.depth;
    EXPECT_EQ(differingBuffers, 0) << c.rings << " rings";
    EXPECT_EQ(differingRefused, 0) << c.rings << " rings";
    EXPECT_GT(compared, W * H * 999 / 1000);
    // The galaxy shows in many colours.
    const std::set<std::uint32_t> colours(reference.begin(), reference.end());
    EXPECT_GT(colours.size(), c.rings > 2 ? 100u : 3u) << c.rings << " rings";
    // Every lit cell is drawn or left out.
    EXPECT_EQ(view.DrawnQuads() + view.CulledQuads(), static_cast<int>(Quads(*g, c.depth).size()));
  }
  sglFreeDriver();
}

// The quads a frame leaves out draw nothing: drawn alone, one vertex at a
// time, with the frame's own camera, they leave every pixel as cleared. And
// there are many of them where rings lie far off or the window is small.
TEST(GalaxyArrays, TheQuadsLeftOutDrawNothing) {
  ASSERT_NE(nullptr, sglLoadDriver("opengl32.dll"));
  struct Case {
    int rings;
    double eye;
    float depth;
    std::uint32_t ms;
    int width, height;
    int leftOutPercent;  // of the lit quads, at least
  };
  const Case cases[] = {
      {60, 50.0, 500.0f, 0, 320, 240, 2},        // the defaults
      {60, 50.0, 500.0f, 7000, 152, 112, 15},    // the control panel's preview
      {60, 17.0, 60.0f, 9000, 320, 240, 5},      // the view cuts the disc
      {60, 50.0, 12.0f, 0, 800, 600, 5},         // a flat disc, partly aside, no quad small
      {150, 143.0, 136.0f, 4000, 320, 240, 10},  // the eye near the outer rings
      {150, 100.0, 500.0f, 20000, 320, 240, 30},
      {150, 50.0, 600.0f, 3000, 152, 112, 60},
  };
  for (const Case& c : cases) {
    const std::string where = std::to_string(c.rings) + " rings, eye " + std::to_string(c.eye) + ", depth " +
                              std::to_string(c.depth) + ", " + std::to_string(c.width) + "x" +
                              std::to_string(c.height);
    TLcgRandom random;
    auto g = EveryState(c.rings, random);
    DeepContext context(c.width, c.height);
    ASSERT_NE(nullptr, context.rc);
    TGalaxyView view;
    view.Init(SglGalaxyTable(), c.width, c.height);
    view.Draw(*g, c.width, c.height, c.eye, c.depth, c.ms);
    ASSERT_TRUE(view.UsesArrays());

    TGalaxyCull cull(view.ViewMatrix(), c.width, c.height);
    const float size = GalaxyQuadSize(c.depth, c.rings);
    std::vector<Quad> leftOut;
    int lit = 0;
    ForEachGalaxyQuad(
        *g, c.depth, [&](int ring, float z) { cull.StartRing(ring, z, size); },
        [&](int state, float x0, float y0, float x1, float y1, float z) {
          ++lit;
          if (cull.LeftOut(x0, y0, x1, y1)) leftOut.push_back({state, x0, y0, x1, y1, z});
        });
    EXPECT_EQ(static_cast<int>(leftOut.size()), view.CulledQuads()) << where;
    EXPECT_GE(static_cast<int>(leftOut.size()) * 100, c.leftOutPercent * lit) << where;

    sglClearColor(0, 0, 0, 0);
    sglClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    sglColor3f(1, 1, 1);
    sglBegin(GL_QUADS);
    for (const Quad& q : leftOut) {
      sglVertex3f(q.x0, q.y0, q.z);
      sglVertex3f(q.x0, q.y1, q.z);
      sglVertex3f(q.x1, q.y1, q.z);
      sglVertex3f(q.x1, q.y0, q.z);
    }
    sglEnd();
    sglFinish();
    std::vector<std::uint32_t> pixels(c.width * c.height);
    sglReadPixels(0, 0, c.width, c.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    const int drawn = static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) {
      return (p & 0xFFFFFF) != 0;
    }));
    EXPECT_EQ(drawn, 0) << "pixels drawn by " << leftOut.size() << " quads left out at " << where;
  }
  sglFreeDriver();
}

namespace {

// Ring i's depth (1 - i/n) * Depth with every operation rounded to single
// precision, whatever precision the compiler computes in.
float SingleDepth(int ring, int rings, float depth) {
  volatile float i = static_cast<float>(ring);
  volatile float n = static_cast<float>(rings);
  volatile float q = i / n;
  volatile float u = 1.0f - q;
  volatile float z = u * depth;
  return z;
}

}  // namespace

// The depths a frame sends to the driver are single-precision results, for
// every ring of galaxies of many sizes and depths: a driver that records
// what it is given stands in for the real one.
TEST(GalaxyView, EveryRingDepthOfAFrameIsTheSinglePrecisionResult) {
  ASSERT_NE(sglLoadDriver(StubDriver("stub_basic")), nullptr);
  auto depths = reinterpret_cast<TestDriverDepthsFn>(GetProcAddress(sglDriverHandle(), "TestDriverDepths"));
  ASSERT_NE(depths, nullptr);
  TGalaxyView view;
  view.Init(SglGalaxyTable(), 640, 480);
  int compared = 0, differing = 0;
  std::string example;
  for (int rings : {2, 7, 41, 60, 97, 149, 150}) {
    TLcgRandom random;
    TGalaxy g(Empty(rings), random, [] { return 7u; });
    Dark(g);
    for (int ring = 0; ring < rings; ++ring) g.SetCell(TGalaxy::CellIndex(ring, 0), 9);
    for (float depth : {1.0f, 3.0f, 100.0f, 343.0f, 500.0f, 599.0f, 600.0f}) {
      depths(nullptr, 0);
      view.Draw(g, 640, 480, 50.0, depth, 0);
      std::vector<float> z(4 * rings);
      ASSERT_EQ(depths(z.data(), static_cast<int>(z.size())), 4 * rings);
      for (int ring = 0; ring < rings; ++ring) {
        const float want = SingleDepth(ring, rings, depth);
        for (int k = 0; k < 4; ++k, ++compared) {
          if (std::memcmp(&z[4 * ring + k], &want, sizeof want) == 0) continue;
          if (!differing++)
            example = "ring " + std::to_string(ring) + " of " + std::to_string(rings) + " at depth " +
                      std::to_string(depth);
        }
      }
    }
  }
  sglFreeDriver();
  EXPECT_EQ(differing, 0) << "of " << compared << " vertices; first: " << example;
}
