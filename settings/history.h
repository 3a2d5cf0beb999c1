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
#include <optional>
#include <string>

#include "common/datetime.h"
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

// The History section as the dialog keeps it.
struct HistoryRecord {
  HistoryTotals totals;
  // Absent in files of older versions, and after a reset by one.
  std::optional<PeriodMark> period;
  // Local date and time of the last counting; it never moves backwards. A file of an
  // older version without it reads Parameters/FromDate here.
  std::optional<DateTime> last_counted;
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

// Whether `now` lies in the running period the mark was taken in.
bool SamePeriod(const PeriodMark& mark, const CountingMoment& now);

// Adds to `stored` the running hours not yet counted, after starting afresh every total
// whose day, week, month or year is over since the last counting.
Counted CountHistory(const HistoryRecord& stored, const CountingMoment& now);

// The record after a reset at `now`: totals 0, the current running period counted with
// none of its hours, so its whole running time counts from here on.
HistoryRecord ResetRecord(const CountingMoment& now);

// The clock was set forward by `offset_days` (negative: back): the moment of the last
// counting, as the period test compares it, moves with it.
void ShiftForClockChange(HistoryRecord& record, double offset_days);

// The first day (midnight) of the week holding `date`.
DateTime WeekStart(DateTime date, int first_day_of_week);

// The History keys through the settings file (and Parameters/FromDate for files without
// LastCounted). Reading never fails; writing raises the settings file's write error and
// stops at that key.
HistoryRecord ReadHistory(const SettingsFile& file);
void WriteHistory(SettingsFile& file, const HistoryRecord& record);

}  // namespace wd::settings
