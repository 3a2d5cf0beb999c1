// The local and UTC clocks elsewhere: the C library's time.
#include <time.h>

#include <cmath>

#include "common/local_clock.h"

namespace wd {

namespace {

DateTime Now(bool utc) {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  if (utc) {
    gmtime_r(&ts.tv_sec, &local);
  } else {
    localtime_r(&ts.tv_sec, &local);
  }
  CalendarTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec < 60 ? local.tm_sec : 59;
  t.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
  return EncodeDateTime(t);
}

}  // namespace

double SystemLocalOffsetAt(DateTime utc) {
  constexpr DateTime kUnixEpoch = 25569;  // 1970-01-01
  const time_t at = static_cast<time_t>(std::llround((utc - kUnixEpoch) * kSecondsPerDay));
  tm local{};
  if (!localtime_r(&at, &local)) return 0;
  return std::round(local.tm_gmtoff / 60.0) / 1440;
}

DateTime SystemLocalNow() {
  return Now(false);
}

DateTime SystemUtcNow() {
  return Now(true);
}

}  // namespace wd
