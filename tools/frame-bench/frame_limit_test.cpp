// The frame bench's floor (frame_limit.h), against the real driver.
#include "tools/frame-bench/frame_limit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "galaxy/view.h"
#include "saver/galaxy_gl.h"
#include "tests/galaxy/galaxy_gl_support.h"

using namespace gl_testing;

// The frame bench's floor draws what the bare frame draws: the frame
// compiled into a display list and replayed over a scrubbed context gives
// the same pixels but for the driver's rounding on a few edges, and its
// array kept and drawn again the same pixels exactly; a view through the
// table that does nothing does the same work; and the frames kept stand for
// the frames of the run in order.
TEST(FrameLimit, ReplaysTheBareFrame) {
  ASSERT_NE(nullptr, sglLoadDriver("opengl32.dll"));
  constexpr int W = DeepContext::W, H = DeepContext::H;
  TLcgRandom random;
  auto g = EveryState(60, random);
  DeepContext context;
  ASSERT_NE(nullptr, context.rc);
  // The floor is the arrays' frame's.
  const TGalaxyGL table = frame_limit::WithoutBuffers(SglGalaxyTable());
  auto pixels = [] {
    sglFinish();
    std::vector<std::uint32_t> p(W * H);
    sglReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return p;
  };
  auto scrub = [] {
    sglClearColor(0.5f, 0.5f, 0.5f, 0.0f);
    sglClear(GL_COLOR_BUFFER_BIT);
    for (GLenum m : {GL_PROJECTION, GL_MODELVIEW}) {
      sglMatrixMode(m);
      sglLoadIdentity();
    }
  };
  TGalaxyView view;
  view.Init(table, W, H);
  view.Draw(*g, W, H, 50.0, 500.0f, 3000);
  const std::vector<std::uint32_t> bare = pixels();
  EXPECT_GT(std::set<std::uint32_t>(bare.begin(), bare.end()).size(), 100u);

  TGalaxyView nothing;
  nothing.Init(frame_limit::NothingTable(), W, H);
  nothing.Draw(*g, W, H, 50.0, 500.0f, 3000);
  EXPECT_EQ(nothing.DrawnQuads(), view.DrawnQuads());
  EXPECT_EQ(nothing.CulledQuads(), view.CulledQuads());
  EXPECT_EQ(pixels(), bare);

  const GLuint list = sglGenLists(1);
  view.Invalidate();
  sglNewList(list, GL_COMPILE);
  view.Draw(*g, W, H, 50.0, 500.0f, 3000);
  sglEndList();
  scrub();
  sglCallList(list);
  // The driver keeps a display list's vertices its own way: as with any
  // other history, pixels on the edges of quads may round otherwise (see
  // DrawTheSameFrameAsOneVertexAtATime); 29 of 76,800 here.
  const std::vector<std::uint32_t> replayed = pixels();
  int differing = 0;
  for (size_t i = 0; i < bare.size(); ++i) differing += replayed[i] != bare[i];
  EXPECT_LE(differing, W * H / 1000);
  sglDeleteLists(list, 1);

  const int kept = frame_limit::TKeptArrays::Frames();
  view.Init(frame_limit::TKeptArrays::Recording(table), W, H);
  view.Draw(*g, W, H, 50.0, 500.0f, 3000);
  ASSERT_EQ(frame_limit::TKeptArrays::Frames(), kept + 1);
  EXPECT_NE(pixels(), bare);  // recorded, not drawn
  sglClear(GL_COLOR_BUFFER_BIT);
  frame_limit::TKeptArrays::Replay(table, kept);
  EXPECT_EQ(pixels(), bare);
  EXPECT_FALSE(sglIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(sglIsEnabled(GL_COLOR_ARRAY));

  // 40 frames, each after one more step: 16 kept, each for the frames
  // nearest it, in order, with its own lit cells and quads left out.
  std::vector<std::uint32_t> keptAt;
  std::vector<long> lit, culled;
  const std::uint32_t start = g->StepCount();
  const frame_limit::TSamples samples(*g, nothing, 40, [&] {
    keptAt.push_back(g->StepCount() - start);
    nothing.Draw(*g, W, H, 50.0, 500.0f, 3000 + 100 * keptAt.back());
    lit.push_back(static_cast<long>(std::count_if(g->Cells(), g->Cells() + g->CellCount(),
                                                  [](std::uint8_t cell) { return cell != 0; })));
    culled.push_back(nothing.CulledQuads());
  });
  ASSERT_EQ(keptAt.size(), 16u);
  EXPECT_NE(lit.front(), lit.back());
  EXPECT_NE(culled.front(), culled.back());
  EXPECT_EQ(samples.Of(0), 0);
  EXPECT_EQ(samples.Of(39), 15);
  for (int i = 0; i < 40; ++i) {
    const int frameStep = i + 1, keptStep = static_cast<int>(keptAt[samples.Of(i)]);
    EXPECT_LE(std::abs(keptStep - frameStep), 2) << "frame " << i;
    EXPECT_EQ(samples.Lit(i), lit[samples.Of(i)]) << "frame " << i;
    EXPECT_EQ(samples.Culled(i), culled[samples.Of(i)]) << "frame " << i;
    if (i > 0) {
      EXPECT_GE(samples.Of(i), samples.Of(i - 1));
    }
  }
  sglFreeDriver();
}

