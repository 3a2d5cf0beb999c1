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

constexpr double kDefaultWatts = 30;
constexpr double kDefaultUnitFee = 2.59;
constexpr double kDefaultUnitCo2 = 0.637;

double ReadParameter(const char* key, double fallback) {
  return SettingsFile(SettingsFilePath()).ReadFloat("Parameters", key, fallback);
}
double Watts() {
  return ReadParameter("Watts", kDefaultWatts);
}
double UnitFee() {
  return ReadParameter("UnitFee", kDefaultUnitFee);
}
double UnitCo2() {
  return ReadParameter("UnitCo2", kDefaultUnitCo2);
}

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

double CalcHours() {
  return UptimeToHours(GetUpTimeMs());
}

double CalcPowerKwh() {
  const double hours = CalcHours();
  const double watts = Watts();
  return Rounded(static_cast<long double>(hours) * watts / 1000.0L);
}

double CalcPowerFee() {
  const double hours = CalcHours();
  const double watts = Watts();
  const double fee = UnitFee();
  return Rounded(static_cast<long double>(hours) * watts / 1000.0L * fee);
}

double CalcCo2() {
  const double kwh = CalcPowerKwh();
  const double co2 = UnitCo2();
  return Rounded(static_cast<long double>(kwh) * co2);
}

double CalcThisYearCo2() {
  const double hours = SettingsFile(SettingsFilePath()).ReadFloat("History", "ThisYear", 0);
  const double watts = Watts();
  const double co2 = UnitCo2();
  return Rounded(static_cast<long double>(hours) * watts / 1000.0L * co2);
}

double HoursToKwh(double hours) {
  return Rounded(static_cast<long double>(hours) * Watts() / 1000.0L);
}

double HoursToFee(double hours) {
  const double watts = Watts();
  const double fee = UnitFee();
  return Rounded(static_cast<long double>(hours) * watts / 1000.0L * fee);
}

double HoursToCo2(double hours) {
  const double kwh = HoursToKwh(hours);
  return Rounded(static_cast<long double>(kwh) * UnitCo2());
}

DateTime GetFromDate() {
  const DateTime now = LocalNow();
  SettingsFile ini(SettingsFilePath());
  const DateTime stored = ini.ReadDate("Parameters", "FromDate", 0);
  if (stored != 0) return stored;
  ini.WriteDate("Parameters", "FromDate", LocalNow());
  return now;
}

uint32_t MakeRGB(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<uint32_t>(r) + static_cast<uint32_t>(g) * 256u +
         static_cast<uint32_t>(b) * 65536u;
}

}  // namespace wd
