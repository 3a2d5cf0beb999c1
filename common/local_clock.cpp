#include "common/local_clock.h"

#include <cmath>

namespace wd {
namespace {

LocalClockFunction g_clock_override = nullptr;
LocalClockFunction g_utc_override = nullptr;

}  // namespace

DateTime LocalNow() {
  return g_clock_override ? g_clock_override() : SystemLocalNow();
}

DateTime UtcNow() {
  return g_utc_override ? g_utc_override() : SystemUtcNow();
}

double LocalOffsetAt(DateTime utc) {
  if (!g_clock_override && !g_utc_override) return SystemLocalOffsetAt(utc);
  const DateTime now = UtcNow();
  const double offset_now = std::round((LocalNow() - now) * 1440) / 1440;
  return offset_now + SystemLocalOffsetAt(utc) - SystemLocalOffsetAt(now);
}

void SetLocalClockForTesting(LocalClockFunction clock) {
  g_clock_override = clock;
}

void SetUtcClockForTesting(LocalClockFunction clock) {
  g_utc_override = clock;
}

}  // namespace wd
