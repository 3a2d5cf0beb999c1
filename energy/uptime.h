// How long the computer has been running, in milliseconds. The primary source is the
// "System Up Time" counter of the performance data; the system tick count stands in
// when that yields nothing. Every call of the functions reads the system afresh;
// UpTimeReader, for a caller that asks again and again, remembers the counters' titles.
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
// ReadSystemUpTime unless that is exactly 0; otherwise the tick count, widened unsigned.
int64_t GetUpTimeMs();

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

using TickCountFunction = uint32_t (*)();
// Swaps the sources GetUpTimeMs and ReadSystemUpTime() use; null restores the real one.
void SetPerfDataSourceForTesting(PerfDataSource* source);
void SetTickCountForTesting(TickCountFunction tick_count);

}  // namespace wd
