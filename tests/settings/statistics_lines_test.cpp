#include "settings/statistics_lines.h"

#include <gtest/gtest.h>

namespace wd::settings {
namespace {

TEST(StatisticsLinesTest, HoursAndMinutesOfATotal) {
  struct Case {
    double total;
    double hours;
    int minutes;
  };
  const Case cases[] = {
      {1.6, 1, 36},     {0.983, 0, 59}, {102.25, 102, 15},
      {0, 0, 0},        {1.999, 2, 0},   // 59.94 minutes round to 60: carried into the hours
      {59.9999, 60, 0}, {2.0083, 2, 0},  // 0.498 minutes
  };
  for (const Case& c : cases) {
    const HoursMinutes hm = TotalHoursMinutes(c.total);
    EXPECT_EQ(hm.hours, c.hours) << c.total;
    EXPECT_EQ(hm.minutes, c.minutes) << c.total;
  }
  // Half a minute rounds to the even neighbour: 0.5 -> 0, 1.5 -> 2.
  EXPECT_EQ(TotalHoursMinutes(0.5 / 60).minutes, 0);
  EXPECT_EQ(TotalHoursMinutes(1.5 / 60).minutes, 2);
  // Today takes its minutes from the uptime, not from the total.
  const HoursMinutes today = TodayHoursMinutes(7.9, 5760000);
  EXPECT_EQ(today.hours, 7);
  EXPECT_EQ(today.minutes, 36);
  EXPECT_EQ(TodayHoursMinutes(0.983, 59 * 60000 + 59999).minutes, 59);
}

TEST(StatisticsLinesTest, LineHasElevenPiecesInTheUsersNotation) {
  FormatSettings fs;
  EXPECT_EQ(StatisticsLine({1, 36}, {0.171, 0.444, 0.109}, fs),
            "耗時 1:36，耗電量 0.171 度，用電費 0.444 元，排放 0.109 公斤二氧化碳");
  fs.decimal_separator = ',';
  EXPECT_EQ(StatisticsLine({102, 7}, {10.953, 28.368, 6.977}, fs),
            "耗時 102:07，耗電量 10,953 度，用電費 28,368 元，排放 6,977 公斤二氧化碳");
  // Hours beyond any integer type still print as digits.
  EXPECT_EQ(StatisticsLine({1e20, 0}, {0, 0, 0}, FormatSettings{}).substr(0, 31),
            "耗時 100000000000000000000:00");
}

TEST(StatisticsLinesTest, TimeZoneHoursTruncateTowardZero) {
  struct Case {
    long bias;
    const char* hours;
  };
  for (const Case& c :
       {Case{-480, "8"}, Case{300, "-5"}, Case{-330, "5"}, Case{210, "-3"}, Case{0, "0"}}) {
    EXPECT_EQ(TimeZoneText("台北標準時間", c.bias),
              std::string("目前時區為： 台北標準時間 ( GMT ") + c.hours + ")");
  }
}

}  // namespace
}  // namespace wd::settings
