#pragma once
// The galaxy: a hexagonal lattice of cells in concentric rotating rings, in
// which exploding cells trigger their neighbours by chance, exhausted cells
// recover over a trail of steps, and a galaxy whose chain reaction has died
// out is seeded afresh.
//
// The model knows nothing of windows, timers or OpenGL. The saver form owns
// one, forwards every setting change to it, runs Step() on each timer tick
// and draws from Cells(), CellPosition() and ColorTable(). What the form must
// act on afterwards is exposed as state: TimerInterval() after SetSpeed(),
// and the CameraDirty / ClearColorDirty flags (set by the model, cleared by
// the form once it has reloaded the camera or the clear colour).
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// A colour as the toolkit's TColor: red in the low byte, then green, then blue.
using TGalaxyColor = std::uint32_t;

// The runtime's linear congruential generator: seed * 22695477 + 1 modulo
// 2^32, and 15 bits of it (0 .. 32767) per draw.
class TLcgRandom {
 public:
  void Seed(std::uint32_t seed) { State = seed; }
  int Next() {
    State = State * 22695477u + 1u;
    return static_cast<int>((State >> 16) & 0x7FFFu);
  }
  std::uint32_t Current() const { return State; }

 private:
  std::uint32_t State = 1;
};

// The process-wide generator, shared by every galaxy like the runtime's rand().
TLcgRandom& SharedRandom();

// Calendar time in whole seconds (the seed of every seeding).
std::uint32_t CalendarSeconds();

// The galaxy's settings, in the units the saver acts on. The defaults are
// those of a fresh installation.
struct TGalaxySettings {
  int Rings = 60;                       // nRings: 2 .. 150
  int Velocity = 23;                    // 0 .. 40
  int Probability = 38;                 // percent, 0 .. 100
  int Trails = 45;                      // full trail length, 1 .. 150
  double Density = 0.005;               // fraction of cells seeded, 0 .. 0.05
  int DarkMatter = 2;                   // rotation law: 1 Present, 2 Partial, 3 Absent
  int Speed = 1;                        // step interval in ms: 1, 40 or 100
  TGalaxyColor Explosion = 0xFFFF00;    // clAqua
  TGalaxyColor Exhausted = 0x808000;    // clTeal
  TGalaxyColor Background = 0x000000;   // clBlack
  TGalaxyColor Replenished = 0x000000;  // clBlack
};

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
  static constexpr int MinRings = 2, MaxRings = 150;
  static constexpr int MaxTrails = 150;  // keeps counters below the explosion states

  // Builds and seeds a galaxy. Out-of-range settings are clamped to their
  // ranges. `random` is shared with other galaxies unless a test gives its
  // own; `clock` gives the seed of every seeding.
  explicit TGalaxy(const TGalaxySettings& settings = TGalaxySettings(),
                   TLcgRandom& random = SharedRandom(), TClock clock = CalendarSeconds);
  TGalaxy(const TGalaxy&) = delete;
  TGalaxy& operator=(const TGalaxy&) = delete;

  // One simulation step: cell pass, rotation, swap of the explosion states,
  // trail growth, die-out and restart. Marks the camera dirty.
  void Step();

  // Setting changes, one per controller of the saver form.
  void SetRings(int rings);          // reallocates and reseeds; marks the camera dirty
  void Restart();                    // a change of ReStart: new trails, new seeds
  void SetProbability(int percent);  // these three re-read the dynamics
  void SetVelocity(int velocity);
  void SetDarkMatter(int law);       // any law other than 2 or 3 rotates as Present
  void SetSpeed(int intervalMs);     // then apply TimerInterval() to the timer
  void SetTrails(int trails);        // these five rebuild the trails and colours
  void SetExplosion(TGalaxyColor c);
  void SetExhausted(TGalaxyColor c);
  void SetBackground(TGalaxyColor c);
  void SetReplenished(TGalaxyColor c);
  // The same for the form's shared handlers: MiscChange (the three dynamics
  // settings) and ColorChange (the four colours).
  void SetDynamics(int percent, int velocity, int law);
  void SetColors(TGalaxyColor explosion, TGalaxyColor exhausted, TGalaxyColor background,
                 TGalaxyColor replenished);
  // Taken at the next seeding (restart, die-out or change of rings).
  void SetDensity(double density);

  const TGalaxySettings& Settings() const { return Setting; }

  // For drawing.
  int Rings() const { return RingCount; }
  int CellCount() const { return static_cast<int>(Cells_.size()); }
  const std::uint8_t* Cells() const { return Cells_.data(); }
  static int CellIndex(int ring, int slot) { return ring == 0 ? 0 : 1 + 3 * ring * (ring - 1) + slot; }
  // Where the cell stored in `slot` of `ring` stands now.
  TGalaxyPoint CellPosition(int ring, int slot) const;
  const std::array<TGalaxyRGB, 256>& ColorTable() const { return Colors; }
  int TimerInterval() const { return Interval; }

  bool CameraDirty() const { return CameraDirty_; }
  void SetCameraDirty(bool dirty) { CameraDirty_ = dirty; }
  bool ClearColorDirty() const { return ClearColorDirty_; }
  void SetClearColorDirty(bool dirty) { ClearColorDirty_ = dirty; }

  // Geometry: the coordinates of position p (0 .. 6r - 1) along ring r, the
  // sextant of a position, and the index of the cell at a position (-1 when
  // it lies outside the galaxy).
  static TGalaxyPoint RingPosition(int ring, int p);
  static int Sextant(int x, int y);
  int CellAt(int x, int y) const;

  // State, for inspection.
  int RingOffset(int ring) const { return Offsets[ring]; }
  double RingAngle(int ring) const { return Angles[ring]; }
  int TrailLength() const { return Trail; }
  int TrailTarget() const { return Target; }
  int GrowCounter() const { return Grow; }
  int QuietCount() const { return Quiet; }
  int QuietLimit() const { return QuietMax; }
  std::uint8_t ExplodeNow() const { return Now; }
  std::uint8_t ExplodeNext() const { return Next; }
  double TriggerProbability() const { return Probability; }
  int TriggerThreshold() const { return Threshold; }
  int RotationSpeed() const { return Speed; }
  int RotationLaw() const { return Law; }
  double SeedDensity() const { return Density; }
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

  TGalaxySettings Setting;
  TLcgRandom& Random;
  TClock Clock;

  int RingCount = 0;
  std::vector<std::uint8_t> Cells_;
  std::vector<int> Offsets;
  std::vector<double> Angles;
  int Trail = 4;
  int Target = 0;
  int Grow = -1;
  int Quiet = 0;
  int QuietMax = 0;
  std::uint8_t Now = 255;
  std::uint8_t Next = 254;
  double Probability = 0;
  int Threshold = 0;
  int Speed = 0;
  int Law = 0;
  double Density = 0;
  int Interval = 1;
  std::array<TGalaxyRGB, 256> Colors{};
  bool CameraDirty_ = false;
  bool ClearColorDirty_ = false;
};
