// The trend page's arithmetic: the days' bars, the axis scale and where bars lie.
#include "settings/trend.h"

#include <gtest/gtest.h>

#include <cmath>

namespace wd::settings {
namespace {

TEST(TrendTest, BarsOfTheLastDaysWithTheirKwh) {
  const int today = static_cast<int>(EncodeDate(2026, 12, 10));
  const DayHours days = {{today - 30, 9}, {today - 29, 2.5}, {today, 1.25}};
  const EnergyRates rates{100, 2.5, 0.5};
  const std::vector<TrendBar> bars = TrendBars(days, today, 30, rates);
  ASSERT_EQ(bars.size(), 30u);
  EXPECT_EQ(bars.front(), (TrendBar{today - 29, 2.5, 0.25}));
  EXPECT_EQ(bars[1], (TrendBar{today - 28, 0, 0}));
  EXPECT_EQ(bars.back(), (TrendBar{today, 1.25, 0.125}));
  const FormatSettings fs;
  EXPECT_EQ(TrendDayLine(bars.back(), rates, fs),
            "12/10 耗時 1:15，耗電量 0.125 度，用電費 0.312 元，排放 0.062 公斤二氧化碳");
  const std::string text = TrendText(bars, fs);
  EXPECT_EQ(text.rfind("11/11 0.250 度；11/12 0.000 度；", 0), 0u) << text;
  EXPECT_NE(text.find("；12/10 0.125 度"), std::string::npos);
}

TEST(TrendTest, ScaleIsTheNextOneTwoOrFive) {
  const struct {
    double largest, scale;
  } cases[] = {{0, 0.1}, {0.07, 0.1}, {0.1, 0.1}, {0.11, 0.2}, {0.3, 0.5}, {1.2, 2},
               {2, 2},   {2.01, 5},   {7.5, 10},  {12, 20},    {480, 500}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(TrendScale(c.largest), c.scale) << c.largest;
}

// At any pixel size the columns tile the plot, a click finds the bar it is on, and a
// bar's height follows its share of the scale.
TEST(TrendTest, LayoutAtAnySize) {
  for (const TrendLayout layout : {TrendLayout{600, 200, 40, 20}, TrendLayout{1203, 401, 81, 41},
                                   TrendLayout{917, 300, 60, 30}}) {
    SCOPED_TRACE(layout.width);
    int right = layout.margin;
    for (int i = 0; i < layout.count; ++i) {
      const TrendLayout::Box c = layout.Column(i);
      EXPECT_EQ(c.left, right);
      EXPECT_GT(c.right, c.left);
      right = c.right;
      EXPECT_EQ(layout.BarAt((c.left + c.right) / 2), i);
      EXPECT_EQ(layout.BarAt(c.left), i);
    }
    EXPECT_EQ(right, layout.width);
    EXPECT_EQ(layout.BarAt(layout.margin - 1), -1);
    EXPECT_EQ(layout.BarAt(layout.width), -1);
    const int plot = layout.height - layout.bottom;
    EXPECT_EQ(layout.Bar(3, 0, 2).top, plot);
    EXPECT_EQ(layout.Bar(3, 2, 2).top, 0);
    EXPECT_EQ(layout.Bar(3, 1, 2).top, plot - static_cast<int>(std::lround(plot / 2.0)));
    EXPECT_EQ(layout.Bar(3, 9, 2).top, 0);  // never above the plot
    EXPECT_LT(layout.Bar(3, 1, 2).left, layout.Bar(3, 1, 2).right);
  }
}

}  // namespace
}  // namespace wd::settings
