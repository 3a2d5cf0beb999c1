// The System log's power events as the settings window reads them: any bytes cut at NUL
// bytes into rendered events, each read on its own, the events read put together into
// running intervals up to a fixed now and handed out to local days.
#include <cmath>
#include <string_view>
#include <vector>

#include "energy/power_record.h"
#include "fuzz/targets.h"

namespace wd::fuzz {

int PowerEvents(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<PowerEvent> events;
  for (size_t at = 0; at <= text.size();) {
    size_t end = text.find('\0', at);
    if (end == std::string_view::npos) end = text.size();
    if (auto event = ParsePowerEvent(text.substr(at, end - at))) {
      Expect(std::isfinite(event->moment) && std::isfinite(event->time_created),
             "an event's times are finite");
      events.push_back(*event);
    }
    at = end + 1;
  }
  const DateTime now = EncodeDate(2026, 12, 9) + 0.5;
  const auto intervals = RunningIntervals(events, now);
  double hours = 0;
  DateTime last_end = -1e9;
  for (const RunningInterval& interval : intervals) {
    Expect(interval.start < interval.end, "an interval has a length");
    Expect(interval.end <= now, "no interval runs past now");
    Expect(interval.start >= last_end, "intervals in order, without overlap");
    last_end = interval.end;
    hours += (interval.end - interval.start) * 24;
  }
  double split = 0;
  for (const auto& [day, day_hours] : SplitByLocalDay(intervals, [](DateTime utc) {
         // Summer time from the middle of each year, to cut some days at a moved midnight.
         return (std::fmod(utc, 365.25) > 182 ? 9.0 : 8.0) / 24;
       })) {
    Expect(day_hours > 0 && day_hours <= 25.0 + 1e-6, "a day holds at most 25 hours");
    split += day_hours;
  }
  Expect(std::fabs(split - hours) <= 1e-6 * (1 + hours), "the days hold the intervals' hours");
  return 0;
}

}  // namespace wd::fuzz
