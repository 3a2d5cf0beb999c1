// The display's power state as Windows tells it to a window: the console display state
// and the monitor power notifications, and the registration for them.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

namespace wd::saver {

// One registration for a power setting's notifications, undone when it goes.
class PowerSettingRegistration {
 public:
  PowerSettingRegistration(HWND hwnd, const GUID& setting)
      : handle_(::RegisterPowerSettingNotification(hwnd, &setting, DEVICE_NOTIFY_WINDOW_HANDLE)) {}
  PowerSettingRegistration(const PowerSettingRegistration&) = delete;
  PowerSettingRegistration& operator=(const PowerSettingRegistration&) = delete;
  ~PowerSettingRegistration() {
    if (handle_) ::UnregisterPowerSettingNotification(handle_);
  }

 private:
  HPOWERNOTIFY handle_;
};

// Registers `hwnd` for the settings that tell the display's state. Windows answers a
// registration with the current state at once (WM_POWERBROADCAST).
std::vector<std::unique_ptr<PowerSettingRegistration>> RegisterDisplayState(HWND hwnd);

// The console display's state in a WM_POWERBROADCAST power-setting change: true for on
// (or dimmed, still visible), false for off; nothing for other settings.
std::optional<bool> DisplayStateOf(const POWERBROADCAST_SETTING& setting);

}  // namespace wd::saver
