#include "platform/local_clock.h"

#include <windows.h>

namespace wd::win {

DateTime LocalNow() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
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

}  // namespace wd::win
