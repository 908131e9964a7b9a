#include "galaxy/galaxy.h"
#include "galaxy/view.h"
#include "galaxy/pace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <set>
#include <tuple>
#include <vector>

namespace {

// Hexagonal distance from the centre in doubled-row coordinates.
int Distance(TGalaxyPoint p) {
  const int ax = std::abs(p.x), ay = std::abs(p.y);
  return std::max(ax, (ax + ay) / 2);
}

int SlotCount(int ring) { return ring == 0 ? 1 : 6 * ring; }

// The trail's length, its growth counter and the quiet steps that end a galaxy.
std::tuple<int, int, int> Trail(const TGalaxy& g) { return {g.TrailLength(), g.GrowCounter(), g.QuietLimit()}; }

// A galaxy with its own generator and a clock that counts the seedings.
struct Lab {
  explicit Lab(TGalaxySettings s = TGalaxySettings(), std::uint32_t time = 1234)
      : now(time), galaxy(s, random, [this] {
          ++seedings;
          return now;
        }) {}
  TLcgRandom random;
  std::uint32_t now;
  int seedings = 0;
  TGalaxy galaxy;

  // With Probability 100, one step of an exploding centre amid replenished
  // ring-1 cells triggers (a draw of exactly 32767 six times aside): the
  // galaxy cannot die out, whatever else it does.
  void KeepAlive() {
    galaxy.SetCell(0, galaxy.ExplodeNow());
    for (int i = 1; i <= 6; ++i) galaxy.SetCell(i, 0);
  }
  // Empties the galaxy so that a test can place its own cells.
  void Clear() {
    for (int i = 0; i < galaxy.CellCount(); ++i) galaxy.SetCell(i, 0);
  }
  std::vector<int> CellsIn(std::uint8_t state) const {
    std::vector<int> out;
    for (int i = 0; i < galaxy.CellCount(); ++i)
      if (galaxy.Cells()[i] == state) out.push_back(i);
    return out;
  }
};

TGalaxySettings With(int rings, int velocity = 23, int law = 2, int probability = 38) {
  TGalaxySettings s;
  s.Rings = rings;
  s.Velocity = velocity;
  s.DarkMatter = law;
  s.Probability = probability;
  return s;
}

TEST(GalaxyRandom, IsTheRuntimeGenerator) {
  TLcgRandom r;
  r.Seed(1);
  EXPECT_EQ(346, r.Next());  // (22695477 + 1) >> 16
  EXPECT_EQ(130, r.Next());
  r.Seed(0xFFFFFFFFu);  // every bit of the seed counts; 15 bits come out
  EXPECT_EQ(32421, r.Next());
  EXPECT_EQ(561, r.Next());
}

// Every cell of every ring count, with rings turned by different amounts:
// its position lies on its own ring, no two cells share a position, and the
// position leads back to the cell; a frame draws each lit cell's quad
// there. The ring beyond the last is outside.
TEST(GalaxyGeometry, PositionAndCellMapOntoEachOtherForEveryRingCount) {
  for (int n = 2; n <= 150; ++n) {
    SCOPED_TRACE("rings " + std::to_string(n));
    Lab lab(With(n, 37, 3));
    TGalaxy& g = lab.galaxy;
    for (int i = 0; i < 3; ++i) g.Step();
    ASSERT_EQ(3 * n * (n + 1) + 1, g.CellCount());
    std::vector<bool> seen((2 * n + 1) * (4 * n + 1));
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < SlotCount(j); ++k) {
        const TGalaxyPoint p = g.CellPosition(j, k);
        ASSERT_EQ(0, (p.x + p.y) & 1);
        ASSERT_EQ(j, Distance(p)) << "slot " << k;
        const size_t at = (p.x + n) * (4 * n + 1) + (p.y + 2 * n);
        ASSERT_FALSE(seen[at]);
        seen[at] = true;
        ASSERT_EQ(TGalaxy::CellIndex(j, k), g.CellAt(p.x, p.y)) << "ring " << j << " slot " << k;
      }
    int drawn = 0;
    for (int i = 0; i < g.CellCount(); ++i) g.SetCell(i, 1);
    ForEachGalaxyCell(g, 100.0f, [](int, float) {}, [&](int ring, int slot, int, const TGalaxyQuad& q, float) {
      const TGalaxyQuad want = GalaxyQuadAt(g.CellPosition(ring, slot), GalaxyQuadSize(100.0f, n));
      ASSERT_TRUE(q.x0 == want.x0 && q.y0 == want.y0 && q.x1 == want.x1 && q.y1 == want.y1) << ring << " " << slot;
      ++drawn;
    });
    ASSERT_EQ(drawn, TGalaxy::CellIndex(n, 0));  // every ring but the one beyond
    for (int p = 0; p < 6 * n; ++p) {
      const TGalaxyPoint out = TGalaxy::RingPosition(n, p);
      ASSERT_EQ(-1, g.CellAt(out.x, out.y));
    }
  }
}

