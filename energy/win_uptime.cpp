// The performance data of HKEY_PERFORMANCE_DATA, the system tick count and the time the
// system spent suspended.
#include <windows.h>

#include "energy/uptime.h"

namespace wd {
namespace {

class RegistryPerfData final : public PerfDataSource {
 public:
  long QueryValue(const char* name, uint8_t* data, uint32_t* size) override {
    DWORD count = *size;
    const LONG status =
        RegQueryValueExA(HKEY_PERFORMANCE_DATA, name, nullptr, nullptr, data, &count);
    *size = count;
    return status;
  }
  void Close() override { RegCloseKey(HKEY_PERFORMANCE_DATA); }
};

}  // namespace

PerfDataSource& SystemPerfDataSource() {
  static RegistryPerfData source;
  return source;
}

uint32_t SystemTickCount() {
  return GetTickCount();
}

// Both interrupt times count in 100 ns from the start; the unbiased one leaves out the
// time spent asleep or hibernated. The biased one is read before and after the unbiased
// one, and the reading kept only when no clock tick came between, so that a system that
// was never suspended gives exactly 0. Windows 7 and 8 lack QueryInterruptTime: there
// GetTickCount64, which also counts the suspended time, stands in, to the nearest tick.
namespace {
bool g_use_interrupt_time = true;
}  // namespace

void UseInterruptTimeForTesting(bool use) {
  g_use_interrupt_time = use;
}

int64_t SystemSuspendedMs() {
  using QueryInterruptTimeFunction = VOID(WINAPI*)(PULONGLONG);
  static const auto found_interrupt_time = [] {
    for (const wchar_t* dll : {L"kernel32.dll", L"kernelbase.dll"}) {
      if (HMODULE module = GetModuleHandleW(dll)) {
        if (FARPROC found = GetProcAddress(module, "QueryInterruptTime"))
          return reinterpret_cast<QueryInterruptTimeFunction>(reinterpret_cast<void*>(found));
      }
    }
    return static_cast<QueryInterruptTimeFunction>(nullptr);
  }();
  const auto query_interrupt_time = g_use_interrupt_time ? found_interrupt_time : nullptr;
  ULONGLONG unbiased = 0;
  if (query_interrupt_time) {
    for (int attempt = 0; attempt < 4; ++attempt) {
      ULONGLONG before = 0, after = 0;
      query_interrupt_time(&before);
      if (!QueryUnbiasedInterruptTime(&unbiased)) return 0;
      query_interrupt_time(&after);
      if (before == after || attempt == 3) {
        return before > unbiased ? static_cast<int64_t>((before - unbiased) / 10000) : 0;
      }
    }
    return 0;
  }
  const ULONGLONG ticks = GetTickCount64();
  if (!QueryUnbiasedInterruptTime(&unbiased)) return 0;
  const ULONGLONG unbiased_ms = unbiased / 10000;
  // The tick count moves in steps of a clock tick (about 16 ms): less than that apart
  // is nothing suspended.
  constexpr ULONGLONG kTickSlack = 32;
  return ticks > unbiased_ms + kTickSlack ? static_cast<int64_t>(ticks - unbiased_ms) : 0;
}

}  // namespace wd
