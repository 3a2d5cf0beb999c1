#include "energy/power_record.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>

#include "energy/xml_document.h"

namespace wd {
namespace {

// A rendered event is a few kilobytes; anything far larger is not one.
constexpr size_t kMaxXmlBytes = 1 << 20;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Decimal, or hexadecimal after "0x" (how manifests render HexInt32 fields).
std::optional<uint64_t> ParseUnsigned(std::string_view text, uint64_t max) {
  text = Trim(text);
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    unsigned d;
    if (c >= '0' && c <= '9')
      d = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = static_cast<unsigned>(c - 'A' + 10);
    else
      return std::nullopt;
    if (value > (max - d) / base) return std::nullopt;
    value = value * base + d;
  }
  return value;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

int Digits(std::string_view text, size_t at, size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// SYSTEM_POWER_STATE as Kernel-Power 42 gives it.
constexpr uint32_t kPowerStateHibernate = 5;  // S4
constexpr uint32_t kPowerStateShutdown = 6;   // S5

constexpr std::string_view kKernelGeneral = "Microsoft-Windows-Kernel-General";
constexpr std::string_view kKernelPower = "Microsoft-Windows-Kernel-Power";
constexpr std::string_view kKernelBoot = "Microsoft-Windows-Kernel-Boot";
constexpr std::string_view kPowerTroubleshooter = "Microsoft-Windows-Power-Troubleshooter";

}  // namespace

std::optional<DateTime> ParseEventTime(std::string_view text) {
  text = Trim(text);
  constexpr std::string_view kLeftToRightMark = "\xE2\x80\x8E";
  if (text.starts_with(kLeftToRightMark)) text.remove_prefix(kLeftToRightMark.size());
  // yyyy-mm-ddThh:mm:ss
  if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text.back() != 'Z')
    return std::nullopt;
  const int year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
  const int hour = Digits(text, 11, 2), minute = Digits(text, 14, 2);
  const int second = Digits(text, 17, 2);
  if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 ||
      !IsValidDate(year, month, day) || hour > 23 || minute > 59 || second > 59)
    return std::nullopt;
  double fraction = 0;
  std::string_view rest = text.substr(19, text.size() - 20);
  if (!rest.empty()) {
    if (rest[0] != '.' || rest.size() < 2 || rest.size() > 10) return std::nullopt;
    double scale = 0.1;
    for (char c : rest.substr(1)) {
      if (c < '0' || c > '9') return std::nullopt;
      fraction += (c - '0') * scale;
      scale /= 10;
    }
  }
  return EncodeDate(year, month, day) +
         ((hour * 60.0 + minute) * 60.0 + second + fraction) / kSecondsPerDay;
}