// The sextants' regions are what PositionAndCellMapOntoEachOtherForEveryRingCount
// reads back through every cell; here their boundaries, out to the last ring.
TEST(GalaxyGeometry, SextantsFollowTheirBoundaries) {
  for (int r = 1; r <= 150; ++r) {
    EXPECT_EQ(1, TGalaxy::Sextant(r, r));
    EXPECT_EQ(2, TGalaxy::Sextant(r, -r));
    EXPECT_EQ(4, TGalaxy::Sextant(-r, -r));
    EXPECT_EQ(5, TGalaxy::Sextant(-r, r));
    EXPECT_EQ(0, TGalaxy::Sextant(0, 2 * r));
    EXPECT_EQ(3, TGalaxy::Sextant(0, -2 * r));
  }
  // Corner s of a ring starts sextant s.
  for (int s = 0; s < 6; ++s) EXPECT_EQ(s, TGalaxy::Sextant(7 * TGalaxy::Corner[s].x, 7 * TGalaxy::Corner[s].y));
}

TEST(GalaxyGeometry, CentreNeighboursAreRingOneWhereverItHasTurned) {
  for (int law : {1, 2, 3}) {
    Lab lab(With(5, 29, law));
    for (int step = 0; step < 40; ++step) {
      std::set<int> ring1;
      for (const TGalaxyPoint& d : TGalaxy::Corner) ring1.insert(lab.galaxy.CellAt(d.x, d.y));
      ASSERT_EQ((std::set<int>{1, 2, 3, 4, 5, 6}), ring1) << "law " << law << " step " << step;
      lab.galaxy.Step();
    }
  }
  // An exploding centre at 100 % triggers all six, here after ring 1 has turned.
  Lab lab(With(4, 40, 1, 100));
  lab.galaxy.Step();
  ASSERT_NE(0, lab.galaxy.RingOffset(1));
  lab.Clear();
  lab.galaxy.SetCell(0, lab.galaxy.ExplodeNow());
  lab.random.Seed(3);
  lab.galaxy.Step();
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6}), lab.CellsIn(lab.galaxy.ExplodeNow()));
}

