// TFormMain: the full-screen saver window, one per monitor. It hides the pointer
// while it exists, ends the saver on pointer movement (see exit_rule.h), and shows
// the dashboard: the background picture, eight figure labels and the ring gauge,
// refreshed by its own 397 ms timer, and the earth movie.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "energy/uptime.h"
#include "platform/dib.h"
#include "platform/file.h"
#include "platform/handles.h"
#include "platform/window.h"
#include "saver/dashboard.h"
#include "saver/exit_rule.h"
#include "saver/layout.h"
#include "saver/movie_control.h"
#include "saver/picture.h"
#include "saver/ring_raster.h"

namespace wd::saver {

// One registration for a power setting's notifications, undone when it goes.
class PowerSettingRegistration {
 public:
  PowerSettingRegistration(HWND hwnd, const GUID& setting)
      : handle_(::RegisterPowerSettingNotification(hwnd, &setting, DEVICE_NOTIFY_WINDOW_HANDLE)) {}
  PowerSettingRegistration(const PowerSettingRegistration&) = delete;
  PowerSettingRegistration& operator=(const PowerSettingRegistration&) = delete;
  ~PowerSettingRegistration() {
    if (handle_) ::UnregisterPowerSettingNotification(handle_);
  }

 private:
  HPOWERNOTIFY handle_;
};

// The console display's state in a WM_POWERBROADCAST power-setting change: true for on
// (or dimmed, still visible), false for off; nothing for other settings.
std::optional<bool> DisplayStateOf(const POWERBROADCAST_SETTING& setting);

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

  // What the window shows, composed tick by tick from the parts that changed.
  const win::DibSurface& composed();
  // The same picture composed afresh from nothing: background, the whole gauge of the
  // current ring values (once a tick has drawn it) and every label.
  win::DibSurface ComposeWhole() const;
  // The dashboard's scale: the window's DPI over 96.
  double scale() const { return scale_; }
  // Client pixels of a layout length given at 96 DPI.
  int Px(int length) const;
  // False while the display is off: nothing is drawn and the movie's clock stands still.
  bool display_on() const { return display_on_; }
  // Ticks that drew since the window was made.
  int64_t ticks_drawn() const { return ticks_drawn_; }
  // Times a tick read the settings file from the disk.
  int settings_readings() const { return settings_file_.readings(); }
  // Times the ticks looked at the settings file's stamps.
  int settings_checks() const { return settings_file_.checks(); }

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
  // The layout, fonts, picture and children for this DPI.
  void ApplyDpi(UINT dpi);
  // Rebuilds the surfaces for a client area of this size.
  void Resize(int width, int height);
  // Backdrop and picture into the background surface.
  void ComposeBackground();
  // Redraws in the paint box what changed since the gauge was last drawn, and marks it.
  void UpdateGauge(const RingValues& rings);
  // Rows of an area-sized buffer standing for `area` of the paint box.
  static PixelRows AreaRows(std::vector<uint32_t>& buffer, const PixelRect& area);
  // Puts `area` of the paint box, from its tiles, on `dc` at the paint box's place.
  void ShowGaugeArea(HDC dc, const PixelRect& area);
  // Background, gauge and labels into the composed surface inside `area` (client pixels).
  void ComposeArea(const RECT& area) const;
  // The same into `target`, whose pixel (0, 0) is the client pixel (left, top).
  void ComposeArea(const RECT& area, const win::DibSurface& target, int left, int top) const;
  // Composes and puts on the screen what the tick marked.
  void ShowChanges();
  void OnDisplayState(bool on);
  RECT LabelRect(Label which) const;
  void SelectLabelFont(HDC dc, Label which) const;
  // Where a label's text lies, with room for its smoothed edges.
  RECT TextRect(Label which, const std::wstring& text) const;
  RECT PaintBoxRect() const;
  // Whether `area` meets a label's rectangle.
  bool UnderLabel(const RECT& area) const;
  static bool Within(const RECT& inner, const RECT& outer);
  // Brings the composed surface's paint box up to the gauge shown on the window.
  void CatchUp();

  std::wstring program_path_;
  MouseExitRule exit_rule_;
  int saved_cursor_ = 0;
  std::vector<std::string> list_lines_;
  COLORREF color_;
  TickCounter tick_counter_;
  UpTimeReader uptime_reader_;  // the uptime each tick rests on
  std::array<std::wstring, kLabelCount> labels_;
  std::array<std::optional<std::string>, kLabelCount> label_sources_;  // as last set
  // Where each label's text lies, once measured: TextRect of its text.
  std::array<std::optional<RECT>, kLabelCount> text_rects_;
  double scale_ = 1.0;
  // The ring values the paint box shows; none until a tick draws the gauge.
  std::optional<RingValues> gauge_values_;
  // Client rectangles a tick changed, still to be composed and shown.
  std::vector<RECT> changed_;
  bool display_on_ = true;
  int64_t ticks_drawn_ = 0;
  // The settings file's bytes: each tick looks whether the file changed, and reads it
  // only when it did.
  win::CachedFile settings_file_;
  std::vector<std::unique_ptr<PowerSettingRegistration>> power_notifications_;

  Picture picture_;
  win::GdiObject label_font_;
  win::GdiObject date_font_;
  win::DibSurface background_;  // backdrop colour and picture, client-sized
  RingRaster raster_;
  win::DibSurface gauge_under_;         // what lies beneath the paint box
  std::vector<uint32_t> gauge_tracks_;  // the gauge at 0 over it: the tracks alone
  // A tick reads and writes the gauge in a few small areas: the picture beneath the
  // paint box and the gauge drawn over it are kept in tiles, and each area is worked
  // on in a buffer of its own size.
  TiledPixels under_tiles_;
  TiledPixels paint_box_;  // the gauge as the window shows it, over what lies beneath
  std::vector<uint32_t> area_under_, area_pixels_;
  win::DibSurface composed_;                 // what the window shows
  mutable HGDIOBJ composed_font_ = nullptr;  // the label font selected into it
  win::DibSurface small_area_;  // where a small area (a label's, say) is composed for the window
  mutable HGDIOBJ small_area_font_ = nullptr;
  HDC window_dc_ = nullptr;  // the window's own DC (CS_OWNDC), once taken
  // The window shows areas of the paint box that went there straight from the gauge's
  // tiles or from the small surface, and are not in the composed surface yet.
  bool gauge_behind_ = false;
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
