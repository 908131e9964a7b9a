#include "galaxy/galaxy.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

// Sextant of a position by its 6-bit code: 32 if x > 0, 16 if x = 0, 8 if
// y > 0, 4 if y = 0, 2 if |y| > |x|, 1 if |y| = |x|. Only 17 codes can occur;
// the others stay 0 and are never read.
struct TSextantTable {
  int Entry[64] = {};
  constexpr TSextantTable() {
    const int codes[6][4] = {{42, 26, 21, -1}, {41, 40, 36, 32}, {34, 33, -1, -1},
                             {18, 2, -1, -1},  {8, 4, 1, 0},     {10, 9, -1, -1}};
    for (int s = 0; s < 6; ++s)
      for (int code : codes[s])
        if (code >= 0) Entry[code] = s;
  }
};
constexpr TSextantTable SextantTable;

// Per sextant: the ring of a position is (A·|x| + B·|y|) / 2, and its step
// along the sextant (C·x' + D·y') / 2 from the sextant's corner.
constexpr int RingA[6] = {1, 2, 1, 1, 2, 1};
constexpr int RingB[6] = {1, 0, 1, 1, 0, 1};
constexpr int StepC[6] = {2, 0, -2, -2, 0, 2};
constexpr int StepD[6] = {0, -1, 0, 0, 1, 0};

// Ring angles are brought back by whole turns once they pass this, so that
// their integer parts stay exact and in range however long the saver runs.
constexpr double AngleWrap = 1048576.0;

int Clamp(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }

// One channel (0 = red, 1 = green, 2 = blue) of a colour, 0.0 .. 1.0.
float Channel(TGalaxyColor c, int channel) {
  return static_cast<float>((c >> (8 * channel)) & 0xFFu) / 255.0f;
}

TGalaxyRGB ToRGB(TGalaxyColor c) { return {Channel(c, 0), Channel(c, 1), Channel(c, 2)}; }

}  // namespace

TLcgRandom& SharedRandom() {
  static TLcgRandom random;
  return random;
}

std::uint32_t CalendarSeconds() { return static_cast<std::uint32_t>(std::time(nullptr)); }

constexpr TGalaxyPoint TGalaxy::Corner[6];

TGalaxy::TGalaxy(const TGalaxySettings& settings, TLcgRandom& random, TClock clock)
    : Random(random), Clock(std::move(clock)) {
  if (!Clock) Clock = CalendarSeconds;
  Setting = settings;
  Setting.Rings = Clamp(Setting.Rings, MinRings, MaxRings);
  Setting.Velocity = Clamp(Setting.Velocity, 0, 40);
  Setting.Probability = Clamp(Setting.Probability, 0, 100);
  Setting.Trails = Clamp(Setting.Trails, 1, MaxTrails);
  SetDensity(Setting.Density);
  Setting.Speed = Clamp(Setting.Speed, 1, 120);
  Next = 254;
  Now = 255;
  AllocateRings();
  ResetTrails();
  UpdateTrails();
  SeedGalaxy();
  ReadDynamics();
  ApplySpeed();
}

// ---- Settings ----

void TGalaxy::SetRings(int rings) {
  Setting.Rings = Clamp(rings, MinRings, MaxRings);
  AllocateRings();
  SeedGalaxy();
  CameraDirty_ = true;
}

void TGalaxy::Restart() {
  ResetTrails();
  UpdateTrails();
  SeedGalaxy();
}

void TGalaxy::SetProbability(int percent) {
  Setting.Probability = Clamp(percent, 0, 100);
  ReadDynamics();
}

void TGalaxy::SetVelocity(int velocity) {
  Setting.Velocity = Clamp(velocity, 0, 40);
  ReadDynamics();
}

void TGalaxy::SetDarkMatter(int law) {
  Setting.DarkMatter = law;
  ReadDynamics();
}

void TGalaxy::SetDynamics(int percent, int velocity, int law) {
  Setting.Probability = Clamp(percent, 0, 100);
  Setting.Velocity = Clamp(velocity, 0, 40);
  Setting.DarkMatter = law;
  ReadDynamics();
}

