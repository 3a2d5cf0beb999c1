#include "common/local_clock.h"

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

void SetLocalClockForTesting(LocalClockFunction clock) {
  g_clock_override = clock;
}

void SetUtcClockForTesting(LocalClockFunction clock) {
  g_utc_override = clock;
}

}  // namespace wd
