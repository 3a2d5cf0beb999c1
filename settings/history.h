// The running-time statistics of the dialog: four hour totals (today, this week, this
// month, this year), counted so that each running hour of the computer is counted once,
// in the day it ran, whatever the wall clock does.
//
// Counting happens at a moment: the local time, the UTC time and one reading of the
// uptime. What the last counting saw of the running period (how long the computer had
// been up, how long of that suspended, how much of its running time is in the totals) is
// kept beside the totals. A period is a new one when the computer has restarted since:
// its time since the start or its suspended time went back, or by the clock it started
// after the last counting (unless the clock then read earlier than the counting before
// it: then the uptimes alone decide). The hours not yet counted are the latest running hours up to
// the moment of counting, each credited to the day, week, month and year it falls in.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "energy/power_record.h"
#include "energy/uptime.h"

namespace wd {
class SettingsFile;
}

namespace wd::settings {

// Hours of running time, in the order Today, ThisWeek, ThisMonth, ThisYear.
struct HistoryTotals {
  double today = 0;
  double this_week = 0;
  double this_month = 0;
  double this_year = 0;
  bool operator==(const HistoryTotals&) const = default;
};

// The running period as the last counting saw it.
struct PeriodMark {
  // The clock (UTC) at the counting; none when that clock read earlier than the counting
  // before, so it cannot be trusted to tell periods apart.
  std::optional<DateTime> utc;
  std::int64_t since_start_ms = 0;  // time since the start, suspended time included
  std::int64_t suspended_ms = 0;    // time spent asleep or hibernated since the start
  std::int64_t counted_ms = 0;      // running time of the period already in the totals
  bool operator==(const PeriodMark&) const = default;
};

// Running hours by local day: the day's date (a whole number of days) and its hours.
using DayHours = std::map<int, double>;
// How many days, today's included, the Days section keeps.
inline constexpr int kKeptDays = 400;

// The History and Days sections as the dialog keeps them.
struct HistoryRecord {
  HistoryTotals totals;
  // Absent in files of older versions, and after a reset by one.
  std::optional<PeriodMark> period;
  // Local date and time of the last counting; it never moves backwards. A file of an
  // older version without it reads Parameters/FromDate here.
  std::optional<DateTime> last_counted;
  // The running hours of each of the last kKeptDays days, as counted.
  DayHours days;
  bool operator==(const HistoryRecord&) const = default;
};

// One moment of counting.
struct CountingMoment {
  DateTime local_now = 0;
  DateTime utc_now = 0;
  UptimeReading uptime;
  int first_day_of_week = 1;  // 0 = Sunday, 1 = Monday, ... 6 = Saturday
};

// The result of counting at one moment.
struct Counted {
  HistoryRecord record;
  // Set when the year's total started afresh: the first day of the new year, from which
  // the statistics now count.
  std::optional<DateTime> new_from_date;
};

// What Windows' own record (the System event log) says of the running periods: its power
// events, the first of which marks how far back it reaches, and local time less UTC (in
// days) at a UTC moment, to hand the hours out to local days.
struct PowerRecord {
  std::vector<PowerEvent> events;
  std::function<double(DateTime utc)> local_offset_days;
};

// Whether `now` lies in the running period the mark was taken in.
bool SamePeriod(const PeriodMark& mark, const CountingMoment& now);

// Adds to `stored` the running hours not yet counted, after starting afresh every total
// whose day, week, month or year is over since the last counting; the days they fall in
// get them too, and days older than kKeptDays are dropped.
//
// With a power record that reaches back to the last counting (whose clock was trusted),
// the hours are those of its running intervals since then, each in the local day it ran
// in, periods the program never saw included. Without one, or where it reaches back less
// far (a log cleared or wrapped), the hours are counted from the uptime as above.
Counted CountHistory(const HistoryRecord& stored, const CountingMoment& now,
                     const PowerRecord* record = nullptr);
// Whether the record can count from the last counting of `stored` on.
bool RecordReachesBack(const PowerRecord& record, const HistoryRecord& stored);

// The record after a reset at `now`: totals 0, the current running period counted with
// none of its hours, so its whole running time counts from here on.
HistoryRecord ResetRecord(const CountingMoment& now);

// The clock was set forward by `offset_days` (negative: back): the moment of the last
// counting, as the period test compares it, moves with it.
void ShiftForClockChange(HistoryRecord& record, double offset_days);

// The first day (midnight) of the week holding `date`.
DateTime WeekStart(DateTime date, int first_day_of_week);

// Adds `hours`, the latest running hours up to `at` (local), to the days they fall in.
void CreditDays(DayHours& days, double hours, DateTime at);

// The History keys through the settings file (and Parameters/FromDate for files without
// LastCounted), and the Days section: one key per day named yyyy-mm-dd, its hours with a
// '.' whatever the locale; the days of twice kKeptDays before `today` are read, so that
// the ones past keeping are found and go. Reading never fails; writing raises the
// settings file's write error and stops at that key. Writing gives the days as the file
// held them (`stored_days`): only the days that changed are written, and the ones no
// longer kept are removed.
HistoryRecord ReadHistory(const SettingsFile& file, DateTime today);
void WriteHistory(SettingsFile& file, const HistoryRecord& record, const DayHours& stored_days);

}  // namespace wd::settings
