// Base of the program's windows: registers the class, routes messages to short
// virtual handlers, and turns an error escaping a handler into the application's
// error report so the program goes on.
#pragma once

#include <windows.h>

#include <string>

#include "platform/dpi.h"

namespace wd::win {

struct WindowParams {
  const wchar_t* class_name = L"WattDialWindow";
  std::wstring caption;
  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD ex_style = 0;
  int x = CW_USEDEFAULT;
  int y = CW_USEDEFAULT;
  int width = CW_USEDEFAULT;
  int height = CW_USEDEFAULT;
  HWND parent = nullptr;
  UINT class_style = CS_DBLCLKS;
};

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const { return hwnd_; }
  void Show();
  // Asks the window to close: the main window ends the program, any other is hidden.
  void Close();
  // A message for this window or its controls before the message loop dispatches it;
  // true when it was handled here (a dialog's own keyboard navigation).
  virtual bool PreTranslateMessage(const MSG& /*msg*/) { return false; }

 protected:
  void Create(const WindowParams& params);
  void DestroyNative();

  // Return true when the message was handled and `result` holds the answer.
  virtual bool HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result);

  virtual void OnPaint(HDC /*dc*/, const RECT& /*area*/) {}
  virtual void OnMouseMove(int /*x*/, int /*y*/) {}
  virtual void OnMouseDown(int /*x*/, int /*y*/) {}
  virtual void OnTimer(UINT_PTR /*id*/) {}
  virtual void OnClose();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  LRESULT Dispatch(UINT msg, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
};

// A window timer (SetTimer/KillTimer) owned by its window.
class Timer {
 public:
  Timer(HWND hwnd, UINT_PTR id, UINT interval_ms, bool enabled);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  ~Timer();

  UINT_PTR id() const { return id_; }
  UINT interval() const { return interval_; }
  bool enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

 private:
  HWND hwnd_;
  UINT_PTR id_;
  UINT interval_;
  bool enabled_ = false;
};

}  // namespace wd::win
