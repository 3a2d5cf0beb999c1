// The performance data of HKEY_PERFORMANCE_DATA and the system tick count.
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

}  // namespace wd
