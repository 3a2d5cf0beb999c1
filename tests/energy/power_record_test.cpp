#include "energy/power_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace wd {
namespace {

DateTime T(const char* text) {
  const auto value = ParseEventTime(text);
  EXPECT_TRUE(value) << text;
  return value.value_or(0);
}

// --- Events as Windows renders them ------------------------------------------------------
//
// Whole events, verbatim but for line breaks, from two public System-log dumps:
// [wlt] the tests of winlogtimeline (tests/test_parser.py, a Python tool that builds
//       timelines of Windows event logs): events of a Windows 10 laptop, build 14393, 2017;
// [dev] an exported System log of Microsoft's Windows 10 evaluation virtual machine
//       "WinDev2012Eval" (build 19041, 2021-01-20), a public GitHub file whose text begins
//       "# EventLog path: `Windows Logs/System`".
// Neither was found with a resolvable web address by our search tools; both are cited by
// name. The other events of this file are made by the functions further down in the same
// form, with the fields and values these references and the pages named there give.

// [wlt] test_parser_id_12
constexpr const char* kWltStart =
    R"(<Event xmlns="http://schemas.microsoft.com/win/2004/08/events/event"><System><Provider Name="Microsoft-Windows-Kernel-General" Guid="{A68CA8B7-004F-D7B6-A698-07E2DE0F1F5D}"/><EventID>12</EventID><Version>0</Version><Level>4</Level><Task>1</Task><Opcode>0</Opcode><Keywords>0x8000000000000080</Keywords><TimeCreated SystemTime="2017-01-01T21:18:30.833529000Z"/><EventRecordID>1</EventRecordID><Correlation/><Execution ProcessID="4" ThreadID="8"/><Channel>System</Channel><Computer>LAPTOP-9KUQNI2Q</Computer><Security UserID="S-1-5-18"/></System><EventData><Data Name="MajorVersion">10</Data><Data Name="MinorVersion">0</Data><Data Name="BuildVersion">14393</Data><Data Name="QfeVersion">576</Data><Data Name="ServiceVersion">0</Data><Data Name="BootMode">0</Data><Data Name="StartTime">2017-01-01T21:18:30.493716600Z</Data></EventData></Event>)";
// [wlt] test_parser_id_13
constexpr const char* kWltShutdown =
    R"(<Event xmlns="http://schemas.microsoft.com/win/2004/08/events/event"><System><Provider Name="Microsoft-Windows-Kernel-General" Guid="{A68CA8B7-004F-D7B6-A698-07E2DE0F1F5D}"/><EventID>13</EventID><Version>0</Version><Level>4</Level><Task>2</Task><Opcode>0</Opcode><Keywords>0x8000000000000080</Keywords><TimeCreated SystemTime="2017-01-01T21:23:31.105184900Z"/><EventRecordID>308</EventRecordID><Correlation/><Execution ProcessID="4" ThreadID="400"/><Channel>System</Channel><Computer>LAPTOP-9KUQNI2Q</Computer><Security/></System><EventData><Data Name="StopTime">2017-01-01T21:23:31.105183800Z</Data></EventData></Event>)";
// [wlt] test_parser_id_41
constexpr const char* kWltCrash =
    R"(<Event xmlns="http://schemas.microsoft.com/win/2004/08/events/event"><System><Provider Name="Microsoft-Windows-Kernel-Power" Guid="{331C3B3A-2005-44C2-AC5E-77220C37D6B4}"/><EventID>41</EventID><Version>4</Version><Level>1</Level><Task>63</Task><Opcode>0</Opcode><Keywords>0x8000400000000002</Keywords><TimeCreated SystemTime="2017-01-16T17:25:11.723879500Z"/><EventRecordID>1569</EventRecordID><Correlation/><Execution ProcessID="4" ThreadID="8"/><Channel>System</Channel><Computer>LAPTOP-9KUQNI2Q</Computer><Security UserID="S-1-5-18"/></System><EventData><Data Name="BugcheckCode">0</Data><Data Name="BugcheckParameter1">0x0000000000000000</Data><Data Name="BugcheckParameter2">0x0000000000000000</Data><Data Name="BugcheckParameter3">0x0000000000000000</Data><Data Name="BugcheckParameter4">0x0000000000000000</Data><Data Name="SleepInProgress">4</Data><Data Name="PowerButtonTimestamp">0</Data><Data Name="BootAppStatus">0</Data><Data Name="Checkpoint">0</Data><Data Name="ConnectedStandbyInProgress">false</Data><Data Name="SystemSleepTransitionsToOn">12</Data><Data Name="CsEntryScenarioInstanceId">0</Data></EventData></Event>)";
// [wlt] test_parser_id_42
constexpr const char* kWltSleep =
    R"(<Event xmlns="http://schemas.microsoft.com/win/2004/08/events/event"><System><Provider Name="Microsoft-Windows-Kernel-Power" Guid="{331C3B3A-2005-44C2-AC5E-77220C37D6B4}"/><EventID>42</EventID><Version>3</Version><Level>4</Level><Task>64</Task><Opcode>0</Opcode><Keywords>0x8000400000000404</Keywords><TimeCreated SystemTime="2017-01-01T22:19:38.726978700Z"/><EventRecordID>519</EventRecordID><Correlation/><Execution ProcessID="4" ThreadID="372"/><Channel>System</Channel><Computer>LAPTOP-9KUQNI2Q</Computer><Security/></System><EventData><Data Name="TargetState">4</Data><Data Name="EffectiveState">4</Data><Data Name="Reason">0</Data><Data Name="Flags">4</Data><Data Name="TransitionsToOn">1</Data></EventData></Event>)";
// [dev] record 2830, as exported: indented, one element a line.
constexpr const char* kDevStart =
    R"(<Event xmlns="http://schemas.microsoft.com/win/2004/08/events/event">
  <System>
    <Provider Name="Microsoft-Windows-Kernel-General" Guid="{a68ca8b7-004f-d7b6-a698-07e2de0f1f5d}" />
    <EventID>12</EventID>
    <Version>0</Version>
    <Level>4</Level>
    <Task>1</Task>
    <Opcode>0</Opcode>
    <Keywords>0x8000000000000080</Keywords>
    <TimeCreated SystemTime="2021-01-20T13:56:51.3299376Z" />
    <EventRecordID>2830</EventRecordID>
    <Correlation />
    <Execution ProcessID="4" ThreadID="8" />
    <Channel>System</Channel>
    <Computer>WinDev2012Eval</Computer>
    <Security UserID="S-1-5-18" />
  </System>
  <EventData>
    <Data Name="MajorVersion">10</Data>
    <Data Name="MinorVersion">0</Data>
    <Data Name="BuildVersion">19041</Data>
    <Data Name="QfeVersion">746</Data>
    <Data Name="ServiceVersion">0</Data>
    <Data Name="BootMode">0</Data>
    <Data Name="StartTime">2021-01-20T13:56:49.5000000Z</Data>
  </EventData>
</Event>)";
// [dev] record 2836, the same start told by the boot loader's provider.
constexpr const char* kDevColdBoot =
    R"(<Event xmlns="http://schemas.microsoft.com/win/2004/08/events/event">
  <System>
    <Provider Name="Microsoft-Windows-Kernel-Boot" Guid="{15ca44ff-4d7a-4baa-bba5-0998955e531e}" />
    <EventID>27</EventID>
    <Version>1</Version>
    <Level>4</Level>
    <Task>33</Task>
    <Opcode>0</Opcode>
    <Keywords>0x8000000000000000</Keywords>
    <TimeCreated SystemTime="2021-01-20T13:56:51.3302499Z" />
    <EventRecordID>2836</EventRecordID>
    <Correlation />
    <Execution ProcessID="4" ThreadID="8" />
    <Channel>System</Channel>
    <Computer>WinDev2012Eval</Computer>
    <Security UserID="S-1-5-18" />
  </System>
  <EventData>
    <Data Name="BootType">0</Data>
    <Data Name="LoadOptions"> NOEXECUTE=OPTIN  HYPERVISORLAUNCHTYPE=AUTO</Data>
  </EventData>
