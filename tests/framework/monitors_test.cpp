// What part of each monitor a window shows, whatever the monitors' layout.
#include "framework/monitors.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

}  // namespace

TEST(Monitors, EachMonitorsPartOfAWindowInItsClientCoordinates) {
  const TScrMonitor primary{{0, 0, 1024, 768}, {0, 0, 1024, 740}, true};
  const TScrMonitor left{{-800, 168, 0, 768}, {-800, 168, 0, 768}, false};
  const TScrMonitor above{{0, -600, 800, 0}, {0, -600, 800, 0}, false};
  struct Case {
    const char* what;
    std::vector<TScrMonitor> monitors;
    POINT origin;
    int width, height;
    std::vector<RECT> areas;
  };
  const Case cases[] = {
      {"one monitor", {primary}, {0, 0}, 1024, 768, {{0, 0, 1024, 768}}},
      {"a monitor left of the primary",
       {primary, left},
       {-800, 0},
       1824,
       768,
       {{800, 0, 1824, 768}, {0, 168, 800, 768}}},
      {"a monitor above", {primary, above}, {0, -600}, 1024, 1368, {{0, 600, 1024, 1368}, {0, 0, 800, 600}}},
      // A smaller window (a 3dfx panel) on the primary reaches no other monitor.
      {"a window on the primary only", {primary, left}, {0, 0}, 512, 384, {{0, 0, 512, 384}}},
  };
  for (const Case& c : cases) {
    const std::vector<RECT> got = ScrMonitorAreas(c.monitors, c.origin, c.width, c.height);
    ASSERT_EQ(got.size(), c.areas.size()) << c.what;
    for (size_t i = 0; i < got.size(); ++i)
      EXPECT_TRUE(Same(got[i], c.areas[i])) << c.what << " #" << i << ": " << got[i].left << "," << got[i].top << " "
                                            << got[i].right << "," << got[i].bottom;
  }
}

// Pictures are paced to the fastest monitor; a monitor that tells no rate of
// its own (0 or 1) counts for nothing, and with none told the rate is 60.
TEST(Monitors, TheRefreshRateIsTheFastestMonitorsTold) {
  const struct {
    std::vector<int> rates;
    int expected;
  } cases[] = {{{}, 60}, {{0}, 60}, {{1, 0}, 60}, {{75}, 75}, {{60, 144}, 144},
               {{144, 60}, 144}, {{1, 50}, 50}, {{0, 30, 1}, 30}, {{-5, 2}, 2}};
  for (const auto& c : cases) {
    std::string rates;
    for (int r : c.rates) rates += std::to_string(r) + " ";
    EXPECT_EQ(ScrFastestRate(c.rates), c.expected) << "rates " << rates;
  }
}

// The tests' display is one monitor of 1024 x 768 (the Xvfb of tools/test.sh);
// the two-monitor display has tests of its own.
TEST(Monitors, OneMonitorIsTheVirtualScreenAndIsPrimary) {
  const RECT screen{0, 0, 1024, 768};
  const std::vector<TScrMonitor> all = ScrMonitors();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_TRUE(all[0].Primary);
  EXPECT_TRUE(Same(all[0].Bounds, screen));
  EXPECT_TRUE(Same(ScrPrimaryScreen(), screen));
  EXPECT_TRUE(Same(ScrVirtualScreen(), screen));
}
