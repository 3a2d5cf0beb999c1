// The running-time statistics of the dialog: four hour totals (today, this week, this
// month, this year) and what is needed to count each running period of the computer
// only once and to start a total afresh when its day, week, month or year is over.
//
// Counting happens at a moment: the local time, the UTC time and the uptime then. The
// running period is known by the moment the computer started (UTC now minus the
// uptime). Hours of a period already added are remembered, so opening the dialog again
// in the same period adds only what has run since.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/datetime.h"

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

// The History section as the dialog keeps it.
struct HistoryRecord {
  HistoryTotals totals;
  // The running period last counted: when the computer started (UTC) and how many of
  // its hours are already in the totals. Absent in files of older versions.
  std::optional<DateTime> counted_boot_utc;
  double counted_hours = 0;
  // Local date and time of the last counting. Absent in files of older versions.
  std::optional<DateTime> last_counted;
  bool operator==(const HistoryRecord&) const = default;
};

// One moment of counting.
struct CountingMoment {
  DateTime local_now = 0;
  DateTime utc_now = 0;
  std::int64_t uptime_ms = 0;
  double uptime_hours = 0;    // the uptime in hours as the figures round it (CalcHours)
  int first_day_of_week = 1;  // 0 = Sunday, 1 = Monday, ... 6 = Saturday
};

// Two start moments of the computer this close together are one running period: the
// clock may have been corrected a little between two countings.
inline constexpr double kSamePeriodTolerance = 3.0 / (24 * 60);  // days

// The result of counting at one moment.
struct Counted {
  HistoryRecord record;
  // Set when the year's total started afresh: the first day of the new year, from which
  // the statistics now count.
  std::optional<DateTime> new_from_date;
};

// Adds to `stored` the hours of the current running period not yet counted, after
// starting afresh every total whose day, week, month or year is over since the last
// counting. Hours go to the periods that contain the moment of counting.
Counted CountHistory(const HistoryRecord& stored, const CountingMoment& now);

// The record after a reset at `now`: totals 0, the current running period counted
// with none of its hours, so its whole uptime counts from here on.
HistoryRecord ResetRecord(const CountingMoment& now);

// The clock was set forward by `offset_days` (negative: back): the remembered start
// of the period moves with it, so the same period is still recognised.
void ShiftForClockChange(HistoryRecord& record, double offset_days);

// The first day (midnight) of the week holding `date`.
DateTime WeekStart(DateTime date, int first_day_of_week);

// Date-times in the locale-independent text of the new History keys:
// "yyyy-mm-dd hh:mm:ss".
std::string IsoDateTimeText(DateTime value);
std::optional<DateTime> ParseIsoDateTime(const std::string& text);

// The History keys and Parameters/FromDate through the settings file. Reading never
// fails; writing raises the settings file's write error and stops at that key.
HistoryRecord ReadHistory(const SettingsFile& file);
void WriteHistory(SettingsFile& file, const HistoryRecord& record);

}  // namespace wd::settings
