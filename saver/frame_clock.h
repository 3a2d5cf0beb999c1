// How many movie frames are due: real time accumulates, each frame interval of it
// runs one frame. After a stall (a busy machine, a suspended session) only a few
// frames are caught up and the rest of the lost time is dropped, so the movie never
// races to make up for it; and it never runs ahead of the time that has passed.
#pragma once

#include <algorithm>
#include <cmath>

namespace wd::saver {

class FrameClock {
 public:
  // Frame rates outside what a movie can sensibly ask for are brought into range (a
  // rate of 0 in a movie header would otherwise mean a frame never comes).
  static constexpr double kMinRate = 0.01;
  static constexpr double kMaxRate = 1000.0;

  explicit FrameClock(double frames_per_second, int max_catch_up = 3)
      : rate_(std::isfinite(frames_per_second) ? std::clamp(frames_per_second, kMinRate, kMaxRate)
                                               : kMinRate),
        max_catch_up_(std::max(1, max_catch_up)) {}

  double rate() const { return rate_; }
  // Milliseconds between frames, for the timer that drives the clock.
  double IntervalMs() const { return 1000.0 / rate_; }

  // `elapsed_seconds`: real time since the previous call (or since the clock was
  // made). Returns how many frames to run now, at most the catch-up limit.
  int FramesDue(double elapsed_seconds) {
    if (elapsed_seconds > 0 && std::isfinite(elapsed_seconds)) owed_ += elapsed_seconds * rate_;
    // Sums of elapsed times carry rounding errors; a hair's breadth below a whole
    // frame counts as the whole frame, so 20 steps of 0.05 s at 20 fps make 20 frames.
    const double whole = std::floor(owed_ + kSlack);
    if (whole < 1) return 0;
    // Frames beyond the catch-up limit are dropped with their time; only the fraction
    // of a frame already under way is kept.
    owed_ = std::max(0.0, owed_ - whole);
    return static_cast<int>(std::min<double>(whole, max_catch_up_));
  }

  // Starts afresh (a new movie, or playing again after a pause).
  void Reset() { owed_ = 0; }

 private:
  static constexpr double kSlack = 1e-9;
  double rate_;
  int max_catch_up_;
  double owed_ = 0;  // frames owed, in frame units
};

}  // namespace wd::saver