std::optional<PowerEvent> ParsePowerEvent(std::string_view xml) {
  if (xml.size() > kMaxXmlBytes) return std::nullopt;
  const auto root = xml::ReadDocument(xml);
  if (!root || root->name != "Event") return std::nullopt;
  const xml::Node* system = root->Child("System");
  if (!system) return std::nullopt;
  const xml::Node* provider = system->Child("Provider");
  const xml::Node* event_id_node = system->Child("EventID");
  const xml::Node* created = system->Child("TimeCreated");
  if (!provider || !event_id_node || !created) return std::nullopt;
  const std::string* provider_name = provider->Attribute("Name");
  const std::string* created_text = created->Attribute("SystemTime");
  if (!provider_name || !created_text) return std::nullopt;
  const auto event_id = ParseUnsigned(event_id_node->text, 0xFFFF);
  const auto time_created = ParseEventTime(*created_text);
  if (!event_id || !time_created) return std::nullopt;

  PowerEvent event;
  event.time_created = *time_created;
  event.moment = *time_created;
  if (const xml::Node* record = system->Child("EventRecordID")) {
    const auto id = ParseUnsigned(record->text, std::numeric_limits<uint64_t>::max());
    if (!id) return std::nullopt;
    event.record_id = *id;
  }

  // The named Data of EventData; an event without them has an empty list.
  std::vector<std::pair<std::string_view, std::string_view>> data;
  if (const xml::Node* event_data = root->Child("EventData")) {
    for (const auto& child : event_data->children) {
      if (child->name != "Data") continue;
      if (const std::string* name = child->Attribute("Name")) data.emplace_back(*name, child->text);
    }
  }
  const auto field = [&data](std::string_view name) -> std::optional<std::string_view> {
    for (const auto& [k, v] : data)
      if (k == name) return v;
    return std::nullopt;
  };
  // A time field that is there must read; one that is not leaves TimeCreated.
  const auto time_field = [&field](std::string_view name, DateTime& into) {
    const auto text = field(name);
    if (!text) return true;
    const auto value = ParseEventTime(*text);
    if (value) into = *value;
    return value.has_value();
  };
  const auto number_field = [&field](std::string_view name, std::optional<uint32_t>& into) {
    const auto text = field(name);
    if (!text) return true;
    const auto value = ParseUnsigned(*text, 0xFFFFFFFFu);
    if (value) into = static_cast<uint32_t>(*value);
    return value.has_value();
  };

  const std::string_view name = *provider_name;
  if (EqualsNoCase(name, kKernelGeneral)) {
    if (*event_id == 12) {
      event.kind = PowerEventKind::kStart;
      if (!time_field("StartTime", event.moment)) return std::nullopt;
    } else if (*event_id == 13) {
      event.kind = PowerEventKind::kShutdown;
      if (!time_field("StopTime", event.moment)) return std::nullopt;
    } else {
      return std::nullopt;
    }
  } else if (EqualsNoCase(name, kKernelPower)) {
    if (*event_id == 41) {
      event.kind = PowerEventKind::kUnexpectedShutdown;
    } else if (*event_id == 42) {
      std::optional<uint32_t> effective;
      if (!number_field("TargetState", event.target_state) ||
          !number_field("EffectiveState", effective) || !number_field("Reason", event.reason))
        return std::nullopt;
      // The state entered where the event says it, else the one asked for.
      const auto state = effective ? effective : event.target_state;
      event.kind = state == kPowerStateHibernate  ? PowerEventKind::kHibernate
                   : state == kPowerStateShutdown ? PowerEventKind::kShutdownTransition
                                                  : PowerEventKind::kSleep;
    } else if (*event_id == 107) {
      event.kind = PowerEventKind::kResume;
    } else if (*event_id == 109) {
      event.kind = PowerEventKind::kShutdownTransition;
    } else {
      return std::nullopt;
    }
  } else if (EqualsNoCase(name, kKernelBoot)) {
    if (*event_id != 27) return std::nullopt;
    const auto boot_type_text = field("BootType");
    const auto boot_type =
        boot_type_text ? ParseUnsigned(*boot_type_text, 0xFFFFFFFFu) : std::nullopt;
    if (boot_type == 0u)
      event.kind = PowerEventKind::kColdBoot;
    else if (boot_type == 1u)
      event.kind = PowerEventKind::kFastStartupBoot;
    else if (boot_type == 2u)
      event.kind = PowerEventKind::kResumeFromHibernation;
    else
      return std::nullopt;
  } else if (EqualsNoCase(name, kPowerTroubleshooter)) {
    if (*event_id != 1) return std::nullopt;
    event.kind = PowerEventKind::kWake;
    if (!time_field("WakeTime", event.moment)) return std::nullopt;
    if (const auto sleep_text = field("SleepTime")) {
      event.sleep_time = ParseEventTime(*sleep_text);
      if (!event.sleep_time) return std::nullopt;
    }
  } else {
    return std::nullopt;
  }
  return event;
}

bool BeginsRunning(PowerEventKind kind) {
  switch (kind) {
    case PowerEventKind::kStart:
    case PowerEventKind::kResume:
    case PowerEventKind::kWake:
    case PowerEventKind::kColdBoot:
    case PowerEventKind::kFastStartupBoot:
    case PowerEventKind::kResumeFromHibernation:
      return true;
    default:
      return false;
  }
}

