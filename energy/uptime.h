// How long the computer has been running, in milliseconds. The time since it started
// comes from the "System Up Time" counter of the performance data, with the system tick
// count standing in when that yields nothing. Both keep counting while the computer
// sleeps or hibernates (and Fast Startup's "shut down" is a hibernation), so the running
// time is that less the time the system spent suspended, which it keeps itself: the
// interrupt time with and without the suspended time. Every call of the functions reads
// the system afresh; UpTimeReader, for a caller that asks again and again, remembers the
// counters' titles.
#pragma once

#include <cstdint>
#include <memory>

namespace wd {

// The registry calls the performance-data reader makes, so that the reader can run over
// byte blocks as well as over HKEY_PERFORMANCE_DATA.
class PerfDataSource {
 public:
  virtual ~PerfDataSource() = default;
  // RegQueryValueExA on HKEY_PERFORMANCE_DATA: data may be null (size query); size is the
  // capacity on entry and the byte count on return. Returns the Win32 status.
  virtual long QueryValue(const char* name, uint8_t* data, uint32_t* size) = 0;
  // RegCloseKey(HKEY_PERFORMANCE_DATA).
  virtual void Close() = 0;
};

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorMoreData = 234;
inline constexpr uint32_t kPerfElapsedTime = 0x30240500;

// The performance-data reader over a given source: the uptime in milliseconds, or 0 when
// the data cannot give it. Raises ConvertError for a matching name whose index text is not
// an integer.
int64_t ReadSystemUpTime(PerfDataSource& source);

// The same over the current source (the real performance data unless a test swapped it).
int64_t ReadSystemUpTime();
// The running time: the time since the computer started (ReadSystemUpTime unless that is
// exactly 0; otherwise the tick count, widened unsigned) less the time it spent suspended.
// Where nothing was suspended it is the time since the start itself.
int64_t GetUpTimeMs();

// One reading of the uptime in its parts, for a caller that needs to know the running
// period as well as its running time (the statistics).
struct UptimeReading {
  int64_t since_start_ms = 0;  // suspended time included: only ever grows until a restart
  int64_t suspended_ms = 0;    // only ever grows until a restart
  int64_t running_ms = 0;      // what GetUpTimeMs gives
  bool operator==(const UptimeReading&) const = default;
};
UptimeReading ReadUptime();

// since_start_ms less suspended_ms; a running time is never negative, but a negative time
// since the start (odd performance data) is passed on as it is.
int64_t RunningTime(int64_t since_start_ms, int64_t suspended_ms);

// The time the system spent asleep or hibernated since it started, in milliseconds; 0
// where the system cannot tell.
int64_t SuspendedMs();

// The tick count (as GetUpTimeMs widens it) when up_time is exactly 0; else up_time.
int64_t UpTimeOrTicks(int64_t up_time);

// ReadSystemUpTime and GetUpTimeMs for a caller that reads the uptime again and again,
// as the saver does on every tick. The counters' names and indexes stay while the
// system runs, so the name list is read only until it has settled them: found (read
// again only when the System object then gives no uptime under them), or missing from
// a list read whole (as under Wine: then no query at all, and the tick count serves).
// A failed query settles nothing. A swapped source starts afresh.
class UpTimeReader {
 public:
  UpTimeReader();
  ~UpTimeReader();
  int64_t ReadSystemUpTime();
  // The running time, as ::wd::GetUpTimeMs gives it.
  int64_t GetUpTimeMs();

 private:
  struct Known;
  std::unique_ptr<Known> known_;
};

// The platform's own sources: HKEY_PERFORMANCE_DATA and GetTickCount on Windows; elsewhere
// a source that never answers and the monotonic boot clock in milliseconds, truncated to
// 32 bits like the Windows tick count.
PerfDataSource& SystemPerfDataSource();
uint32_t SystemTickCount();
// Windows: the interrupt time less the unbiased interrupt time (QueryInterruptTime where
// the system has it, else GetTickCount64), read so that nothing suspended gives exactly 0.
// Elsewhere: the boot clock less the monotonic clock.
int64_t SystemSuspendedMs();
// Windows: false makes SystemSuspendedMs take the way of systems without
// QueryInterruptTime (GetTickCount64), so that a test can run it; true restores.
void UseInterruptTimeForTesting(bool use);

using TickCountFunction = uint32_t (*)();
using SuspendedTimeFunction = int64_t (*)();
// Swaps the sources GetUpTimeMs and ReadSystemUpTime() use; null restores the real one.
void SetPerfDataSourceForTesting(PerfDataSource* source);
void SetTickCountForTesting(TickCountFunction tick_count);
void SetSuspendedTimeForTesting(SuspendedTimeFunction suspended);

}  // namespace wd
