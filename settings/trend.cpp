#include "settings/trend.h"

#include <algorithm>
#include <cmath>

#include "common/datetime.h"
#include "settings/statistics_lines.h"

namespace wd::settings {
namespace {

std::string MonthDay(int day) {
  const CalendarTime t = DecodeDateTime(day);
  return std::to_string(t.month) + "/" + std::to_string(t.day);
}

}  // namespace

std::vector<TrendBar> TrendBars(const DayHours& days, int today, int count,
                                const EnergyRates& rates) {
  std::vector<TrendBar> bars;
  for (int day = today - count + 1; day <= today; ++day) {
    const auto found = days.find(day);
    const double hours = found == days.end() ? 0 : found->second;
    bars.push_back({day, hours, HoursToKwh(hours, rates)});
  }
  return bars;
}

double TrendScale(double largest) {
  if (!(largest > 0)) return 0.1;
  double power = std::pow(10.0, std::floor(std::log10(largest)));
  for (;;) {
    for (double step : {1.0, 2.0, 5.0}) {
      // A hair of slack: 0.3 is not taken for more than 3 x 0.1.
      if (step * power >= largest * (1 - 1e-12)) return step * power;
    }
    power *= 10;
  }
}

TrendLayout::Box TrendLayout::Column(int i) const {
  const int plot = std::max(width - margin, count);
  return {margin + i * plot / count, 0, margin + (i + 1) * plot / count, height - bottom};
}

TrendLayout::Box TrendLayout::Bar(int i, double kwh, double scale) const {
  Box box = Column(i);
  const int gap = std::max(1, (box.right - box.left) / 5);
  box.left += gap;
  box.right -= gap;
  const int plot_height = box.bottom - box.top;
  const double share = scale > 0 ? std::clamp(kwh / scale, 0.0, 1.0) : 0.0;
  box.top = box.bottom - static_cast<int>(std::lround(share * plot_height));
  return box;
}

int TrendLayout::BarAt(int x) const {
  for (int i = 0; i < count; ++i) {
    const Box c = Column(i);
    if (x >= c.left && x < c.right) return i;
  }
  return -1;
}

std::string TrendDayLine(const TrendBar& bar, const EnergyRates& rates, const FormatSettings& fs) {
  const LineFigures figures{bar.kwh, HoursToFee(bar.hours, rates), HoursToCo2(bar.hours, rates)};
  return MonthDay(bar.day) + " " + StatisticsLine(TotalHoursMinutes(bar.hours), figures, fs);
}

std::string TrendText(const std::vector<TrendBar>& bars, const FormatSettings& fs) {
  std::string text;
  for (const TrendBar& bar : bars) {
    if (!text.empty()) text += "；";
    text += MonthDay(bar.day) + " " + FormatFigure(bar.kwh, fs) + " 度";
  }
  return text;
}

}  // namespace wd::settings
