#include "settings/history.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "energy/calculate.h"
#include "energy/settings_file.h"

namespace wd::settings {
namespace {

constexpr char kHistory[] = "History";
constexpr double kMsPerHour = 3600000.0;

double DateOf(DateTime value) {
  return std::floor(value);
}

int MonthIndex(const CalendarTime& t) {
  return t.year * 12 + (t.month - 1);
}

// The moment the computer started, by the clock of `now`.
DateTime StartMoment(const CountingMoment& now) {
  return now.utc_now - static_cast<double>(now.uptime.since_start_ms) / kMsPerDay;
}

// Starts afresh every total whose day, week, month or year is over between `last` and
// `at` (at >= last). Returns the first day of a new year.
std::optional<DateTime> StartOverEnded(HistoryTotals& t, DateTime last, DateTime at,
                                       int first_day_of_week) {
  if (!(at > last)) return std::nullopt;
  const CalendarTime was = DecodeDateTime(DateOf(last));
  const CalendarTime is = DecodeDateTime(DateOf(at));
  if (DateOf(at) > DateOf(last)) t.today = 0;
  if (WeekStart(at, first_day_of_week) > WeekStart(last, first_day_of_week)) t.this_week = 0;
  if (MonthIndex(is) > MonthIndex(was)) t.this_month = 0;
  if (is.year > was.year) {
    t.this_year = 0;
    return EncodeDate(is.year, 1, 1);
  }
  return std::nullopt;
}

// Adds `hours`, taken as the latest running hours up to `at`, to each total as far as
// they fall in its period (which starts at `period_start`); a total never holds more
// than its period has had hours so far.
void Credit(double& total, double hours, DateTime at, DateTime period_start) {
  const DateTime from = at - hours / 24;
  const double since_start = (at - period_start) * 24;
  total += from >= period_start ? hours : std::max(0.0, since_start);
  // One rounding step of the hours (0.001) is not a fault; more is impossible.
  if (total > since_start + 0.001) total = std::max(0.0, RoundFigure(since_start));
}

std::optional<std::int64_t> ParseWhole(const std::string& text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return text[0] == '-' ? -value : value;
}

// CountedHours of the version before, written with the decimal separator of its day:
// read with the user's, or failing that with either of '.' and ','.
std::optional<double> ReadOldCountedHours(const SettingsFile& file) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double read = file.ReadFloat(kHistory, "CountedHours", nan);
  if (!std::isnan(read)) return read;
  std::string text = file.ReadText(kHistory, "CountedHours", "");
  std::replace(text.begin(), text.end(), ',', '.');
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<PeriodMark> ReadPeriod(const SettingsFile& file) {
  const auto at = ParseIsoDateTime(file.ReadText(kHistory, "CountedAt", ""));
  const auto since_start = ParseWhole(file.ReadText(kHistory, "CountedSinceStart", ""));
  const auto suspended = ParseWhole(file.ReadText(kHistory, "CountedSuspended", ""));
  const auto counted = ParseWhole(file.ReadText(kHistory, "CountedRunning", ""));
  if (since_start && suspended && counted)
    return PeriodMark{at, *since_start, *suspended, *counted};
  // The version before kept the start of the period (UTC) and the hours of it counted,
  // which were its uptime then, sleep included.
  const auto boot = ParseIsoDateTime(file.ReadText(kHistory, "CountedBoot", ""));
  const auto hours = ReadOldCountedHours(file);
  if (!boot || !hours || *hours < 0) return std::nullopt;
  const auto ms = static_cast<std::int64_t>(std::llround(*hours * kMsPerHour));
  return PeriodMark{*boot + *hours / 24, ms, 0, ms};
}

}  // namespace

DateTime WeekStart(DateTime date, int first_day_of_week) {
  const DateTime day = DateOf(date);
  const int dow = DecodeDateTime(day).day_of_week;
  return day - ((dow - first_day_of_week + 7) % 7);
}

bool SamePeriod(const PeriodMark& mark, const CountingMoment& now) {
  // Both only ever grow while the computer runs: less than before is a restart.
  if (now.uptime.since_start_ms < mark.since_start_ms) return false;
  if (now.uptime.suspended_ms < mark.suspended_ms) return false;
  // Otherwise the clock has to tell, where it can: a computer that started after the
  // last counting runs a new period. A clock set back never makes the same period look
  // new.
  return !mark.utc || !(StartMoment(now) > *mark.utc);
}

Counted CountHistory(const HistoryRecord& stored, const CountingMoment& now) {
  Counted out;
  HistoryRecord& rec = out.record;
  rec = stored;
  HistoryTotals& t = rec.totals;

  // The moment of counting never goes back: a clock earlier than the last counting adds
  // its hours to the totals as they are and starts nothing afresh.
  const DateTime last = stored.last_counted.value_or(now.local_now);
  const DateTime at = std::max(now.local_now, last);
  const bool clock_behind = now.local_now < last || (stored.period && stored.period->utc &&
                                                     now.utc_now < *stored.period->utc);
  out.new_from_date = StartOverEnded(t, last, at, now.first_day_of_week);

  const double running = UptimeToHours(now.uptime.running_ms);
  double added = running;
  if (stored.period && SamePeriod(*stored.period, now)) {
    added = std::max(0.0, running - UptimeToHours(stored.period->counted_ms));
  }
  const CalendarTime day = DecodeDateTime(DateOf(at));
  Credit(t.today, added, at, DateOf(at));
  Credit(t.this_week, added, at, WeekStart(at, now.first_day_of_week));
  Credit(t.this_month, added, at, EncodeDate(day.year, day.month, 1));
  Credit(t.this_year, added, at, EncodeDate(day.year, 1, 1));

  rec.period =
      PeriodMark{clock_behind ? std::nullopt : std::optional<DateTime>(now.utc_now),
                 now.uptime.since_start_ms, now.uptime.suspended_ms, now.uptime.running_ms};
  rec.last_counted = at;
  return out;
}

HistoryRecord ResetRecord(const CountingMoment& now) {
  HistoryRecord rec;
  rec.period = PeriodMark{now.utc_now, now.uptime.since_start_ms, now.uptime.suspended_ms, 0};
  rec.last_counted = now.local_now;
  return rec;
}

void ShiftForClockChange(HistoryRecord& record, double offset_days) {
  if (record.period && record.period->utc) *record.period->utc += offset_days;
}

HistoryRecord ReadHistory(const SettingsFile& file) {
  HistoryRecord rec;
  rec.totals.today = file.ReadFloat(kHistory, "Today", 0);
  rec.totals.this_week = file.ReadFloat(kHistory, "ThisWeek", 0);
  rec.totals.this_month = file.ReadFloat(kHistory, "ThisMonth", 0);
  rec.totals.this_year = file.ReadFloat(kHistory, "ThisYear", 0);
  rec.period = ReadPeriod(file);
  rec.last_counted = ReadLastCounting(file);
  return rec;
}

void WriteHistory(SettingsFile& file, const HistoryRecord& record) {
  file.WriteFloat(kHistory, "Today", record.totals.today);
  file.WriteFloat(kHistory, "ThisWeek", record.totals.this_week);
  file.WriteFloat(kHistory, "ThisMonth", record.totals.this_month);
  file.WriteFloat(kHistory, "ThisYear", record.totals.this_year);
  if (record.last_counted)
    file.WriteText(kHistory, "LastCounted", IsoDateTimeText(*record.last_counted));
  if (record.period) {
    const PeriodMark& p = *record.period;
    // Written empty when unknown, so that no earlier moment stays behind.
    file.WriteText(kHistory, "CountedAt", p.utc ? IsoDateTimeText(*p.utc, true) : "");
    file.WriteText(kHistory, "CountedSinceStart", std::to_string(p.since_start_ms));
    file.WriteText(kHistory, "CountedSuspended", std::to_string(p.suspended_ms));
    file.WriteText(kHistory, "CountedRunning", std::to_string(p.counted_ms));
  }
}

}  // namespace wd::settings
