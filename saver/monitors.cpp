#include "saver/monitors.h"

#include <windows.h>

#include <memory>

#include "platform/application.h"
#include "saver/form_main.h"

namespace wd::saver {

std::vector<MonitorRect> SystemMonitors() {
  std::vector<MonitorRect> monitors;
  ::EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        if (::GetMonitorInfoW(monitor, &info)) {
          auto* list = reinterpret_cast<std::vector<MonitorRect>*>(data);
          const MonitorRect rect{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                                 info.rcMonitor.bottom};
          if (info.dwFlags & MONITORINFOF_PRIMARY)
            list->insert(list->begin(), rect);
          else
            list->push_back(rect);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

void RunSaver(const std::vector<MonitorRect>& monitors, const std::wstring& program_path) {
  win::Application& app = win::Application::Instance();
  for (const MonitorRect& monitor : monitors) {
    auto form = std::make_unique<TFormMain>(program_path);
    HWND hwnd = form->hwnd();
    FormMain = form.get();
    app.Add(std::move(form));
    // Only the left edge is taken from the monitor; the top edge stays where it is.
    RECT rect;
    ::GetWindowRect(hwnd, &rect);
    ::SetWindowPos(hwnd, nullptr, monitor.left, rect.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The first ShowWindow of a process may take the starting program's show command
    // instead of ours, so the state is asked for until it holds.
    ::ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    if (!::IsZoomed(hwnd)) ::ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  }
}

}  // namespace wd::saver
