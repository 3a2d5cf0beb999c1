// TFormMain: the full-screen saver window, one per monitor. It hides the pointer
// while it exists, ends the saver on pointer movement (see exit_rule.h), and shows
// the dashboard: the background picture, eight figure labels and the ring gauge,
// refreshed by its own 397 ms timer, and the earth movie.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/dib.h"
#include "platform/handles.h"
#include "platform/window.h"
#include "saver/dashboard.h"
#include "saver/exit_rule.h"
#include "saver/layout.h"
#include "saver/movie_control.h"
#include "saver/picture.h"

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
  // One dashboard tick (Timer1).
  void Timer1Timer();
  // The picture timer's handler (Timer2, never enabled while the saver runs).
  void Timer2Timer();

  const std::vector<std::string>& list_lines() const { return list_lines_; }
  int saved_cursor() const { return saved_cursor_; }
  COLORREF color() const { return color_; }
  const TickCounter& tick_counter() const { return tick_counter_; }
  const std::wstring& label(Label which) const { return labels_[which]; }
  const win::Timer& timer1() const { return *timer1_; }
  const win::Timer& timer2() const { return *timer2_; }
  TShockwaveFlash& ShockwaveFlash1() const { return *flash1_; }
  TShockwaveFlash& ShockwaveFlash2() const { return *flash2_; }

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

  void SetLabel(Label which, const std::string& text);
  // Rebuilds the surfaces for a client area of this size.
  void Resize(int width, int height);
  // Backdrop and picture, then gauge, then labels, into the composed surface.
  void ComposeBackground();
  void ComposeTickArea();
  void ShowTickArea();
  RECT LabelRect(Label which) const;

  std::wstring program_path_;
  MouseExitRule exit_rule_;
  int saved_cursor_ = 0;
  std::vector<std::string> list_lines_;
  COLORREF color_;
  TickCounter tick_counter_;
  bool gauge_drawn_ = false;
  std::array<std::wstring, kLabelCount> labels_;

  Picture picture_;
  win::GdiObject label_font_;
  win::GdiObject date_font_;
  win::DibSurface background_;  // backdrop colour and picture, client-sized
  win::DibSurface paint_box_;   // the gauge's own surface
  win::DibSurface composed_;    // what the window shows
  std::unique_ptr<TShockwaveFlash> flash1_;
  std::unique_ptr<TShockwaveFlash> flash2_;
  std::unique_ptr<win::Timer> timer1_;
  std::unique_ptr<win::Timer> timer2_;
  std::unique_ptr<win::Timer> timer3_;
};

// The saver window created last.
extern TFormMain* FormMain;

// A monitor's rectangle in virtual-screen coordinates.
struct MonitorRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The display monitors, the primary one first.
std::vector<MonitorRect> SystemMonitors();

// Saver mode: one TFormMain per monitor, moved to that monitor's left edge and
// maximised. The first becomes the application's main window.
void RunSaver(const std::vector<MonitorRect>& monitors, const std::wstring& program_path);

}  // namespace wd::saver
