#include "settings/panel.h"

namespace wd::settings {

bool MouseMessage(UINT msg) {
  return msg == WM_MOUSEMOVE || msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN ||
         msg == WM_MBUTTONDOWN;
}

Panel::Panel(HWND parent, HWND form, int id, UINT edges) : form_(form), edges_(edges) {
  win::WindowParams params;
  params.class_name = L"WattDialPanel";
  params.style = WS_CHILD | WS_CLIPSIBLINGS;
  params.ex_style = WS_EX_CONTROLPARENT;
  params.x = params.y = 0;
  params.width = params.height = 10;
  params.parent = parent;
  Create(params);
  ::SetWindowLongPtrW(hwnd(), GWLP_ID, id);
}

bool Panel::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (MouseMessage(msg)) return false;
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      result = ::SendMessageW(form_, msg, wparam, lparam);
      return true;
    default:
      return win::Window::HandleMessage(msg, wparam, lparam, result);
  }
}

void Panel::OnPaint(HDC dc, const RECT&) {
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_3DLIGHT));
  ::DrawEdge(dc, &rc, edges_, BF_RECT);
}

}  // namespace wd::settings
