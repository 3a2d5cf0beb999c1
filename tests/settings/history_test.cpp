// Counting the running periods into the four totals: each running hour once, in the day,
// week, month and year it ran, whatever the wall clock did between two countings.
#include "settings/history.h"

#include <gtest/gtest.h>

#include <vector>

#include "energy/settings_file.h"
#include "tests/energy/test_support.h"

namespace wd::settings {
namespace {

constexpr double kHour = 1.0 / 24;

DateTime At(const char* local) {
  return *ParseIsoDateTime(std::string(local) + ":00");
}

std::int64_t Ms(double hours) {
  return static_cast<std::int64_t>(hours * 3600000.0 + 0.5);
}

// One counting, as the dialog makes it: the clock as it reads (local), the time since
// the computer started and how much of it was suspended.
struct Step {
  const char* local;  // "yyyy-mm-dd hh:mm"
  double since_start_h;
  double suspended_h = 0;
  double tz_h = 8;     // local = UTC + tz_h
  double shift_h = 0;  // the dialog's own clock correction just before this counting
  int first_day = 1;   // of the week: 0 = Sunday, 1 = Monday
  bool reset = false;  // a reset instead of a counting
};

CountingMoment MomentOf(const Step& s) {
  CountingMoment m;
  m.local_now = At(s.local);
  m.utc_now = m.local_now - s.tz_h * kHour;
  m.uptime.since_start_ms = Ms(s.since_start_h);
  m.uptime.suspended_ms = Ms(s.suspended_h);
  m.uptime.running_ms = RunningTime(m.uptime.since_start_ms, m.uptime.suspended_ms);
  m.first_day_of_week = s.first_day;
  return m;
}

TEST(HistoryTest, CountingRules) {
  struct Case {
    const char* name;
    HistoryTotals start;
    const char* start_last;  // the last counting of the stored record, or null
    std::vector<Step> steps;
    HistoryTotals expected;
    const char* new_from;  // the from-date a new year set, or null
  };
  // 2026-12-09 is a Wednesday; Taiwan time, weeks from Monday, unless a step says other.
  const Case cases[] = {
      {"one period counted again adds only what ran since",
       {},
       nullptr,
       {{"2026-12-09 10:00", 2}, {"2026-12-09 11:00", 3}, {"2026-12-09 11:00", 3}},
       {3, 3, 3, 3},
       nullptr},
      {"a restart: the new period's whole running time",
       {},
       nullptr,
       {{"2026-12-09 10:00", 2}, {"2026-12-09 15:00", 1}},
       {3, 3, 3, 3},
       nullptr},
      {"a restart under a clock set back: the time since the start went back",
       {},
       nullptr,
       {{"2026-12-09 10:00", 5}, {"2026-12-09 09:00", 0.5}},
       {5.5, 5.5, 5.5, 5.5},
       nullptr},
      {"a restart after a sleep: the suspended time went back",
       {},
       nullptr,
       {{"2026-12-09 10:00", 6, 4}, {"2026-12-09 19:00", 9, 0}},
       {11, 11, 11, 11},
       nullptr},
      {"the clock 5 minutes forward between two countings of one period",
       {10, 10, 10, 10},
       nullptr,
       {{"2026-12-09 12:00", 2}, {"2026-12-09 13:05", 3}},
       {13, 13, 13, 13},
       nullptr},
      {"the clock an hour back between two countings of one period",
       {},
       nullptr,
       {{"2026-12-09 12:00", 2}, {"2026-12-09 12:00", 3}},
       {3, 3, 3, 3},
       nullptr},
      {"the dialog's own correction of a clock 8 hours behind",
       {},
       nullptr,
       {{"2026-12-09 01:30", 0.5}, {"2026-12-09 10:00", 1, 0, 8, 8}},
       {1, 1, 1, 1},
       nullptr},
      {"a counting under a dead battery's clock starts nothing afresh",
       {5, 20, 50, 1000},
       "2026-12-09 09:00",
       {{"2026-12-09 10:00", 2}, {"2000-01-01 00:20", 10.0 / 60}, {"2026-12-09 11:00", 50.0 / 60}},
       {7.833, 22.833, 52.833, 1002.833},
       nullptr},
      {"a weekend asleep: Monday's hours only are Monday's",
       {},
       nullptr,
       {{"2026-12-11 18:00", 10}, {"2026-12-14 09:00", 73, 61.5}},
       {1.5, 1.5, 11.5, 11.5},
       nullptr},
      {"Friday to a new start on Monday",
       {},
       nullptr,
       {{"2026-12-11 18:00", 10}, {"2026-12-14 09:00", 2}},
       {2, 2, 12, 12},
       nullptr},
      {"over midnight: today holds only the hours since midnight",
       {},
       nullptr,
       {{"2026-12-09 22:00", 1}, {"2026-12-10 01:00", 4}},
       {1, 4, 4, 4},
       nullptr},
      {"a file without counting keys counts from its FromDate",
       {500, 500, 500, 500},
       "2020-03-01 00:00",
       {{"2026-12-09 10:00", 2}},
       {2, 2, 2, 2},
       "2026-01-01"},
      {"Saturday to Sunday, weeks from Sunday",
       {},
       nullptr,
       {{"2026-12-12 20:00", 1, 0, 8, 0, 0}, {"2026-12-13 10:00", 3, 0, 8, 0, 0}},
       {3, 3, 4, 4},
       nullptr},
      {"Saturday to Sunday, weeks from Monday",
       {},
       nullptr,
       {{"2026-12-12 20:00", 1}, {"2026-12-13 10:00", 3}},
       {3, 4, 4, 4},
       nullptr},
      {"the end of a month",
       {},
       nullptr,
       {{"2026-11-30 23:00", 1}, {"2026-12-01 00:30", 2.5}},
       {0.5, 2.5, 0.5, 2.5},
       nullptr},
      {"New Year",
       {5, 5, 5, 1000},
       "2026-12-31 12:00",
       {{"2026-12-31 20:00", 1}, {"2027-01-01 01:00", 6}},
       {1, 11, 1, 1},
       "2027-01-01"},
      {"a leap day",
       {},
       nullptr,
       {{"2028-02-28 23:00", 1}, {"2028-02-29 02:00", 4}, {"2028-03-01 01:00", 27}},
       {1, 27, 1, 27},
       nullptr},
      {"moved a time zone east: the same period",
       {},
       nullptr,
       {{"2026-12-09 10:00", 2}, {"2026-12-09 12:00", 3, 0, 9}},
       {3, 3, 3, 3},
       nullptr},
      {"moved a time zone west: the local clock went back",
       {},
       nullptr,
       {{"2026-12-09 10:00", 2}, {"2026-12-09 09:30", 2.5, 0, 7}},
       {2.5, 2.5, 2.5, 2.5},
       nullptr},
      {"a reset: the current period's whole running time, once",
       {7, 7, 7, 7},
       "2026-12-09 08:00",
       {{"2026-12-09 10:00", 2, 0, 8, 0, 1, true},
        {"2026-12-09 10:00", 2},
        {"2026-12-09 11:00", 3}},
       {3, 3, 3, 3},
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HistoryRecord rec;
    rec.totals = c.start;
    if (c.start_last) rec.last_counted = At(c.start_last);
    std::optional<DateTime> new_from;
    for (const Step& step : c.steps) {
      if (step.shift_h != 0) ShiftForClockChange(rec, step.shift_h * kHour);
      if (step.reset) {
        rec = ResetRecord(MomentOf(step));
        continue;
      }
      const Counted counted = CountHistory(rec, MomentOf(step));
      rec = counted.record;
      if (counted.new_from_date) new_from = counted.new_from_date;
    }
    EXPECT_NEAR(rec.totals.today, c.expected.today, 1e-9);
    EXPECT_NEAR(rec.totals.this_week, c.expected.this_week, 1e-9);
    EXPECT_NEAR(rec.totals.this_month, c.expected.this_month, 1e-9);
    EXPECT_NEAR(rec.totals.this_year, c.expected.this_year, 1e-9);
    EXPECT_EQ(new_from.has_value(), c.new_from != nullptr);
    if (new_from && c.new_from) {
      EXPECT_EQ(IsoDateTimeText(*new_from), std::string(c.new_from) + " 00:00:00");
    }
    // The moment of the last counting never went back.
    ASSERT_TRUE(rec.last_counted);
    for (const Step& step : c.steps) EXPECT_GE(*rec.last_counted, At(step.local));
  }
}

TEST(HistoryTest, WeekStartFollowsTheFirstDayOfTheWeek) {
  const DateTime wednesday = EncodeDate(2026, 12, 9);
  EXPECT_EQ(WeekStart(wednesday + 0.7, 1), EncodeDate(2026, 12, 7));
  EXPECT_EQ(WeekStart(wednesday, 0), EncodeDate(2026, 12, 6));
  EXPECT_EQ(WeekStart(wednesday, 3), wednesday);
  EXPECT_EQ(WeekStart(wednesday, 4), EncodeDate(2026, 12, 3));
}

class HistoryFileTest : public test::TempFolderTest {};

// What is written reads back the same under any decimal separator, and the files of
// the versions before keep their meaning.
TEST_F(HistoryFileTest, RecordReadsBackAndOldFilesKeepTheirMeaning) {
  SettingsFile file(SettingsFilePath());
  FormatSettings comma;
  comma.decimal_separator = ',';

  HistoryRecord rec;
  rec.totals = {1.25, 2, 3.5, 4};
  rec.period =
      PeriodMark{EncodeDate(2026, 12, 9) + EncodeTime(1, 2, 3, 456), 11700000, 3600000, 8100000};
  rec.last_counted = EncodeDate(2026, 12, 9) + EncodeTime(9, 8, 7, 0);
  SetFormatSettingsForTesting(comma);
  WriteHistory(file, rec);
  SetFormatSettingsForTesting(FormatSettings{});
  const std::string bytes = test::ReadBytes(SettingsFilePath());
  for (const char* line :
       {"Today=1,25", "CountedAt=2026-12-09 01:02:03.456", "CountedSinceStart=11700000",
        "CountedSuspended=3600000", "CountedRunning=8100000", "LastCounted=2026-12-09 09:08:07"}) {
    EXPECT_NE(bytes.find(std::string(line) + "\r\n"), std::string::npos) << line;
  }
  // Read under another separator the period is the same: it cannot be counted again.
  EXPECT_EQ(ReadHistory(file).period, rec.period);
  EXPECT_EQ(ReadHistory(file).last_counted, rec.last_counted);

  // A clock that could not be trusted leaves the moment empty.
  rec.period->utc.reset();
  WriteHistory(file, rec);
  EXPECT_EQ(ReadHistory(file).period, rec.period);

  // The version before: the start of the period and its counted hours, with the
  // separator of its day.
  test::WriteBytes(SettingsFilePath(),
                   "[History]\r\nToday=1.5\r\nCountedBoot=2026-12-09 01:00:00\r\n"
                   "CountedHours=2,5\r\nLastCounted=2026-12-09 11:30:00\r\n");
  const HistoryRecord before = ReadHistory(file);
  ASSERT_TRUE(before.period);
  EXPECT_EQ(before.period->counted_ms, 9000000);
  EXPECT_EQ(before.period->since_start_ms, 9000000);
  EXPECT_NEAR(*before.period->utc, EncodeDate(2026, 12, 9) + 3.5 * kHour, 1e-9);

  // Older still: the four totals only; the from-date stands for the last counting.
  test::WriteBytes(SettingsFilePath(),
                   "[Parameters]\r\nFromDate=3/1/2020\r\n[History]\r\nToday=500\r\n");
  const HistoryRecord old = ReadHistory(file);
  EXPECT_EQ(old.totals, (HistoryTotals{500, 0, 0, 0}));
  EXPECT_FALSE(old.period);
  EXPECT_EQ(old.last_counted, EncodeDate(2020, 3, 1));
}

}  // namespace
}  // namespace wd::settings
