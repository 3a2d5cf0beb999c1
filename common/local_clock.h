// The computer's local date and time, to the millisecond: the one clock reader of the
// program (the energy figures, the time client, the dialogs), and its test seam.
#pragma once

#include "common/datetime.h"

namespace wd {

// The system's clock, or the one a test put in its place.
DateTime LocalNow();
// The system's own reading: GetLocalTime on Windows, the C library's local time elsewhere.
DateTime SystemLocalNow();

using LocalClockFunction = DateTime (*)();
// Swaps the clock LocalNow reads; null restores the system's.
void SetLocalClockForTesting(LocalClockFunction clock);

}  // namespace wd
