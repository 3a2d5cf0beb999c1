// The body of the bench's window programs: builds their windows, runs the message loop
// until the window closes, and shows an error in a box (exit code 1).
#pragma once

#include <windows.h>

#include <exception>

#include "platform/text.h"
#include "platform/window.h"

namespace wd::bench {

// A bench window that ends the program on a click, a key or a close.
class QuitOnInputWindow : public win::Window {
 protected:
  void OnMouseDown(int, int) override { ::PostQuitMessage(0); }
  bool HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    if (msg == WM_KEYDOWN || msg == WM_CLOSE) {
      ::PostQuitMessage(0);
      result = 0;
      return true;
    }
    return Window::HandleMessage(msg, wparam, lparam, result);
  }
};

template <typename MakeWindows>
int RunWindowProgram(const wchar_t* name, MakeWindows make_windows) {
  try {
    auto windows = make_windows();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  } catch (const std::exception& error) {
    ::MessageBoxW(nullptr, win::Widen(error.what()).c_str(), name, MB_ICONERROR);
    return 1;
  }
  return 0;
}

}  // namespace wd::bench
