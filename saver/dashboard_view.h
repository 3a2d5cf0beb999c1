// The dashboard a saver window shows: the background picture, the eight figure labels
// and the ring gauge, composed for the window. It never sees a window message: the
// window gives it its size, its scale, its ticks and the DC to show them on, and it
// tells which areas changed. A tick reads the uptime once and the settings file only
// when it changed, redraws only the gauge's moved arcs and the labels whose text
// changed, and puts only those areas on the target.
//
// Nothing client-sized is kept: an area is composed, a strip of rows at a time, in a
// surface as wide as the window and a megabyte large, and copied from there to the
// window. A tick's areas are small; a whole repaint takes a few strips.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "energy/uptime.h"
#include "platform/dib.h"
#include "platform/file.h"
#include "platform/handles.h"
#include "saver/dashboard.h"
#include "saver/dashboard_labels.h"
#include "saver/gauge_tiles.h"
#include "saver/picture.h"
#include "saver/text_surface.h"

namespace wd::saver {

class DashboardView {
 public:
  // At scale 1, with the picture stored for the scale the first Resize finds (decoded
  // then, not before); nothing to show until the first Resize.
  DashboardView();
  DashboardView(const DashboardView&) = delete;
  DashboardView& operator=(const DashboardView&) = delete;

  // Everything `scale` (DPI / 96) times as large as at 96 DPI, with the picture stored
  // for that scale; shown with the next Resize.
  void SetScale(double scale);
  // Another background picture (an empty one shows the backdrop); shown with the next
  // Resize.
  void SetPicture(Picture picture) {
    picture_ = std::move(picture);
    picture_chosen_ = true;
  }
  // Shows a client area of this size from its next Paint (the gauge appears with the
  // next tick, as after any repaint of its area). False for an empty size, which changes
  // nothing.
  bool Resize(int width, int height);

  // One tick: the ring gauge one step on and the figures of this moment, every one from
  // one reading of the uptime and of the settings file. Each label takes its text as soon
  // as it is known: when a figure raises, the labels before it are new and the ones
  // after it keep their texts; the changes made are shown by the next ShowChanges.
  void Tick();
  // Composes what changed since the last call and puts it on `target` (the window's
  // DC; with none, nothing is composed: the window's first Paint shows it all). The
  // client areas that changed, valid until the next call.
  const std::vector<RECT>& ShowChanges(HDC target);
  // Composes `area` of what the window shows onto `dc`; false before the first Resize.
  bool Paint(HDC dc, const RECT& area) const;

  // The client area's size; 0 x 0 before the first Resize.
  int width() const { return width_; }
  int height() const { return height_; }
  // The surface areas are composed in, which keeps a label font selected between uses.
  const TextSurface& strip() const { return strip_; }
  double scale() const { return scale_; }
  const Picture& picture() const { return picture_; }
  // Ticks since the dashboard was made.
  int64_t ticks() const { return tick_counter_.count(); }
  const DashboardLabel& label(Label which) const { return labels_[which]; }
  // The gauge's square in client pixels, and the ring values it shows (none until a
  // tick draws it).
  RECT paint_box() const;
  const std::optional<RingValues>& gauge_values() const { return gauge_.values(); }
  // How often the ticks read the settings file from the disk (for the benches).
  int settings_readings() const { return settings_file_.readings(); }

 private:
  void SetLabel(Label which, const std::string& text);
  // The backdrop colour and the picture inside `area` (client pixels) onto `dc`, whose
  // pixel (0, 0) is the client pixel (left, top); the picture ends where the window does.
  void DrawBackground(HDC dc, const RECT& area, int left, int top) const;
  // Background, gauge and labels inside `area` (client pixels) into the strip, at its
  // pixel (0, 0); the area is no larger than the strip.
  void ComposeInStrip(const RECT& area) const;
  // Composes `area` a strip at a time and copies each onto `dc`.
  void ComposeOnto(HDC dc, const RECT& area) const;

  double scale_ = 1.0;
  Picture picture_;
  bool picture_chosen_ = false;  // by SetScale or SetPicture; else the stored one
  TickCounter tick_counter_;
  UpTimeReader uptime_reader_;  // the uptime each tick rests on
  // The settings file's bytes: each tick looks whether the file changed, and reads it
  // only when it did.
  win::CachedFile settings_file_;
  win::GdiObject backdrop_;  // the backdrop colour's brush
  DashboardLabels labels_;   // before the surfaces that hold their fonts
  GaugeTiles gauge_;
  int width_ = 0, height_ = 0;
  mutable TextSurface strip_;  // where areas are composed on their way to the window
  // Client rectangles changed and still to be shown, and those shown last.
  std::vector<RECT> changed_, shown_;
};

}  // namespace wd::saver
