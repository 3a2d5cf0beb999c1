#include "platform/window.h"

#include <windowsx.h>

#include <exception>
#include <set>

#include "common/errors.h"
#include "platform/application.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace wd::win {
namespace {

void RegisterClassOnce(const wchar_t* name, UINT style, WNDPROC proc) {
  static std::set<std::wstring> registered;
  if (registered.count(name)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hIcon = ::LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
  if (!wc.hIcon) wc.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = nullptr;        // the application-wide pointer is set on WM_SETCURSOR
  wc.hbrBackground = nullptr;  // every window paints its whole client area itself
  wc.lpszClassName = name;
  if (!::RegisterClassExW(&wc)) ThrowLastError("");
  registered.insert(name);
}

}  // namespace

Window::~Window() {
  DestroyNative();
}

void Window::DestroyNative() {
  if (!hwnd_) return;
  // Messages sent while the window is destroyed no longer reach this object.
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  ::DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

void Window::Create(const WindowParams& params) {
  RegisterClassOnce(params.class_name, params.class_style, &Window::WindowProc);
  HWND hwnd = ::CreateWindowExW(params.ex_style, params.class_name, params.caption.c_str(),
                                params.style, params.x, params.y, params.width, params.height,
                                params.parent, nullptr, ::GetModuleHandleW(nullptr), this);
  if (!hwnd) ThrowLastError("Error creating window");
}

void Window::Show() {
  if (hwnd_ && !::IsWindowVisible(hwnd_)) ::ShowWindow(hwnd_, SW_SHOW);
}

void Window::Close() {
  if (hwnd_) ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void Window::OnClose() {
  Application& app = Application::Instance();
  if (app.MainWindow() == this)
    app.Terminate();
  else
    ::ShowWindow(hwnd_, SW_HIDE);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<Window*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(hwnd, msg, wparam, lparam);
  try {
    return self->Dispatch(msg, wparam, lparam);
  } catch (const std::exception& error) {
    // The error is reported and the program goes on: the message counts as handled.
    Application::Instance().HandleException(error);
    return 0;
  }
}

LRESULT Window::Dispatch(UINT msg, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (HandleMessage(msg, wparam, lparam, result)) return result;
  return ::DefWindowProcW(hwnd_, msg, wparam, lparam);
}

bool Window::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (msg) {
    case WM_ERASEBKGND:
      result = 1;  // painted in WM_PAINT, in one go, so nothing flashes
      return true;
    case WM_PAINT: {
      PaintDc paint(hwnd_);
      OnPaint(paint.get(), paint.area());
      return true;
    }
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT) {
        Application::Instance().ApplyCursor();
        result = TRUE;
        return true;
      }
      return false;
    case WM_MOUSEMOVE:
      OnMouseMove(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      OnMouseDown(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return true;
    case WM_TIMER:
      OnTimer(wparam);
      return true;
    case WM_CLOSE:
      OnClose();
      return true;
    default:
      return false;
  }
}

Timer::Timer(HWND hwnd, UINT_PTR id, UINT interval_ms, bool enabled)
    : hwnd_(hwnd), id_(id), interval_(interval_ms) {
  SetEnabled(enabled);
}

Timer::~Timer() {
  SetEnabled(false);
}

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  if (enabled) {
    if (!::SetTimer(hwnd_, id_, interval_, nullptr)) {
      const DWORD code = ::GetLastError();
      throw wd::OSError("Not enough timers available", code);
    }
  } else {
    ::KillTimer(hwnd_, id_);
  }
  enabled_ = enabled;
}

}  // namespace wd::win
