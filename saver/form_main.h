// TFormMain: the full-screen saver window, one per monitor; the shell around the
// dashboard (dashboard_view.h). It hides the pointer while it exists, ends the saver on
// pointer movement or a press (see exit_rule.h), follows the display's power state and
// its DPI, runs the 397 ms tick and the movie, and hands the dashboard its size, scale,
// ticks and the window's DC. An error in a tick reaches the application's error report
// (win::Window) and the next tick runs again.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/window.h"
#include "saver/dashboard_view.h"
#include "saver/display_power.h"
#include "saver/exit_rule.h"
#include "saver/monitors.h"
#include "saver/movie_control.h"

namespace wd::saver {

class TFormMain : public win::Window {
 public:
  // `program_path` is the executable's full path: the list file, the movie and the
  // pictures are found beside it.
  explicit TFormMain(std::wstring program_path);
  ~TFormMain() override;

  // Pointer movement at client coordinates (x, y) of this window.
  void FormMouseMove(int x, int y);
  // A button press: closes the window.
  void FormMouseDown();
  // One dashboard tick (Timer1), shown on the window at once.
  void Timer1Timer();
  // The picture timer's handler (Timer2, never enabled while the saver runs).
  void Timer2Timer();

  DashboardView& dashboard() { return dashboard_; }
  const std::vector<std::string>& list_lines() const { return list_lines_; }
  int saved_cursor() const { return saved_cursor_; }
  COLORREF color() const { return color_; }
  const win::Timer& timer1() const { return *timer1_; }
  const win::Timer& timer2() const { return *timer2_; }
  TShockwaveFlash& ShockwaveFlash1() const { return *flash1_; }
  TShockwaveFlash& ShockwaveFlash2() const { return *flash2_; }
  // False while the display is off: nothing is drawn and the movie's clock stands still.
  bool display_on() const { return display_on_; }

 protected:
  bool HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  void OnPaint(HDC dc, const RECT& area) override;
  void OnMouseMove(int x, int y) override { FormMouseMove(x, y); }
  void OnMouseDown(int, int) override { FormMouseDown(); }
  void OnTimer(UINT_PTR id) override;

 private:
  void LoadListFile();
  void FormCreate();
  void FormPaint();
  // The dashboard, its children and their places for this DPI.
  void ApplyDpi(UINT dpi);
  // The dashboard sized for the client area, all of it to be painted afresh.
  void Resize(int width, int height);
  void OnDisplayState(bool on);
  void OnGetMinMaxInfo(MINMAXINFO& info);

  std::wstring program_path_;
  MouseExitRule exit_rule_;
  int saved_cursor_ = 0;
  std::vector<std::string> list_lines_;
  COLORREF color_;
  DashboardView dashboard_;
  bool display_on_ = true;
  std::vector<std::unique_ptr<PowerSettingRegistration>> power_notifications_;
  HDC window_dc_ = nullptr;  // the window's own DC (CS_OWNDC), once taken
  std::unique_ptr<TShockwaveFlash> flash1_;
  std::unique_ptr<TShockwaveFlash> flash2_;
  std::unique_ptr<win::Timer> timer1_;
  std::unique_ptr<win::Timer> timer2_;
  std::unique_ptr<win::Timer> timer3_;
};

// The saver window created last.
extern TFormMain* FormMain;

}  // namespace wd::saver
