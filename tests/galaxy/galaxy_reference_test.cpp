// The galaxy step against a second, deliberately plain implementation written
// here from the rules alone: positions come from walking round each ring, and
// the cell at a position is found in a map rebuilt after every rotation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "galaxy/galaxy.h"

namespace {

struct Reference {
  Reference(const TGalaxySettings& s, std::uint32_t time)
      : n(s.Rings), velocity(s.Velocity), probability(s.Probability), trails(s.Trails),
        law(s.DarkMatter), density(s.Density), clock(time) {}

  // Settings.
  int n;
  int velocity, probability, trails, law;
  double density;
  std::uint32_t clock;

  // State.
  std::uint32_t seed = 1;
  std::vector<std::uint8_t> cells;
  std::vector<int> offset;
  std::vector<double> angle;
  int trail = 4, target = 0, grow = 1, quiet = 0, quietLimit = 0;
  int now = 255, next = 254;
  int threshold = 0;
  std::vector<std::vector<std::pair<int, int>>> walks;  // per ring, at offset 0
  std::vector<int> grid;  // cell index by position, -1 outside the galaxy

  int Draw() {
    seed = seed * 22695477u + 1u;
    return static_cast<int>((seed >> 16) & 0x7FFF);
  }

  // Position of every slot of ring j with offset 0: start at the top corner
  // and walk j cells along each side.
  static std::vector<std::pair<int, int>> Walk(int j) {
    static const int dx[6] = {0, 1, 1, 0, -1, -1}, dy[6] = {2, 1, -1, -2, -1, 1};
    std::vector<std::pair<int, int>> out;
    int x = 0, y = 2 * j;
    for (int side = 0; side < 6; ++side)
      for (int c = 0; c < j; ++c) {
        out.push_back({x, y});
        x += dx[(side + 2) % 6];
        y += dy[(side + 2) % 6];
      }
    return out;
  }

  int First(int j) const { return j == 0 ? 0 : 1 + 3 * j * (j - 1); }

  std::pair<int, int> Position(int j, int k) const {
    if (j == 0) return {0, 0};
    return walks[j][(k + offset[j]) % (6 * j)];
  }

  // Positions span x = -n .. n and y = -2n .. 2n.
  int& Grid(int x, int y) { return grid[(x + n) * (4 * n + 1) + (y + 2 * n)]; }
  int Find(int x, int y) {
    if (x < -n || x > n || y < -2 * n || y > 2 * n) return -1;
    return Grid(x, y);
  }

  void Map() {
    grid.assign((2 * n + 1) * (4 * n + 1), -1);
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < (j == 0 ? 1 : 6 * j); ++k) {
        const auto at = Position(j, k);
        Grid(at.first, at.second) = First(j) + k;
      }
  }

  void Allocate() {
    cells.assign(3 * n * (n + 1) + 1, 0);
    offset.assign(n, 0);
    angle.assign(n, 0.0);
    walks.clear();
    for (int j = 0; j < n; ++j) walks.push_back(Walk(j));
    Map();
  }

  void Trails() {
    target = trails;
    if (target <= trail) {
      trail = target;
      grow = -1;
    } else {
      grow = 0;
    }
    quietLimit = trail + 5;
  }

  void Seed() {
    for (auto& c : cells) c = 0;
    seed = clock;
    int s = static_cast<int>(cells.size() * density);
    if (s == 0) s = 1;
    for (int i = 0; i < s; ++i) cells[Draw() % cells.size()] = static_cast<std::uint8_t>(now);
    cells[1] = static_cast<std::uint8_t>(now);
  }

  void Restart() {
    trail = 4;
    grow = 1;
    quiet = 0;
    Trails();
    Seed();
  }

  void Dynamics() { threshold = static_cast<int>(probability * 0.01 * 32767); }

  void Start() {
    Allocate();
    Restart();
    Dynamics();
  }

  void Step() {
    int triggered = 0;
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < (j == 0 ? 1 : 6 * j); ++k) {
        const int i = First(j) + k;
        const int b = cells[i];
        if (b >= 1 && b <= trail) {
          cells[i] = static_cast<std::uint8_t>(b - 1);
        } else if (b == now) {
          cells[i] = static_cast<std::uint8_t>(trail);
          const auto at = Position(j, k);
          static const int dx[6] = {0, 1, 1, 0, -1, -1}, dy[6] = {2, 1, -1, -2, -1, 1};
          for (int d = 0; d < 6; ++d) {
            if (Draw() >= threshold) continue;
            const int hit = Find(at.first + dx[d], at.second + dy[d]);
            if (hit >= 0 && cells[hit] == 0) {
              cells[hit] = static_cast<std::uint8_t>(next);
              ++triggered;
            }
          }
        }
      }
    const double v = velocity;
    for (int j = 0; j < n; ++j) {
      double delta;
      if (law == 2)
        delta = j * (0.2 * v / n);
      else if (law == 3)
        delta = (j * j) * (0.4 * v / (n * n));
      else
        delta = 0.1 * v;
      angle[j] = angle[j] + delta;
      offset[j] = static_cast<int>(angle[j]);
      if (j > 0) offset[j] %= 6 * j;
    }
    Map();
    std::swap(now, next);
    if (grow != -1 && ++grow % 20 == 0) {
      trail += 4;
      Trails();
    }
    if (triggered == 0 && ++quiet > quietLimit) Restart();
  }
};