void TGalaxy::SetColors(TGalaxyColor explosion, TGalaxyColor exhausted, TGalaxyColor background,
                        TGalaxyColor replenished) {
  Setting.Explosion = explosion;
  Setting.Exhausted = exhausted;
  Setting.Background = background;
  Setting.Replenished = replenished;
  UpdateTrails();
}

void TGalaxy::SetSpeed(int intervalMs) {
  // A speed with no option (the form passes 0 or -1) runs at Fast's 1 ms.
  Setting.Speed = Clamp(intervalMs, 1, 120);
  ApplySpeed();
}

void TGalaxy::SetTrails(int trails) {
  Setting.Trails = Clamp(trails, 1, MaxTrails);
  UpdateTrails();
}

void TGalaxy::SetExplosion(TGalaxyColor c) {
  Setting.Explosion = c;
  UpdateTrails();
}

void TGalaxy::SetExhausted(TGalaxyColor c) {
  Setting.Exhausted = c;
  UpdateTrails();
}

void TGalaxy::SetBackground(TGalaxyColor c) {
  Setting.Background = c;
  UpdateTrails();
}

void TGalaxy::SetReplenished(TGalaxyColor c) {
  Setting.Replenished = c;
  UpdateTrails();
}

void TGalaxy::SetDensity(double density) {
  if (std::isnan(density)) density = TGalaxySettings().Density;
  Setting.Density = std::min(std::max(density, 0.0), 0.05);
}

void TGalaxy::SetCell(int index, std::uint8_t state) {
  if (index >= 0 && index < CellCount()) Cells_[index] = state;
}

// ---- Set-up ----

void TGalaxy::AllocateRings() {
  RingCount = Setting.Rings;
  const int n = RingCount;
  Cells_.assign(static_cast<size_t>(3 * n * (n + 1) + 1), 0);
  Offsets.assign(n, 0);
  Angles.assign(n, 0.0);
}

void TGalaxy::ResetTrails() {
  Trail = 4;
  Grow = 1;
  Quiet = 0;
}

void TGalaxy::UpdateTrails() {
  Target = Setting.Trails;
  if (Target <= Trail) {
    Trail = Target;
    Grow = -1;
  } else {
    Grow = 0;
  }
  QuietMax = Trail + 5;

  const TGalaxyRGB replenished = ToRGB(Setting.Replenished);
  const TGalaxyRGB exhausted = ToRGB(Setting.Exhausted);
  for (int i = 0; i <= Trail; ++i) {
    const float f = static_cast<float>(i) / static_cast<float>(Trail);
    const float g = 1.0f - f;
    Colors[i] = {g * replenished.Red + f * exhausted.Red, g * replenished.Green + f * exhausted.Green,
                 g * replenished.Blue + f * exhausted.Blue};
  }
  Colors[Now] = Colors[Next] = ToRGB(Setting.Explosion);
  Colors[BackgroundSlot] = ToRGB(Setting.Background);
  ClearColorDirty_ = true;
}

void TGalaxy::SeedGalaxy() {
  std::fill(Cells_.begin(), Cells_.end(), std::uint8_t{0});
  Random.Seed(Clock());
  Density = Setting.Density;
  const int count = CellCount();
  int seeds = static_cast<int>(count * Density);
  if (seeds == 0) seeds = 1;
  for (int i = 0; i < seeds; ++i) Cells_[Random.Next() % count] = Now;
  Cells_[1] = Now;
}

void TGalaxy::ReadDynamics() {
  Probability = Setting.Probability * 0.01;
  Threshold = static_cast<int>(Probability * 32767);
  Speed = Setting.Velocity;
  Law = Setting.DarkMatter;
}

void TGalaxy::ApplySpeed() { Interval = Setting.Speed; }

// ---- Geometry ----

TGalaxyPoint TGalaxy::RingPosition(int ring, int p) {
  if (ring == 0) return {0, 0};
  const int s = p / ring, c = p % ring;
  const TGalaxyPoint corner = Corner[s], along = Corner[(s + 2) % 6];
  return {ring * corner.x + c * along.x, ring * corner.y + c * along.y};
}

TGalaxyPoint TGalaxy::CellPosition(int ring, int slot) const {
  if (ring == 0) return {0, 0};
  return RingPosition(ring, (slot + Offsets[ring]) % (6 * ring));
}

