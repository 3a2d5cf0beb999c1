#include "common/datetime.h"

#include <cmath>
#include <cstdio>

namespace wd {
namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// 1899-12-30 counted from 1970-01-01.
constexpr int64_t kOriginFromUnixDays = -25569;

}  // namespace

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2) {
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 29 : 28;
  }
  return kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

DateTime EncodeDate(int year, int month, int day) {
  return static_cast<double>(DaysFromCivil(year, month, day) - kOriginFromUnixDays);
}

DateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMsPerDay;
}

CalendarTime DecodeDateTime(DateTime value) {
  // Whole milliseconds of the value, rounding the time of day to the nearest one.
  double days = std::trunc(value);
  int64_t ms = std::llround(std::fabs(value - days) * kMsPerDay);
  if (ms >= static_cast<int64_t>(kMsPerDay)) {
    ms -= static_cast<int64_t>(kMsPerDay);
    days += value < 0 ? -1 : 1;
  }
  CalendarTime t;
  const int64_t day_number = static_cast<int64_t>(days);
  CivilFromDays(day_number + kOriginFromUnixDays, t.year, t.month, t.day);
  // 1899-12-30 was a Saturday.
  t.day_of_week = static_cast<int>(((day_number % 7) + 7 + 6) % 7);
  t.millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  t.second = static_cast<int>(ms % 60);
  ms /= 60;
  t.minute = static_cast<int>(ms % 60);
  t.hour = static_cast<int>(ms / 60);
  return t;
}

DateTime EncodeDateTime(const CalendarTime& t) {
  const DateTime date = EncodeDate(t.year, t.month, t.day);
  const DateTime time = EncodeTime(t.hour, t.minute, t.second, t.millisecond);
  return date >= 0 ? date + time : date - time;
}

std::string IsoDateTimeText(DateTime value, bool with_milliseconds) {
  const CalendarTime t = DecodeDateTime(value);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  std::string out = text;
  if (with_milliseconds) {
    std::snprintf(text, sizeof text, ".%03d", t.millisecond);
    out += text;
  }
  return out;
}

std::optional<DateTime> ParseIsoDateTime(const std::string& text) {
  if (text.size() != 19 && text.size() != 23) return std::nullopt;
  // Fixed places: digits where digits belong, the separators between them.
  const std::string shape = text.size() == 19 ? "dddd-dd-dd dd:dd:dd" : "dddd-dd-dd dd:dd:dd.ddd";
  int fields[7] = {};
  int field = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (shape[i] == 'd') {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      fields[field] = fields[field] * 10 + (text[i] - '0');
    } else {
      if (text[i] != shape[i]) return std::nullopt;
      ++field;
    }
  }
  const int y = fields[0], mo = fields[1], d = fields[2], h = fields[3], mi = fields[4],
            sec = fields[5], ms = fields[6];
  if (!IsValidDate(y, mo, d) || h > 23 || mi > 59 || sec > 59) return std::nullopt;
  return EncodeDate(y, mo, d) + EncodeTime(h, mi, sec, ms);
}

}  // namespace wd
