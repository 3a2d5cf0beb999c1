#include "settings/statistics_lines.h"

#include <cmath>
#include <cstdio>

namespace wd::settings {
namespace {

std::string WholeNumber(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%.0f", value);
  return text;
}

}  // namespace

HoursMinutes TotalHoursMinutes(double total) {
  HoursMinutes hm;
  hm.hours = std::trunc(total);
  // nearbyint rounds ties to even in the default rounding mode.
  hm.minutes = static_cast<int>(std::nearbyint((total - hm.hours) * 60));
  if (hm.minutes == 60 || hm.minutes == -60) {
    hm.hours += hm.minutes / 60;
    hm.minutes = 0;
  }
  return hm;
}

HoursMinutes TodayHoursMinutes(double total, std::int64_t uptime_ms) {
  return {std::trunc(total), static_cast<int>((uptime_ms % 3600000) / 60000)};
}

std::string StatisticsLine(const HoursMinutes& time, const LineFigures& figures,
                           const FormatSettings& fs) {
  char minutes[16];
  std::snprintf(minutes, sizeof minutes, "%2.2d", time.minutes);
  std::string hours = WholeNumber(time.hours);
  if (hours == "-0") hours = "0";
  return "耗時 " + hours + ":" + minutes + "，耗電量 " + FormatFigure(figures.kwh, fs) +
         " 度，用電費 " + FormatFigure(figures.fee, fs) + " 元，排放 " +
         FormatFigure(figures.co2, fs) + " 公斤二氧化碳";
}

std::string TimeZoneText(const std::string& standard_name, long bias_minutes) {
  // C++ division truncates toward zero, as the shown hours do.
  const long hours = -bias_minutes / 60;
  return "目前時區為： " + standard_name + " ( GMT " + std::to_string(hours) + ")";
}

}  // namespace wd::settings
