// Calendar fields to and from Windows' SYSTEMTIME. Windows only.
#pragma once

#include <windows.h>

#include "common/datetime.h"

namespace wd {

inline SYSTEMTIME ToSystemTime(const CalendarTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDayOfWeek = static_cast<WORD>(t.day_of_week);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  st.wMilliseconds = static_cast<WORD>(t.millisecond);
  return st;
}

inline DateTime FromSystemTime(const SYSTEMTIME& st) {
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

}  // namespace wd
