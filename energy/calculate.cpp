#include "energy/calculate.h"

#include <cfloat>
#include <cmath>

#include "common/errors.h"
#include "common/local_clock.h"
#include "energy/settings_file.h"
#include "energy/uptime.h"

// The figures are defined on the x87 extended format.
static_assert(LDBL_MANT_DIG == 64, "long double must have a 64-bit significand");

namespace wd {
namespace {

// The formulas below are written left to right in long double; each result is converted
// to a double before rounding.
double Rounded(long double value) {
  return RoundFigure(static_cast<double>(value));
}

}  // namespace

double RoundFigure(double value) {
  const double f = 1.0 / 1000.0;
  const long double quotient = static_cast<long double>(value) / static_cast<long double>(f);
  // 2^63 is exact in long double; NaN fails both comparisons.
  if (!(quotient >= -9223372036854775808.0L && quotient < 9223372036854775808.0L)) {
    throw MathError("Invalid floating point operation");
  }
  const long long whole = std::llrint(quotient);  // default rounding: ties to even
  return static_cast<double>(static_cast<long double>(whole) * static_cast<long double>(f));
}

double UptimeToHours(int64_t uptime_ms) {
  const double ms = static_cast<double>(uptime_ms);
  return Rounded(static_cast<long double>(ms) / 86400000.0L * 24.0L);
}

EnergyRates ReadEnergyRates(const SettingsFile& ini) {
  const EnergyRates defaults;
  return {ini.ReadFloat("Parameters", "Watts", defaults.watts),
          ini.ReadFloat("Parameters", "UnitFee", defaults.unit_fee),
          ini.ReadFloat("Parameters", "UnitCo2", defaults.unit_co2)};
}

std::optional<DateTime> ReadLastCounting(const SettingsFile& ini) {
  if (auto last = ParseIsoDateTime(ini.ReadText("History", "LastCounted", ""))) return last;
  const DateTime from = ini.ReadDate("Parameters", "FromDate", 0);
  if (from != 0) return from;
  return std::nullopt;
}

bool CountedInAnEarlierYear(const SettingsFile& ini, DateTime now) {
  const std::optional<DateTime> last = ReadLastCounting(ini);
  return last && DecodeDateTime(*last).year < DecodeDateTime(now).year;
}

double ReadThisYearHours(const SettingsFile& ini) {
  // The stored hours are last year's until the dialog counts again.
  if (CountedInAnEarlierYear(ini, LocalNow())) return 0;
  return ini.ReadFloat("History", "ThisYear", 0);
}

double HoursToKwh(double hours, const EnergyRates& rates) {
  return Rounded(static_cast<long double>(hours) * rates.watts / 1000.0L);
}

double HoursToFee(double hours, const EnergyRates& rates) {
  return Rounded(static_cast<long double>(hours) * rates.watts / 1000.0L * rates.unit_fee);
}

double HoursToCo2(double hours, const EnergyRates& rates) {
  const double kwh = HoursToKwh(hours, rates);
  return Rounded(static_cast<long double>(kwh) * rates.unit_co2);
}

double ThisYearCo2(double this_year_hours, const EnergyRates& rates) {
  return Rounded(static_cast<long double>(this_year_hours) * rates.watts / 1000.0L *
                 rates.unit_co2);
}

DateTime GetFromDate(SettingsFile& ini) {
  const DateTime now = LocalNow();
  const DateTime stored = ini.ReadDate("Parameters", "FromDate", 0);
  if (stored != 0) {
    // A new year: the statistics count from its first day, as the dialog's next counting
    // will store.
    if (CountedInAnEarlierYear(ini, now)) return EncodeDate(DecodeDateTime(now).year, 1, 1);
    return stored;
  }
  ini.WriteDate("Parameters", "FromDate", LocalNow());
  return now;
}

double CalcHours() {
  return UptimeToHours(GetUpTimeMs());
}

double CalcPowerKwh() {
  const double hours = CalcHours();
  return HoursToKwh(hours, ReadEnergyRates(SettingsFile(SettingsFilePath())));
}

double CalcPowerFee() {
  const double hours = CalcHours();
  return HoursToFee(hours, ReadEnergyRates(SettingsFile(SettingsFilePath())));
}

double CalcCo2() {
  const double hours = CalcHours();
  return HoursToCo2(hours, ReadEnergyRates(SettingsFile(SettingsFilePath())));
}

double CalcThisYearCo2() {
  const SettingsFile ini(SettingsFilePath());
  return ThisYearCo2(ReadThisYearHours(ini), ReadEnergyRates(ini));
}

double HoursToKwh(double hours) {
  return HoursToKwh(hours, ReadEnergyRates(SettingsFile(SettingsFilePath())));
}

double HoursToFee(double hours) {
  return HoursToFee(hours, ReadEnergyRates(SettingsFile(SettingsFilePath())));
}

double HoursToCo2(double hours) {
  return HoursToCo2(hours, ReadEnergyRates(SettingsFile(SettingsFilePath())));
}

DateTime GetFromDate() {
  SettingsFile ini(SettingsFilePath());
  return GetFromDate(ini);
}

uint32_t MakeRGB(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<uint32_t>(r) + static_cast<uint32_t>(g) * 256u +
         static_cast<uint32_t>(b) * 65536u;
}

}  // namespace wd
