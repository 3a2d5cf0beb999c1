#include "common/datetime.h"

#include <gtest/gtest.h>

namespace wd {
namespace {

TEST(DateTime, EncodesAndDecodesKnownDates) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(2026, 12, 8), 46364.0);
  const CalendarTime t = DecodeDateTime(36526.0 + EncodeTime(13, 45, 30, 250));
  EXPECT_EQ(t.year, 2000);
  EXPECT_EQ(t.month, 1);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.day_of_week, 6);  // a Saturday
  EXPECT_EQ(t.hour, 13);
  EXPECT_EQ(t.minute, 45);
  EXPECT_EQ(t.second, 30);
  EXPECT_EQ(t.millisecond, 250);
}

TEST(DateTime, RoundsToTheNearestMillisecondAcrossMidnight) {
  const CalendarTime t = DecodeDateTime(36526.0 - 0.1 / kMsPerDay);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.hour, 0);
  EXPECT_EQ(t.millisecond, 0);
  const CalendarTime leap = DecodeDateTime(EncodeDate(2024, 2, 29));
  EXPECT_EQ(leap.month, 2);
  EXPECT_EQ(leap.day, 29);
  EXPECT_FALSE(IsValidDate(2023, 2, 29));
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
  EXPECT_FALSE(IsValidDate(1900, 2, 29));
}

TEST(DateTime, RoundTripsCalendarFields) {
  for (double v = -700.25; v < 80000.0; v += 97.123) {
    const CalendarTime t = DecodeDateTime(v);
    EXPECT_NEAR(EncodeDateTime(t), v, 0.6 / kMsPerDay) << v;
  }
}

TEST(DateTime, IsoTextReadsBackAndRejectsOtherForms) {
  const DateTime t = EncodeDate(2026, 1, 31) + EncodeTime(23, 59, 58, 0);
  EXPECT_EQ(IsoDateTimeText(t), "2026-01-31 23:59:58");
  EXPECT_EQ(ParseIsoDateTime("2026-01-31 23:59:58"), t);
  const DateTime ms = t + EncodeTime(0, 0, 0, 7);
  EXPECT_EQ(IsoDateTimeText(ms, true), "2026-01-31 23:59:58.007");
  EXPECT_NEAR(*ParseIsoDateTime("2026-01-31 23:59:58.007"), ms, 0.1 / kMsPerDay);
  for (const char* bad :
       {"", "2026-02-30 00:00:00", "2026-01-31 24:00:00", "2026/01/31 23:59:58",
        "2026-01-31 23:59:58x", " 2026-01-31 23:59:5", "abcd-ef-gh ij:kl:mn",
        "2026-01-31 23:59:58.07", "2026-01-31 23:59:58,007", "+026-01-31 23:59:58"}) {
    EXPECT_FALSE(ParseIsoDateTime(bad)) << bad;
  }
}

}  // namespace
}  // namespace wd
