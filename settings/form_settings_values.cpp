// TFormSettings, what it holds: the settings it loads when it opens and writes when it
// closes, the clock synchronisation, and the statistics it counts every second and
// resets.
#include <windows.h>

#include <commctrl.h>

#include "common/local_clock.h"
#include "energy/calculate.h"
#include "energy/format_settings.h"
#include "energy/settings_file.h"
#include "energy/uptime.h"
#include "platform/application.h"
#include "platform/text.h"
#include "settings/control_ids.h"
#include "settings/control_text.h"
#include "settings/dialog_texts.h"
#include "settings/form_settings.h"
#include "settings/statistics_lines.h"
#include "settings/trend_chart.h"

#include <cmath>

namespace wd::settings {
namespace {

// The user's first day of the week, 0 = Sunday (the locale counts 0 = Monday).
int FirstDayOfWeek() {
  wchar_t value[4] = {};
  if (!::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, value, 4)) return 1;
  const int monday_based = value[0] - L'0';
  return monday_based >= 0 && monday_based <= 6 ? (monday_based + 1) % 7 : 1;
}

}  // namespace

void TFormSettings::FormCreate() {
  const FormatSettings& fs = CurrentFormatSettings();
  std::exception_ptr failed;
  try {
    SettingsFile file(SettingsFilePath());
    SetText(Control(ids::kTxtSetWatt),
            FloatToText(file.Read(keys::kWatts, keys::kDialogWatts), fs));
    SetText(Control(ids::kTxtUnitFee), FloatToText(file.Read(keys::kUnitFee), fs));
    SetText(Control(ids::kTxtUnitCo2), FloatToText(file.Read(keys::kUnitCo2), fs));
    // The picker keeps its date and takes the time of day.
    const CalendarTime alarm = DecodeDateTime(file.Read(keys::kAlarmTime));
    SYSTEMTIME st{};
    ::SendMessageW(Control(ids::kDateTimePicker1), DTM_GETSYSTEMTIME, 0,
                   reinterpret_cast<LPARAM>(&st));
    st.wHour = static_cast<WORD>(alarm.hour);
    st.wMinute = static_cast<WORD>(alarm.minute);
    st.wSecond = static_cast<WORD>(alarm.second);
    st.wMilliseconds = 0;
    ::SendMessageW(Control(ids::kDateTimePicker1), DTM_SETSYSTEMTIME, GDT_VALID,
                   reinterpret_cast<LPARAM>(&st));
    {
      // Some 800 day keys: read from one reading of the file.
      IniSnapshot snapshot(SettingsFilePath(), SystemIniBackend());
      record_ = ReadHistory(SettingsFile(SettingsFilePath(), snapshot), LocalNow());
    }
    stored_days_ = record_.days;
    ReadPowerRecord(ReadUptime().suspended_ms);
    UpdateTrend(ReadEnergyRates(file));
    ::SendMessageW(Control(ids::kChkAutoSntp), BM_SETCHECK,
                   file.Read(keys::kAutoSntp) ? BST_CHECKED : BST_UNCHECKED, 0);
    SetText(Control(ids::kTxtSntpServer), file.Read(keys::kSntpServer));
    // A stored InitMax asks for the maximised state, which a fixed dialog frame does not
    // keep: the dialog opens at normal size whatever it says.
    (void)file.Read(keys::kInitMax);
  } catch (...) {
    failed = std::current_exception();
  }
  SyncTimeIfEnabled();
  if (failed) std::rethrow_exception(failed);

  TIME_ZONE_INFORMATION tz{};
  ::GetTimeZoneInformation(&tz);
  const std::wstring name(tz.StandardName, ::wcsnlen(tz.StandardName, 32));
  SetText(Control(ids::kLblTimeZone), TimeZoneText(win::Narrow(name), tz.Bias));
}

void TFormSettings::SyncTimeIfEnabled() {
  if (::SendMessageW(Control(ids::kChkAutoSntp), BM_GETCHECK, 0, 0) != BST_CHECKED) return;
  const std::string host = TextOf(Control(ids::kTxtSntpServer));
  if (host.empty()) return;
  id_sntp1_->SetHost(host);
  try {
    const bool synchronised = id_sntp1_->SynchronizeClock();
    ::ShowWindow(Control(ids::kLblSntpFails), synchronised ? SW_HIDE : SW_SHOW);
    // The clock moved by the offset: the start of this running period moves with it.
    if (synchronised) ShiftForClockChange(record_, id_sntp1_->ClockOffset());
  } catch (...) {
    // A failed synchronisation never troubles the user beyond the label.
  }
}

CountingMoment TFormSettings::MomentNow(const UptimeReading& uptime) const {
  CountingMoment m;
  m.local_now = LocalNow();
  m.utc_now = UtcNow();
  m.uptime = uptime;
  m.first_day_of_week = FirstDayOfWeek();
  return m;
}

