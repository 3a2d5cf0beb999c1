// System-log events as Windows renders them, for the tests of the running intervals:
// whole events from public dumps, and functions that make others in the same form.
#pragma once

#include <cstdint>
#include <string>

namespace wd::test {

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
inline constexpr const char* kWltStart =
    R"(<Event xmlns="http://schemas.microsoft.com/win/2004/08/events/event"><System><Provider Name="Microsoft-Windows-Kernel-General" Guid="{A68CA8B7-004F-D7B6-A698-07E2DE0F1F5D}"/><EventID>12</EventID><Version>0</Version><Level>4</Level><Task>1</Task><Opcode>0</Opcode><Keywords>0x8000000000000080</Keywords><TimeCreated SystemTime="2017-01-01T21:18:30.833529000Z"/><EventRecordID>1</EventRecordID><Correlation/><Execution ProcessID="4" ThreadID="8"/><Channel>System</Channel><Computer>LAPTOP-9KUQNI2Q</Computer><Security UserID="S-1-5-18"/></System><EventData><Data Name="MajorVersion">10</Data><Data Name="MinorVersion">0</Data><Data Name="BuildVersion">14393</Data><Data Name="QfeVersion">576</Data><Data Name="ServiceVersion">0</Data><Data Name="BootMode">0</Data><Data Name="StartTime">2017-01-01T21:18:30.493716600Z</Data></EventData></Event>)";
// [wlt] test_parser_id_13
inline constexpr const char* kWltShutdown =
    R"(<Event xmlns="http://schemas.microsoft.com/win/2004/08/events/event"><System><Provider Name="Microsoft-Windows-Kernel-General" Guid="{A68CA8B7-004F-D7B6-A698-07E2DE0F1F5D}"/><EventID>13</EventID><Version>0</Version><Level>4</Level><Task>2</Task><Opcode>0</Opcode><Keywords>0x8000000000000080</Keywords><TimeCreated SystemTime="2017-01-01T21:23:31.105184900Z"/><EventRecordID>308</EventRecordID><Correlation/><Execution ProcessID="4" ThreadID="400"/><Channel>System</Channel><Computer>LAPTOP-9KUQNI2Q</Computer><Security/></System><EventData><Data Name="StopTime">2017-01-01T21:23:31.105183800Z</Data></EventData></Event>)";
// [wlt] test_parser_id_41
inline constexpr const char* kWltCrash =
    R"(<Event xmlns="http://schemas.microsoft.com/win/2004/08/events/event"><System><Provider Name="Microsoft-Windows-Kernel-Power" Guid="{331C3B3A-2005-44C2-AC5E-77220C37D6B4}"/><EventID>41</EventID><Version>4</Version><Level>1</Level><Task>63</Task><Opcode>0</Opcode><Keywords>0x8000400000000002</Keywords><TimeCreated SystemTime="2017-01-16T17:25:11.723879500Z"/><EventRecordID>1569</EventRecordID><Correlation/><Execution ProcessID="4" ThreadID="8"/><Channel>System</Channel><Computer>LAPTOP-9KUQNI2Q</Computer><Security UserID="S-1-5-18"/></System><EventData><Data Name="BugcheckCode">0</Data><Data Name="BugcheckParameter1">0x0000000000000000</Data><Data Name="BugcheckParameter2">0x0000000000000000</Data><Data Name="BugcheckParameter3">0x0000000000000000</Data><Data Name="BugcheckParameter4">0x0000000000000000</Data><Data Name="SleepInProgress">4</Data><Data Name="PowerButtonTimestamp">0</Data><Data Name="BootAppStatus">0</Data><Data Name="Checkpoint">0</Data><Data Name="ConnectedStandbyInProgress">false</Data><Data Name="SystemSleepTransitionsToOn">12</Data><Data Name="CsEntryScenarioInstanceId">0</Data></EventData></Event>)";
// [wlt] test_parser_id_42
inline constexpr const char* kWltSleep =
    R"(<Event xmlns="http://schemas.microsoft.com/win/2004/08/events/event"><System><Provider Name="Microsoft-Windows-Kernel-Power" Guid="{331C3B3A-2005-44C2-AC5E-77220C37D6B4}"/><EventID>42</EventID><Version>3</Version><Level>4</Level><Task>64</Task><Opcode>0</Opcode><Keywords>0x8000400000000404</Keywords><TimeCreated SystemTime="2017-01-01T22:19:38.726978700Z"/><EventRecordID>519</EventRecordID><Correlation/><Execution ProcessID="4" ThreadID="372"/><Channel>System</Channel><Computer>LAPTOP-9KUQNI2Q</Computer><Security/></System><EventData><Data Name="TargetState">4</Data><Data Name="EffectiveState">4</Data><Data Name="Reason">0</Data><Data Name="Flags">4</Data><Data Name="TransitionsToOn">1</Data></EventData></Event>)";
// [dev] record 2830, as exported: indented, one element a line.
inline constexpr const char* kDevStart =
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
inline constexpr const char* kDevColdBoot =
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
inline std::string Render(const char* provider, const char* guid, int id, const char* created,
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
inline std::string Data(const char* name, const std::string& value) {
  return std::string("<Data Name='") + name + "'>" + value + "</Data>";
}
inline constexpr const char* kGeneral = "Microsoft-Windows-Kernel-General";
inline constexpr const char* kGeneralGuid = "{A68CA8B7-004F-D7B6-A698-07E2DE0F1F5D}";
inline constexpr const char* kPower = "Microsoft-Windows-Kernel-Power";
inline constexpr const char* kPowerGuid = "{331C3B3A-2005-44C2-AC5E-77220C37D6B4}";
inline constexpr const char* kBoot = "Microsoft-Windows-Kernel-Boot";
inline constexpr const char* kBootGuid = "{15ca44ff-4d7a-4baa-bba5-0998955e531e}";
inline constexpr const char* kTroubleshooter = "Microsoft-Windows-Power-Troubleshooter";

// Kernel-General 12 and 13 ([wlt], [dev]): the time comes a second or two after StartTime.
inline std::string Start(const char* start_time, const char* created, uint64_t record) {
  return Render(kGeneral, kGeneralGuid, 12, created, record,
                Data("BootMode", "0") + Data("StartTime", start_time));
}
inline std::string Shutdown(const char* stop_time, uint64_t record) {
  return Render(kGeneral, kGeneralGuid, 13, stop_time, record, Data("StopTime", stop_time));
}
// Kernel-Power 42 ([wlt]): TargetState/EffectiveState are SYSTEM_POWER_STATE values,
// 4 = S3 sleep, 5 = S4 hibernation
// (https://learn.microsoft.com/en-us/windows/win32/api/winnt/ne-winnt-system_power_state).
inline std::string Sleep(const char* created, int state, uint64_t record) {
  const std::string s = std::to_string(state);
  return Render(kPower, kPowerGuid, 42, created, record,
                Data("TargetState", s) + Data("EffectiveState", s) + Data("Reason", "0") +
                    Data("Flags", "4"));
}
// Kernel-Power 107, a resume, and 109, "The kernel power manager has initiated a shutdown
// transition." (https://code911.top/howto/kernel-power-manager-has-initiated-a-shutdown);
// their data fields are not read, and none is made up here.
inline std::string Resume(const char* created, uint64_t record) {
  return Render(kPower, kPowerGuid, 107, created, record, "");
}
inline std::string ShutdownBegins(const char* created, uint64_t record) {
  return Render(kPower, kPowerGuid, 109, created, record, "");
}
// Kernel-Power 41 ([wlt]), written at the start after the fault.
inline std::string Crash(const char* created, uint64_t record) {
  return Render(
      kPower, kPowerGuid, 41, created, record,
      Data("BugcheckCode", "0") + Data("SleepInProgress", "0") + Data("PowerButtonTimestamp", "0"));
}
// Kernel-Boot 27 ([dev]); "0x0 full shutdown, 0x1 hybrid shutdown (Fast Startup), 0x2
// resumed from hibernation"
// (https://elevenforum.com/t/check-if-last-boot-was-from-fast-startup-hibernate-restart-or-shutdown-in-windows-11.45563/).
inline std::string Boot(const char* created, const char* type, uint64_t record) {
  return Render(kBoot, kBootGuid, 27, created, record,
                Data("BootType", type) + Data("LoadOptions", " NOEXECUTE=OPTIN"));
}
// Power-Troubleshooter 1, "The system has resumed from sleep. Sleep Time: ... Wake Time:
// ..."
// (https://serverfault.com/questions/210166/event-log-wake-source-when-system-wakes-from-sleep).
inline std::string Wake(const char* sleep_time, const char* wake_time, const char* created,
                        uint64_t record) {
  return Render(kTroubleshooter, "", 1, created, record,
                Data("SleepTime", sleep_time) + Data("WakeTime", wake_time));
}

}  // namespace wd::test