TEST(GalaxyRotation, FollowsTheThreeLaws) {
  const int n = 30, v = 23, steps = 50;
  for (int law : {1, 2, 3}) {
    Lab lab(With(n, v, law));
    std::vector<double> expected(n, 0.0);
    for (int step = 0; step < steps; ++step) {
      lab.galaxy.Step();
      for (int j = 0; j < n; ++j) {
        double delta = 0.1 * v;
        if (law == 2) delta = j * (0.2 * v / n);
        if (law == 3) delta = (j * j) * (0.4 * v / (n * n));
        expected[j] += delta;
      }
    }
    for (int j = 0; j < n; ++j) {
      EXPECT_DOUBLE_EQ(expected[j], lab.galaxy.RingAngle(j)) << "law " << law << " ring " << j;
      const int whole = static_cast<int>(expected[j]);
      EXPECT_EQ(j == 0 ? whole : whole % (6 * j), lab.galaxy.RingOffset(j));
    }
    // Only Present turns the centre.
    EXPECT_NEAR(law == 1 ? steps * 2.3 : 0.0, lab.galaxy.RingAngle(0), 1e-9);
  }
  // Without velocity nothing turns; a law without an option turns as Present.
  Lab still(With(10, 0, 3));
  for (int i = 0; i < 20; ++i) still.galaxy.Step();
  for (int j = 0; j < 10; ++j) EXPECT_EQ(0, still.galaxy.RingOffset(j));
  Lab none(With(10, 20, -1));
  none.galaxy.Step();
  for (int j = 0; j < 10; ++j) EXPECT_DOUBLE_EQ(2.0, none.galaxy.RingAngle(j));
}

// Far beyond the point where the angles are brought back by whole turns, the
// offsets are those of the unbounded turn (exact here: 4 cells per step).
TEST(GalaxyRotation, StaysExactOnVeryLongRuns) {
  Lab lab(With(3, 40, 1));
  const long long steps = 300000;
  for (long long t = 1; t <= steps; ++t) {
    lab.galaxy.Step();
    if (t % 49999 == 0 || t == steps) {
      ASSERT_EQ(static_cast<int>((4 * t) % 6), lab.galaxy.RingOffset(1)) << t;
      ASSERT_EQ(static_cast<int>((4 * t) % 12), lab.galaxy.RingOffset(2)) << t;
    }
  }
  EXPECT_LT(lab.galaxy.RingAngle(2), 1048576.0);  // brought back by whole turns on the way
}

TEST(GalaxyTrails, GrowFromFourToTheTargetAndAreCutAtOnce) {
  TGalaxySettings s = With(20, 23, 2, 100);
  s.Trails = 30;
  Lab lab(s);
  TGalaxy& g = lab.galaxy;
  EXPECT_EQ(Trail(g), std::make_tuple(4, 0, 9));
  for (int step = 1; step <= 200; ++step) {
    lab.KeepAlive();
    g.Step();
    const int expected = std::min(30, 4 + 4 * (step / 20));
    ASSERT_EQ(Trail(g), std::make_tuple(expected, expected == 30 ? -1 : step % 20, expected + 5)) << "step " << step;
  }

  // A target above L resumes growth from the current L.
  g.SetTrails(40);
  EXPECT_EQ(30, g.TrailLength());
  for (int i = 0; i < 20; ++i) {
    lab.KeepAlive();
    g.Step();
  }
  EXPECT_EQ(34, g.TrailLength());

  // A cut takes effect at once; counters above the new L are left as they are.
  lab.Clear();
  g.SetCell(10, 25);
  g.SetCell(11, 8);
  g.SetTrails(10);
  EXPECT_EQ(Trail(g), std::make_tuple(10, -1, 15));
  lab.KeepAlive();
  g.Step();
  EXPECT_EQ(25, g.Cells()[10]);
  EXPECT_EQ(7, g.Cells()[11]);
}