</Event>)";

// Events of the same form as EvtRenderEventXml writes them (single quotes), with the
// fields of each event as its sources give them.
std::string Render(const char* provider, const char* guid, int id, const char* created,
                   uint64_t record, const std::string& data) {
  const std::string guid_attribute = *guid ? std::string(" Guid='") + guid + "'" : "";
  return std::string(
             "<Event xmlns='http://schemas.microsoft.com/win/2004/08/events/event'><System>"
             "<Provider Name='") +
         provider + "'" + guid_attribute + "/><EventID>" + std::to_string(id) +
         "</EventID><Version>0</Version><Level>4</Level><Task>0</Task><Opcode>0</Opcode>"
         "<Keywords>0x8000000000000000</Keywords><TimeCreated SystemTime='" +
         created + "'/><EventRecordID>" + std::to_string(record) +
         "</EventRecordID><Correlation/><Execution ProcessID='4' ThreadID='8'/>"
         "<Channel>System</Channel><Computer>PC</Computer><Security UserID='S-1-5-18'/>"
         "</System><EventData>" +
         data + "</EventData></Event>";
}
std::string Data(const char* name, const std::string& value) {
  return std::string("<Data Name='") + name + "'>" + value + "</Data>";
}
constexpr const char* kGeneral = "Microsoft-Windows-Kernel-General";
constexpr const char* kGeneralGuid = "{A68CA8B7-004F-D7B6-A698-07E2DE0F1F5D}";
constexpr const char* kPower = "Microsoft-Windows-Kernel-Power";
constexpr const char* kPowerGuid = "{331C3B3A-2005-44C2-AC5E-77220C37D6B4}";
constexpr const char* kBoot = "Microsoft-Windows-Kernel-Boot";
constexpr const char* kBootGuid = "{15ca44ff-4d7a-4baa-bba5-0998955e531e}";
constexpr const char* kTroubleshooter = "Microsoft-Windows-Power-Troubleshooter";

