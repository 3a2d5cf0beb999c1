// The texts of the dialog that are built from figures: the four statistics lines and
// the time-zone line of the settings page.
#pragma once

#include <cstdint>
#include <string>

#include "energy/format_settings.h"

namespace wd::settings {

// A total shown as hours and minutes.
struct HoursMinutes {
  double hours = 0;  // whole hours (may exceed any integer type)
  int minutes = 0;
};

// The whole hours of `total` and its fraction of an hour in minutes, rounded to the
// nearest (ties to even); 60 rounded minutes carry into the hours (1.999 shows 2:00).
HoursMinutes TotalHoursMinutes(double total);
// The whole hours of `total` with the minutes within the current hour of the uptime:
// how the Today line shows its time.
HoursMinutes TodayHoursMinutes(double total, std::int64_t uptime_ms);

// Energy, money and CO2 of a line's total, each already rounded.
struct LineFigures {
  double kwh = 0;
  double fee = 0;
  double co2 = 0;
};

// "耗時 H:MM，耗電量 K 度，用電費 F 元，排放 C 公斤二氧化碳", the figures in "%3.3f" with the
// user's decimal separator.
std::string StatisticsLine(const HoursMinutes& time, const LineFigures& figures,
                           const FormatSettings& fs);

// "目前時區為： NAME ( GMT H)": H the whole hours of -bias_minutes, truncated toward zero.
std::string TimeZoneText(const std::string& standard_name, long bias_minutes);

}  // namespace wd::settings
