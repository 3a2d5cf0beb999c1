// TFormSettings: the configuration dialog. Two pages on a tab control: the settings
// (power draw, kWh price, CO2 factor, reminder time, network time sync) and the
// running-time statistics with their reset. Real Windows controls throughout, laid out
// in 96-DPI pixels and scaled to the monitor's DPI.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "net/sntp.h"
#include "platform/handles.h"
#include "platform/window.h"
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
  HWND MakeControl(HWND parent, int id, const wchar_t* cls, const std::wstring& text, DWORD style,
                   DWORD ex_style = 0);
  void Place(int id, int x, int y, int w, int h);
  void PlaceAutoSized(int id, int x, int y, int wrap_width = 0);
  void OnCommand(int id, int code);
  LRESULT OnControlColour(HDC dc, HWND control);
  CountingMoment MomentNow(const UptimeReading& uptime) const;

  UINT dpi_ = 96;
  win::GdiObject dialog_font_, page_font_, stats_label_font_, stats_text_font_;
  win::ImageList tab_images_;
  win::Icon icon_big_, icon_small_, glyph_ok_, glyph_close_, glyph_cancel_;
  std::unique_ptr<Panel> panel4_, panel1_;
  std::unique_ptr<net::TIdSNTP> id_sntp1_;
  std::unique_ptr<win::Timer> timer1_;
  HistoryRecord record_;
  std::optional<DateTime> new_from_date_;
  bool cancelling_ = false;
};

}  // namespace wd::settings