TEST(GalaxyTrails, ColourTableFadesFromExhaustedToReplenished) {
  TGalaxySettings s = With(20, 23, 2, 100);
  s.Trails = 3;  // L = 3 from the start
  s.Exhausted = 0x00FF8000;     // blue 255, green 128, red 0
  s.Replenished = 0x00000040;   // red 64
  s.Explosion = 0x00123456;
  s.Background = 0x80FFFFFF;    // the high byte is not a channel
  Lab lab(s);
  const auto& t = lab.galaxy.ColorTable();
  EXPECT_FLOAT_EQ(64 / 255.0f, t[0].Red);
  EXPECT_FLOAT_EQ(0.0f, t[0].Blue);
  EXPECT_FLOAT_EQ(1.0f, t[3].Blue);
  EXPECT_FLOAT_EQ(128 / 255.0f, t[3].Green);
  EXPECT_FLOAT_EQ(0.0f, t[3].Red);
  EXPECT_NEAR(2 / 3.0 * 64 / 255.0, t[1].Red, 1e-6);
  EXPECT_NEAR(1 / 3.0, t[1].Blue, 1e-6);
  for (int state : {254, 255}) {
    EXPECT_FLOAT_EQ(0x56 / 255.0f, t[state].Red);
    EXPECT_FLOAT_EQ(0x12 / 255.0f, t[state].Blue);
  }
  EXPECT_FLOAT_EQ(1.0f, t[TGalaxy::BackgroundSlot].Red);
  EXPECT_FLOAT_EQ(1.0f, t[TGalaxy::BackgroundSlot].Blue);

  // Entries above L keep what they held.
  lab.galaxy.SetTrails(10);  // grows 3, 7, 10 over 40 steps
  for (int i = 0; i < 40; ++i) {
    lab.KeepAlive();
    lab.galaxy.Step();
  }
  ASSERT_EQ(10, lab.galaxy.TrailLength());
  lab.galaxy.SetTrails(2);
  lab.galaxy.SetColors(s.Explosion, s.Exhausted, 0, s.Replenished);
  EXPECT_FLOAT_EQ(1.0f, t[2].Blue);
  EXPECT_NEAR(0.3, t[3].Blue, 1e-6);  // from L = 10
  EXPECT_FLOAT_EQ(0.0f, t[TGalaxy::BackgroundSlot].Red);
}

TEST(GalaxyLifecycle, ProbabilityZeroRestartsEveryTenSteps) {
  Lab lab(With(30, 23, 2, 0));
  TGalaxy& g = lab.galaxy;
  ASSERT_EQ(1, lab.seedings);
  EXPECT_EQ(0, g.TriggerThreshold());
  std::vector<int> restarts;
  for (int step = 1; step <= 50; ++step) {
    const int before = lab.seedings;
    lab.now += 1;  // a new second, a new seed
    g.Step();
    if (lab.seedings != before) restarts.push_back(step);
    if (step % 10 == 1) {  // the seeds exploded once and triggered nothing
      EXPECT_TRUE(lab.CellsIn(g.ExplodeNow()).empty());
    }
    if (step % 10 == 5) {  // and their trails of 4 have faded (seeds on the
      // stored ring beyond the last are inert and stay)
      const std::uint8_t* live = g.Cells();
      EXPECT_EQ(TGalaxy::CellIndex(30, 0), std::count(live, live + TGalaxy::CellIndex(30, 0), 0));
    }
  }
  EXPECT_EQ((std::vector<int>{10, 20, 30, 40, 50}), restarts);
  EXPECT_EQ(4, g.TrailLength());
}

TEST(GalaxyLifecycle, ProbabilityHundredTriggersUnlessTheDrawIsTheTop) {
  Lab lab(With(4, 0, 2, 100));
  TGalaxy& g = lab.galaxy;
  EXPECT_EQ(32767, g.TriggerThreshold());
  // A generator state whose next draw is 32767.
  std::uint32_t top = 0;
  for (TLcgRandom r;; ++top) {
    r.Seed(top);
    if (r.Next() == 32767) break;
  }
  lab.Clear();
  g.SetCell(0, g.ExplodeNow());
  lab.random.Seed(top);
  g.Step();
  // Direction 0 drew 32767: its neighbour (0, 2) escaped; the others fired.
  const int escaped = g.CellAt(0, 2);
  std::vector<int> triggered = lab.CellsIn(g.ExplodeNow());
  EXPECT_EQ(5u, triggered.size());
  EXPECT_EQ(0u, std::count(triggered.begin(), triggered.end(), escaped));
  EXPECT_EQ(0, g.Cells()[escaped]);
}

