// The computer's local clock, to the millisecond, as a date-time.
#pragma once

#include "common/datetime.h"

namespace wd::win {

DateTime LocalNow();

}  // namespace wd::win
