// The computer's running intervals from Windows' own record: the events of the System log
// that mark a start, a shutdown, a sleep, a hibernation and a wake (docs/event-log.md).
// ParsePowerEvent reads one event as EvtRender gives it (rendered event XML),
// RunningIntervals puts a sequence of them together into the periods in which the
// computer ran, and SplitByLocalDay hands those out to local days. No Windows calls here.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/datetime.h"

namespace wd {

enum class PowerEventKind {
  kStart,                  // Kernel-General 12: the operating system started
  kShutdown,               // Kernel-General 13: the operating system is shutting down
  kShutdownTransition,     // Kernel-Power 109: the power manager began a shutdown
  kSleep,                  // Kernel-Power 42 to S1..S3
  kHibernate,              // Kernel-Power 42 to S4 (also Fast Startup's "shut down")
  kResume,                 // Kernel-Power 107: the system resumed from sleep
  kWake,                   // Power-Troubleshooter 1: back from a low power state
  kUnexpectedShutdown,     // Kernel-Power 41, written at the start after the fault
  kColdBoot,               // Kernel-Boot 27, boot type 0
  kFastStartupBoot,        // Kernel-Boot 27, boot type 1 (hybrid boot)
  kResumeFromHibernation,  // Kernel-Boot 27, boot type 2
};

struct PowerEvent {
  PowerEventKind kind = PowerEventKind::kStart;
  // The moment the event stands for, UTC: StartTime, StopTime or WakeTime where the event
  // carries it, otherwise when it was written (TimeCreated).
  DateTime moment = 0;
  DateTime time_created = 0;  // UTC
  uint64_t record_id = 0;     // 0 when the event has none
  // Power-Troubleshooter 1: when the system went to sleep (the moment is the wake).
  std::optional<DateTime> sleep_time;
  // Kernel-Power 42: the state asked for and the reason code, as the event gives them.
  std::optional<uint32_t> target_state;
  std::optional<uint32_t> reason;
};

// One rendered event; nullopt for an event that is not one of those above, or XML that is
// not well formed, or a field that does not read (a time, a number out of range).
std::optional<PowerEvent> ParsePowerEvent(std::string_view xml);

// True for events after which the computer runs, and for those after which it does not.
bool BeginsRunning(PowerEventKind kind);
bool EndsRunning(PowerEventKind kind);

struct RunningInterval {
  DateTime start = 0;     // UTC
  DateTime end = 0;       // UTC
  bool ends_now = false;  // the computer still runs: end is the `now` asked with
  bool operator==(const RunningInterval&) const = default;
};

// Two events of one kind (beginning or ending) this close stand for one moment, reported
// by two providers or twice by one.
inline constexpr double kSameMomentDays = 120.0 / kSecondsPerDay;

// The intervals in which the computer ran according to the events, in time order and
// without overlap: each beginning (start, wake, resume) up to the next ending (sleep,
// hibernation, shutdown). An interval the record does not close (a fault, a power cut:
// the next beginning comes without an ending) ends at the last moment the record vouches
// for the computer running, never later; the last interval, if open, runs up to now_utc.
// Endings before the first beginning are skipped: the record holds nothing of when
// that period began.
std::vector<RunningInterval> RunningIntervals(std::vector<PowerEvent> events, DateTime now_utc);

// The intervals split at local midnights and summed per local date: pairs of (the local
// date at midnight, hours in it), in date order. local_offset_days gives, for a UTC
// moment, local time less UTC in days (+8 h for Taipei is 8.0 / 24).
std::vector<std::pair<DateTime, double>> SplitByLocalDay(
    const std::vector<RunningInterval>& intervals,
    const std::function<double(DateTime utc)>& local_offset_days);

// "yyyy-mm-ddThh:mm:ss[.f...]Z" as the event log writes times (up to 9 fractional
// digits; a leading left-to-right mark, which Windows puts before times in some texts it
// renders, is skipped as a precaution). nullopt for anything else.
std::optional<DateTime> ParseEventTime(std::string_view text);

// The XPath query of the System log for those events written at or after since_utc.
std::string PowerEventQuery(DateTime since_utc);

// The System log's power events since since_utc, rendered as XML (UTF-8), oldest first;
// nullopt when the log cannot be read (no such log, no event log service, an API that
// answers nothing as under Wine). Windows only; elsewhere always nullopt.
std::optional<std::vector<std::string>> ReadSystemPowerEvents(DateTime since_utc);

}  // namespace wd