TEST(GalaxyLifecycle, SeedingUsesTheClockAndTheDensity) {
  // Density 0: one random seed plus slot 0 of ring 1.
  TGalaxySettings s = With(10);
  s.Density = 0;
  Lab lab(s, 99);
  TLcgRandom r;
  r.Seed(99);
  std::set<int> expected{1, r.Next() % lab.galaxy.CellCount()};
  std::vector<int> seeds = lab.CellsIn(255);
  EXPECT_EQ(expected, std::set<int>(seeds.begin(), seeds.end()));
  EXPECT_EQ(static_cast<int>(lab.galaxy.CellCount() - expected.size()), static_cast<int>(lab.CellsIn(0).size()));

  // The default density at 60 rings: trunc(10981 * 0.005) = 54 draws.
  Lab dflt(TGalaxySettings(), 4711);
  r.Seed(4711);
  expected = {1};
  for (int i = 0; i < 54; ++i) expected.insert(r.Next() % 10981);
  seeds = dflt.CellsIn(255);
  EXPECT_EQ(expected, std::set<int>(seeds.begin(), seeds.end()));

  // Beyond 32768 cells the seeds reach only the first 32768.
  TGalaxySettings big = With(150);
  big.Density = 0.05;
  Lab wide(big);
  seeds = wide.CellsIn(255);
  EXPECT_GT(seeds.size(), 2000u);
  EXPECT_LE(seeds.back(), 32767);
}

// A seed (a front end's -seed or seed=) repeats every seeding of a run: two
// galaxies from one seed keep the same cells through their restarts, whose
// seeds differ from one another; another seed gives other cells.
TEST(GalaxyLifecycle, ASeedRepeatsEverySeedingAndEachRestartIsNew) {
  TGalaxySettings s = With(30, 23, 2, 0);  // dies out and restarts every ten steps
  TLcgRandom ra, rb, rc;
  TGalaxy a(s, ra, SeededClock(77)), b(s, rb, SeededClock(77)), c(s, rc, SeededClock(78));
  const auto cells = [](const TGalaxy& g) { return std::vector<std::uint8_t>(g.Cells(), g.Cells() + g.CellCount()); };
  std::set<std::vector<std::uint8_t>> seeded;
  for (int step = 1; step <= 30; ++step) {
    a.Step(), b.Step(), c.Step();
    ASSERT_EQ(cells(a), cells(b)) << step;
    EXPECT_NE(cells(a), cells(c)) << step;
    if (step % 10 == 0) seeded.insert(cells(a));
  }
  EXPECT_EQ(seeded.size(), 3u);
}

TEST(GalaxyLifecycle, TwoRingsIgnoreNeighboursOutsideButStillDraw) {
  Lab lab(With(2, 0, 2, 100));
  TGalaxy& g = lab.galaxy;
  EXPECT_EQ(19, g.CellCount());
  lab.Clear();
  for (int i = 1; i <= 6; ++i) g.SetCell(i, g.ExplodeNow());
  lab.random.Seed(1);
  g.Step();
  // Six explosions draw 36 numbers; only the centre was replenished and inside.
  TLcgRandom r;
  r.Seed(1);
  for (int i = 0; i < 36; ++i) r.Next();
  EXPECT_EQ(r.Current(), lab.random.Current());
  EXPECT_EQ((std::vector<int>{0}), lab.CellsIn(g.ExplodeNow()));
  EXPECT_EQ(12, static_cast<int>(std::count(g.Cells() + 7, g.Cells() + 19, 0)));
}