int TGalaxy::Sextant(int x, int y) {
  const int ax = x < 0 ? -x : x, ay = y < 0 ? -y : y;
  const int code = (x > 0 ? 32 : x == 0 ? 16 : 0) | (y > 0 ? 8 : y == 0 ? 4 : 0) |
                   (ay > ax ? 2 : ay == ax ? 1 : 0);
  return SextantTable.Entry[code];
}

int TGalaxy::CellAt(int x, int y) const {
  const int s = Sextant(x, y);
  const int ax = x < 0 ? -x : x, ay = y < 0 ? -y : y;
  const int r = (RingA[s] * ax + RingB[s] * ay) / 2;
  if (r >= RingCount) return -1;
  if (r == 0) return 0;
  const int dx = x - r * Corner[s].x, dy = y - r * Corner[s].y;
  const int c = (StepC[s] * dx + StepD[s] * dy) / 2;
  const int p = s * r + c;
  const int k = (p + 6 * r - Offsets[r]) % (6 * r);
  return 1 + 3 * r * (r - 1) + k;
}

// ---- The step ----

// The cell in `slot` of `ring` explodes: it starts its trail, and each of its
// six neighbours that is replenished is triggered by chance. Returns the
// number of cells triggered.
int TGalaxy::ExplodeCell(int ring, int slot) {
  Cells_[CellIndex(ring, slot)] = static_cast<std::uint8_t>(Trail);
  const TGalaxyPoint at = CellPosition(ring, slot);
  int triggered = 0;
  for (const TGalaxyPoint& d : Corner) {
    // One draw per direction, whatever lies there.
    if (Random.Next() >= Threshold) continue;
    const int index = CellAt(at.x + d.x, at.y + d.y);
    if (index >= 0 && Cells_[index] == 0) {
      Cells_[index] = Next;
      ++triggered;
    }
  }
  return triggered;
}

void TGalaxy::Rotate() {
  const int n = RingCount;
  const double v = Speed;
  for (int j = 0; j < n; ++j) {
    double delta;
    if (Law == 2)
      delta = j * (0.2 * v / n);
    else if (Law == 3)
      delta = (j * j) * (0.4 * v / (n * n));
    else
      delta = 0.1 * v;
    double angle = Angles[j] + delta;
    const int turn = j == 0 ? 6 : 6 * j;
    if (angle >= AngleWrap) angle = std::fmod(angle, turn);
    Angles[j] = angle;
    const int whole = static_cast<int>(angle);
    Offsets[j] = j == 0 ? whole : whole % turn;
  }
}

void TGalaxy::Step() {
  // 1. Cell pass, in index order: counters run down, explosions trigger
  // their neighbours. Cells above the trail length (explosion states, or
  // counters left above a trail that was cut) stay as they are.
  int newCount = 0;
  const unsigned trail = static_cast<unsigned>(Trail);
  const std::uint8_t now = Now;
  std::uint8_t* cells = Cells_.data();
  for (int ring = 0; ring < RingCount; ++ring) {
    std::uint8_t* row = cells + CellIndex(ring, 0);
    const int slots = ring == 0 ? 1 : 6 * ring;
    for (int slot = 0; slot < slots; ++slot) {
      const std::uint8_t b = row[slot];
      if (b == now) {
        newCount += ExplodeCell(ring, slot);
      } else {
        // Counters 1 .. L run down, without a branch: the states are mixed
        // at random and would defeat prediction.
        row[slot] = static_cast<std::uint8_t>(b - (static_cast<unsigned>(b) - 1u < trail));
      }
    }
  }
  // 2. Rotation (the pass above used the offsets of the previous step).
  Rotate();
  // 3. This step's triggers explode in the next.
  std::swap(Now, Next);
  // 4. Trail growth.
  if (Grow != -1) {
    ++Grow;
    if (Grow % GrowPeriod == 0) {
      Trail += GrowStep;
      UpdateTrails();
    }
  }
  // 5. Die-out.
  if (newCount == 0) {
    ++Quiet;
    if (Quiet > QuietMax) Restart();
  }
  CameraDirty_ = true;
}
