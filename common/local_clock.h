// The computer's local date and time, and its UTC time, to the millisecond: the clock
// readers of the program (the energy figures, the time client, the dialogs), and their
// test seams.
#pragma once

#include "common/datetime.h"

namespace wd {

// The system's clock, or the one a test put in its place.
DateTime LocalNow();
// The system's own reading: GetLocalTime on Windows, the C library's local time elsewhere.
DateTime SystemLocalNow();

// The system's UTC time, or the one a test put in its place.
DateTime UtcNow();
// GetSystemTime on Windows, the C library's time elsewhere.
DateTime SystemUtcNow();

// Local time less UTC at the UTC moment `utc`, in days, to the minute, by the rules of the
// system's time zone (so a moment in summer gets the summer offset). Where a test put
// clocks in place, their difference now stands for the offset now and the zone's rules
// move it for other moments.
double LocalOffsetAt(DateTime utc);
// The system's own: SystemTimeToTzSpecificLocalTime on Windows, localtime_r elsewhere.
double SystemLocalOffsetAt(DateTime utc);

using LocalClockFunction = DateTime (*)();
// Swaps the clock LocalNow reads; null restores the system's.
void SetLocalClockForTesting(LocalClockFunction clock);
// Swaps the clock UtcNow reads; null restores the system's.
void SetUtcClockForTesting(LocalClockFunction clock);

}  // namespace wd
