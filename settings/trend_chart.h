// The trend page's chart: a control of its own ("WattDialTrend") that draws the last
// days' kWh as bars, today's highlighted, with the scale and the dates labelled, in the
// dialog's colours and in device pixels at any DPI. A click or the arrow keys choose a
// bar; the parent hears of it through WM_COMMAND with kTrendSelectionChanged. Its window
// text, the text it was made with and then every bar, is what a screen reader reads.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/trend.h"

namespace wd::settings {

inline constexpr wchar_t kTrendChartClass[] = L"WattDialTrend";
inline constexpr WORD kTrendSelectionChanged = 1;

// Registers the window class once.
void RegisterTrendChart();

// The chart behind a window of the class (null for another window).
class TrendChart {
 public:
  static TrendChart* Of(HWND hwnd);

  // New bars: the choice stays on the same day where it still shows, else on the last.
  void SetBars(std::vector<TrendBar> bars, const FormatSettings& fs);
  const std::vector<TrendBar>& bars() const { return bars_; }
  int selected() const { return selected_; }
  void Select(int index);

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

 private:
  void Paint(HDC dc, const RECT& client) const;
  TrendLayout LayoutFor(HDC dc, const RECT& client) const;

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  std::wstring caption_;  // the window text it was made with: the start of its text
  std::vector<TrendBar> bars_;
  int selected_ = -1;
};

}  // namespace wd::settings
