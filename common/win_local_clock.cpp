// The local and UTC clocks of Windows.
#include <windows.h>

#include <cmath>

#include "common/local_clock.h"

namespace wd {

namespace {

DateTime FromSystemTime(const SYSTEMTIME& st) {
  CalendarTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.day_of_week = st.wDayOfWeek;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.millisecond = st.wMilliseconds;
  return EncodeDateTime(t);
}

}  // namespace

double SystemLocalOffsetAt(DateTime utc) {
  const CalendarTime t = DecodeDateTime(utc);
  SYSTEMTIME at{};
  at.wYear = static_cast<WORD>(t.year);
  at.wMonth = static_cast<WORD>(t.month);
  at.wDay = static_cast<WORD>(t.day);
  at.wDayOfWeek = static_cast<WORD>(t.day_of_week);
  at.wHour = static_cast<WORD>(t.hour);
  at.wMinute = static_cast<WORD>(t.minute);
  at.wSecond = static_cast<WORD>(t.second);
  SYSTEMTIME local{};
  if (t.year < 1601 || !::SystemTimeToTzSpecificLocalTime(nullptr, &at, &local)) {
    return std::round((SystemLocalNow() - SystemUtcNow()) * 1440) / 1440;
  }
  return std::round((FromSystemTime(local) - FromSystemTime(at)) * 1440) / 1440;
}

DateTime SystemLocalNow() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  return FromSystemTime(st);
}

DateTime SystemUtcNow() {
  SYSTEMTIME st;
  ::GetSystemTime(&st);
  return FromSystemTime(st);
}

}  // namespace wd
