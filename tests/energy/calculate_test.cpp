#include "energy/calculate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "common/errors.h"
#include "common/local_clock.h"
#include "energy/uptime.h"
#include "test_support.h"

namespace wd {
namespace {

uint32_t g_ticks = 0;
int64_t g_suspended = 0;
DateTime g_now = 0;

// No performance data: the uptime is the tick count the test sets.
class NoPerfData : public PerfDataSource {
 public:
  long QueryValue(const char*, uint8_t*, uint32_t*) override { return 2; }
  void Close() override {}
};

class CalculateTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    SetPerfDataSourceForTesting(&no_data_);
    SetTickCountForTesting([] { return g_ticks; });
    g_suspended = 0;
    SetSuspendedTimeForTesting([] { return g_suspended; });
    SetLocalClockForTesting([] { return g_now; });
  }
  void TearDown() override {
    SetPerfDataSourceForTesting(nullptr);
    SetTickCountForTesting(nullptr);
    SetSuspendedTimeForTesting(nullptr);
    SetLocalClockForTesting(nullptr);
    TempFolderTest::TearDown();
  }
  void Set(const char* key, double value) {
    SettingsFile(SettingsFilePath()).WriteFloat("Parameters", key, value);
  }
  NoPerfData no_data_;
};

TEST(RoundFigure, TiesToEvenOnTheExtendedQuotient) {
  EXPECT_EQ(RoundFigure(3.429), 3.4290000000000003);
  EXPECT_EQ(RoundFigure(0.0025), 0.002);  // quotient exactly 2.5 in extended
  EXPECT_EQ(RoundFigure(0.0035), 0.004);
  EXPECT_EQ(RoundFigure(0), 0.0);
  EXPECT_EQ(RoundFigure(-0.0004), 0.0);
  EXPECT_THROW(RoundFigure(1e16), MathError);
  EXPECT_THROW(RoundFigure(NAN), MathError);
  EXPECT_THROW(RoundFigure(INFINITY), MathError);
  EXPECT_EQ(MakeRGB(255, 0, 0), 255u);
  EXPECT_EQ(MakeRGB(0, 0, 255), 16711680u);
  EXPECT_EQ(MakeRGB(45, 69, 0), 45u + 69u * 256u);
}

TEST_F(CalculateTest, WorkedTablesWithoutAFile) {
  struct Row {
    uint32_t ms;
    double hours, kwh, fee, co2;
  } rows[] = {{5400000, 1.5, 0.045, 0.117, 0.029},
              {12345678, 3.429, 0.103, 0.266, 0.066},
              {86399999, 24, 0.72, 1.865, 0.459},
              {0, 0, 0, 0, 0}};
  for (const Row& r : rows) {
    g_ticks = r.ms;
    EXPECT_EQ(FormatFigure(CalcHours()), FormatFigure(r.hours)) << r.ms;
    EXPECT_EQ(FormatFigure(CalcPowerKwh()), FormatFigure(r.kwh)) << r.ms;
    EXPECT_EQ(FormatFigure(CalcPowerFee()), FormatFigure(r.fee)) << r.ms;
    EXPECT_EQ(FormatFigure(CalcCo2()), FormatFigure(r.co2)) << r.ms;
  }
  g_ticks = 86399999;
  EXPECT_EQ(CalcHours(), 24.0);
  EXPECT_EQ(CalcThisYearCo2(), 0.0);
  EXPECT_FALSE(std::filesystem::exists(test::FsPath(SettingsFilePath())));

  Set("Watts", 107.125);
  EXPECT_EQ(FormatFigure(HoursToKwh(12.5)), "1.339");
  EXPECT_EQ(FormatFigure(HoursToFee(12.5)), "3.468");
  EXPECT_EQ(FormatFigure(HoursToCo2(12.5)), "0.853");
  Set("Watts", 30);
  SettingsFile(SettingsFilePath()).WriteFloat("History", "ThisYear", 100);
  EXPECT_EQ(FormatFigure(CalcThisYearCo2()), "1.911");

  // The time the computer slept is no running time.
  g_ticks = 5400000 + 3600000;
  g_suspended = 3600000;
  EXPECT_EQ(CalcHours(), 1.5);
  g_suspended = 0;

  // Settings are read at every call; negative Watts give negative figures.
  Set("Watts", -30);
  g_ticks = 5400000;
  EXPECT_EQ(FormatFigure(CalcPowerKwh()), "-0.045");
  EXPECT_EQ(FormatFigure(CalcPowerFee()), "-0.117");
  EXPECT_EQ(FormatFigure(CalcCo2()), "-0.029");
}

TEST_F(CalculateTest, FromDateIsStoredOnce) {
  g_now = EncodeDate(2023, 3, 15) + 0.75;
  EXPECT_EQ(GetFromDate(), g_now);
  EXPECT_EQ(test::ReadBytes(SettingsFilePath()), "[Parameters]\r\nFromDate=3/15/2023\r\n");
  g_now += 3;
  EXPECT_EQ(GetFromDate(), EncodeDate(2023, 3, 15));
  // A date that no longer parses is replaced by today's.
  FormatSettings taiwan;
  taiwan.short_date_format = "yyyy/M/d";
  SetFormatSettingsForTesting(taiwan);
  g_now = EncodeDate(2023, 3, 19) + 0.25;
  EXPECT_EQ(GetFromDate(), g_now);
  EXPECT_EQ(GetFromDate(), EncodeDate(2023, 3, 19));
  EXPECT_EQ(test::ReadBytes(SettingsFilePath()), "[Parameters]\r\nFromDate=2023/3/19\r\n");
}

