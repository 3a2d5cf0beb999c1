#include "saver/dashboard.h"

#include "energy/calculate.h"
#include "energy/format_settings.h"

namespace wd::saver {

std::int32_t RingValue(std::int64_t tick_counter, std::int64_t lag) {
  // The remainder keeps the sign of the difference (truncating division); a
  // ring that has not reached its lag yet shows 0.
  const auto d = static_cast<std::int64_t>(static_cast<std::uint64_t>(tick_counter) -
                                           static_cast<std::uint64_t>(lag));
  const std::int64_t r = d % 60;
  return r >= 0 ? static_cast<std::int32_t>(r) : 0;
}

RingValues RingValuesAt(std::int64_t tick_counter) {
  RingValues values{};
  for (int n = 0; n < kRingCount; ++n) values[n] = RingValue(tick_counter, kRingLags[n]);
  return values;
}

std::array<float, kRingCount> DrawRingsArguments(const RingValues& values) {
  return {static_cast<float>(values[0]), static_cast<float>(values[1]),
          static_cast<float>(values[2]), static_cast<float>(values[3]),
          static_cast<float>(values[6]), static_cast<float>(values[4]),
          static_cast<float>(values[5])};
}

const RingValues& TickCounter::Advance() {
  // Wraps instead of overflowing, as a 64-bit register addition would.
  count_ = static_cast<std::int64_t>(static_cast<std::uint64_t>(count_) + 1u);
  ring_values_ = RingValuesAt(count_);
  return ring_values_;
}

void TickCounter::Reset() {
  count_ = 0;
  ring_values_ = RingValues{};
}

UptimeClock UptimeClockAt(std::int64_t uptime_ms) {
  UptimeClock clock;
  clock.seconds = static_cast<double>(uptime_ms % 60000) / 1000.0;
  clock.minutes = static_cast<double>(uptime_ms % 3600000) / 60000.0;
  return clock;
}

UptimeClockTexts UptimeClockTextsAt(std::int64_t uptime_ms) {
  const UptimeClock clock = UptimeClockAt(uptime_ms);
  return {FormatFigure(clock.seconds), FormatFigure(clock.minutes)};
}

void WriteTickLabels(std::int64_t uptime_ms, SettingsFile& ini, const LabelWriter& write) {
  const UptimeClockTexts clock = UptimeClockTextsAt(uptime_ms);
  write(kSeconds, clock.seconds);
  write(kMins, clock.minutes);
  const double hours = UptimeToHours(uptime_ms);
  write(kHours, FormatFigure(hours));
  const EnergyRates rates = ReadEnergyRates(ini);
  write(kPower, FormatFigure(HoursToKwh(hours, rates)));
  write(kPowerFee, FormatFigure(HoursToFee(hours, rates)));
  write(kCo2, FormatFigure(HoursToCo2(hours, rates)));
  write(kThisYearCo2, FormatFigure(ThisYearCo2(ReadThisYearHours(ini), rates)));
  write(kFromdate, FormatShortDate(GetFromDate(ini)));
}

}  // namespace wd::saver
