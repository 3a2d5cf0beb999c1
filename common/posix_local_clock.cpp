// The local and UTC clocks elsewhere: the C library's time.
#include <time.h>

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

DateTime SystemLocalNow() {
  return Now(false);
}

DateTime SystemUtcNow() {
  return Now(true);
}

}  // namespace wd
