// The trend page's arithmetic: the last days' bars, the scale of their axis and where
// each bar lies in a chart of a given pixel size. Portable; the chart window draws what
// these give.
#pragma once

#include <string>
#include <vector>

#include "energy/calculate.h"
#include "energy/format_settings.h"
#include "settings/history.h"

namespace wd::settings {

inline constexpr int kTrendDays = 30;

struct TrendBar {
  int day = 0;  // the date, a whole number of days
  double hours = 0;
  double kwh = 0;
  bool operator==(const TrendBar&) const = default;
};

// The `count` days up to `today`, oldest first, with their hours (0 where none are kept)
// and kWh at the given rates.
std::vector<TrendBar> TrendBars(const DayHours& days, int today, int count,
                                const EnergyRates& rates);

// The top of the kWh axis: the smallest 1, 2 or 5 times a power of ten that is at least
// `largest` (0.1 when there is nothing to show).
double TrendScale(double largest);

// Pixel places within a chart `width` x `height` (device pixels) that keeps `margin`
// pixels on the left for the scale and `bottom` pixels below for the dates.
struct TrendLayout {
  int width = 0, height = 0, margin = 0, bottom = 0;
  int count = kTrendDays;
  struct Box {
    int left, top, right, bottom;
  };
  // Bar i's column, the whole height of the plot; its bar, `kwh` of `scale` high.
  Box Column(int i) const;
  Box Bar(int i, double kwh, double scale) const;
  // The bar whose column holds x, or -1.
  int BarAt(int x) const;
};

// The day's line as the statistics page shows a total: "M/d 耗時 H:MM，耗電量 ... 公斤二氧化碳".
std::string TrendDayLine(const TrendBar& bar, const EnergyRates& rates, const FormatSettings& fs);
// All bars as text, for a screen reader: "M/d K 度" each, separated by "；".
std::string TrendText(const std::vector<TrendBar>& bars, const FormatSettings& fs);

}  // namespace wd::settings
