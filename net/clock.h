// The computer's local clock and time zone, as the time client uses them.
#pragma once

#include <cstdint>
#include <functional>

#include "common/datetime.h"
#include "net/ntp.h"

namespace wd::net {

// UTC minus local time in days, as the system reports it now (standard or daylight
// bias included). Raises OSError with the system's message when the report fails.
double LocalUtcBias();

// NTP timestamps converted with the bias in force at the moment of the call.
NtpTimestamp EncodeNtpTimestamp(DateTime local);
DateTime DecodeNtpTimestamp(std::uint32_t seconds, std::uint32_t fraction);

// The local wall-clock time to the millisecond.
DateTime ReadLocalClock();

// Sets the computer's local time (rounded to the millisecond), enabling the
// system-time privilege of the process token for the call and restoring it after.
// False when the token or privilege cannot be had or the system refuses the time.
bool SetLocalClock(DateTime local);
// The same, with the final call that sets the time replaced by `set_time` (given
// the calendar fields; returns whether the time was taken).
bool SetLocalClockVia(DateTime local, const std::function<bool(const CalendarTime&)>& set_time);

// 32 bits from the system's random number generator.
std::uint32_t SystemRandom32();

}  // namespace wd::net
