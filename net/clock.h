// The computer's clock and time zone as the time client uses them, and the random
// bits of its requests. Each system source has its test seam: Set...ForTesting puts a
// function in its place, an empty one restores the system's. The local clock itself
// is common/local_clock.h.
#pragma once

#include <cstdint>
#include <functional>

#include "common/datetime.h"
#include "net/ntp.h"

namespace wd::net {

// UTC minus local time in days, as the system reports it now (standard or daylight
// bias included). Raises OSError with the system's message when the report fails.
double LocalUtcBias();
void SetUtcBiasForTesting(std::function<double()> bias);

// NTP timestamps converted with the bias in force at the moment of the call.
NtpTimestamp EncodeNtpTimestamp(DateTime local);
DateTime DecodeNtpTimestamp(std::uint32_t seconds, std::uint32_t fraction);

// Sets the computer's local time (rounded to the millisecond), enabling the
// system-time privilege of the process token for the call and restoring it after.
// False when the token or privilege cannot be had or the system refuses the time.
bool SetLocalClock(DateTime local);
// Puts a recorder in place of the whole setting (tests never set the computer's clock).
void SetClockSetterForTesting(std::function<bool(DateTime)> set);
// The same as SetLocalClock, with the final call that sets the time replaced by
// `set_time` (given the calendar fields; returns whether the time was taken).
bool SetLocalClockVia(DateTime local, const std::function<bool(const CalendarTime&)>& set_time);

// 32 bits from the system's random number generator.
std::uint32_t SystemRandom32();
void SetRandomForTesting(std::function<std::uint32_t()> random);

}  // namespace wd::net
