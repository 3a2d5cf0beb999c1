#include "energy/power_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/energy/power_events_xml.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace wd {
namespace {

using namespace wd::test;

DateTime T(const char* text) {
  const auto value = ParseEventTime(text);
  EXPECT_TRUE(value) << text;
  return value.value_or(0);
}

// --- Reading one event -------------------------------------------------------------------

TEST(PowerEventTest, ReadsEachKindAndItsMoment) {
  struct Case {
    std::string xml;
    PowerEventKind kind;
    const char* moment;
    uint64_t record;
  };
  const Case cases[] = {
      {kWltStart, PowerEventKind::kStart, "2017-01-01T21:18:30.4937166Z", 1},
      {kWltShutdown, PowerEventKind::kShutdown, "2017-01-01T21:23:31.1051838Z", 308},
      {kWltCrash, PowerEventKind::kUnexpectedShutdown, "2017-01-16T17:25:11.7238795Z", 1569},
      {kWltSleep, PowerEventKind::kSleep, "2017-01-01T22:19:38.7269787Z", 519},
      {kDevStart, PowerEventKind::kStart, "2021-01-20T13:56:49.5Z", 2830},
      {kDevColdBoot, PowerEventKind::kColdBoot, "2021-01-20T13:56:51.3302499Z", 2836},
      {Boot("2026-12-09T07:30:02Z", "0x1", 7), PowerEventKind::kFastStartupBoot,
       "2026-12-09T07:30:02Z", 7},
      {Boot("2026-12-09T07:30:02Z", "2", 8), PowerEventKind::kResumeFromHibernation,
       "2026-12-09T07:30:02Z", 8},
      {Sleep("2026-12-09T12:00:00Z", 5, 9), PowerEventKind::kHibernate, "2026-12-09T12:00:00Z", 9},
      {Resume("2026-12-09T13:00:00Z", 10), PowerEventKind::kResume, "2026-12-09T13:00:00Z", 10},
      {ShutdownBegins("2026-12-09T22:00:00Z", 11), PowerEventKind::kShutdownTransition,
       "2026-12-09T22:00:00Z", 11},
      {Wake("2010-10-01T19:19:37.239789600Z", "2010-10-01T21:28:48.921200800Z",
            "2010-10-01T21:28:50Z", 2841),
       PowerEventKind::kWake, "2010-10-01T21:28:48.9212008Z", 2841},
      // A left-to-right mark before a time, as Windows puts in some texts it renders.
      {Start("\xE2\x80\x8E"
             "2026-12-09T08:00:00.5Z",
             "2026-12-09T08:00:02Z", 12),
       PowerEventKind::kStart, "2026-12-09T08:00:00.5Z", 12},
      // Entities in attribute values and text, and a prolog and comment around the root.
      {"<?xml version='1.0'?><!-- c --><Event xmlns='x'><System><Provider Name='Microsoft-"
       "Windows-Kernel-Power'/><EventID> 107 </EventID><TimeCreated SystemTime=\"2026-12-09T"
       "13:00:00Z\"/><EventRecordID>&#52;2</EventRecordID><Computer>a&amp;b&lt;&gt;&quot;&apos;"
       "</Computer></System></Event> ",
       PowerEventKind::kResume, "2026-12-09T13:00:00Z", 42},
  };
  for (const Case& c : cases) {
    const auto event = ParsePowerEvent(c.xml);
    ASSERT_TRUE(event) << c.xml;
    EXPECT_EQ(event->kind, c.kind) << c.xml;
    EXPECT_NEAR(event->moment, T(c.moment), 1e-6 / kSecondsPerDay) << c.xml;
    EXPECT_EQ(event->record_id, c.record) << c.xml;
  }
  const auto wake = ParsePowerEvent(cases[11].xml);
  ASSERT_TRUE(wake && wake->sleep_time);
  EXPECT_NEAR(*wake->sleep_time, T("2010-10-01T19:19:37.2397896Z"), 1e-6 / kSecondsPerDay);
  EXPECT_EQ(ParsePowerEvent(kWltSleep)->target_state, 4u);
}

TEST(PowerEventTest, RefusesOtherEventsAndMalformedXml) {
  const std::string deep = [] {
    std::string s;
    for (int i = 0; i < 100000; ++i) s += "<a>";
    return s;
  }();
  const std::string cases[] = {
      "",
      "<Event/>",
      // Events of other providers or other IDs.
      Render("Microsoft-Windows-Kernel-General", kGeneralGuid, 1, "2026-12-09T08:00:00Z", 1, ""),
      Render(kPower, kPowerGuid, 43, "2026-12-09T08:00:00Z", 1, ""),
      Render("EventLog", "", 6008, "2026-12-09T08:00:00Z", 1, ""),
      Boot("2026-12-09T08:00:00Z", "3", 1),
      Boot("2026-12-09T08:00:00Z", "", 1),
      // Numbers and times that do not read.
      Resume("2026-12-09T08:00:00Z", 1)
          .replace(Resume("2026-12-09T08:00:00Z", 1).find("<EventRecordID>1") + 15, 1,
                   "99999999999999999999999"),
      Sleep("2026-12-09T08:00:00Z", 4, 1)
          .replace(Sleep("2026-12-09T08:00:00Z", 4, 1).find("'TargetState'>4") + 14, 1,
                   "4294967296"),
      Render(kPower, kPowerGuid, 65536 + 107, "2026-12-09T08:00:00Z", 1, ""),
      Resume("2026-13-09T08:00:00Z", 1),
      Resume("2026-02-29T08:00:00Z", 1),
      Resume("2026-12-09T24:00:00Z", 1),
      Resume("2026-12-09T08:00:00.1234567890Z", 1),
      Resume("2026-12-09T08:00:00+01:00", 1),
      Resume("2026-12-09 08:00:00Z", 1),
      Start("yesterday", "2026-12-09T08:00:00Z", 1),
      Wake("2026-12-09T08:00:00Z", "soon", "2026-12-09T08:00:00Z", 1),
      deep,
  };
  for (const std::string& xml : cases) EXPECT_FALSE(ParsePowerEvent(xml)) << xml;

  // XML that is not well formed: one fault put into an event that reads.
  const std::string good = Resume("2026-12-09T08:00:00Z", 1);
  ASSERT_TRUE(ParsePowerEvent(good));
  const std::pair<const char*, const char*> faults[] = {
      {"Kernel-Power'", "Kernel-Power"},  // an attribute value never closed
      {"Name='Microsoft-Windows-Kernel-Power'", "Name=Microsoft-Windows-Kernel-Power"},
      {"Kernel-Power'", "Kernel-Power' Name='x'"},  // the same attribute twice
      {"ThreadID='8'", "ThreadID='8<'"},
      {"</System>", ""},
      {"</System>", "</Sys>"},
      {"<Correlation/>", "<Correlation>"},
      {"<Correlation/>", "<!-- never closed"},
      {"<Correlation/>", "<![CDATA[ never closed"},
      {"<Computer>PC", "<Computer>P<C"},
      {"<Computer>PC", "<Computer>&nbsp;"},
      {"<Computer>PC", "<Computer>&#0;"},
      {"<Computer>PC", "<Computer>&#x110000;"},
      {"<Computer>PC", "<Computer>&#xD800;"},
      {"<Computer>PC", "<Computer>&amp"},
      {"</EventData></Event>", "</EventData></Event><Event/>"},
      {"</EventData></Event>", "</EventData></Event>trailing text"},
  };
  for (const auto& [from, to] : faults) {
    std::string xml = good;
    ASSERT_NE(xml.find(from), std::string::npos) << from;
    xml.replace(xml.find(from), std::string_view(from).size(), to);
    EXPECT_FALSE(ParsePowerEvent(xml)) << xml;
  }
  // Every prefix of a real event stops short of its end tag: none reads, and none reads
  // beyond its end (the native build runs with AddressSanitizer; each prefix is a heap
  // block of exactly its size, so that a read past it is caught).
  for (const std::string_view full : {kWltCrash, kDevStart}) {
    for (size_t n = 0; n < full.size() - 1; ++n) {
      const std::vector<char> prefix(full.begin(), full.begin() + static_cast<ptrdiff_t>(n));
      EXPECT_FALSE(ParsePowerEvent(std::string_view(prefix.data(), prefix.size()))) << n;
    }
  }
}

// --- Running intervals -------------------------------------------------------------------

struct Expected {
  const char* start;
  const char* end;
  bool ends_now = false;
};

std::vector<RunningInterval> Intervals(const std::vector<std::string>& xml, const char* now) {
  std::vector<PowerEvent> events;
  for (const std::string& x : xml) {
    auto event = ParsePowerEvent(x);
    EXPECT_TRUE(event) << x;
    if (event) events.push_back(*event);
  }
  return RunningIntervals(events, T(now));
}

TEST(RunningIntervalsTest, Sequences) {
  struct Case {
    const char* name;
    std::vector<std::string> events;
    const char* now;
    std::vector<Expected> expected;
  };
  const Case cases[] = {
      {"a day with a sleep, each moment told by two providers",
       {Start("2026-12-09T00:00:00.5Z", "2026-12-09T00:00:02Z", 1),
        Boot("2026-12-09T00:00:02Z", "0", 2), Sleep("2026-12-09T04:00:00Z", 4, 3),
        Resume("2026-12-09T05:00:00Z", 4),
        Wake("2026-12-09T04:00:01Z", "2026-12-09T04:59:59Z", "2026-12-09T05:00:03Z", 5),
        Shutdown("2026-12-09T10:00:00Z", 6)},
       "2026-12-09T12:00:00Z",
       {{"2026-12-09T00:00:00.5Z", "2026-12-09T04:00:00Z"},
        {"2026-12-09T04:59:59Z", "2026-12-09T10:00:00Z"}}},
      {"Fast Startup over a night: the evening's shutdown is a hibernation",
       {Start("2026-12-08T01:00:00Z", "2026-12-08T01:00:02Z", 10),
        ShutdownBegins("2026-12-08T14:00:00Z", 11), Sleep("2026-12-08T14:00:04Z", 5, 12),
        Boot("2026-12-08T23:30:00Z", "0x1", 13), Resume("2026-12-08T23:30:01Z", 14)},
       "2026-12-09T02:00:00Z",
       {{"2026-12-08T01:00:00Z", "2026-12-08T14:00:00Z"},
        {"2026-12-08T23:30:00Z", "2026-12-09T02:00:00Z", true}}},
      {"hibernation, the wake telling when it went down",
       {Start("2026-12-09T01:00:00Z", "2026-12-09T01:00:02Z", 20),
        Sleep("2026-12-09T03:00:00Z", 5, 21), Boot("2026-12-09T09:00:00Z", "2", 22),
        Wake("2026-12-09T03:00:00Z", "2026-12-09T09:00:00Z", "2026-12-09T09:00:05Z", 23),
        Shutdown("2026-12-09T11:00:00Z", 24)},
       "2026-12-10T00:00:00Z",
       {{"2026-12-09T01:00:00Z", "2026-12-09T03:00:00Z"},
        {"2026-12-09T09:00:00Z", "2026-12-09T11:00:00Z"}}},
      {"a wake whose sleep event was not kept ends the interval at its SleepTime",
       {Start("2026-12-09T01:00:00Z", "2026-12-09T01:00:02Z", 30),
        Wake("2026-12-09T03:00:00Z", "2026-12-09T04:00:00Z", "2026-12-09T04:00:05Z", 31)},
       "2026-12-09T05:00:00Z",
       {{"2026-12-09T01:00:00Z", "2026-12-09T03:00:00Z"},
        {"2026-12-09T04:00:00Z", "2026-12-09T05:00:00Z", true}}},
      {"a crash: nothing counted after the last moment the record vouches for",
       {Start("2026-12-09T01:00:00Z", "2026-12-09T01:00:02Z", 40),
        Sleep("2026-12-09T02:00:00Z", 4, 41), Resume("2026-12-09T03:00:00Z", 42),
        Start("2026-12-09T08:00:00Z", "2026-12-09T08:00:02Z", 43),
        Crash("2026-12-09T08:00:03Z", 44)},
       "2026-12-09T09:00:00Z",
       {{"2026-12-09T01:00:00Z", "2026-12-09T02:00:00Z"},
        {"2026-12-09T08:00:00Z", "2026-12-09T09:00:00Z", true}}},
      {"a log that begins in the middle of a period starts at its first beginning",
       {Sleep("2026-12-09T02:00:00Z", 4, 500), Shutdown("2026-12-09T02:30:00Z", 501),
        Resume("2026-12-09T06:00:00Z", 502), Shutdown("2026-12-09T09:00:00Z", 503)},
       "2026-12-09T10:00:00Z",
       {{"2026-12-09T06:00:00Z", "2026-12-09T09:00:00Z"}}},
      {"two starts with no shutdown between",
       {Start("2026-12-09T01:00:00Z", "2026-12-09T01:00:02Z", 60),
        Start("2026-12-09T05:00:00Z", "2026-12-09T05:00:02Z", 61),
        Shutdown("2026-12-09T06:00:00Z", 62)},
       "2026-12-09T10:00:00Z",
       {{"2026-12-09T05:00:00Z", "2026-12-09T06:00:00Z"}}},
      {"events out of order and read twice",
       {Shutdown("2026-12-09T06:00:00Z", 72), Resume("2026-12-09T03:00:00Z", 71),
        Sleep("2026-12-09T02:00:00Z", 4, 70), Resume("2026-12-09T03:00:00Z", 71),
        Shutdown("2026-12-09T06:00:00Z", 72)},
       "2026-12-09T10:00:00Z",
       {{"2026-12-09T03:00:00Z", "2026-12-09T06:00:00Z"}}},
      {"a clock set back: nothing counted past now",
       {Start("2026-12-09T01:00:00Z", "2026-12-09T01:00:02Z", 80),
        Shutdown("2026-12-09T06:00:00Z", 81)},
       "2026-12-09T04:00:00Z",
       {{"2026-12-09T01:00:00Z", "2026-12-09T04:00:00Z"}}},
      {"the real boot of [dev], running still",
       {kDevColdBoot, kDevStart},
       "2021-01-20T14:00:00Z",
       {{"2021-01-20T13:56:49.5Z", "2021-01-20T14:00:00Z", true}}},
      {"the real day of [wlt]: a start, a shutdown, a start and a sleep",
       {kWltStart, kWltShutdown, Start("2017-01-01T21:24:30Z", "2017-01-01T21:24:32Z", 310),
        kWltSleep},
       "2017-01-02T00:00:00Z",
       {{"2017-01-01T21:18:30.4937166Z", "2017-01-01T21:23:31.1051838Z"},
        {"2017-01-01T21:24:30Z", "2017-01-01T22:19:38.7269787Z"}}},
  };
  for (const Case& c : cases) {
    const auto got = Intervals(c.events, c.now);
    ASSERT_EQ(got.size(), c.expected.size()) << c.name;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_NEAR(got[i].start, T(c.expected[i].start), 1e-6 / kSecondsPerDay) << c.name;
      EXPECT_NEAR(got[i].end, T(c.expected[i].end), 1e-6 / kSecondsPerDay) << c.name;
      EXPECT_EQ(got[i].ends_now, c.expected[i].ends_now) << c.name;
    }
  }
}

