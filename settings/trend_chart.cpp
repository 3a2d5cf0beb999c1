#include "settings/trend_chart.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <string>

#include "common/datetime.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace wd::settings {
namespace {

LRESULT CALLBACK ChartProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TrendChart));
  }
  TrendChart* chart = TrendChart::Of(hwnd);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    delete chart;
    return ::DefWindowProcW(hwnd, msg, wparam, lparam);
  }
  return chart ? chart->Handle(hwnd, msg, wparam, lparam)
               : ::DefWindowProcW(hwnd, msg, wparam, lparam);
}

std::wstring MonthDay(int day) {
  const CalendarTime t = DecodeDateTime(day);
  return std::to_wstring(t.month) + L"/" + std::to_wstring(t.day);
}

SIZE TextSize(HDC dc, const std::wstring& text) {
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

}  // namespace

void RegisterTrendChart() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ChartProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kTrendChartClass;
    return ::RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

TrendChart* TrendChart::Of(HWND hwnd) {
  wchar_t name[32] = {};
  if (!hwnd || !::GetClassNameW(hwnd, name, 32) || std::wstring(name) != kTrendChartClass)
    return nullptr;
  return reinterpret_cast<TrendChart*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void TrendChart::SetBars(std::vector<TrendBar> bars, const FormatSettings& fs) {
  const int day = selected_ >= 0 && selected_ < static_cast<int>(bars_.size())
                      ? bars_[static_cast<size_t>(selected_)].day
                      : 0;
  if (bars == bars_) return;
  bars_ = std::move(bars);
  selected_ = static_cast<int>(bars_.size()) - 1;
  for (size_t i = 0; i < bars_.size(); ++i) {
    if (bars_[i].day == day) selected_ = static_cast<int>(i);
  }
  if (hwnd_) {
    ::SetWindowTextW(hwnd_, (caption_ + L"：" + win::Widen(TrendText(bars_, fs))).c_str());
    ::InvalidateRect(hwnd_, nullptr, FALSE);
  }
}

void TrendChart::Select(int index) {
  if (bars_.empty()) return;
  index = std::clamp(index, 0, static_cast<int>(bars_.size()) - 1);
  if (index == selected_) return;
  selected_ = index;
  ::InvalidateRect(hwnd_, nullptr, FALSE);
  ::SendMessageW(::GetParent(hwnd_), WM_COMMAND,
                 MAKEWPARAM(::GetDlgCtrlID(hwnd_), kTrendSelectionChanged),
                 reinterpret_cast<LPARAM>(hwnd_));
}

TrendLayout TrendChart::LayoutFor(HDC dc, const RECT& client) const {
  const SIZE widest = TextSize(dc, L"0.000 度");
  TrendLayout layout;
  layout.width = client.right;
  layout.height = client.bottom;
  layout.margin = widest.cx + widest.cy / 2;
  layout.bottom = widest.cy + widest.cy / 4;
  layout.count = std::max(1, static_cast<int>(bars_.size()));
  return layout;
}

void TrendChart::Paint(HDC dc, const RECT& client) const {
  ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_3DLIGHT));
  win::SelectGuard font(dc,
                        font_ ? static_cast<HGDIOBJ>(font_) : ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  const TrendLayout layout = LayoutFor(dc, client);
  double largest = 0;
  for (const TrendBar& bar : bars_) largest = std::max(largest, bar.kwh);
  const double scale = TrendScale(largest);
  const int plot_bottom = layout.height - layout.bottom;
  const int line = std::max(1, static_cast<int>(::GetDeviceCaps(dc, LOGPIXELSY)) / 96);

  // The axis, and the scale at its top and foot.
  RECT axis{layout.margin, plot_bottom - line, layout.width, plot_bottom};
  ::FillRect(dc, &axis, ::GetSysColorBrush(COLOR_BTNSHADOW));
  RECT top{layout.margin, 0, layout.width, line};
  ::FillRect(dc, &top, ::GetSysColorBrush(COLOR_BTNSHADOW));
  const std::wstring top_text = win::Widen(FormatFigure(scale)) + L" 度";
  RECT label{0, 0, layout.margin - line * 4, layout.height};
  ::DrawTextW(dc, top_text.c_str(), -1, &label, DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  label.top = plot_bottom - TextSize(dc, L"0").cy;
  ::DrawTextW(dc, L"0", -1, &label, DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);

  const int last = static_cast<int>(bars_.size()) - 1;
  for (int i = 0; i <= last; ++i) {
    const TrendBar& bar = bars_[static_cast<size_t>(i)];
    const TrendLayout::Box b = layout.Bar(i, bar.kwh, scale);
    RECT r{b.left, b.top, b.right, b.bottom};
    ::FillRect(dc, &r, ::GetSysColorBrush(i == last ? COLOR_HIGHLIGHT : COLOR_BTNSHADOW));
    if (i == selected_) {
      const TrendLayout::Box c = layout.Column(i);
      RECT frame{c.left, c.top, c.right, c.bottom};
      for (int k = 0; k < line; ++k) {
        ::FrameRect(dc, &frame, ::GetSysColorBrush(COLOR_WINDOWTEXT));
        ::InflateRect(&frame, -1, -1);
      }
      if (::GetFocus() == hwnd_) {
        RECT focus{c.left, c.top, c.right, c.bottom};
        ::InflateRect(&focus, -line - 1, -line - 1);
        ::DrawFocusRect(dc, &focus);
      }
    }
    // The dates of today and every seventh day before it.
    if ((last - i) % 7 == 0) {
      const TrendLayout::Box c = layout.Column(i);
      const std::wstring date = MonthDay(bar.day);
      const int center = (c.left + c.right) / 2;
      const SIZE size = TextSize(dc, date);
      // Centred under its bar, kept inside the chart.
      const int left =
          std::clamp(center - static_cast<int>(size.cx) / 2, layout.margin,
                     std::max(layout.margin, layout.width - static_cast<int>(size.cx)));
      RECT text{left, plot_bottom + line, left + size.cx, layout.height};
      ::DrawTextW(dc, date.c_str(), -1, &text, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
  }
}

LRESULT TrendChart::Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  hwnd_ = hwnd;
  switch (msg) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      if (create->lpszName) caption_ = create->lpszName;
      return 0;
    }
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wparam);
      if (LOWORD(lparam)) ::InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything, from a surface of its own
    case WM_PAINT: {
      win::PaintDc paint(hwnd);
      RECT client;
      ::GetClientRect(hwnd, &client);
      // Drawn off the screen and put there at once: no flicker as the bars change.
      win::MemoryDc memory(::CreateCompatibleDC(paint.get()));
      win::GdiObject bitmap(::CreateCompatibleBitmap(paint.get(), std::max(1L, client.right),
                                                     std::max(1L, client.bottom)));
      if (memory && bitmap) {
        win::SelectGuard selected(memory.get(), bitmap.get());
        Paint(memory.get(), client);
        ::BitBlt(paint.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
      }
      return 0;
    }
    case WM_LBUTTONDOWN: {
      ::SetFocus(hwnd);
      RECT client;
      ::GetClientRect(hwnd, &client);
      win::WindowDc dc(hwnd);
      win::SelectGuard font(
          dc.get(), font_ ? static_cast<HGDIOBJ>(font_) : ::GetStockObject(DEFAULT_GUI_FONT));
      const int at = LayoutFor(dc.get(), client).BarAt(GET_X_LPARAM(lparam));
      if (at >= 0) Select(at);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      switch (wparam) {
        case VK_LEFT:
          Select(selected_ - 1);
          return 0;
        case VK_RIGHT:
          Select(selected_ + 1);
          return 0;
        case VK_HOME:
          Select(0);
          return 0;
        case VK_END:
          Select(static_cast<int>(bars_.size()) - 1);
          return 0;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      ::InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wparam, lparam);
}

}  // namespace wd::settings
