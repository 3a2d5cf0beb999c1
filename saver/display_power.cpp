#include "saver/display_power.h"

#include <cstring>

namespace wd::saver {
namespace {

// The power settings whose changes tell the display's state.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kMonitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

}  // namespace

std::vector<std::unique_ptr<PowerSettingRegistration>> RegisterDisplayState(HWND hwnd) {
  std::vector<std::unique_ptr<PowerSettingRegistration>> registrations;
  for (const GUID& setting : {kConsoleDisplayState, kMonitorPowerOn})
    registrations.push_back(std::make_unique<PowerSettingRegistration>(hwnd, setting));
  return registrations;
}

std::optional<bool> DisplayStateOf(const POWERBROADCAST_SETTING& setting) {
  if (setting.DataLength < sizeof(DWORD)) return std::nullopt;
  DWORD value;
  std::memcpy(&value, setting.Data, sizeof value);
  if (::IsEqualGUID(setting.PowerSetting, kConsoleDisplayState) ||
      ::IsEqualGUID(setting.PowerSetting, kMonitorPowerOn))
    return value != 0;  // 0 off; 1 on; 2 (console state only) dimmed, still seen
  return std::nullopt;
}

}  // namespace wd::saver