// --- Local days --------------------------------------------------------------------------

TEST(SplitByLocalDayTest, CreditsEachLocalDay) {
  const auto taipei = [](DateTime) { return 8.0 / 24; };
  // Central Europe: summer time (+2 h) from 2027-03-28 01:00 UTC.
  const auto europe = [](DateTime utc) {
    return (utc >= T("2027-03-28T01:00:00Z") ? 2.0 : 1.0) / 24;
  };
  struct Case {
    const char* name;
    std::vector<std::string> events;
    const char* now;
    std::function<double(DateTime)> offset;
    std::vector<std::pair<const char*, double>> expected;  // local date, hours
  };
  const Case cases[] = {
      {"over midnight (22:00 to 02:00 in Taipei)",
       {Resume("2026-12-09T14:00:00Z", 1), Sleep("2026-12-09T18:00:00Z", 4, 2)},
       "2026-12-10T12:00:00Z",
       taipei,
       {{"2026-12-09T00:00:00Z", 2}, {"2026-12-10T00:00:00Z", 2}}},
      {"a week start: Sunday 23:30 to Monday 00:45",
       {Resume("2026-12-13T15:30:00Z", 1), Shutdown("2026-12-13T16:45:00Z", 2)},
       "2026-12-14T12:00:00Z",
       taipei,
       {{"2026-12-13T00:00:00Z", 0.5}, {"2026-12-14T00:00:00Z", 0.75}}},
      {"a month end: 30 November 23:00 to 1 December 01:00, running on",
       {Start("2026-11-30T15:00:00Z", "2026-11-30T15:00:02Z", 1)},
       "2026-11-30T17:00:00Z",
       taipei,
       {{"2026-11-30T00:00:00Z", 1}, {"2026-12-01T00:00:00Z", 1}}},
      {"New Year: 31 December 23:15 to 1 January 00:30",
       {Resume("2026-12-31T15:15:00Z", 1), Sleep("2026-12-31T16:30:00Z", 4, 2)},
       "2027-01-02T00:00:00Z",
       taipei,
       {{"2026-12-31T00:00:00Z", 0.75}, {"2027-01-01T00:00:00Z", 0.5}}},
      {"three days at the end of February",
       {Resume("2027-02-27T04:00:00Z", 1), Shutdown("2027-02-28T22:00:00Z", 2)},
       "2027-03-02T00:00:00Z",
       taipei,
       {{"2027-02-27T00:00:00Z", 12}, {"2027-02-28T00:00:00Z", 24}, {"2027-03-01T00:00:00Z", 6}}},
      {"from one local midnight to another, at +5:45",
       {Resume("2026-12-08T18:15:00Z", 1), Shutdown("2026-12-11T18:15:00Z", 2)},
       "2026-12-12T00:00:00Z",
       [](DateTime) { return 5.75 / 24; },
       {{"2026-12-09T00:00:00Z", 24}, {"2026-12-10T00:00:00Z", 24}, {"2026-12-11T00:00:00Z", 24}}},
      {"the night summer time begins has 23 hours",
       {Resume("2027-03-27T22:00:00Z", 1), Shutdown("2027-03-28T23:00:00Z", 2)},
       "2027-03-30T00:00:00Z",
       europe,
       {{"2027-03-27T00:00:00Z", 1}, {"2027-03-28T00:00:00Z", 23}, {"2027-03-29T00:00:00Z", 1}}},
  };
  for (const Case& c : cases) {
    const auto got = SplitByLocalDay(Intervals(c.events, c.now), c.offset);
    ASSERT_EQ(got.size(), c.expected.size()) << c.name;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].first, T(c.expected[i].first)) << c.name;
      EXPECT_NEAR(got[i].second, c.expected[i].second, 1e-6) << c.name;
    }
  }
}

// --- The System log ----------------------------------------------------------------------

// Whatever the system answers, the reader gives either nothing or events that read. Wine's
// EvtQuery answers nothing, and other systems have no such log: there it is nullopt.
TEST(SystemPowerEventsTest, NothingOrEventsThatRead) {
  bool expect_nothing = true;
#ifdef _WIN32
  expect_nothing =
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#endif
  for (int i = 0; i < 3; ++i) {
    const auto events = ReadSystemPowerEvents(T("2026-01-01T00:00:00Z"));
    if (expect_nothing) {
      EXPECT_FALSE(events);
    } else if (events) {
      for (const std::string& xml : *events) EXPECT_TRUE(ParsePowerEvent(xml)) << xml;
    }
  }
}

}  // namespace
}  // namespace wd
