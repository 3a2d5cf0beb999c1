// The tick's label texts: one uptime reading and one reading of the settings file give
// all eight, the same figures the energy functions give at that uptime.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "../energy/test_support.h"
#include "common/errors.h"
#include "common/local_clock.h"
#include "energy/calculate.h"
#include "energy/ini_file.h"
#include "energy/uptime.h"
#include "saver/dashboard.h"

namespace wd::saver {
namespace {

uint32_t g_ticks = 0;

class NoPerfData : public PerfDataSource {
 public:
  long QueryValue(const char*, uint8_t*, uint32_t*) override { return 2; }
  void Close() override {}
};

class TickLabelsTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    SetPerfDataSourceForTesting(&no_data_);
    SetTickCountForTesting([] { return g_ticks; });
    SetSuspendedTimeForTesting([]() -> int64_t { return 0; });
    SetLocalClockForTesting([] { return EncodeDate(2026, 12, 9) + 0.5; });
  }
  void TearDown() override {
    SetPerfDataSourceForTesting(nullptr);
    SetTickCountForTesting(nullptr);
    SetSuspendedTimeForTesting(nullptr);
    SetLocalClockForTesting(nullptr);
    TempFolderTest::TearDown();
  }
  void Store(const char* section, const char* key, double value) {
    SettingsFile(SettingsFilePath()).WriteFloat(section, key, value);
  }
  // The texts of one tick over a fresh snapshot of the settings file.
  std::map<Label, std::string> Tick(int64_t uptime_ms, IniSnapshot& snapshot) {
    SettingsFile ini(SettingsFilePath(), snapshot);
    std::map<Label, std::string> texts;
    WriteTickLabels(uptime_ms, ini,
                    [&](Label which, const std::string& text) { texts[which] = text; });
    return texts;
  }
  NoPerfData no_data_;
};

TEST_F(TickLabelsTest, EqualTheEnergyFunctionsAtTheSameUptime) {
  struct Case {
    uint32_t uptime_ms;
    double watts, fee, co2, this_year;  // 0: the setting is not stored
  };
  const std::vector<Case> cases{
      {0, 0, 0, 0, 0},
      {3'723'456, 107.125, 2.59, 0.637, 1234.5},
      {86'399'999, 30, 0, 0, 0},
      {4'000'000'000u, -250, 3.1, 0.5, 87.75},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(test::FsPath(SettingsFilePath()));
    if (c.watts != 0) Store("Parameters", "Watts", c.watts);
    if (c.fee != 0) Store("Parameters", "UnitFee", c.fee);
    if (c.co2 != 0) Store("Parameters", "UnitCo2", c.co2);
    if (c.this_year != 0) Store("History", "ThisYear", c.this_year);
    SettingsFile(SettingsFilePath()).WriteDate("Parameters", "FromDate", EncodeDate(2026, 3, 1));
    g_ticks = c.uptime_ms;
    IniSnapshot snapshot(SettingsFilePath(), SystemIniBackend());
    const auto texts = Tick(c.uptime_ms, snapshot);
    const UptimeClockTexts clock = UptimeClockTextsAt(c.uptime_ms);
    const std::map<Label, std::string> expected{
        {kSeconds, clock.seconds},
        {kMins, clock.minutes},
        {kHours, FormatFigure(CalcHours())},
        {kPower, FormatFigure(CalcPowerKwh())},
        {kPowerFee, FormatFigure(CalcPowerFee())},
        {kCo2, FormatFigure(CalcCo2())},
        {kThisYearCo2, FormatFigure(CalcThisYearCo2())},
        {kFromdate, FormatShortDate(GetFromDate())},
    };
    EXPECT_EQ(texts, expected) << c.uptime_ms;
  }
}

TEST_F(TickLabelsTest, AllFiguresComeFromOneReadingOfTheFile) {
  Store("Parameters", "Watts", 100);
  Store("History", "ThisYear", 10);
  IniSnapshot snapshot(SettingsFilePath(), SystemIniBackend());
  // The file changes after the reading: the tick still shows what it read.
  Store("Parameters", "Watts", 200);
  Store("History", "ThisYear", 20);
  auto texts = Tick(3'600'000, snapshot);
  EXPECT_EQ(texts[kPower], "0.100");
  EXPECT_EQ(texts[kThisYearCo2], "0.637");
  IniSnapshot next(SettingsFilePath(), SystemIniBackend());
  texts = Tick(3'600'000, next);
  EXPECT_EQ(texts[kPower], "0.200");
  EXPECT_EQ(texts[kThisYearCo2], "2.548");
}

TEST_F(TickLabelsTest, FromDateIsStoredOnceThroughTheSnapshot) {
  IniSnapshot snapshot(SettingsFilePath(), SystemIniBackend());
  auto texts = Tick(1000, snapshot);
  EXPECT_EQ(texts[kFromdate], "12/9/2026");
  // Stored in the file, and read back by the same snapshot.
  EXPECT_EQ(SettingsFile(SettingsFilePath()).ReadDate("Parameters", "FromDate", 0),
            EncodeDate(2026, 12, 9));
  SettingsFile ini(SettingsFilePath(), snapshot);
  EXPECT_EQ(GetFromDate(ini), EncodeDate(2026, 12, 9));
}

TEST_F(TickLabelsTest, AFailingFigureLeavesTheLaterLabelsUnwritten) {
  Store("Parameters", "UnitFee", 1e30);  // the money figure overflows the rounding
  IniSnapshot snapshot(SettingsFilePath(), SystemIniBackend());
  SettingsFile ini(SettingsFilePath(), snapshot);
  std::vector<Label> written;
  EXPECT_THROW(WriteTickLabels(3'600'000, ini,
                               [&](Label which, const std::string&) { written.push_back(which); }),
               MathError);
  EXPECT_EQ(written, (std::vector<Label>{kSeconds, kMins, kHours, kPower}));
}

}  // namespace
}  // namespace wd::saver
