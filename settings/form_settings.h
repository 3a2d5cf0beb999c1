// TFormSettings: the configuration dialog. Two pages on a tab control: the settings
// (power draw, kWh price, CO2 factor, reminder time, network time sync) and the
// running-time statistics with their reset. Real Windows controls throughout, laid out
// in 96-DPI pixels and scaled to the monitor's DPI.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>
#include <optional>
#include <string>

#include "energy/calculate.h"
#include "net/sntp.h"
#include "platform/handles.h"
#include "platform/window.h"
#include "settings/dialog_table.h"
#include "settings/history.h"

namespace wd::settings {

class Panel;

// Runs on the dialog's time client before the dialog synchronises the clock (tests put
// their own server, clock reader and clock setter in); empty for none.
void SetSntpSetupForTesting(std::function<void(net::TIdSNTP&)> setup);

class TFormSettings : public win::Window {
 public:
  TFormSettings();
  ~TFormSettings() override;

  // The values the dialog holds, for tests.
  const HistoryTotals& Totals() const { return record_.totals; }
  HWND Control(int id) const;
  int ActivePage() const;
  void SetActivePage(int page);
  // The control Tab (or Shift+Tab) moves to from `from`: the page control, the shown
  // page's controls in their order, then "關閉", "取消" and "確定" while it shows.
  HWND NextTabStop(HWND from, bool backwards) const;
  bool PreTranslateMessage(const MSG& msg) override;
  net::TIdSNTP& IdSNTP1() { return *id_sntp1_; }

  // Handlers.
  void FormCreate();
  void FormClose();
  void btnOkClick();
  void btnCancelClick();
  void btnResetClick();
  void PageControl1Change();
  void SyncTimeIfEnabled();
  void Timer1Timer();
  // Clears the History keys and starts FromDate afresh; the dialog's totals too.
  void ResetHistory();

 protected:
  bool HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  void OnPaint(HDC dc, const RECT& area) override;
  void OnTimer(UINT_PTR id) override;
  void OnClose() override;

 private:
  void CreateControls();
  void CreateFonts();
  void LayOut();
  int Scale(int pixels) const;
  HWND HostWindow(Host host) const;
  HGDIOBJ FontFor(FontRole role) const;
  void Place(const ControlSpec& spec);
  void OnCommand(int id, int code);
  LRESULT OnControlColour(HDC dc, HWND control);
  CountingMoment MomentNow(const UptimeReading& uptime) const;
  // The System log's power events for the counting, where the log has them.
  void ReadPowerRecord(std::int64_t suspended_ms);
  // The trend page: the bars of the days counted, and the line of the day chosen.
  void UpdateTrend(const EnergyRates& rates);
  void ShowTrendDay();

  UINT dpi_ = 96;
  win::GdiObject dialog_font_, page_font_, stats_label_font_, stats_text_font_;
  win::ImageList tab_images_;
  win::Icon icon_big_, icon_small_;
  std::vector<win::Icon> glyphs_;
  std::array<std::unique_ptr<Panel>, 3> pages_;
  std::unique_ptr<net::TIdSNTP> id_sntp1_;
  std::unique_ptr<win::Timer> timer1_;
  HistoryRecord record_;
  EnergyRates trend_rates_;
  DayHours stored_days_;  // the days as the file holds them
  std::optional<PowerRecord> power_record_;
  std::int64_t record_suspended_ms_ = 0;  // the suspended time when it was read
  std::optional<DateTime> new_from_date_;
  bool cancelling_ = false;
};

}  // namespace wd::settings
