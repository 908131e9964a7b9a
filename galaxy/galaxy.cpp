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
constexpr double kAngleWrap = 1048576.0;

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

TGalaxy::TClock SeededClock(std::uint32_t seed) {
  return [next = seed]() mutable { return next++; };
}

constexpr TGalaxyPoint TGalaxy::Corner[6];

TGalaxy::TGalaxy(const TGalaxySettings& settings, TLcgRandom& random, TClock clock)
    : settings_(ClampGalaxySettings(settings)), random_(random), clock_(std::move(clock)) {
  if (!clock_) clock_ = CalendarSeconds;
  AllocateRings();
  ResetTrails();
  UpdateTrails();
  SeedGalaxy();
  ReadDynamics();
  ApplySpeed();
}

// ---- Settings ----

void TGalaxy::Apply(const TGalaxySettings& settings) {
  const TGalaxySettings was = settings_;
  settings_ = ClampGalaxySettings(settings);
  const TGalaxySettings& now = settings_;
  if (now.Rings != was.Rings) {
    AllocateRings();
    SeedGalaxy();
  }
  if (now.Probability != was.Probability || now.Velocity != was.Velocity || now.DarkMatter != was.DarkMatter)
    ReadDynamics();
  if (now.Trails != was.Trails || now.Explosion != was.Explosion || now.Exhausted != was.Exhausted ||
      now.Background != was.Background || now.Replenished != was.Replenished)
    UpdateTrails();
  if (now.Speed != was.Speed) ApplySpeed();
}

// The single changes are Apply with one setting changed.

void TGalaxy::SetRings(int rings) {
  TGalaxySettings s = settings_;
  s.Rings = rings;
  Apply(s);
}

void TGalaxy::Restart() {
  ResetTrails();
  UpdateTrails();
  SeedGalaxy();
}

void TGalaxy::SetDynamics(int percent, int velocity, int law) {
  TGalaxySettings s = settings_;
  s.Probability = percent, s.Velocity = velocity, s.DarkMatter = law;
  Apply(s);
}

void TGalaxy::SetColors(TGalaxyColor explosion, TGalaxyColor exhausted, TGalaxyColor background,
                        TGalaxyColor replenished) {
  TGalaxySettings s = settings_;
  s.Explosion = explosion, s.Exhausted = exhausted, s.Background = background, s.Replenished = replenished;
  Apply(s);
}

void TGalaxy::SetSpeed(int intervalMs) {
  // A speed with no option (the form passes 0 or -1) runs at Fast's 1 ms.
  TGalaxySettings s = settings_;
  s.Speed = intervalMs;
  Apply(s);
}

void TGalaxy::SetTrails(int trails) {
  TGalaxySettings s = settings_;
  s.Trails = trails;
  Apply(s);
}

void TGalaxy::SetDensity(double density) {
  TGalaxySettings s = settings_;
  s.Density = density;
  Apply(s);
}

void TGalaxy::SetCell(int index, std::uint8_t state) {
  if (index >= 0 && index < CellCount()) cells_[index] = state;
}

// ---- Set-up ----

void TGalaxy::AllocateRings() {
  rings_ = settings_.Rings;
  const int n = rings_;
  cells_.assign(static_cast<size_t>(3 * n * (n + 1) + 1), 0);
  offsets_.assign(n, 0);
  angles_.assign(n, 0.0);
}

void TGalaxy::ResetTrails() {
  trail_ = 4;
  grow_ = 1;
  quiet_ = 0;
}

void TGalaxy::UpdateTrails() {
  target_ = settings_.Trails;
  if (target_ <= trail_) {
    trail_ = target_;
    grow_ = -1;
  } else {
    grow_ = 0;
  }
  quietLimit_ = trail_ + 5;

  const TGalaxyRGB replenished = ToRGB(settings_.Replenished);
  const TGalaxyRGB exhausted = ToRGB(settings_.Exhausted);
  for (int i = 0; i <= trail_; ++i) {
    const float f = static_cast<float>(i) / static_cast<float>(trail_);
    const float g = 1.0f - f;
    colors_[i] = {g * replenished.Red + f * exhausted.Red, g * replenished.Green + f * exhausted.Green,
                 g * replenished.Blue + f * exhausted.Blue};
  }
  colors_[now_] = colors_[next_] = ToRGB(settings_.Explosion);
  colors_[BackgroundSlot] = ToRGB(settings_.Background);
}

