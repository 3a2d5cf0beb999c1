// The local and UTC clocks of Windows.
#include <windows.h>

#include <cmath>

#include "common/local_clock.h"
#include "common/win_system_time.h"

namespace wd {

double SystemLocalOffsetAt(DateTime utc) {
  CalendarTime t = DecodeDateTime(utc);
  t.millisecond = 0;
  const SYSTEMTIME at = ToSystemTime(t);
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
