// The energy figures: running time turned into hours, kWh, money and kg CO2, each rounded
// to three decimals. Every call reads the uptime and its settings afresh.
#pragma once

#include <cstdint>
#include <optional>

#include "common/datetime.h"
#include "energy/settings_file.h"

namespace wd {

// Figures on the running time since the computer was started.
double CalcHours();
double CalcPowerKwh();
double CalcPowerFee();
double CalcCo2();
// CO2 for the stored hours of this year (History/ThisYear).
double CalcThisYearCo2();
// The hours of an uptime as CalcHours rounds them, for callers that read the uptime once.
double UptimeToHours(int64_t uptime_ms);

// Figures on a given number of hours.
double HoursToKwh(double hours);
double HoursToFee(double hours);
double HoursToCo2(double hours);

// The date from which statistics are counted; stores today's date when none is stored and
// then returns the current date and time. In a year later than the last counting, 1
// January of the current year, without writing anything.
DateTime GetFromDate();

// The settings the figures are made of, as one caller reads them once (Parameters/Watts,
// UnitFee and UnitCo2, with their defaults), so that several figures rest on the same
// values. The functions above read them afresh on every call.
struct EnergyRates {
  double watts = 30;
  double unit_fee = 2.59;
  double unit_co2 = 0.637;
};
EnergyRates ReadEnergyRates(const SettingsFile& ini);
// The stored hours of this year (History/ThisYear, default 0); 0 when they were last
// counted in an earlier year than the current one.
double ReadThisYearHours(const SettingsFile& ini);
// The local moment the statistics were last counted: History/LastCounted, or for a file
// without it (older versions) Parameters/FromDate; nothing when neither is stored.
std::optional<DateTime> ReadLastCounting(const SettingsFile& ini);
// Whether that moment lies in an earlier year than `now`.
bool CountedInAnEarlierYear(const SettingsFile& ini, DateTime now);

// The figures above on given settings: HoursToKwh(h) is HoursToKwh(h, ReadEnergyRates(..)),
// CalcPowerKwh() is HoursToKwh(CalcHours(), ...), CalcThisYearCo2() is
// ThisYearCo2(ReadThisYearHours(..), ...), and so on.
double HoursToKwh(double hours, const EnergyRates& rates);
double HoursToFee(double hours, const EnergyRates& rates);
double HoursToCo2(double hours, const EnergyRates& rates);
double ThisYearCo2(double this_year_hours, const EnergyRates& rates);
// GetFromDate on the given settings file.
DateTime GetFromDate(SettingsFile& ini);

// A window colour: red in bits 0-7, green in 8-15, blue in 16-23.
uint32_t MakeRGB(uint8_t r, uint8_t g, uint8_t b);

// value / f to the nearest integer (ties to even) times f, f being the double nearest
// 0.001, both steps with a 64-bit significand. Raises MathError when the quotient falls
// outside the signed 64-bit range.
double RoundFigure(double value);

}  // namespace wd
