#include "saver/form_main.h"

#include <algorithm>

#include "common/errors.h"
#include "platform/application.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "saver/list_file.h"

namespace wd::saver {
namespace {

// The window's colour as it is built, before its first paint.
constexpr COLORREF kTeal = RGB(0, 128, 128);
// The saver's backdrop colour.
constexpr COLORREF kBackdrop = RGB(45, 69, 0);

std::string ReadWholeFile(const std::wstring& path) {
  win::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  auto fail = [&path]() {
    const DWORD code = ::GetLastError();
    throw wd::FileOpenError("Cannot open file \"" + win::Narrow(path) + "\". " +
                            win::SystemMessage(code));
  };
  if (!file) fail();
  std::string text;
  char buffer[64 * 1024];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr)) fail();
    if (got == 0) break;
    text.append(buffer, got);
  }
  return text;
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TFormMain::TFormMain(std::wstring program_path)
    : program_path_(std::move(program_path)), color_(kTeal) {
  win::WindowParams params;
  params.class_name = L"TFormMain";
  params.caption = L"FormMain";
  params.style = WS_POPUP | WS_CLIPCHILDREN;
  params.x = 0;
  params.y = 0;
  params.width = 1024;
  params.height = 768;
  Create(params);
  win::Application& app = win::Application::Instance();
  saved_cursor_ = app.CursorShape();
  app.SetCursorShape(win::kCursorNone);
  LoadListFile();
  try {
    FormCreate();
  } catch (const std::exception& error) {
    // The window is still created; the error is reported like any other.
    app.HandleException(error);
  }
}

TFormMain::~TFormMain() {
  win::Application::Instance().SetCursorShape(saved_cursor_);
  DestroyNative();
}

void TFormMain::LoadListFile() {
  list_lines_.clear();
  const std::wstring path = ListFilePath(program_path_);
  if (FileExists(path)) list_lines_ = SplitLines(ReadWholeFile(path));
}

void TFormMain::FormCreate() {}

void TFormMain::FormPaint() {
  color_ = kBackdrop;
}

void TFormMain::FormMouseMove(int x, int y) {
  if (exit_rule_.OnMove(x, y)) win::Application::Instance().Terminate();
}

void TFormMain::FormMouseDown() {
  Close();
}

void TFormMain::OnPaint(HDC dc, const RECT& area) {
  FormPaint();
  win::GdiObject brush(::CreateSolidBrush(color_));
  ::FillRect(dc, &area, static_cast<HBRUSH>(brush.get()));
}

bool TFormMain::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (msg == WM_GETMINMAXINFO) {
    // Maximised, a borderless window covers its whole monitor, not only the work area.
    auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoW(::MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST), &monitor)) {
      // The maximised position is relative to the monitor's work area.
      info->ptMaxPosition.x = monitor.rcMonitor.left - monitor.rcWork.left;
      info->ptMaxPosition.y = monitor.rcMonitor.top - monitor.rcWork.top;
      info->ptMaxSize.x = monitor.rcMonitor.right - monitor.rcMonitor.left;
      info->ptMaxSize.y = monitor.rcMonitor.bottom - monitor.rcMonitor.top;
    }
    result = 0;
    return true;
  }
  return Window::HandleMessage(msg, wparam, lparam, result);
}

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