// The stored ring just beyond the last one is not part of the galaxy: seeds
// that land there are inert and nothing reads a ring offset for it.
TEST(GalaxyLifecycle, CellsBeyondTheLastRingStayInert) {
  Lab lab(With(3, 40, 1, 100));
  TGalaxy& g = lab.galaxy;
  lab.Clear();
  const int outer = TGalaxy::CellIndex(3, 0);
  g.SetCell(outer, g.ExplodeNow());
  g.SetCell(outer + 1, 5);
  g.SetCell(0, g.ExplodeNow());
  for (int i = 0; i < 3; ++i) g.Step();
  EXPECT_EQ(5, g.Cells()[outer + 1]);
  EXPECT_NE(0, g.Cells()[outer]);
}

// After a restart each die-out waits L + 6 quiet steps, with a shorter L too.
TEST(GalaxyLifecycle, RestartsAfterTheQuietLimit) {
  TGalaxySettings s = With(8, 23, 2, 0);
  s.Trails = 4;
  Lab lab(s);
  for (int step = 1; step <= 40; ++step) lab.galaxy.Step();  // restarts every ten steps, the last at 40
  lab.galaxy.SetTrails(2);  // L = 2: restart after 8 quiet steps
  std::vector<int> at;
  for (int step = 41; step <= 56; ++step) {
    const int before = lab.seedings;
    lab.galaxy.Step();
    if (lab.seedings != before) at.push_back(step);
  }
  EXPECT_EQ((std::vector<int>{48, 56}), at);
}

TEST(GalaxySettingsChanges, EachChangeDoesWhatTheFormNeeds) {
  Lab lab(With(10));
  TGalaxy& g = lab.galaxy;
  for (int i = 0; i < 30; ++i) g.Step();
  const int trail = g.TrailLength();

  const int seedings = lab.seedings;
  g.SetRings(25);
  EXPECT_EQ(3 * 25 * 26 + 1, g.CellCount());
  EXPECT_EQ(seedings + 1, lab.seedings);
  EXPECT_EQ(trail, g.TrailLength());  // trails survive a change of rings
  for (int j = 0; j < 25; ++j) EXPECT_EQ(0.0, g.RingAngle(j));

  g.Restart();
  EXPECT_EQ(seedings + 2, lab.seedings);
  EXPECT_EQ(4, g.TrailLength());
  EXPECT_EQ(0, g.QuietCount());

  const auto dynamics = [&] { return std::make_tuple(g.TriggerThreshold(), g.RotationLaw(), g.Velocity()); };
  g.SetDynamics(38, 17, 3);
  EXPECT_EQ(dynamics(), std::make_tuple(12451, TRotationLaw::Absent, 17));
  g.SetDynamics(100, 40, 1);
  EXPECT_EQ(dynamics(), std::make_tuple(32767, TRotationLaw::Present, 40));

  g.SetSpeed(40);
  EXPECT_EQ(40, g.TimerInterval());
  g.SetSpeed(-1);  // no option: Fast
  EXPECT_EQ(1, g.TimerInterval());
}

