// Every key of WattDial.INI in one place: its section, its name, its type, and what a
// reader gets when the key is absent or unreadable. The figures, the saver and the dialog
// all read and write through these (SettingsFile::Read and Write).
#pragma once

#include "common/datetime.h"

namespace wd::keys {

struct FloatKey {
  const char* section;
  const char* name;
  double fallback;
};
struct FlagKey {
  const char* section;
  const char* name;
  bool fallback;
};
struct TextKey {
  const char* section;
  const char* name;
  const char* fallback;
};
struct DateKey {
  const char* section;
  const char* name;
  DateTime fallback;
};
struct TimeKey {
  const char* section;
  const char* name;
  DateTime fallback;
};

// Parameters: what the user sets in the dialog, and the date the statistics count from.
inline constexpr FloatKey kWatts{"Parameters", "Watts", 30};
// The dialog's watts box shows this where nothing is stored (the figures compute with
// kWatts.fallback); its first close stores it.
inline constexpr double kDialogWatts = 107.125;
inline constexpr FloatKey kUnitFee{"Parameters", "UnitFee", 2.59};
inline constexpr FloatKey kUnitCo2{"Parameters", "UnitCo2", 0.637};
// The date-time 10.0: only its time of day, 00:00:00, is used.
inline constexpr TimeKey kAlarmTime{"Parameters", "AlarmTime", 10.0};
inline constexpr FlagKey kAutoSntp{"Parameters", "AutoSNTP", true};
inline constexpr TextKey kSntpServer{"Parameters", "SNTPServer", "time.stdtime.gov.tw"};
// 0: none stored.
inline constexpr DateKey kFromDate{"Parameters", "FromDate", 0};

// History: the statistics totals in hours, in the user's number format.
inline constexpr FloatKey kToday{"History", "Today", 0};
inline constexpr FloatKey kThisWeek{"History", "ThisWeek", 0};
inline constexpr FloatKey kThisMonth{"History", "ThisMonth", 0};
inline constexpr FloatKey kThisYear{"History", "ThisYear", 0};
// History: what the last counting saw, in forms no locale changes.
inline constexpr TextKey kLastCounted{"History", "LastCounted", ""};  // local yyyy-mm-dd hh:mm:ss
inline constexpr TextKey kCountedAt{"History", "CountedAt", ""};      // UTC, with milliseconds
inline constexpr TextKey kCountedSinceStart{"History", "CountedSinceStart", ""};  // ms
inline constexpr TextKey kCountedSuspended{"History", "CountedSuspended", ""};    // ms
inline constexpr TextKey kCountedRunning{"History", "CountedRunning", ""};        // ms
// Written by the version before, read where the keys above are absent.
inline constexpr TextKey kCountedBoot{"History", "CountedBoot", ""};
inline constexpr TextKey kCountedHours{"History", "CountedHours", ""};

// Days: the running hours of each of the last 400 days, one key per day named
// yyyy-mm-dd, with a '.' whatever the locale.
inline constexpr char kDays[] = "Days";

// Form: whether the dialog was maximised.
inline constexpr FlagKey kInitMax{"Form", "InitMax", false};

}  // namespace wd::keys