void TGalaxy::SeedGalaxy() {
  std::fill(cells_.begin(), cells_.end(), std::uint8_t{0});
  random_.Seed(clock_());
  density_ = settings_.Density;
  const int count = CellCount();
  int seeds = static_cast<int>(count * density_);
  if (seeds == 0) seeds = 1;
  for (int i = 0; i < seeds; ++i) cells_[random_.Next() % count] = now_;
  cells_[1] = now_;
}

void TGalaxy::ReadDynamics() {
  probability_ = settings_.Probability * 0.01;
  threshold_ = static_cast<int>(probability_ * 32767);
  velocity_ = settings_.Velocity;
  law_ = static_cast<TRotationLaw>(settings_.DarkMatter);
}

void TGalaxy::ApplySpeed() { interval_ = settings_.Speed; }

// ---- Geometry ----

TGalaxyPoint TGalaxy::RingPosition(int ring, int p) {
  if (ring == 0) return {0, 0};
  return SidePosition(ring, p / ring, p % ring);
}

TGalaxyPoint TGalaxy::CellPosition(int ring, int slot) const { return RingPosition(ring, CellPlace(ring, slot)); }

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
  if (r >= rings_) return -1;
  if (r == 0) return 0;
  const int dx = x - r * Corner[s].x, dy = y - r * Corner[s].y;
  const int c = (StepC[s] * dx + StepD[s] * dy) / 2;
  const int p = s * r + c;
  const int k = (p + 6 * r - offsets_[r]) % (6 * r);
  return 1 + 3 * r * (r - 1) + k;
}

// ---- The step ----

// The cell in `slot` of `ring` explodes: it starts its trail, and each of its
// six neighbours that is replenished is triggered by chance. Returns the
// number of cells triggered.
int TGalaxy::ExplodeCell(int ring, int slot) {
  cells_[CellIndex(ring, slot)] = static_cast<std::uint8_t>(trail_);
  const TGalaxyPoint at = CellPosition(ring, slot);
  int triggered = 0;
  for (const TGalaxyPoint& d : Corner) {
    // One draw per direction, whatever lies there.
    if (random_.Next() >= threshold_) continue;
    const int index = CellAt(at.x + d.x, at.y + d.y);
    if (index >= 0 && cells_[index] == 0) {
      cells_[index] = next_;
      ++triggered;
    }
  }
  return triggered;
}

void TGalaxy::Rotate() {
  const int n = rings_;
  const double v = velocity_;
  for (int j = 0; j < n; ++j) {
    double delta;
    switch (law_) {
      case TRotationLaw::Partial: delta = j * (0.2 * v / n); break;
      case TRotationLaw::Absent: delta = (j * j) * (0.4 * v / (n * n)); break;
      default: delta = 0.1 * v; break;
    }
    double angle = angles_[j] + delta;
    const int turn = j == 0 ? 6 : 6 * j;
    if (angle >= kAngleWrap) angle = std::fmod(angle, turn);
    angles_[j] = angle;
    const int whole = static_cast<int>(angle);
    offsets_[j] = j == 0 ? whole : whole % turn;
  }
}

void TGalaxy::Step() {
  // 1. Cell pass, in index order: counters run down, explosions trigger
  // their neighbours. Cells above the trail length (explosion states, or
  // counters left above a trail that was cut) stay as they are.
  int newCount = 0;
  const unsigned trail = static_cast<unsigned>(trail_);
  const std::uint8_t now = now_;
  std::uint8_t* cells = cells_.data();
  for (int ring = 0; ring < rings_; ++ring) {
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
  std::swap(now_, next_);
  // 4. Trail growth.
  if (grow_ != -1) {
    ++grow_;
    if (grow_ % GrowPeriod == 0) {
      trail_ += GrowStep;
      UpdateTrails();
    }
  }
  // 5. Die-out.
  if (newCount == 0) {
    ++quiet_;
    if (quiet_ > quietLimit_) Restart();
  }
  ++steps_;
}
