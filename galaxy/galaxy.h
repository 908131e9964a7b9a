#pragma once
// The galaxy: a hexagonal lattice of cells in concentric rotating rings, in
// which exploding cells trigger their neighbours by chance, exhausted cells
// recover over a trail of steps, and a galaxy whose chain reaction has died
// out is seeded afresh.
//
// The model knows nothing of windows, timers or OpenGL. A front end owns
// one, hands it its settings whenever one changes (Apply), runs Step() on
// each tick of its timer and draws from Cells(), CellPosition() and
// ColorTable(); after a change it applies TimerInterval() to its timer.
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "galaxy/settings.h"

// The runtime's linear congruential generator: seed * 22695477 + 1 modulo
// 2^32, and 15 bits of it (0 .. 32767) per draw.
class TLcgRandom {
 public:
  void Seed(std::uint32_t seed) { state_ = seed; }
  int Next() {
    state_ = state_ * 22695477u + 1u;
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
  }
  std::uint32_t Current() const { return state_; }

 private:
  std::uint32_t state_ = 1;
};

// The process-wide generator, shared by every galaxy like the runtime's rand().
TLcgRandom& SharedRandom();

// Calendar time in whole seconds (the seed of every seeding).
std::uint32_t CalendarSeconds();

struct TGalaxyPoint {
  int x;
  int y;
};
inline bool operator==(TGalaxyPoint a, TGalaxyPoint b) { return a.x == b.x && a.y == b.y; }

struct TGalaxyRGB {
  float Red;
  float Green;
  float Blue;
};

class TGalaxy {
 public:
  using TClock = std::function<std::uint32_t()>;

  // The six neighbour directions in doubled-row coordinates, which are also
  // the six corners of every ring.
  static constexpr TGalaxyPoint Corner[6] = {{0, 2}, {1, 1}, {1, -1}, {0, -2}, {-1, -1}, {-1, 1}};
  // Colour table entry of the background; never a cell state.
  static constexpr int BackgroundSlot = 253;
  static constexpr int GrowPeriod = 20;  // steps between growths of the trail length
  static constexpr int GrowStep = 4;     // growth of the trail length per period

  // Builds and seeds a galaxy. Out-of-range settings are clamped to their
  // ranges. `random` is shared with other galaxies unless a test gives its
  // own; `clock` gives the seed of every seeding.
  explicit TGalaxy(const TGalaxySettings& settings = TGalaxySettings(),
                   TLcgRandom& random = SharedRandom(), TClock clock = CalendarSeconds);
  TGalaxy(const TGalaxy&) = delete;
  TGalaxy& operator=(const TGalaxy&) = delete;

  // One simulation step: cell pass, rotation, swap of the explosion states,
  // trail growth, die-out and restart.
  void Step();

  // Every setting at once, whichever changed: each change does what it
  // needs and no more. New rings reallocate and reseed; new dynamics are
  // read again; new trails or colours rebuild the colour table; a new speed
  // gives a new TimerInterval(); a new density waits for the next seeding;
  // the picture's settings (Depth, Eye) are only kept. Values are clamped
  // as the constructor clamps them.
  void Apply(const TGalaxySettings& settings);

  // Single changes, each Apply with that setting changed (a value the
  // galaxy holds already changes nothing).
  void SetRings(int rings);  // reallocates and reseeds
  void Restart();            // a change of ReStart: new trails, new seeds
  // The three settings of the dynamics; a law that is none of the three
  // rotates as Present.
  void SetDynamics(int percent, int velocity, int law);
  void SetSpeed(int intervalMs);  // then apply TimerInterval() to the timer
  // These rebuild the trails and colours.
  void SetTrails(int trails);
  void SetColors(TGalaxyColor explosion, TGalaxyColor exhausted, TGalaxyColor background,
                 TGalaxyColor replenished);
  // Taken at the next seeding (restart, die-out or change of rings).
  void SetDensity(double density);

  const TGalaxySettings& Settings() const { return settings_; }

