#include "common/local_clock.h"

namespace wd {
namespace {

LocalClockFunction g_clock_override = nullptr;

}  // namespace

DateTime LocalNow() {
  return g_clock_override ? g_clock_override() : SystemLocalNow();
}

void SetLocalClockForTesting(LocalClockFunction clock) {
  g_clock_override = clock;
}

}  // namespace wd
