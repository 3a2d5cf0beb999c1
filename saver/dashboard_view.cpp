#include "saver/dashboard_view.h"

#include "energy/ini_file.h"
#include "energy/settings_file.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "saver/layout.h"

namespace wd::saver {
namespace {

bool Within(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

PixelRect InBox(const RECT& area, const RECT& box) {
  return PixelRect{area.left - box.left, area.top - box.top, area.right - box.left,
                   area.bottom - box.top};
}

}  // namespace

DashboardView::DashboardView() : picture_(StoredPicture(1.0)) {}

void DashboardView::SetScale(double scale) {
  scale_ = scale;
  picture_ = StoredPicture(scale);
  // The old fonts leave the surfaces before they are deleted; Resize selects the new one.
  composed_.ReleaseFont();
  small_area_.ReleaseFont();
  labels_.SetScale(scale);
}

RECT DashboardView::paint_box() const {
  const int left = ScaledLength(kPaintBoxLeft, scale_);
  const int top = ScaledLength(kPaintBoxTop, scale_);
  // The gauge's own size at this scale, once it is made for it.
  const int size = gauge_ ? gauge_.size() : ScaledLength(kPaintBoxSize, scale_);
  return RECT{left, top, left + size, top + size};
}

bool DashboardView::Resize(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  background_ = win::DibSurface(width, height);
  composed_ = TextSurface(width, height, labels_.figure_font());
  // Room for a label's area: the old text and the new on its line.
  small_area_ = TextSurface(ScaledLength(192, scale_),
                            ScaledLength(kLabelPlaces[kSeconds].font_height + 8, scale_),
                            labels_.figure_font());
  labels_.ForgetMeasures();  // measured again with the fonts of this size
  ComposeBackground();
  gauge_ = GaugeTiles(scale_, background_, ScaledLength(kPaintBoxLeft, scale_),
                      ScaledLength(kPaintBoxTop, scale_));
  changed_.clear();
  ComposeArea(RECT{0, 0, width, height}, composed_, 0, 0);
  gauge_behind_ = false;
  return true;
}

void DashboardView::ComposeBackground() {
  RECT all{0, 0, background_.width(), background_.height()};
  win::GdiObject brush(::CreateSolidBrush(kBackdrop.colorref()));
  ::FillRect(background_.dc(), &all, static_cast<HBRUSH>(brush.get()));
  if (picture_)
    ::BitBlt(background_.dc(), 0, 0, picture_->width(), picture_->height(), picture_->dc(), 0, 0,
             SRCCOPY);
}

void DashboardView::Tick() {
  const RingValues& rings = tick_counter_.Advance();
  const int64_t uptime = uptime_reader_.GetUpTimeMs();
  if (gauge_) {
    const RECT box = paint_box();
    for (const PixelRect& area : gauge_.Update(rings))
      changed_.push_back(RECT{area.left + box.left, area.top + box.top, area.right + box.left,
                              area.bottom + box.top});
  }
  // Every figure of the tick rests on this one uptime and one reading of the file.
  const std::string path = SettingsFilePath();
  IniSnapshot snapshot(path, settings_file_.Read(win::Widen(path)), SystemIniBackend());
  SettingsFile ini(path, snapshot);
  WriteTickLabels(uptime, ini,
                  [this](Label which, const std::string& text) { SetLabel(which, text); });
}

void DashboardView::SetLabel(Label which, const std::string& text) {
  if (const std::optional<RECT> area = labels_.Set(which, text, composed_ ? &composed_ : nullptr))
    changed_.push_back(*area);
}

void DashboardView::ComposeArea(const RECT& area, TextSurface& target, int left, int top) {
  HDC dc = target.dc();
  RECT part;
  const RECT box = paint_box();
  const bool gauge = gauge_values() && ::IntersectRect(&part, &area, &box);
  // The paint box holds the picture beneath it: the background is needed only around it.
  if (!gauge || !::EqualRect(&part, &area))
    ::BitBlt(dc, area.left - left, area.top - top, area.right - area.left, area.bottom - area.top,
             background_.dc(), area.left, area.top, SRCCOPY);
  if (gauge) {
    // From the gauge's tiles straight into the surface's pixels.
    ::GdiFlush();
    const PixelRect in_box = InBox(part, box);
    const win::DibSurface& pixels = target.pixels();
    gauge_.Get(in_box,
               PixelRows{pixels.bits() + static_cast<ptrdiff_t>(part.top - top) * pixels.width() +
                             (part.left - left),
                         pixels.width(), in_box.left, in_box.top});
  }
  labels_.Draw(target, area, left, top);
}

const std::vector<RECT>& DashboardView::ShowChanges(HDC target) {
  shown_.clear();
  changed_.swap(shown_);
  if (!composed_) {
    shown_.clear();
    return shown_;
  }
  const RECT all{0, 0, composed_.width(), composed_.height()};
  const RECT box = paint_box();
  size_t kept = 0;
  for (RECT area : shown_) {
    if (!::IntersectRect(&area, &area, &all)) continue;
    shown_[kept++] = area;
    if (gauge_values() && Within(area, box) && !labels_.Meet(area)) {
      // Gauge alone: straight from its tiles to the window. The composed surface
      // catches up when it is next needed.
      if (target) gauge_.Show(target, InBox(area, box), box.left, box.top);
      gauge_behind_ = true;
      continue;
    }
    if (target && Within(area, box) && area.right - area.left <= small_area_.width() &&
        area.bottom - area.top <= small_area_.height()) {
      // A label's area, say: composed in the small surface; the composed surface
      // catches up later.
      ComposeArea(area, small_area_, area.left, area.top);
      ::BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top,
               small_area_.dc(), 0, 0, SRCCOPY);
      gauge_behind_ = true;
      continue;
    }
    ComposeArea(area, composed_, 0, 0);
    if (target)
      ::BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top,
               composed_.dc(), area.left, area.top, SRCCOPY);
  }
  shown_.resize(kept);
  return shown_;
}

void DashboardView::CatchUp() {
  if (!gauge_behind_ || !composed_) return;
  gauge_behind_ = false;
  RECT box = paint_box();
  const RECT all{0, 0, composed_.width(), composed_.height()};
  if (::IntersectRect(&box, &box, &all)) ComposeArea(box, composed_, 0, 0);
}

const win::DibSurface& DashboardView::composed() {
  CatchUp();
  return composed_.pixels();
}

bool DashboardView::Paint(HDC dc, const RECT& area) {
  CatchUp();
  if (!composed_) return false;
  ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, composed_.dc(),
           area.left, area.top, SRCCOPY);
  return true;
}

}  // namespace wd::saver
