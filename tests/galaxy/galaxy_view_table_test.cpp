// What the view sends to the table it is given, without a context: the
// fallbacks of tables that lack entries, and the cull of each monitor's
// picture.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "galaxy/galaxy.h"
#include "galaxy/view.h"
#include "tests/galaxy/recording_gl.h"

using namespace galaxy_testing;

namespace {

// A galaxy of 40 rings with every cell exploding.
struct Lit {
  Lit() {
    s.Rings = 40;
    s.Density = 0;
    g = std::make_unique<TGalaxy>(s, random, [] { return 1u; });
    for (int i = 0; i < g->CellCount(); ++i) g->SetCell(i, g->ExplodeNow());
  }
  TGalaxySettings s;
  TLcgRandom random;
  std::unique_ptr<TGalaxy> g;
};

// Of the vertex-array draws recorded, the quads each drew.
std::vector<int> QuadsDrawn() {
  std::vector<int> out;
  for (const TGLCall& c : CallsOf("DrawArrays")) out.push_back(static_cast<int>(c.args[2]) / 4);
  return out;
}

}  // namespace

TEST(GalaxyViewTable, ATableWithoutARequiredEntryDrawsNothing) {
  Lit lit;
  TGalaxyGL gl = RecordingGalaxyGL();
  gl.Frustum = nullptr;
  TGalaxyView view;
  RecordedCalls().clear();
  view.Init(gl, 320, 240);
  EXPECT_FALSE(view.Ready());
  view.Draw(*lit.g, 320, 240, 50.0, 500.0f, 0);
  view.DrawViewports(*lit.g, {{0, 0, 160, 240}, {160, 0, 160, 240}}, 320, 240, 50.0, 500.0f, 0);
  EXPECT_TRUE(RecordedCalls().empty()) << RecordedCalls().size() << " calls, the first " << RecordedCalls()[0].name;
}

// One picture per monitor takes the scissor; without it, one picture over
// the whole window, as on one monitor.
TEST(GalaxyViewTable, WithoutTheScissorOnePictureCoversTheWindow) {
  Lit lit;
  const std::vector<TGalaxyViewport> views = {{0, 0, 200, 240}, {200, 60, 120, 180}};
  for (const bool scissor : {true, false}) {
    SCOPED_TRACE(scissor ? "with glScissor" : "without glScissor");
    TGalaxyGL gl = RecordingGalaxyGL();
    if (!scissor) gl.Scissor = nullptr;
    TGalaxyView view;
    view.Init(gl, 320, 240);
    ASSERT_TRUE(view.Ready());
    RecordedCalls().clear();
    view.DrawViewports(*lit.g, views, 320, 240, 50.0, 500.0f, 0);
    const std::vector<TGLCall> viewports = CallsOf("Viewport"), frustums = CallsOf("Frustum");
    if (scissor) {
      ASSERT_EQ(viewports.size(), 3u);  // each monitor's, then the window's again
      EXPECT_EQ(viewports[1].args, (std::vector<double>{200, 60, 120, 180}));
      EXPECT_EQ(viewports[2].args, (std::vector<double>{0, 0, 320, 240}));
      EXPECT_EQ(CallsOf("Scissor").size(), 2u);
      EXPECT_EQ(frustums.size(), 2u) << "a camera for each monitor";
      EXPECT_EQ(QuadsDrawn().size(), 2u);
    } else {
      EXPECT_TRUE(viewports.empty());
      EXPECT_EQ(frustums.size(), 1u);
      EXPECT_EQ(CallsOf("Clear").size(), 1u);
      EXPECT_EQ(QuadsDrawn().size(), 1u);
    }
  }
}

// Each monitor's picture leaves out what its own camera does not see: the
// same quads as a window of that size alone.
TEST(GalaxyViewTable, EachMonitorsPictureIsCulledForItsOwnCamera) {
  Lit lit;
  // A wide monitor and one turned upright.
  const std::vector<TGalaxyViewport> views = {{0, 0, 400, 100}, {400, 0, 90, 160}};
  TGalaxyView view;
  view.Init(RecordingGalaxyGL(), 490, 160);
  std::vector<int> alone;
  for (const TGalaxyViewport& v : views) {
    RecordedCalls().clear();
    view.Draw(*lit.g, v.width, v.height, 50.0, 500.0f, 0);
    ASSERT_EQ(QuadsDrawn().size(), 1u) << v.width << "x" << v.height << ": " << view.DrawnQuads() << " drawn, "
                                       << view.CulledQuads() << " left out";
    alone.push_back(QuadsDrawn()[0]);
    EXPECT_GT(view.CulledQuads(), 0) << v.width << "x" << v.height << " sees part of the galaxy";
  }
  EXPECT_NE(alone[0], alone[1]);
  RecordedCalls().clear();
  view.DrawViewports(*lit.g, views, 490, 160, 50.0, 500.0f, 0);
  EXPECT_EQ(QuadsDrawn(), alone);
}
