#include "net/clock.h"

#include <windows.h>
#include <bcrypt.h>

#include <utility>

#include "common/win_system_time.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace wd::net {
namespace {

std::function<double()> g_bias_override;
std::function<bool(DateTime)> g_setter_override;
std::function<std::uint32_t()> g_random_override;

bool SetSystemLocalTime(const CalendarTime& t) {
  const SYSTEMTIME st = ToSystemTime(t);
  return ::SetLocalTime(&st) != FALSE;
}

}  // namespace

double LocalUtcBias() {
  if (g_bias_override) return g_bias_override();
  TIME_ZONE_INFORMATION tz{};
  const DWORD id = GetTimeZoneInformation(&tz);
  const auto bias = UtcBiasFromZoneInfo(id, tz.Bias, tz.StandardBias, tz.DaylightBias);
  if (!bias) win::ThrowLastError("");
  return *bias;
}

void SetUtcBiasForTesting(std::function<double()> bias) {
  g_bias_override = std::move(bias);
}

NtpTimestamp EncodeNtpTimestamp(DateTime local) {
  return EncodeNtpTimestamp(local, LocalUtcBias());
}

DateTime DecodeNtpTimestamp(std::uint32_t seconds, std::uint32_t fraction) {
  return DecodeNtpTimestamp(seconds, fraction, LocalUtcBias());
}

bool SetLocalClockVia(DateTime local, const std::function<bool(const CalendarTime&)>& set_time) {
  // Every Windows this program runs on is of the NT family, where setting the clock
  // needs the system-time privilege enabled in the process token.
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) {
    return false;
  }
  const win::KernelHandle token(opened);
  TOKEN_PRIVILEGES wanted{};
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueA(nullptr, "SeSystemtimePrivilege", &wanted.Privileges[0].Luid)) {
    return false;
  }
  TOKEN_PRIVILEGES previous{};
  DWORD previous_size = 0;
  if (!AdjustTokenPrivileges(token.get(), FALSE, &wanted, sizeof previous, &previous,
                             &previous_size)) {
    return false;
  }
  // Back to the state the token had, however the setting ends; nothing to do if that fails.
  struct Restore {
    HANDLE token;
    TOKEN_PRIVILEGES* state;
    ~Restore() { AdjustTokenPrivileges(token, FALSE, state, 0, nullptr, nullptr); }
  } restore{token.get(), &previous};
  return set_time(DecodeDateTime(local));
}

bool SetLocalClock(DateTime local) {
  if (g_setter_override) return g_setter_override(local);
  return SetLocalClockVia(local, SetSystemLocalTime);
}

void SetClockSetterForTesting(std::function<bool(DateTime)> set) {
  g_setter_override = std::move(set);
}

std::uint32_t SystemRandom32() {
  if (g_random_override) return g_random_override();
  std::uint32_t value = 0;
  if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&value), sizeof value,
                                      BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
    // Without the generator, the performance counter's low bits are the best at hand.
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    value = static_cast<std::uint32_t>(counter.QuadPart * 2654435761u);
  }
  return value;
}

void SetRandomForTesting(std::function<std::uint32_t()> random) {
  g_random_override = std::move(random);
}

}  // namespace wd::net
