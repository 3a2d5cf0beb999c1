// Counting the running periods into the four totals: each period once, and every total
// started afresh when its day, week, month or year is over.
#include "settings/history.h"

#include <gtest/gtest.h>

#include "energy/settings_file.h"
#include "tests/energy/test_support.h"

namespace wd::settings {
namespace {

constexpr double kHour = 1.0 / 24;
constexpr double kMinute = kHour / 60;

// A moment `uptime_h` hours into a period that started at `boot` (local = UTC + 8 h).
CountingMoment At(DateTime boot_utc, double uptime_h, int first_day = 1) {
  CountingMoment m;
  m.uptime_ms = static_cast<std::int64_t>(uptime_h * 3600000.0 + 0.5);
  m.uptime_hours = uptime_h;
  m.utc_now = boot_utc + uptime_h * kHour;
  m.local_now = m.utc_now + 8 * kHour;
  m.first_day_of_week = first_day;
  return m;
}

HistoryRecord Totals(double today, double week, double month, double year) {
  HistoryRecord r;
  r.totals = {today, week, month, year};
  return r;
}

// 2026-12-09 is a Wednesday.
const DateTime kWednesday = EncodeDate(2026, 12, 9);

TEST(HistoryTest, EachRunningPeriodCountsOnce) {
  const DateTime boot = kWednesday + 1 * kHour;  // 09:00 local
  // A file of an older version: no period remembered, the whole uptime counts.
  Counted first = CountHistory(Totals(1, 2, 3, 4), At(boot, 2));
  EXPECT_EQ(first.record.totals, (HistoryTotals{3, 4, 5, 6}));
  EXPECT_FALSE(first.new_from_date);

  // The same period an hour later: only the new hour.
  Counted second = CountHistory(first.record, At(boot, 3));
  EXPECT_EQ(second.record.totals, (HistoryTotals{4, 5, 6, 7}));
  // Counting twice at the same moment adds nothing.
  EXPECT_EQ(CountHistory(second.record, At(boot, 3)).record.totals, second.record.totals);

  // A new period: its whole uptime.
  const DateTime boot2 = boot + 5 * kHour;
  Counted third = CountHistory(second.record, At(boot2, 0.5));
  EXPECT_EQ(third.record.totals, (HistoryTotals{4.5, 5.5, 6.5, 7.5}));

  // A restart two minutes after the last counting: the start moments lie within the
  // tolerance, but the uptime went back, so it is a new period.
  const DateTime boot3 = boot2 + 0.5 * kHour + 2 * kMinute;
  Counted fourth = CountHistory(third.record, At(boot3, 0.25));
  EXPECT_DOUBLE_EQ(fourth.record.totals.today, 4.75);
}

TEST(HistoryTest, ClockCorrectedBetweenCountings) {
  const DateTime boot = kWednesday + 1 * kHour;
  Counted first = CountHistory({}, At(boot, 2));
  // The clock jumps 90 s between the countings: the start moment seems to move by
  // 90 s, still the same period.
  CountingMoment later = At(boot, 3);
  later.utc_now += 1.5 * kMinute;
  later.local_now += 1.5 * kMinute;
  EXPECT_DOUBLE_EQ(CountHistory(first.record, later).record.totals.today, 3);

  // A larger correction by our own time sync is followed by the remembered start.
  CountingMoment synced = At(boot, 3);
  synced.utc_now += 40 * kMinute;
  synced.local_now += 40 * kMinute;
  HistoryRecord shifted = first.record;
  ShiftForClockChange(shifted, 40 * kMinute);
  EXPECT_DOUBLE_EQ(CountHistory(shifted, synced).record.totals.today, 3);
  // Without the shift it would count as another period.
  EXPECT_DOUBLE_EQ(CountHistory(first.record, synced).record.totals.today, 5);
}

TEST(HistoryTest, PeriodAcrossMidnightGoesToTheDayItIsCountedIn) {
  // Started 22:00 local on Wednesday, counted at 23:00 and again at 01:00 Thursday.
  const DateTime boot = kWednesday + 14 * kHour;
  Counted evening = CountHistory(Totals(5, 5, 5, 5), At(boot, 1));
  EXPECT_EQ(evening.record.totals, (HistoryTotals{6, 6, 6, 6}));
  Counted night = CountHistory(evening.record, At(boot, 3));
  EXPECT_EQ(night.record.totals, (HistoryTotals{2, 8, 8, 8}));
  ASSERT_TRUE(night.record.last_counted);
  EXPECT_EQ(IsoDateTimeText(*night.record.last_counted), "2026-12-10 01:00:00");
}

TEST(HistoryTest, TotalsRollOverAtTheirBoundaries) {
  struct Case {
    const char* name;
    DateTime last;  // local time of the last counting
    DateTime now;   // local time now
    int first_day;
    HistoryTotals expected;  // stored 10 each, one new hour
    bool new_year;
  };
  const DateTime sat = EncodeDate(2026, 12, 12), sun = EncodeDate(2026, 12, 13),
                 mon = EncodeDate(2026, 12, 14);
  const Case cases[] = {
      {"same day", kWednesday + 0.3, kWednesday + 0.9, 1, {11, 11, 11, 11}, false},
      {"next day", kWednesday + 0.9, kWednesday + 1.1, 1, {1, 11, 11, 11}, false},
      {"Sat to Sun, week from Monday", sat + 0.5, sun + 0.5, 1, {1, 11, 11, 11}, false},
      {"Sat to Sun, week from Sunday", sat + 0.5, sun + 0.5, 0, {1, 1, 11, 11}, false},
      {"Sun to Mon, week from Monday", sun + 0.5, mon + 0.5, 1, {1, 1, 11, 11}, false},
      {"Sun to Mon, week from Sunday", sun + 0.5, mon + 0.5, 0, {1, 11, 11, 11}, false},
      {"a week later, same weekday", kWednesday + 0.5, kWednesday + 7.5, 1, {1, 1, 11, 11}, false},
      {"next month",
       EncodeDate(2026, 11, 30) + 0.5,
       EncodeDate(2026, 12, 1) + 0.5,
       1,
       {1, 11, 1, 11},
       false},
      {"same month a year later",
       EncodeDate(2025, 12, 9) + 0.5,
       kWednesday + 0.5,
       1,
       {1, 1, 1, 1},
       true},
      {"new year's eve to new year",
       EncodeDate(2026, 12, 31) + 0.9,
       EncodeDate(2027, 1, 1) + 0.1,
       1,
       {1, 11, 1, 1},
       true},
      {"clock set back a day", kWednesday + 0.5, kWednesday - 0.5, 1, {11, 11, 11, 11}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HistoryRecord stored = Totals(10, 10, 10, 10);
    stored.last_counted = c.last;
    CountingMoment now = At(c.now - 8 * kHour - kHour, 1, c.first_day);
    now.local_now = c.now;
    const Counted got = CountHistory(stored, now);
    EXPECT_EQ(got.record.totals, c.expected);
    EXPECT_EQ(got.new_from_date.has_value(), c.new_year);
    if (c.new_year) {
      EXPECT_EQ(*got.new_from_date, EncodeDate(DecodeDateTime(c.now).year, 1, 1));
    }
  }
}

TEST(HistoryTest, ResetCountsTheCurrentPeriodFromZero) {
  const DateTime boot = kWednesday + 1 * kHour;
  Counted before = CountHistory(Totals(7, 7, 7, 7), At(boot, 2));
  const HistoryRecord reset = ResetRecord(At(boot, 2.5));
  EXPECT_EQ(reset.totals, HistoryTotals{});
  // A second later the totals hold the whole uptime of this period, and no more.
  EXPECT_EQ(CountHistory(reset, At(boot, 2.5)).record.totals, (HistoryTotals{2.5, 2.5, 2.5, 2.5}));
  EXPECT_NE(before.record.totals, reset.totals);
}

TEST(HistoryTest, WeekStartFollowsTheFirstDayOfTheWeek) {
  EXPECT_EQ(WeekStart(kWednesday + 0.7, 1), EncodeDate(2026, 12, 7));
  EXPECT_EQ(WeekStart(kWednesday, 0), EncodeDate(2026, 12, 6));
  EXPECT_EQ(WeekStart(kWednesday, 3), kWednesday);
  EXPECT_EQ(WeekStart(kWednesday, 4), EncodeDate(2026, 12, 3));
}

TEST(HistoryTest, IsoTextReadsBackAndRejectsOtherForms) {
  const DateTime t = EncodeDate(2026, 1, 31) + EncodeTime(23, 59, 58, 0);
  EXPECT_EQ(IsoDateTimeText(t), "2026-01-31 23:59:58");
  EXPECT_EQ(ParseIsoDateTime("2026-01-31 23:59:58"), t);
  for (const char* bad : {"", "2026-02-30 00:00:00", "2026-01-31 24:00:00", "2026/01/31 23:59:58",
                          "2026-01-31 23:59:58x", " 2026-01-31 23:59:5", "abcd-ef-gh ij:kl:mn"}) {
    EXPECT_FALSE(ParseIsoDateTime(bad)) << bad;
  }
}

class HistoryFileTest : public test::TempFolderTest {};

TEST_F(HistoryFileTest, RecordReadsBackAndOldFilesKeepTheirMeaning) {
  SettingsFile file(SettingsFilePath());
  // A file of an older version: the four totals only.
  test::WriteBytes(SettingsFilePath(), "[History]\r\nToday=1.5\r\nThisYear=100.25\r\n");
  HistoryRecord old = ReadHistory(file);
  EXPECT_EQ(old.totals, (HistoryTotals{1.5, 0, 0, 100.25}));
  EXPECT_FALSE(old.counted_boot_utc);
  EXPECT_FALSE(old.last_counted);

  HistoryRecord rec = Totals(1.25, 2, 3.5, 4);
  rec.counted_boot_utc = EncodeDate(2026, 12, 9) + EncodeTime(1, 2, 3, 0);
  rec.counted_hours = 3.25;
  rec.last_counted = EncodeDate(2026, 12, 9) + EncodeTime(9, 8, 7, 0);
  WriteHistory(file, rec);
  EXPECT_EQ(ReadHistory(file), rec);
  const std::string bytes = test::ReadBytes(SettingsFilePath());
  EXPECT_NE(bytes.find("Today=1.25"), std::string::npos);
  EXPECT_NE(bytes.find("CountedBoot=2026-12-09 01:02:03"), std::string::npos);
  EXPECT_NE(bytes.find("LastCounted=2026-12-09 09:08:07"), std::string::npos);
}

}  // namespace
}  // namespace wd::settings