// Apply, one setting at a time, against a galaxy built afresh with the new
// settings from the same seed: what restarts the galaxy (the rings) gives the
// fresh galaxy's cells; the rest keep the running galaxy's cells and take the
// fresh galaxy's dynamics, colours and interval; a density waits for the
// next seeding.
TEST(GalaxySettingsChanges, ApplyGivesWhatAFreshGalaxyWouldHave) {
  TGalaxySettings changed;  // every setting other than the default
  changed.Rings = 41, changed.Velocity = 8, changed.Probability = 70, changed.Trails = 17;
  changed.Explosion = 0xFF, changed.Exhausted = 0xFF00, changed.Background = 0x800000, changed.Replenished = 0x80;
  changed.Density = 0.05, changed.DarkMatter = 3, changed.Depth = 49, changed.Speed = 40, changed.Eye = 12;
  for (const TGalaxySettingInfo& info : kGalaxySettings) {
    SCOPED_TRACE(info.Option);
    TGalaxySettings settings;
    SetGalaxySetting(settings, info, GetGalaxySetting(changed, info));
    ASSERT_NE(settings, TGalaxySettings());

    Lab running, fresh(settings);
    for (int i = 0; i < 30; ++i) running.galaxy.Step();
    TGalaxy& g = running.galaxy;
    const std::vector<std::uint8_t> before(g.Cells(), g.Cells() + g.CellCount());
    const int seedings = running.seedings;
    g.Apply(settings);
    EXPECT_EQ(g.Settings(), settings);

    const TGalaxy& f = fresh.galaxy;
    const std::vector<std::uint8_t> after(g.Cells(), g.Cells() + g.CellCount());
    const bool restarts = &info == FindGalaxySetting("rings");
    EXPECT_EQ(running.seedings, seedings + (restarts ? 1 : 0));
    EXPECT_EQ(after, restarts ? std::vector<std::uint8_t>(f.Cells(), f.Cells() + f.CellCount()) : before);
    EXPECT_EQ(g.TriggerThreshold(), f.TriggerThreshold());
    EXPECT_EQ(g.Velocity(), f.Velocity());
    EXPECT_EQ(g.RotationLaw(), f.RotationLaw());
    EXPECT_EQ(g.TrailTarget(), f.TrailTarget());
    EXPECT_EQ(g.TimerInterval(), f.TimerInterval());
    for (int slot : {int(g.ExplodeNow()), int(g.ExplodeNext()), TGalaxy::BackgroundSlot}) {
      EXPECT_EQ(g.ColorTable()[slot].Red, f.ColorTable()[slot].Red);
      EXPECT_EQ(g.ColorTable()[slot].Blue, f.ColorTable()[slot].Blue);
    }
    EXPECT_EQ(g.ColorTable()[g.TrailLength()].Green, f.ColorTable()[f.TrailLength()].Green);  // exhausted
    EXPECT_EQ(g.ColorTable()[0].Red, f.ColorTable()[0].Red);                                  // replenished
    // A new density is taken at the next seeding, not before.
    if (!restarts) {
      EXPECT_EQ(g.SeedDensity(), TGalaxySettings().Density);
    }
    g.Restart();
    EXPECT_EQ(g.SeedDensity(), f.SeedDensity());

    // Applying the same settings again changes nothing at all.
    const std::vector<std::uint8_t> settled(g.Cells(), g.Cells() + g.CellCount());
    g.Apply(settings);
    EXPECT_EQ(std::vector<std::uint8_t>(g.Cells(), g.Cells() + g.CellCount()), settled);
    EXPECT_EQ(running.seedings, seedings + (restarts ? 2 : 1));
  }
}

TEST(GalaxySettingsChanges, OutOfRangeValuesNeverBreakTheGalaxy) {
  TGalaxySettings s;
  s.Rings = INT_MAX;
  s.Velocity = INT_MIN;
  s.Probability = INT_MAX;
  s.Trails = INT_MAX;
  s.Density = std::numeric_limits<double>::infinity();
  s.DarkMatter = INT_MIN;
  s.Speed = INT_MAX;
  s.Explosion = s.Exhausted = s.Background = s.Replenished = 0xFFFFFFFFu;
  Lab lab(s);
  TGalaxy& g = lab.galaxy;
  EXPECT_EQ(150, g.Rings());
  EXPECT_EQ(150, g.TrailTarget());
  EXPECT_EQ(1, g.TimerInterval());  // a speed that is no option runs at Fast's
  for (int i = 0; i < 50; ++i) g.Step();

  const int ints[] = {INT_MIN, -1, 0, 1, 2, 3, 41, 101, 151, 1000, INT_MAX};
  for (int v : ints) {
    g.SetRings(v);
    g.SetDynamics(v, v, v);
    g.SetTrails(v);
    g.SetSpeed(v);
    g.SetCell(v, 255);
    for (int i = 0; i < 30; ++i) g.Step();
    ASSERT_GE(g.Rings(), 2);
    ASSERT_LE(g.Rings(), 150);
    ASSERT_GE(g.TrailLength(), 1);
    ASSERT_LE(g.TrailLength(), 150);
    ASSERT_GE(g.TimerInterval(), 1);
    ASSERT_TRUE(std::isfinite(g.ColorTable()[0].Red));
  }
  for (double d : {-1.0, std::nan(""), 1e300, 0.0}) {
    g.SetDensity(d);
    g.Restart();
    ASSERT_GE(g.SeedDensity(), 0.0);
    ASSERT_LE(g.SeedDensity(), 0.05);
  }
}