void ExpectSame(const Reference& r, const TGalaxy& g, int step) {
  SCOPED_TRACE("step " + std::to_string(step));
  ASSERT_EQ(r.cells.size(), static_cast<size_t>(g.CellCount()));
  for (size_t i = 0; i < r.cells.size(); ++i)
    ASSERT_EQ(r.cells[i], g.Cells()[i]) << "cell " << i;
  for (int j = 0; j < r.n; ++j) {
    ASSERT_EQ(r.offset[j], g.RingOffset(j)) << "ring " << j;
    ASSERT_EQ(r.angle[j], g.RingAngle(j)) << "ring " << j;
  }
  ASSERT_EQ(r.trail, g.TrailLength());
  ASSERT_EQ(r.grow, g.GrowCounter());
  ASSERT_EQ(r.quiet, g.QuietCount());
  ASSERT_EQ(r.now, g.ExplodeNow());
}

struct Case {
  TGalaxySettings settings;
  std::uint32_t clock;
  int steps;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.settings.Rings << " rings, velocity " << c.settings.Velocity << ", probability "
      << c.settings.Probability << ", trails " << c.settings.Trails << ", law " << c.settings.DarkMatter
      << ", density " << c.settings.Density << ", seed " << c.clock;
}

class GalaxyReference : public ::testing::TestWithParam<Case> {};

TEST_P(GalaxyReference, StepsMatchAPlainImplementation) {
  const Case& c = GetParam();
  Reference r(c.settings, c.clock);
  r.Start();
  TLcgRandom random;
  TGalaxy g(c.settings, random, [&] { return c.clock; });
  ExpectSame(r, g, 0);
  int restarts = 0, busiest = 0;
  for (int step = 1; step <= c.steps; ++step) {
    const int quietBefore = r.quiet;
    r.Step();
    g.Step();
    ExpectSame(r, g, step);
    if (r.quiet < quietBefore) ++restarts;
    int exploding = 0;
    for (auto b : r.cells) exploding += b == r.now;
    busiest = std::max(busiest, exploding);
  }
  // The cases are chosen to exercise real chain reactions.
  EXPECT_GT(busiest, 10);
  RecordProperty("restarts", restarts);
}

TGalaxySettings With(int rings, int velocity, int probability, int trails, int law, double density) {
  TGalaxySettings s;
  s.Rings = rings;
  s.Velocity = velocity;
  s.Probability = probability;
  s.Trails = trails;
  s.DarkMatter = law;
  s.Density = density;
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    FixedSeeds, GalaxyReference,
    ::testing::Values(Case{TGalaxySettings(), 1000, 400},
                      Case{TGalaxySettings(), 987654321, 400},
                      Case{With(12, 40, 60, 20, 3, 0.05), 42, 600},
                      Case{With(9, 17, 90, 3, 1, 0.0), 7, 300},
                      Case{With(25, 31, 45, 150, 2, 0.02), 123456, 500}));

// Setting changes in the middle of a run, applied to both.
TEST(GalaxyReferenceChanges, SettingChangesMatchAPlainImplementation) {
  TGalaxySettings s = With(20, 23, 50, 45, 2, 0.01);
  std::uint32_t clock = 5;
  Reference r(s, clock);
  r.Start();
  TLcgRandom random;
  TGalaxy g(s, random, [&] { return clock; });
  for (int step = 1; step <= 600; ++step) {
    switch (step) {
      case 100:  // cut the trail while it grows
        r.trails = 9, r.Trails();
        g.SetTrails(9);
        break;
      case 150:  // and let it grow again
        r.trails = 60, r.Trails();
        g.SetTrails(60);
        break;
      case 200:
        r.probability = 70, r.law = 3, r.velocity = 40, r.Dynamics();
        g.SetDynamics(70, 40, 3);
        break;
      case 300:  // more rings: keeps the trails, new seeds
        clock = 77;
        r.n = 31, r.clock = 77, r.Allocate(), r.Seed();
        g.SetRings(31);
        break;
      case 400:
        clock = 78;
        r.clock = 78, r.Restart();
        g.Restart();
        break;
    }
    r.Step();
    g.Step();
    ExpectSame(r, g, step);
  }
}

}  // namespace
