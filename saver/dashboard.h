// The arithmetic of the dashboard's tick: the ring animation's step counter, the
// seven ring values, and the seconds and minutes shown from one uptime reading.
// Portable; the saver window draws what these give.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "energy/settings_file.h"
#include "saver/layout.h"

namespace wd::saver {

inline constexpr int kRingCount = 7;

// Ring values by ring, index 0 = ring 1 (outermost) to index 6 = ring 7 (innermost).
using RingValues = std::array<std::int32_t, kRingCount>;

// How many ticks each ring lags behind ring 1 before it starts turning.
inline constexpr std::array<std::int64_t, kRingCount> kRingLags{0, 15, 28, 35, 45, 55, 60};

// The value, 0..59, of a ring with the given lag at the given tick: 0 until the
// counter reaches the lag, then (counter - lag) mod 60.
std::int32_t RingValue(std::int64_t tick_counter, std::int64_t lag);

// All seven ring values at the given tick.
RingValues RingValuesAt(std::int64_t tick_counter);

// The ring values as DrawRings takes them: rings 1, 2, 3, 4, 7, 5, 6.
std::array<float, kRingCount> DrawRingsArguments(const RingValues& values);

// One saver window's animation state. Each window has its own, starting at 0
// when the window is created.
class TickCounter {
 public:
  // One tick: the counter grows by one before anything else, then the ring
  // values follow from it. The first tick sees counter 1.
  const RingValues& Advance();
  // Back to the state of a new window.
  void Reset();

  std::int64_t count() const { return count_; }
  const RingValues& ring_values() const { return ring_values_; }

 private:
  std::int64_t count_ = 0;
  RingValues ring_values_{};
};

// The seconds within the current minute and the minutes within the current hour
// of one uptime reading, with the smaller unit as decimals.
struct UptimeClock {
  double seconds = 0.0;
  double minutes = 0.0;
};

UptimeClock UptimeClockAt(std::int64_t uptime_ms);

// The texts of the seconds and minutes labels: "%3.3f" with the user's decimal
// separator.
struct UptimeClockTexts {
  std::string seconds;
  std::string minutes;
};

UptimeClockTexts UptimeClockTextsAt(std::int64_t uptime_ms);

// The eight label texts of one tick, in the order the tick writes them, every one from
// the same uptime reading and the same reading of the settings (pass a SettingsFile over
// an IniSnapshot: the file is then read once). `write` gets each text as soon as it is
// known, so when a figure raises, the labels before it show their new texts and the
// others keep theirs. The figures are those of CalcHours, CalcPowerKwh, CalcPowerFee,
// CalcCo2, CalcThisYearCo2 and GetFromDate at that uptime.
using LabelWriter = std::function<void(Label, const std::string&)>;
void WriteTickLabels(std::int64_t uptime_ms, SettingsFile& ini, const LabelWriter& write);

}  // namespace wd::saver
