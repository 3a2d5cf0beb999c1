// The movie's frame clock: frames come at the movie's rate however the timer's ticks
// fall, a stall catches up a few frames only, and the movie never runs ahead of time.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "saver/frame_clock.h"

namespace wd::saver {
namespace {

int RunFor(FrameClock& clock, double step, int steps) {
  int frames = 0;
  for (int i = 0; i < steps; ++i) frames += clock.FramesDue(step);
  return frames;
}

TEST(FrameClockTest, OneSecondAtTwentyFramesGivesTwentyHoweverItIsSliced) {
  // Slices up to three frames long: nothing to drop.
  for (double step : {0.05, 0.001, 0.01, 0.1, 0.125}) {
    FrameClock clock(20);
    EXPECT_EQ(RunFor(clock, step, static_cast<int>(std::lround(1.0 / step))), 20) << step;
  }
  // Timer ticks that come a little early and a little late.
  FrameClock clock(20);
  int frames = 0;
  for (int i = 0; i < 10; ++i) frames += clock.FramesDue(0.0468) + clock.FramesDue(0.0532);
  EXPECT_EQ(frames, 20);
}

TEST(FrameClockTest, NeverAheadOfElapsedTime) {
  std::mt19937 random(6);
  std::uniform_real_distribution<double> step(0.0, 0.2);
  FrameClock clock(20);
  double elapsed = 0;
  long long frames = 0;
  for (int i = 0; i < 20000; ++i) {
    const double s = step(random);
    elapsed += s;
    const int due = clock.FramesDue(s);
    ASSERT_GE(due, 0);
    ASSERT_LE(due, 3);
    frames += due;
    ASSERT_LE(static_cast<double>(frames), elapsed * 20 + 1e-6) << "step " << i;
  }
  // Steps above 0.15 s owe more than three frames now and then, and lose the excess.
  EXPECT_LT(frames, static_cast<long long>(elapsed * 20));
  EXPECT_GT(frames, static_cast<long long>(elapsed * 20 * 0.9));
}

TEST(FrameClockTest, AStallCatchesUpAFewFramesAndDropsTheRest) {
  FrameClock clock(20);
  EXPECT_EQ(clock.FramesDue(10.0), 3);
  // The lost time is gone: the next frames come at the normal pace again.
  EXPECT_EQ(clock.FramesDue(0.0), 0);
  EXPECT_EQ(clock.FramesDue(0.049), 0);
  EXPECT_EQ(clock.FramesDue(0.002), 1);

  FrameClock two(20, 2);
  EXPECT_EQ(two.FramesDue(1.0), 2);
  // The fraction of a frame already under way survives the drop.
  FrameClock part(20);
  EXPECT_EQ(part.FramesDue(0.5 + 0.025), 3);
  EXPECT_EQ(part.FramesDue(0.025), 1);
}

TEST(FrameClockTest, OddInputsAndRates) {
  FrameClock clock(20);
  EXPECT_EQ(clock.FramesDue(-5.0), 0);
  EXPECT_EQ(clock.FramesDue(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(clock.FramesDue(0.05), 1);  // a clock going backwards did not eat time
  EXPECT_EQ(clock.FramesDue(std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(clock.FramesDue(1e300), 3);
  EXPECT_EQ(clock.FramesDue(0.05), 1);

  FrameClock zero(0);  // a header rate of 0: very slow, never stuck or dividing by zero
  EXPECT_DOUBLE_EQ(zero.rate(), FrameClock::kMinRate);
  EXPECT_EQ(zero.FramesDue(99.0), 0);
  EXPECT_EQ(zero.FramesDue(1.0), 1);
  FrameClock nan_rate(std::numeric_limits<double>::quiet_NaN());
  EXPECT_DOUBLE_EQ(nan_rate.rate(), FrameClock::kMinRate);
  FrameClock fast(1e9);
  EXPECT_DOUBLE_EQ(fast.rate(), FrameClock::kMaxRate);
  EXPECT_DOUBLE_EQ(FrameClock(20).IntervalMs(), 50.0);
  EXPECT_DOUBLE_EQ(FrameClock(12.5).IntervalMs(), 80.0);

  FrameClock reset(20);
  EXPECT_EQ(reset.FramesDue(0.04), 0);
  reset.Reset();
  EXPECT_EQ(reset.FramesDue(0.04), 0);
  EXPECT_EQ(reset.FramesDue(0.01), 1);
}

}  // namespace
}  // namespace wd::saver
