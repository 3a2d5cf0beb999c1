// Date-time values: days since 30 December 1899 as a double, the fraction being
// the time of day (the OLE automation date). Negative values count days before the
// origin; their fraction still gives the time of day, taken as an absolute value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace wd {

using DateTime = double;

inline constexpr double kMsPerDay = 86400000.0;
inline constexpr double kSecondsPerDay = 86400.0;

struct CalendarTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int day_of_week = 6;  // 0 = Sunday
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// True for a valid Gregorian date in years 1..9999.
bool IsValidDate(int year, int month, int day);
// The date at midnight; the date must be valid.
DateTime EncodeDate(int year, int month, int day);
// Hour 0..23, minute and second 0..59, millisecond 0..999: the fraction of a day.
DateTime EncodeTime(int hour, int minute, int second, int millisecond);
// Date and time fields with the time rounded to the nearest millisecond.
CalendarTime DecodeDateTime(DateTime value);
// Calendar fields back to a date-time (date and time of day combined).
DateTime EncodeDateTime(const CalendarTime& t);

int DaysInMonth(int year, int month);

// Date-times as text that no locale changes: "yyyy-mm-dd hh:mm:ss", with ".zzz"
// milliseconds when asked. The reader takes both forms and nothing else.
std::string IsoDateTimeText(DateTime value, bool with_milliseconds = false);
std::optional<DateTime> ParseIsoDateTime(const std::string& text);

}  // namespace wd
