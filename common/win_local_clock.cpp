// The local and UTC clocks of Windows.
#include <windows.h>

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
