// One dashboard tick's worth of figure calls, as every saver window makes them every
// 397 ms: the hours, kWh, money, CO2 and yearly CO2 figures and the from-date, each reading
// the uptime and the settings file afresh. Prints the time per tick.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "energy/calculate.h"
#include "energy/format_settings.h"
#include "energy/settings_file.h"
#include "energy/uptime.h"

int main() {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / "wd-energy-bench";
  fs::create_directories(folder);
  const std::u8string u8 = (folder / "").u8string();
  wd::SetProgramFolderForTesting(std::string(u8.begin(), u8.end()));
  {
    // A settings file as the dialog leaves it.
    wd::SettingsFile ini(wd::SettingsFilePath());
    ini.WriteFloat("Parameters", "Watts", 107.125);
    ini.WriteFloat("Parameters", "UnitFee", 2.59);
    ini.WriteFloat("Parameters", "UnitCo2", 0.637);
    ini.WriteText("Parameters", "SNTPServer", "time.stdtime.gov.tw");
    ini.WriteFloat("History", "ThisYear", 1234.5);
    wd::GetFromDate();
  }

  const auto tick = [] {
    double sum = static_cast<double>(wd::GetUpTimeMs());  // the ring values' read
    sum += wd::CalcHours() + wd::CalcPowerKwh() + wd::CalcPowerFee() + wd::CalcCo2() +
           wd::CalcThisYearCo2();
    const std::string texts = wd::FormatFigure(sum) + wd::FormatShortDate(wd::GetFromDate());
    return texts.size();
  };
  size_t sink = 0;
  for (int i = 0; i < 20; ++i) sink += tick();

  const int ticks = 2000;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < ticks; ++i) sink += tick();
  const double us =
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() /
      ticks;
  const auto up_start = std::chrono::steady_clock::now();
  for (int i = 0; i < ticks; ++i) sink += static_cast<size_t>(wd::GetUpTimeMs() & 1);
  const double up_us =
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - up_start)
          .count() /
      ticks;
  std::printf("energy tick: %.1f us per tick (%d ticks), GetUpTimeMs %.2f us per call [%zu]\n", us,
              ticks, up_us, sink % 10);
  fs::remove_all(folder);
  return 0;
}