void TFormSettings::Timer1Timer() {
  const UptimeReading reading = ReadUptime();
  const std::int64_t uptime = reading.running_ms;
  const FormatSettings& fs = CurrentFormatSettings();
  // The record loaded when the dialog opened (and moved with its own clock correction)
  // counts on: each tick adds what ran since the one before. After a sleep the System
  // log has new events: it is read again.
  if (reading.suspended_ms != record_suspended_ms_) ReadPowerRecord(reading.suspended_ms);
  const Counted counted =
      CountHistory(record_, MomentNow(reading), power_record_ ? &*power_record_ : nullptr);
  record_ = counted.record;
  if (counted.new_from_date) new_from_date_ = counted.new_from_date;

  const HistoryTotals& t = record_.totals;
  const struct {
    int id;
    double total;
    HoursMinutes time;
  } lines[] = {{ids::kTxtToday, t.today, TodayHoursMinutes(t.today, uptime)},
               {ids::kTxtThisWeek, t.this_week, TotalHoursMinutes(t.this_week)},
               {ids::kTxtThisMonth, t.this_month, TotalHoursMinutes(t.this_month)},
               {ids::kTxtThisYear, t.this_year, TotalHoursMinutes(t.this_year)}};
  for (const auto& line : lines) {
    const LineFigures figures{HoursToKwh(line.total), HoursToFee(line.total),
                              HoursToCo2(line.total)};
    SetText(Control(line.id), StatisticsLine(line.time, figures, fs));
  }
  UpdateTrend(ReadEnergyRates(SettingsFile(SettingsFilePath())));
}

void TFormSettings::ReadPowerRecord(std::int64_t suspended_ms) {
  power_record_.reset();
  record_suspended_ms_ = suspended_ms;
  // Only a counting with a trusted moment can go on from the record; the events of some
  // weeks before it show which period it fell in.
  if (!record_.period || !record_.period->utc) return;
  constexpr double kReachBack = 40;  // days
  const auto rendered = ReadSystemPowerEvents(*record_.period->utc - kReachBack);
  if (!rendered) return;
  PowerRecord record;
  for (const std::string& xml : *rendered) {
    if (auto event = ParsePowerEvent(xml)) record.events.push_back(*event);
  }
  if (record.events.empty()) return;
  // Each moment's own offset, so that a day of the record in summer time has its
  // midnight where the clock showed it then.
  record.local_offset_days = [](DateTime utc) { return LocalOffsetAt(utc); };
  power_record_ = std::move(record);
}

void TFormSettings::UpdateTrend(const EnergyRates& rates) {
  TrendChart* chart = TrendChart::Of(Control(ids::kTrendChart));
  if (!chart) return;
  trend_rates_ = rates;
  const int today = static_cast<int>(std::floor(record_.last_counted.value_or(LocalNow())));
  chart->SetBars(TrendBars(record_.days, today, kTrendDays, rates), CurrentFormatSettings());
  ShowTrendDay();
}

void TFormSettings::ShowTrendDay() {
  const TrendChart* chart = TrendChart::Of(Control(ids::kTrendChart));
  if (!chart || chart->selected() < 0) return;
  const TrendBar& bar = chart->bars()[static_cast<size_t>(chart->selected())];
  const std::string line = TrendDayLine(bar, trend_rates_, CurrentFormatSettings());
  if (TextOf(Control(ids::kTxtTrendDay)) != line) SetText(Control(ids::kTxtTrendDay), line);
}

void TFormSettings::FormClose() {
  const FormatSettings& fs = CurrentFormatSettings();
  SettingsFile file(SettingsFilePath());
  // "取消" keeps the stored settings; the counted time and the window state are
  // written on every close, so no running time is lost.
  const bool save_settings = !cancelling_;
  if (save_settings) {
    file.Write(keys::kAutoSntp,
               ::SendMessageW(Control(ids::kChkAutoSntp), BM_GETCHECK, 0, 0) == BST_CHECKED);
    file.Write(keys::kSntpServer, TextOf(Control(ids::kTxtSntpServer)));
  }
  file.Write(keys::kInitMax, ::IsZoomed(hwnd()) != FALSE);
  if (save_settings) {
    file.Write(keys::kWatts, TextToFloat(TextOf(Control(ids::kTxtSetWatt)), fs));
    file.Write(keys::kUnitFee, TextToFloat(TextOf(Control(ids::kTxtUnitFee)), fs));
    file.Write(keys::kUnitCo2, TextToFloat(TextOf(Control(ids::kTxtUnitCo2)), fs));
    SYSTEMTIME st{};
    ::SendMessageW(Control(ids::kDateTimePicker1), DTM_GETSYSTEMTIME, 0,
                   reinterpret_cast<LPARAM>(&st));
    file.Write(keys::kAlarmTime, EncodeTime(st.wHour, st.wMinute, st.wSecond, 0));
  }
  WriteHistory(file, record_, stored_days_);
  stored_days_ = record_.days;
  if (new_from_date_) file.Write(keys::kFromDate, *new_from_date_);
}

void TFormSettings::ResetHistory() {
  const HistoryRecord reset = ResetRecord(MomentNow(ReadUptime()));
  SettingsFile file(SettingsFilePath());
  WriteHistory(file, reset, stored_days_);
  stored_days_.clear();
  file.Write(keys::kFromDate, LocalNow());
  // A close before the next tick writes these zeros, not the totals from before.
  record_ = reset;
  new_from_date_.reset();
}

void TFormSettings::btnResetClick() {
  const int answer =
      win::Application::Instance().ShowMessage(ResourceText(WD_TEXT_RESET_QUESTION), L"Confirm",
                                               MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1);
  if (answer != IDOK) return;
  ResetHistory();
  ResetRecordFile();
}

void TFormSettings::btnOkClick() {
  Close();
}

void TFormSettings::btnCancelClick() {
  cancelling_ = true;
  Close();
}

void TFormSettings::OnClose() {
  try {
    FormClose();
  } catch (...) {
    cancelling_ = false;
    throw;  // shown by the application; the dialog stays open
  }
  cancelling_ = false;
  win::Window::OnClose();
}

}  // namespace wd::settings