// In a year later than the last counting the saver shows nothing of last year: 0 for
// this year's CO2 and 1 January as the from-date, and writes nothing.
TEST_F(CalculateTest, ANewYearBeforeTheNextCounting) {
  struct Case {
    const char* name;
    const char* file;
    DateTime now;
    double co2;
    DateTime from;
  };
  const char* counted_2026 =
      "[Parameters]\r\nWatts=30\r\nFromDate=1/1/2026\r\n[History]\r\nThisYear=100\r\n"
      "LastCounted=2026-12-31 23:30:00\r\n";
  const char* older_file =
      "[Parameters]\r\nWatts=30\r\nFromDate=5/1/2025\r\n[History]\r\nThisYear=100\r\n";
  const Case cases[] = {
      {"the same year", counted_2026, EncodeDate(2026, 12, 31) + 0.99, 1.911,
       EncodeDate(2026, 1, 1)},
      {"a new year", counted_2026, EncodeDate(2027, 1, 1) + 0.01, 0, EncodeDate(2027, 1, 1)},
      {"a file of an older version, counted from 2025", older_file, EncodeDate(2026, 2, 3), 0,
       EncodeDate(2026, 1, 1)},
      {"a clock in the past", counted_2026, EncodeDate(2000, 1, 1), 1.911, EncodeDate(2026, 1, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteBytes(SettingsFilePath(), c.file);
    g_now = c.now;
    EXPECT_EQ(FormatFigure(CalcThisYearCo2()), FormatFigure(c.co2));
    EXPECT_EQ(GetFromDate(), c.from);
    EXPECT_EQ(test::ReadBytes(SettingsFilePath()), c.file);
  }
}

// Independent reckoning in quadruple precision: the integer count of thousandths the
// figure must show, or either neighbour when the exact value lies at a half.
struct Expected {
  long long thousandths;
  bool near_half;
};

const __float128 kHalf = static_cast<__float128>(0.5);

Expected Reckon(__float128 value) {
  const __float128 scaled = value * 1000;
  const __float128 down = static_cast<__float128>(
      static_cast<long long>(scaled < 0 ? scaled - 1 : scaled));  // floor for the values used here
  const __float128 fraction = scaled - down;
  long long n = static_cast<long long>(down);
  if (fraction > kHalf || (fraction == kHalf && (n % 2 != 0))) ++n;
  const __float128 distance = fraction > kHalf ? fraction - kHalf : kHalf - fraction;
  return {n, distance < static_cast<__float128>(1e-9)};
}

std::string Thousandths(long long n) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s%lld.%03lld", n < 0 ? "-" : "", std::llabs(n) / 1000,
                std::llabs(n) % 1000);
  return buf;
}

void ExpectFigure(double figure, __float128 exact, const char* what) {
  const Expected e = Reckon(exact);
  const std::string shown = FormatFigure(figure, FormatSettings{});
  if (e.near_half) {
    EXPECT_TRUE(shown == Thousandths(e.thousandths) || shown == Thousandths(e.thousandths - 1) ||
                shown == Thousandths(e.thousandths + 1))
        << what;
  } else {
    EXPECT_EQ(shown, Thousandths(e.thousandths)) << what;
  }
  // The figure is the double next to its thousandths, never further off.
  const double target = static_cast<double>(e.thousandths) / 1000;
  EXPECT_LE(std::fabs(figure - target),
            4 * (std::nextafter(std::fabs(target), 1e300) - std::fabs(target)) +
                (e.near_half ? 0.0011 : 0))
      << what;
}

TEST_F(CalculateTest, SweepAgainstIndependentReckoning) {
  std::mt19937 rng(7);
  const double watts[] = {30, 107.125, 0, -45.5, 250, 0.001, 1234.567};
  const double fees[] = {2.59, 0.1, 3.75, -1};
  const double co2s[] = {0.637, 0.5, 0.123456, 2};
  int checked = 0;
  for (double w : watts) {
    Set("Watts", w);
    const double fee = fees[rng() % 4];
    const double co2 = co2s[rng() % 4];
    Set("UnitFee", fee);
    Set("UnitCo2", co2);
    for (int i = 0; i < 60; ++i) {
      g_ticks = i < 4 ? static_cast<uint32_t>(i * 1800) : static_cast<uint32_t>(rng());
      const double hours = CalcHours();
      ExpectFigure(hours, static_cast<__float128>(g_ticks) / 3600000, "hours");
      const double kwh = CalcPowerKwh();
      ExpectFigure(kwh, static_cast<__float128>(hours) * w / 1000, "kwh");
      ExpectFigure(CalcPowerFee(), static_cast<__float128>(hours) * w / 1000 * fee, "fee");
      ExpectFigure(CalcCo2(), static_cast<__float128>(kwh) * co2, "co2");
      const double given = static_cast<double>(rng() % 100000) / 7;
      const double given_kwh = HoursToKwh(given);
      ExpectFigure(given_kwh, static_cast<__float128>(given) * w / 1000, "HoursToKwh");
      ExpectFigure(HoursToFee(given), static_cast<__float128>(given) * w / 1000 * fee, "fee");
      ExpectFigure(HoursToCo2(given), static_cast<__float128>(given_kwh) * co2, "HoursToCo2");
      ++checked;
    }
  }
  EXPECT_EQ(checked, 7 * 60);
}

}  // namespace
}  // namespace wd
