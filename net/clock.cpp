#include "net/clock.h"

#include <windows.h>
#include <bcrypt.h>

#include <string>

#include "common/errors.h"
#include "platform/local_clock.h"

namespace wd::net {
namespace {

// The process token, closed when done with.
class TokenHandle {
 public:
  TokenHandle() = default;
  ~TokenHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  TokenHandle(const TokenHandle&) = delete;
  TokenHandle& operator=(const TokenHandle&) = delete;
  HANDLE* out() { return &handle_; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message =
      n > 0 ? std::string(text, n) : "System Error.  Code: " + std::to_string(code);
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == '.' || message.back() == ' ')) {
    message.pop_back();
  }
  return message;
}

bool SetSystemLocalTime(const CalendarTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDayOfWeek = static_cast<WORD>(t.day_of_week);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  st.wMilliseconds = static_cast<WORD>(t.millisecond);
  return ::SetLocalTime(&st) != FALSE;
}

}  // namespace

double LocalUtcBias() {
  TIME_ZONE_INFORMATION tz{};
  const DWORD id = GetTimeZoneInformation(&tz);
  const auto bias = UtcBiasFromZoneInfo(id, tz.Bias, tz.StandardBias, tz.DaylightBias);
  if (!bias) {
    const DWORD code = GetLastError();
    throw OSError(SystemMessage(code), code);
  }
  return *bias;
}

NtpTimestamp EncodeNtpTimestamp(DateTime local) {
  return EncodeNtpTimestamp(local, LocalUtcBias());
}

DateTime DecodeNtpTimestamp(std::uint32_t seconds, std::uint32_t fraction) {
  return DecodeNtpTimestamp(seconds, fraction, LocalUtcBias());
}

DateTime ReadLocalClock() {
  return win::LocalNow();
}

bool SetLocalClockVia(DateTime local, const std::function<bool(const CalendarTime&)>& set_time) {
  // Every Windows this program runs on is of the NT family, where setting the clock
  // needs the system-time privilege enabled in the process token.
  TokenHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.out())) {
    return false;
  }
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
  return SetLocalClockVia(local, SetSystemLocalTime);
}

std::uint32_t SystemRandom32() {
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

}  // namespace wd::net
