#include "saver/dashboard.h"

#include "energy/format_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace wd::saver {
namespace {

RingValues AfterTicks(int ticks) {
  TickCounter counter;
  for (int i = 0; i < ticks; ++i) counter.Advance();
  return counter.ring_values();
}

TEST(TickCounter, FirstTickMovesOnlyTheOuterRing) {
  TickCounter counter;
  EXPECT_EQ(counter.count(), 0);
  EXPECT_EQ(counter.Advance(), (RingValues{1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(counter.count(), 1);
}

TEST(TickCounter, RingsStartOneAfterTheOtherAtTheirLags) {
  EXPECT_EQ(AfterTicks(15)[1], 0);
  EXPECT_EQ(AfterTicks(16)[1], 1);
  // Each ring shows 0 up to its lag and 1 on the tick after it.
  for (int n = 0; n < kRingCount; ++n) {
    const auto lag = static_cast<int>(kRingLags[n]);
    if (lag > 0) {
      EXPECT_EQ(AfterTicks(lag)[n], 0) << "ring " << n + 1;
    }
    EXPECT_EQ(AfterTicks(lag + 1)[n], 1) << "ring " << n + 1;
  }
  EXPECT_EQ(AfterTicks(59), (RingValues{59, 44, 31, 24, 14, 4, 0}));
}

TEST(TickCounter, OuterAndInnerRingsWrapTogetherFromTickSixty) {
  const RingValues at60 = AfterTicks(60);
  EXPECT_EQ(at60[0], 0);
  EXPECT_EQ(at60[6], 0);
  const RingValues at61 = AfterTicks(61);
  EXPECT_EQ(at61[0], 1);
  EXPECT_EQ(at61[6], 1);
  TickCounter counter;
  int largest = 0;
  for (int tick = 1; tick <= 600; ++tick) {
    const RingValues& v = counter.Advance();
    for (int n = 0; n < kRingCount; ++n) {
      ASSERT_GE(v[n], 0);
      ASSERT_LE(v[n], 59);
      if (v[n] > largest) largest = v[n];
    }
    if (tick >= 60) {
      ASSERT_EQ(v[0], v[6]) << "tick " << tick;
    }
  }
  EXPECT_EQ(largest, 59);
}

TEST(TickCounter, ResetStartsANewWindowsAnimation) {
  TickCounter counter;
  for (int i = 0; i < 100; ++i) counter.Advance();
  counter.Reset();
  EXPECT_EQ(counter.count(), 0);
  EXPECT_EQ(counter.ring_values(), RingValues{});
  EXPECT_EQ(counter.Advance(), (RingValues{1, 0, 0, 0, 0, 0, 0}));
}

TEST(RingValue, UsesTruncatingRemainderAndClampsBeforeTheLag) {
  EXPECT_EQ(RingValue(0, 0), 0);
  EXPECT_EQ(RingValue(14, 15), 0);  // -1 remainder 60 is -1: clamped
  EXPECT_EQ(RingValue(-59, 0), 0);  // never below 0
  EXPECT_EQ(RingValue(-61, 0), 0);
  EXPECT_EQ(RingValue(75, 15), 0);
  EXPECT_EQ(RingValue(119, 60), 59);
  // 64-bit counters far beyond 32 bits keep their phase.
  const std::int64_t big = std::int64_t{60} * 5'000'000'000 + 7;
  EXPECT_EQ(RingValue(big, 0), 7);
  EXPECT_EQ(RingValue(big, 60), 7);
  EXPECT_EQ(RingValue(big, 15), 52);
}

TEST(TickCounter, WrapsAtTheEndOfTheSixtyFourBitRange) {
  // Not reachable in practice; the addition and the ring arithmetic must not
  // overflow (the sanitizer build would stop here).
  const std::int64_t max = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(RingValue(max, 0), 7);
  EXPECT_EQ(RingValue(max, 60), 7);
}

TEST(DrawRingsArguments, PassesInnerRingFifth) {
  const auto args = DrawRingsArguments(RingValues{1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(args, (std::array<float, 7>{1, 2, 3, 4, 7, 5, 6}));
  // At tick 70 the lags 0, 15, 28, 35, 60, 45, 55 give these values, in that order.
  EXPECT_EQ(DrawRingsArguments(AfterTicks(70)), (std::array<float, 7>{10, 55, 42, 35, 10, 25, 15}));
}

TEST(UptimeClock, SplitsOneReadingIntoSecondsAndMinutes) {
  const UptimeClock c = UptimeClockAt(3'723'456);
  EXPECT_DOUBLE_EQ(c.seconds, 3.456);
  EXPECT_NEAR(c.minutes, 2.0576, 1e-12);  // shown as 2.058
  EXPECT_EQ(UptimeClockAt(120'000).seconds, 0.0);
  EXPECT_EQ(UptimeClockAt(7'200'000).minutes, 0.0);
  const UptimeClock last = UptimeClockAt(3'599'999);
  EXPECT_DOUBLE_EQ(last.seconds, 59.999);
  EXPECT_DOUBLE_EQ(last.minutes, 3'599'999 / 60000.0);
  // Readings beyond 32 bits (about 50 days of uptime).
  const std::int64_t days60 = std::int64_t{60} * 86'400'000 + 61'234;
  EXPECT_DOUBLE_EQ(UptimeClockAt(days60).seconds, 1.234);
  EXPECT_DOUBLE_EQ(UptimeClockAt(days60).minutes, 61'234 / 60000.0);
}

TEST(UptimeClockTexts, ShowThreeDecimalsWithTheUsersSeparator) {
  FormatSettings point;
  SetFormatSettingsForTesting(point);
  UptimeClockTexts t = UptimeClockTextsAt(3'723'456);
  EXPECT_EQ(t.seconds, "3.456");
  EXPECT_EQ(t.minutes, "2.058");
  EXPECT_EQ(UptimeClockTextsAt(3'600'000 + 120'000).seconds, "0.000");
  EXPECT_EQ(UptimeClockTextsAt(3'599'999).minutes, "60.000");  // 59.99998 rounds up

  FormatSettings comma;
  comma.decimal_separator = ',';
  SetFormatSettingsForTesting(comma);
  t = UptimeClockTextsAt(3'723'456);
  EXPECT_EQ(t.seconds, "3,456");
  EXPECT_EQ(t.minutes, "2,058");
  SetFormatSettingsForTesting(std::nullopt);
}

}  // namespace
}  // namespace wd::saver
