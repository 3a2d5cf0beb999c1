// The saver across the display monitors: one saver window on each.
#pragma once

#include <string>
#include <vector>

namespace wd::saver {

// A monitor's rectangle in virtual-screen coordinates.
struct MonitorRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The display monitors, the primary one first.
std::vector<MonitorRect> SystemMonitors();

// Saver mode: one TFormMain per monitor, moved to that monitor's left edge and
// maximised. The first becomes the application's main window.
void RunSaver(const std::vector<MonitorRect>& monitors, const std::wstring& program_path);

}  // namespace wd::saver
