// One picture of the galaxy per monitor, drawn through Wine's OpenGL into
// one window: a square monitor on the left, a wider one of 60 % its height
// to its right, at the top.
#include "saver/galaxy_monitors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "gl/sgl.h"
#include "saver/galaxy_gl.h"
#include "tests/gl/gl_support.h"

using namespace gl_testing;

namespace {

struct Box {
  int left = 1 << 20, bottom = 1 << 20, right = -1, top = -1, background = 0;
  double CentreX() const { return (left + right) / 2.0; }
  double CentreY() const { return (bottom + top) / 2.0; }
  double Shape() const { return double(right - left + 1) / double(top - bottom + 1); }
};

// The lit pixels' bounds in a viewport (OpenGL's coordinates) and how many
// show the background.
Box LitBox(const TGalaxyViewport& v, unsigned background) {
  Box b;
  for (int y = v.y; y < v.y + v.height; ++y)
    for (int x = v.x; x < v.x + v.width; ++x) {
      if (ReadPixel(x, y) == background) {
        ++b.background;
        continue;
      }
      b.left = std::min(b.left, x);
      b.right = std::max(b.right, x);
      b.bottom = std::min(b.bottom, y);
      b.top = std::max(b.top, y);
    }
  return b;
}

// The pixels of a rectangle of the back buffer (OpenGL's coordinates), row by row.
std::vector<unsigned> Pixels(int x0, int y0, int width, int height) {
  std::vector<unsigned> out;
  for (int y = y0; y < y0 + height; ++y)
    for (int x = x0; x < x0 + width; ++x) out.push_back(ReadPixel(x, y));
  return out;
}

}  // namespace

TEST(GalaxyMonitors, EachMonitorShowsTheWholeGalaxyUndistortedAtItsCentre) {
  constexpr int W = 200, H = 100;
  GLWindow window(20, 20, W, H);
  ASSERT_NE(nullptr, sglLoadDriver("opengl32.dll"));
  int bpp = -1, depthBits = 16, dbl = -1, acc = 1;
  ASSERT_NE(0, sglBestPixelFormat(window.dc(), &bpp, &depthBits, &dbl, &acc));
  auto context = std::make_unique<GLContext>(window.dc());
  ASSERT_TRUE(context->ok());

  const std::vector<TGalaxyViewport> views = GalaxyViewports({RECT{0, 0, 100, 100}, RECT{100, 0, 200, 60}}, H);
  ASSERT_EQ(views.size(), 2u);
  auto fields = [](const TGalaxyViewport& v) { return std::vector<int>{v.x, v.y, v.width, v.height}; };
  EXPECT_EQ(fields(views[0]), (std::vector<int>{0, 0, 100, 100}));
  EXPECT_EQ(fields(views[1]), (std::vector<int>{100, 40, 100, 60}));

  TGalaxySettings s;
  s.Rings = 20;
  s.Density = 0;
  s.Background = 0x0000FF;  // red
  s.Explosion = 0x00FF00;   // green
  TLcgRandom random;
  TGalaxy g(s, random, [] { return 1u; });
  for (int i = 0; i < g.CellCount(); ++i) g.SetCell(i, g.ExplodeNow());
  TGalaxyView view;
  view.Init(SglGalaxyTable(), W, H);
  // First one picture over the whole window, as on a single monitor: it
  // reaches the strip below the wide monitor.
  view.Draw(g, W, H, 0.0, 500.0f, 0);
  const Box strip = LitBox({100, 0, 100, 40}, 0xFF0000);
  ASSERT_GE(strip.right, 0);
  view.DrawViewports(g, views, W, H, 0.0, 500.0f, 0);
  sglFinish();
  EXPECT_EQ(GLenum(GL_NO_ERROR), sglGetError());

  // The second monitor's clear left the first one's picture alone, and the
  // strip on no monitor holds nothing of the earlier picture.
  const Box square = LitBox(views[0], 0xFF0000), wide = LitBox(views[1], 0xFF0000);
  for (const Box* b : {&square, &wide}) {
    ASSERT_GE(b->right, 0);
    EXPECT_GT(b->background, 500);
  }
  EXPECT_EQ(LitBox({100, 0, 100, 40}, 0xFF0000).background, 100 * 40);
  // Each picture is whole and centred on its own monitor (the camera looks
  // down the axis), not one picture over both.
  EXPECT_NEAR(square.CentreX(), 50, 4);  // quads on the negative side are wider
  EXPECT_NEAR(square.CentreY(), 50, 3);
  EXPECT_NEAR(wide.CentreX(), 150, 4);
  EXPECT_NEAR(wide.CentreY(), 70, 3);
  EXPECT_GT(square.left, 10);
  EXPECT_LT(square.top, 90);
  // Each in its own aspect: the galaxy has one shape on both.
  EXPECT_NEAR(wide.Shape() / square.Shape(), 1.0, 0.06) << square.Shape() << " " << wide.Shape();
  // Afterwards the viewport is the whole window again.
  GLint viewport[4] = {};
  sglGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], W);
  EXPECT_EQ(viewport[3], H);
  EXPECT_FALSE(sglIsEnabled(GL_SCISSOR_TEST));

  // Each viewport holds, whole, the picture a window of its size alone shows.
  std::vector<std::vector<unsigned>> shown;
  for (const TGalaxyViewport& v : views) shown.push_back(Pixels(v.x, v.y, v.width, v.height));
  for (size_t i = 0; i < views.size(); ++i) {
    const TGalaxyViewport& v = views[i];
    sglViewport(0, 0, v.width, v.height);
    view.Draw(g, v.width, v.height, 0.0, 500.0f, 0);
    sglFinish();
    const std::vector<unsigned> alone = Pixels(0, 0, v.width, v.height);
    int differ = 0;
    for (size_t p = 0; p < alone.size(); ++p) differ += alone[p] != shown[i][p];
    EXPECT_LE(differ, static_cast<int>(alone.size() / 200)) << "viewport " << i << ": " << differ << " pixels differ";
  }
  context.reset();
  sglFreeDriver();
}

