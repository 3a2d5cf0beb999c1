#include "common/local_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <time.h>

namespace wd {
namespace {

// The offset a time zone's rules give a UTC moment, summer time included. Natively every
// zone is tried (TZ set for each); under Wine the process keeps the zone it started with
// (TZ in the test's environment), so only that zone's rows run.
TEST(LocalClock, OffsetFollowsTheZonesRulesAtEachMoment) {
  struct Case {
    const char* zone;
    int year, month, day, hour, minute;  // UTC
    int offset_minutes;
  };
  const Case cases[] = {
      {"Europe/Berlin", 2027, 1, 15, 12, 0, 60},
      {"Europe/Berlin", 2027, 7, 15, 12, 0, 120},
      {"Europe/Berlin", 2027, 3, 28, 0, 59, 60},  // the minute before summer time
      {"Europe/Berlin", 2027, 3, 28, 1, 0, 120},
      {"Europe/Berlin", 2027, 10, 31, 0, 59, 120},
      {"Europe/Berlin", 2027, 10, 31, 1, 0, 60},
      {"Asia/Taipei", 2027, 1, 15, 12, 0, 480},
      {"Asia/Taipei", 2027, 7, 15, 12, 0, 480},
      {"America/New_York", 2027, 1, 15, 12, 0, -300},
      {"America/New_York", 2027, 7, 15, 12, 0, -240},
      {"Australia/Sydney", 2027, 1, 15, 12, 0, 660},  // summer in January
      {"Australia/Sydney", 2027, 7, 15, 12, 0, 600},
      {"Asia/Kolkata", 2027, 7, 15, 12, 0, 330},
  };
  const char* started_in = std::getenv("TZ");
  const std::string own_zone = started_in ? started_in : "";
  int tried = 0;
  for (const Case& c : cases) {
#ifdef _WIN32
    if (own_zone != c.zone) continue;
#else
    setenv("TZ", c.zone, 1);
    tzset();
#endif
    const DateTime utc = EncodeDate(c.year, c.month, c.day) + EncodeTime(c.hour, c.minute, 0, 0);
    EXPECT_EQ(std::lround(SystemLocalOffsetAt(utc) * 1440), c.offset_minutes)
        << c.zone << " " << c.year << "-" << c.month << "-" << c.day << " " << c.hour << ":"
        << c.minute;
    EXPECT_EQ(std::lround(LocalOffsetAt(utc) * 1440), c.offset_minutes) << c.zone;
    ++tried;
  }
#ifndef _WIN32
  if (started_in) {
    setenv("TZ", started_in, 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
#endif
  EXPECT_GT(tried, 0) << "no row for the zone " << own_zone;
}

DateTime g_local = 0, g_utc = 0;

// Clocks a test put in place give the offset now; the zone's rules still move it for
// other moments: clocks eight hours ahead of UTC in a Berlin winter are nine hours ahead
// in its summer.
TEST(LocalClock, TestClocksSetTheOffsetNowAndTheZoneMovesIt) {
  const char* zone = std::getenv("TZ");
  if (!zone || std::string(zone) != "Europe/Berlin") GTEST_SKIP() << "runs in Berlin's time zone";
  const DateTime winter = EncodeDate(2027, 1, 15) + 0.5;
  const DateTime summer = EncodeDate(2027, 7, 15) + 0.5;
  g_utc = winter;
  g_local = winter + 8.0 / 24;
  SetLocalClockForTesting([] { return g_local; });
  SetUtcClockForTesting([] { return g_utc; });
  EXPECT_EQ(std::lround(LocalOffsetAt(winter) * 1440), 480);
  EXPECT_EQ(std::lround(LocalOffsetAt(summer) * 1440), 540);
  SetLocalClockForTesting(nullptr);
  SetUtcClockForTesting(nullptr);
  EXPECT_EQ(LocalOffsetAt(summer), SystemLocalOffsetAt(summer));
}

}  // namespace
}  // namespace wd