// A figure no field can hold (NaN, beyond an int, a colour below 0 or past 32
// bits) is stored as the setting's default; one it can hold is stored as it is.
TEST(GalaxySettingsTable, AFigureTheFieldCannotHoldStoresTheDefault) {
  const double inf = std::numeric_limits<double>::infinity();
  for (const TGalaxySettingInfo& info : kGalaxySettings) {
    if (info.Real) continue;  // a real holds any figure
    const bool color = info.Color != nullptr;
    const double lowest = color ? 0.0 : INT_MIN, highest = color ? 4294967295.0 : INT_MAX;
    for (double bad : {std::nan(""), inf, -inf, 1e300, -1e300, lowest - 1, highest + 1}) {
      TGalaxySettings s;
      SetGalaxySetting(s, info, 7);
      SetGalaxySetting(s, info, bad);
      EXPECT_EQ(GetGalaxySetting(s, info), GalaxySettingDefault(info)) << info.Option << " " << bad;
    }
    for (double good : {lowest, highest, lowest + 0.5, 7.9}) {
      TGalaxySettings s;
      SetGalaxySetting(s, info, good);
      EXPECT_EQ(GetGalaxySetting(s, info), std::trunc(good)) << info.Option << " " << good;
    }
  }
}

// Pictures keep to the refresh rate on average however the steps fall, every
// step is drawn when steps come slower than that, and the clock may wrap.
TEST(FramePace, DrawsAtMostTheRefreshRateAndEveryStepBelowIt) {
  struct Case {
    double hz;
    std::uint32_t start, every, calls;
    int pictures;
  };
  const Case cases[] = {
      {60, 0, 10, 300, 180},           // Fast's 10 ms steps on a 60 Hz monitor: 3 s
      {60, 0, 1, 3000, 180},           // a step every millisecond
      {60, 0xFFFFFF00u, 10, 300, 180},  // across the clock's wrap
      {60, 5, 40, 75, 75},             // Medium: every step
      {60, 0, 17, 100, 100},           // just slower than the refresh
      {144, 0, 10, 300, 300},          // a faster monitor shows every Fast step
      {0, 0, 1, 100, 100},             // no rate known: every step
  };
  for (const Case& c : cases) {
    TFramePace pace(c.hz);
    int pictures = 0;
    for (std::uint32_t i = 0; i < c.calls; ++i) pictures += pace.Due(c.start + i * c.every);
    EXPECT_NEAR(pictures, c.pictures, 1) << c.hz << " Hz, a call every " << c.every << " ms";
  }
  // After a pause the next step is drawn, and the one right after it waits.
  TFramePace pace(60);
  EXPECT_TRUE(pace.Due(0));
  EXPECT_FALSE(pace.Due(10));
  EXPECT_TRUE(pace.Due(900));
  EXPECT_FALSE(pace.Due(910));
  EXPECT_TRUE(pace.Due(920));
  // A new rate starts afresh.
  pace.SetRate(30);
  EXPECT_TRUE(pace.Due(921));
  EXPECT_FALSE(pace.Due(950));
  EXPECT_TRUE(pace.Due(955));
  // A picture that took until 975 counts its period from there.
  pace.Drawn(975);
  EXPECT_FALSE(pace.Due(1000));
  EXPECT_TRUE(pace.Due(1009));
}

}  // namespace