bool EndsRunning(PowerEventKind kind) {
  switch (kind) {
    case PowerEventKind::kShutdown:
    case PowerEventKind::kShutdownTransition:
    case PowerEventKind::kSleep:
    case PowerEventKind::kHibernate:
      return true;
    default:
      return false;
  }
}

std::vector<RunningInterval> RunningIntervals(std::vector<PowerEvent> events, DateTime now_utc) {
  std::stable_sort(events.begin(), events.end(), [](const PowerEvent& a, const PowerEvent& b) {
    if (a.moment != b.moment) return a.moment < b.moment;
    return a.record_id < b.record_id;
  });
  std::vector<RunningInterval> intervals;
  const auto close = [&](DateTime start, DateTime end) {
    end = std::min(end, now_utc);
    if (end > start) intervals.push_back({start, end, false});
  };
  bool open = false;
  DateTime start = 0;
  // The latest moment the record vouches for the open interval: its beginning, or a
  // later report of a beginning within it.
  DateTime vouched = 0;
  for (const PowerEvent& event : events) {
    if (BeginsRunning(event.kind)) {
      if (open) {
        if (event.sleep_time && *event.sleep_time > start) {
          // A wake that says when the system went to sleep closes the interval there,
          // though no sleep event of its own was kept.
          close(start, std::max(*event.sleep_time, vouched));
        } else if (event.moment - vouched <= kSameMomentDays) {
          vouched = std::max(vouched, event.moment);  // the same beginning again
          continue;
        } else {
          // A beginning with no ending before it: the computer stopped without a word
          // (a fault, a power cut). Nothing says how long it still ran.
          close(start, vouched);
        }
      }
      open = true;
      start = event.moment;
      vouched = event.moment;
    } else if (EndsRunning(event.kind) && open) {
      close(start, event.moment);
      open = false;
    }
  }
  if (open && now_utc > start) intervals.push_back({start, now_utc, true});
  return intervals;
}

std::vector<std::pair<DateTime, double>> SplitByLocalDay(
    const std::vector<RunningInterval>& intervals,
    const std::function<double(DateTime utc)>& local_offset_days) {
  // A moment this close before a local midnight is taken as the midnight itself, so that
  // an interval starting at one is not credited with a sliver of the day before when
  // the sum of the UTC moment and the offset falls short by a rounding.
  constexpr double kRoundingDays = 1e-9;
  std::map<DateTime, double> days;
  for (const RunningInterval& interval : intervals) {
    DateTime cursor = interval.start;
    DateTime local_day = std::floor(cursor + local_offset_days(cursor) + kRoundingDays);
    while (cursor < interval.end) {
      // The local midnight that ends local_day, in UTC. The offset there may differ from
      // the one at the cursor (a change to or from summer time), so it is asked again at
      // the moment found.
      DateTime next = local_day + 1 - local_offset_days(cursor);
      for (int i = 0; i < 3; ++i) {
        const DateTime again = local_day + 1 - local_offset_days(next);
        if (again == next) break;
        next = again;
      }
      next = std::min(next, interval.end);
      if (next > cursor) {
        days[local_day] += (next - cursor) * 24.0;
        cursor = next;
      }
      local_day += 1;
    }
  }
  return {days.begin(), days.end()};
}

std::string PowerEventQuery(DateTime since_utc) {
  const CalendarTime t = DecodeDateTime(since_utc);
  char since[40];
  std::snprintf(since, sizeof since, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond);
  std::string query = "*[System[TimeCreated[@SystemTime>='";
  query += since;
  query += "'] and (";
  query += "(Provider[@Name='Microsoft-Windows-Kernel-General'] and (EventID=12 or EventID=13))";
  query += " or (Provider[@Name='Microsoft-Windows-Kernel-Power'] and (EventID=41 or EventID=42";
  query += " or EventID=107 or EventID=109))";
  query += " or (Provider[@Name='Microsoft-Windows-Kernel-Boot'] and EventID=27)";
  query += " or (Provider[@Name='Microsoft-Windows-Power-Troubleshooter'] and EventID=1)";
  query += ")]]";
  return query;
}

}  // namespace wd