  // For drawing.
  int Rings() const { return rings_; }
  int CellCount() const { return static_cast<int>(cells_.size()); }
  const std::uint8_t* Cells() const { return cells_.data(); }
  static int CellIndex(int ring, int slot) { return ring == 0 ? 0 : 1 + 3 * ring * (ring - 1) + slot; }
  // Where the cell stored in `slot` of `ring` stands now: its place along
  // the ring (0 .. 6 ring - 1; the centre's is 0), and that place's
  // coordinates, RingPosition(ring, place).
  int CellPlace(int ring, int slot) const { return ring == 0 ? 0 : (slot + offsets_[ring]) % (6 * ring); }
  TGalaxyPoint CellPosition(int ring, int slot) const;
  const std::array<TGalaxyRGB, 256>& ColorTable() const { return colors_; }
  int TimerInterval() const { return interval_; }
  // Steps taken since the galaxy was built: a picture drawn after a step
  // follows the clock to the step's time.
  std::uint32_t StepCount() const { return steps_; }

  // Geometry: the coordinates of position p (0 .. 6r - 1) along ring r, the
  // sextant of a position, and the index of the cell at a position (-1 when
  // it lies outside the galaxy).
  static TGalaxyPoint RingPosition(int ring, int p);
  // The same by the side of the ring (0 .. 5) and the place along that side
  // (0 .. ring - 1), p = side * ring + along.
  static TGalaxyPoint SidePosition(int ring, int side, int along) {
    const TGalaxyPoint corner = Corner[side], step = Corner[(side + 2) % 6];
    return {ring * corner.x + along * step.x, ring * corner.y + along * step.y};
  }
  static int Sextant(int x, int y);
  int CellAt(int x, int y) const;

  // State, for inspection.
  int RingOffset(int ring) const { return offsets_[ring]; }
  double RingAngle(int ring) const { return angles_[ring]; }
  int TrailLength() const { return trail_; }
  int TrailTarget() const { return target_; }
  int GrowCounter() const { return grow_; }
  int QuietCount() const { return quiet_; }
  int QuietLimit() const { return quietLimit_; }
  std::uint8_t ExplodeNow() const { return now_; }
  std::uint8_t ExplodeNext() const { return next_; }
  double TriggerProbability() const { return probability_; }
  int TriggerThreshold() const { return threshold_; }
  int Velocity() const { return velocity_; }
  TRotationLaw RotationLaw() const { return law_; }
  double SeedDensity() const { return density_; }
  // Sets one cell's state (out-of-range indexes are ignored).
  void SetCell(int index, std::uint8_t state);

 private:
  void AllocateRings();
  void ResetTrails();
  void UpdateTrails();
  void SeedGalaxy();
  void ReadDynamics();
  void ApplySpeed();
  int ExplodeCell(int ring, int slot);
  void Rotate();

  TGalaxySettings settings_;
  TLcgRandom& random_;
  TClock clock_;

  int rings_ = 0;
  std::vector<std::uint8_t> cells_;
  std::vector<int> offsets_;
  std::vector<double> angles_;
  int trail_ = 4;
  int target_ = 0;
  int grow_ = -1;
  int quiet_ = 0;
  int quietLimit_ = 0;
  std::uint8_t now_ = 255;
  std::uint8_t next_ = 254;
  double probability_ = 0;
  int threshold_ = 0;
  int velocity_ = 0;
  TRotationLaw law_ = TRotationLaw::Present;
  double density_ = 0;
  int interval_ = 1;
  std::uint32_t steps_ = 0;
  std::array<TGalaxyRGB, 256> colors_{};
};

// The seeding clock of a repeatable galaxy (a front end's seed): its first
// seeding takes `seed`, each later one (a restart, a die-out, new rings) the
// next number, so that its restarts differ from one another while every run
// from one seed with one history of settings shows the same cells, step for
// step, on every front end.
TGalaxy::TClock SeededClock(std::uint32_t seed);
