// A page of the settings dialog: a child window of the page control in the colour of 3D
// light with a lowered bevel. Its controls' notifications go on to the dialog.
#pragma once

#include <windows.h>

#include "platform/window.h"

namespace wd::settings {

class Panel : public win::Window {
 public:
  Panel(HWND parent, HWND form, int id, UINT edges);

 protected:
  bool HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  void OnPaint(HDC dc, const RECT& area) override;

 private:
  HWND form_;
  UINT edges_;
};

// Mouse messages go to the system's handling in the dialog and its pages: the window base
// keeps them for the saver's exit rule.
bool MouseMessage(UINT msg);

}  // namespace wd::settings
