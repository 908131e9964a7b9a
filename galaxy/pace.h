#pragma once
// How often a picture is worth drawing: a monitor shows at most its refresh
// rate's pictures a second, so a picture drawn sooner after the last one is
// replaced before anyone sees it. A galaxy stepped faster than that (the Fast
// speed steps up to a hundred times a second) is drawn at the refresh rate,
// the latest step each time; stepping, and so the galaxy's pace, is
// unchanged.
#include <cmath>
#include <cstdint>

class TFramePace {
 public:
  // `hz` pictures a second at most; none given (0 or less) paces nothing.
  explicit TFramePace(double hz = 0) { SetRate(hz); }

  void SetRate(double hz) {
    period_ = hz > 0 ? 1000.0 / hz : 0.0;
    started_ = false;
  }

  // Milliseconds from `nowMs` until a picture is due; 0 when one is.
  std::uint32_t Until(std::uint32_t nowMs) const {
    if (!started_ || period_ <= 0) return 0;
    const double since = static_cast<double>(static_cast<std::uint32_t>(nowMs - last_)) + late_;
    return since >= period_ ? 0 : static_cast<std::uint32_t>(std::ceil(period_ - since));
  }

  // The picture that was due has been drawn, until `nowMs`: the next one is
  // due a period after that, the way XScreenSaver's hacks wait their delay
  // after each picture rather than between the starts of two.
  void Drawn(std::uint32_t nowMs) {
    if (!started_) return;
    last_ = nowMs;
    late_ = 0;
  }

  // Pictures a second at most; 0 when every call is due.
  double Rate() const { return period_ > 0 ? 1000.0 / period_ : 0.0; }

  // Whether a picture is due at `nowMs` (a millisecond clock that may wrap);
  // when it is, it counts as drawn. Over time the pictures keep to the rate
  // exactly, however the calls fall: a picture drawn late leaves the next
  // one due as much sooner, though never more than one picture's worth.
  bool Due(std::uint32_t nowMs) {
    if (!started_ || period_ <= 0) {
      started_ = true;
      last_ = nowMs;
      late_ = 0;
      return true;
    }
    const double since = static_cast<double>(static_cast<std::uint32_t>(nowMs - last_)) + late_;
    if (since < period_) return false;
    last_ = nowMs;
    late_ = since - period_;
    if (late_ > period_) late_ = 0;  // after a pause, no burst of pictures
    return true;
  }

 private:
  double period_ = 0;
  std::uint32_t last_ = 0;
  double late_ = 0;
  bool started_ = false;
};

// When the galaxy's steps fall due on a millisecond clock that may wrap: one
// every step interval (the galaxy's TimerInterval()), though no oftener than
// every 10 ms, as often as a browser's frames or a poll's wake-ups come; the
// Fast setting's 1 ms steps that often. Steps missed by more than the
// catch-up (a second, unless set: the process stopped, a hidden page, a
// slow server, a machine that slept) are dropped rather than caught up in a
// burst; a clock that went back starts the count again rather than wait.
class TStepClock {
 public:
  static constexpr int kMinIntervalMs = 10;
  static constexpr std::int32_t kMaxCatchUpMs = 1000;

  // Steps missed by more than `ms` are dropped.
  void SetMaxCatchUp(std::uint32_t ms) { catchUp_ = static_cast<std::int32_t>(ms < 0x3FFFFFFF ? ms : 0x3FFFFFFF); }

  // Steps every `intervalMs` from `nowMs` on: the first is due at once.
  void Start(int intervalMs, std::uint32_t nowMs) {
    SetInterval(intervalMs);
    due_ = nowMs;
  }
  // A new interval, from the next step on.
  void SetInterval(int intervalMs) {
    interval_ = static_cast<std::uint32_t>(intervalMs > kMinIntervalMs ? intervalMs : kMinIntervalMs);
  }
  std::uint32_t Interval() const { return interval_; }

  // The steps due by `nowMs`, which then count as taken.
  int Take(std::uint32_t nowMs) {
    const std::int32_t late = static_cast<std::int32_t>(nowMs - due_);
    if (late > catchUp_ || late < -catchUp_ - static_cast<std::int32_t>(interval_)) due_ = nowMs;
    int steps = 0;
    for (; static_cast<std::int32_t>(nowMs - due_) >= 0; due_ += interval_) ++steps;
    return steps;
  }

  // Milliseconds from `nowMs` until the next step; 0 when one is due.
  std::uint32_t Until(std::uint32_t nowMs) const {
    const std::int32_t wait = static_cast<std::int32_t>(due_ - nowMs);
    return wait > 0 ? static_cast<std::uint32_t>(wait) : 0;
  }

 private:
  std::uint32_t interval_ = kMinIntervalMs;
  std::uint32_t due_ = 0;
  std::int32_t catchUp_ = kMaxCatchUpMs;
};