// The pictures the Monitors setting lays out, for monitor sets as they come
// and go: added, removed, moved, resized, none at all, one of no size. The
// window covers the virtual screen (client at its top-left corner).
TEST(GalaxyMonitors, TheLayoutFollowsTheMonitorsAsTheyChange) {
  const RECT primaryScreen{0, 0, 1024, 768};
  const TScrMonitor primary{primaryScreen, primaryScreen, true};
  const TScrMonitor right{{1024, 0, 1824, 600}, {1024, 0, 1824, 600}, false};
  const TScrMonitor upLeft{{-800, -600, 0, 0}, {-800, -600, 0, 0}, false};
  const TScrMonitor bigger{{1024, 0, 2304, 1024}, {1024, 0, 2304, 1024}, false};
  const TScrMonitor none{{1024, 0, 1024, 0}, {1024, 0, 1024, 0}, false};
  using V = std::vector<std::vector<int>>;
  auto fields = [](const std::vector<TGalaxyViewport>& views) {
    V out;
    for (const TGalaxyViewport& v : views) out.push_back({v.x, v.y, v.width, v.height});
    return out;
  };
  const struct {
    const char* what;
    std::vector<TScrMonitor> monitors;
    TMonitorLayout layout;
    V views;  // in OpenGL's coordinates of the window around the usable monitors
  } cases[] = {
      {"one monitor", {primary}, TMonitorLayout::Each, {}},
      {"one added on the right", {primary, right}, TMonitorLayout::Each, {{0, 0, 1024, 768}, {1024, 168, 800, 600}}},
      {"moved above and left", {primary, upLeft}, TMonitorLayout::Each, {{800, 0, 1024, 768}, {0, 768, 800, 600}}},
      {"resized", {primary, bigger}, TMonitorLayout::Each, {{0, 256, 1024, 768}, {1024, 0, 1280, 1024}}},
      {"across", {primary, right}, TMonitorLayout::Across, {}},
      {"primary only", {primary, right}, TMonitorLayout::Primary, {{0, 0, 1024, 768}}},
      {"primary only, listed last", {upLeft, primary}, TMonitorLayout::Primary, {{800, 0, 1024, 768}}},
      {"removed again", {primary}, TMonitorLayout::Primary, {}},
      {"none at all", {}, TMonitorLayout::Each, {}},
      {"one of no size", {primary, none}, TMonitorLayout::Each, {}},
  };
  for (const auto& c : cases) {
    const std::vector<TScrMonitor> usable = UsableMonitors(c.monitors, primaryScreen);
    ASSERT_FALSE(usable.empty()) << c.what;
    RECT all = usable.front().Bounds;
    for (const TScrMonitor& m : usable) UnionRect(&all, &all, &m.Bounds);
    EXPECT_EQ(fields(LayoutViewports(usable, c.layout, POINT{all.left, all.top}, all.right - all.left,
                                     all.bottom - all.top)),
              c.views)
        << c.what;
  }
  EXPECT_EQ(MonitorLayoutOf(7), TMonitorLayout::Each);
  EXPECT_EQ(MonitorLayoutOf(-1), TMonitorLayout::Each);
  EXPECT_EQ(MonitorLayoutOf(2), TMonitorLayout::Primary);
}
