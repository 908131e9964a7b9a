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
