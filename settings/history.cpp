#include "settings/history.h"

#include <cmath>
#include <cstdio>

#include "energy/settings_file.h"

namespace wd::settings {
namespace {

constexpr char kHistory[] = "History";

double DateOf(DateTime value) {
  return std::floor(value);
}

int MonthIndex(const CalendarTime& t) {
  return t.year * 12 + (t.month - 1);
}

// Whether the current running period is the one last counted: its start lies within
// the tolerance of the remembered start and the uptime has not gone backwards (a
// restart shortly after the last counting could otherwise look like the same period).
bool SamePeriod(const HistoryRecord& stored, DateTime boot_utc, double uptime_hours) {
  return stored.counted_boot_utc &&
         std::fabs(boot_utc - *stored.counted_boot_utc) <= kSamePeriodTolerance &&
         uptime_hours >= stored.counted_hours;
}

DateTime BootMoment(const CountingMoment& now) {
  return now.utc_now - static_cast<double>(now.uptime_ms) / kMsPerDay;
}

}  // namespace

DateTime WeekStart(DateTime date, int first_day_of_week) {
  const DateTime day = DateOf(date);
  const int dow = DecodeDateTime(day).day_of_week;
  return day - ((dow - first_day_of_week + 7) % 7);
}

Counted CountHistory(const HistoryRecord& stored, const CountingMoment& now) {
  Counted out;
  HistoryRecord& rec = out.record;
  rec = stored;
  HistoryTotals& t = rec.totals;

  // Only a later day, week, month or year starts a total afresh: a clock set back
  // keeps what has been counted.
  if (stored.last_counted && now.local_now > *stored.last_counted) {
    const DateTime last = *stored.last_counted;
    const CalendarTime was = DecodeDateTime(DateOf(last));
    const CalendarTime is = DecodeDateTime(DateOf(now.local_now));
    if (DateOf(now.local_now) > DateOf(last)) t.today = 0;
    if (WeekStart(now.local_now, now.first_day_of_week) > WeekStart(last, now.first_day_of_week))
      t.this_week = 0;
    if (MonthIndex(is) > MonthIndex(was)) t.this_month = 0;
    if (is.year > was.year) {
      t.this_year = 0;
      out.new_from_date = EncodeDate(is.year, 1, 1);
    }
  }

  const DateTime boot = BootMoment(now);
  const double added = SamePeriod(stored, boot, now.uptime_hours)
                           ? now.uptime_hours - stored.counted_hours
                           : now.uptime_hours;
  t.today += added;
  t.this_week += added;
  t.this_month += added;
  t.this_year += added;
  rec.counted_boot_utc = boot;
  rec.counted_hours = now.uptime_hours;
  rec.last_counted = now.local_now;
  return out;
}

HistoryRecord ResetRecord(const CountingMoment& now) {
  HistoryRecord rec;
  rec.counted_boot_utc = BootMoment(now);
  rec.counted_hours = 0;
  rec.last_counted = now.local_now;
  return rec;
}

void ShiftForClockChange(HistoryRecord& record, double offset_days) {
  if (record.counted_boot_utc) *record.counted_boot_utc += offset_days;
}

std::string IsoDateTimeText(DateTime value) {
  const CalendarTime t = DecodeDateTime(value);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

std::optional<DateTime> ParseIsoDateTime(const std::string& text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
  if (text.size() != 19 ||
      std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &y, &mo, &d, &h, &mi, &s, &used) !=
          6 ||
      used != 19)
    return std::nullopt;
  for (size_t i : {4u, 7u}) {
    if (text[i] != '-') return std::nullopt;
  }
  if (text[10] != ' ' || text[13] != ':' || text[16] != ':') return std::nullopt;
  if (!IsValidDate(y, mo, d) || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0)
    return std::nullopt;
  return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, 0);
}

HistoryRecord ReadHistory(const SettingsFile& file) {
  HistoryRecord rec;
  rec.totals.today = file.ReadFloat(kHistory, "Today", 0);
  rec.totals.this_week = file.ReadFloat(kHistory, "ThisWeek", 0);
  rec.totals.this_month = file.ReadFloat(kHistory, "ThisMonth", 0);
  rec.totals.this_year = file.ReadFloat(kHistory, "ThisYear", 0);
  rec.counted_boot_utc = ParseIsoDateTime(file.ReadText(kHistory, "CountedBoot", ""));
  rec.counted_hours = file.ReadFloat(kHistory, "CountedHours", 0);
  rec.last_counted = ParseIsoDateTime(file.ReadText(kHistory, "LastCounted", ""));
  return rec;
}

void WriteHistory(SettingsFile& file, const HistoryRecord& record) {
  file.WriteFloat(kHistory, "Today", record.totals.today);
  file.WriteFloat(kHistory, "ThisWeek", record.totals.this_week);
  file.WriteFloat(kHistory, "ThisMonth", record.totals.this_month);
  file.WriteFloat(kHistory, "ThisYear", record.totals.this_year);
  if (record.counted_boot_utc)
    file.WriteText(kHistory, "CountedBoot", IsoDateTimeText(*record.counted_boot_utc));
  file.WriteFloat(kHistory, "CountedHours", record.counted_hours);
  if (record.last_counted)
    file.WriteText(kHistory, "LastCounted", IsoDateTimeText(*record.last_counted));
}

}  // namespace wd::settings