// Kernel-General 12 and 13 ([wlt], [dev]): the time comes a second or two after StartTime.
std::string Start(const char* start_time, const char* created, uint64_t record) {
  return Render(kGeneral, kGeneralGuid, 12, created, record,
                Data("BootMode", "0") + Data("StartTime", start_time));
}
std::string Shutdown(const char* stop_time, uint64_t record) {
  return Render(kGeneral, kGeneralGuid, 13, stop_time, record, Data("StopTime", stop_time));
}
// Kernel-Power 42 ([wlt]): TargetState/EffectiveState are SYSTEM_POWER_STATE values,
// 4 = S3 sleep, 5 = S4 hibernation
// (https://learn.microsoft.com/en-us/windows/win32/api/winnt/ne-winnt-system_power_state).
std::string Sleep(const char* created, int state, uint64_t record) {
  const std::string s = std::to_string(state);
  return Render(kPower, kPowerGuid, 42, created, record,
                Data("TargetState", s) + Data("EffectiveState", s) + Data("Reason", "0") +
                    Data("Flags", "4"));
}
// Kernel-Power 107, a resume, and 109, "The kernel power manager has initiated a shutdown
// transition." (https://code911.top/howto/kernel-power-manager-has-initiated-a-shutdown);
// their data fields are not read, and none is made up here.
std::string Resume(const char* created, uint64_t record) {
  return Render(kPower, kPowerGuid, 107, created, record, "");
}
std::string ShutdownBegins(const char* created, uint64_t record) {
  return Render(kPower, kPowerGuid, 109, created, record, "");
}
// Kernel-Power 41 ([wlt]), written at the start after the fault.
std::string Crash(const char* created, uint64_t record) {
  return Render(
      kPower, kPowerGuid, 41, created, record,
      Data("BugcheckCode", "0") + Data("SleepInProgress", "0") + Data("PowerButtonTimestamp", "0"));
}
// Kernel-Boot 27 ([dev]); "0x0 full shutdown, 0x1 hybrid shutdown (Fast Startup), 0x2
// resumed from hibernation"
// (https://elevenforum.com/t/check-if-last-boot-was-from-fast-startup-hibernate-restart-or-shutdown-in-windows-11.45563/).
std::string Boot(const char* created, const char* type, uint64_t record) {
  return Render(kBoot, kBootGuid, 27, created, record,
                Data("BootType", type) + Data("LoadOptions", " NOEXECUTE=OPTIN"));
}
// Power-Troubleshooter 1, "The system has resumed from sleep. Sleep Time: ... Wake Time:
// ..."
// (https://serverfault.com/questions/210166/event-log-wake-source-when-system-wakes-from-sleep).
std::string Wake(const char* sleep_time, const char* wake_time, const char* created,
                 uint64_t record) {
  return Render(kTroubleshooter, "", 1, created, record,
                Data("SleepTime", sleep_time) + Data("WakeTime", wake_time));
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
