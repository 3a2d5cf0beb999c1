#include "saver/dashboard_view.h"

#include <algorithm>

#include "energy/ini_file.h"
#include "energy/settings_file.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "saver/layout.h"

namespace wd::saver {
namespace {

// Pixels of the strip that areas are composed in: 1 MiB.
constexpr int kStripPixels = 1 << 18;

PixelRect InBox(const RECT& area, const RECT& box) {
  return PixelRect{area.left - box.left, area.top - box.top, area.right - box.left,
                   area.bottom - box.top};
}

}  // namespace

DashboardView::DashboardView() : backdrop_(::CreateSolidBrush(kBackdrop.colorref())) {}

void DashboardView::SetScale(double scale) {
  scale_ = scale;
  SetPicture(StoredPicture(scale));
  // The old fonts leave the surfaces before they are deleted; Resize selects the new one.
  strip_.ReleaseFont();
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
  if (!picture_chosen_) SetPicture(StoredPicture(scale_));
  width_ = width;
  height_ = height;
  strip_ = TextSurface(width, std::clamp(kStripPixels / width, 1, height), labels_.figure_font());
  labels_.ForgetMeasures();  // measured again with the fonts of this size
  gauge_ = GaugeTiles(
      scale_, [this](HDC dc, const RECT& area) { DrawBackground(dc, area, area.left, area.top); },
      ScaledLength(kPaintBoxLeft, scale_), ScaledLength(kPaintBoxTop, scale_));
  changed_.clear();
  return true;
}

void DashboardView::DrawBackground(HDC dc, const RECT& area, int left, int top) const {
  const RECT in_dc{area.left - left, area.top - top, area.right - left, area.bottom - top};
  ::FillRect(dc, &in_dc, static_cast<HBRUSH>(backdrop_.get()));
  if (!picture_) return;
  const RECT shown{0, 0, std::min(picture_->width(), width_),
                   std::min(picture_->height(), height_)};
  RECT part;
  if (::IntersectRect(&part, &area, &shown))
    ::BitBlt(dc, part.left - left, part.top - top, part.right - part.left, part.bottom - part.top,
             picture_->dc(), part.left, part.top, SRCCOPY);
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
  if (const std::optional<RECT> area = labels_.Set(which, text, strip_ ? &strip_ : nullptr))
    changed_.push_back(*area);
}

void DashboardView::ComposeInStrip(const RECT& area) const {
  HDC dc = strip_.dc();
  const int left = area.left, top = area.top;
  RECT part;
  const RECT box = paint_box();
  const bool gauge = gauge_values() && ::IntersectRect(&part, &area, &box);
  // The paint box holds the picture beneath it: the background is needed only around it.
  if (!gauge || !::EqualRect(&part, &area)) DrawBackground(dc, area, left, top);
  if (gauge) {
    // From the gauge's pixels straight into the strip's pixels.
    ::GdiFlush();
    const PixelRect in_box = InBox(part, box);
    const win::DibSurface& pixels = strip_.pixels();
    gauge_.Get(in_box,
               PixelRows{pixels.bits() + static_cast<ptrdiff_t>(part.top - top) * pixels.width() +
                             (part.left - left),
                         pixels.width(), in_box.left, in_box.top});
  }
  labels_.Draw(strip_, area, left, top);
}

void DashboardView::ComposeOnto(HDC dc, const RECT& area) const {
  const RECT all{0, 0, width_, height_};
  RECT inside;
  if (!::IntersectRect(&inside, &area, &all)) return;
  for (int top = inside.top; top < inside.bottom; top += strip_.height()) {
    const RECT rows{inside.left, top, inside.right,
                    std::min<LONG>(top + strip_.height(), inside.bottom)};
    ComposeInStrip(rows);
    ::BitBlt(dc, rows.left, rows.top, rows.right - rows.left, rows.bottom - rows.top, strip_.dc(),
             0, 0, SRCCOPY);
  }
}

const std::vector<RECT>& DashboardView::ShowChanges(HDC target) {
  shown_.clear();
  changed_.swap(shown_);
  const RECT all{0, 0, width_, height_};
  size_t kept = 0;
  for (RECT area : shown_) {
    if (!::IntersectRect(&area, &area, &all)) continue;
    shown_[kept++] = area;
    if (target) ComposeOnto(target, area);
  }
  shown_.resize(kept);
  return shown_;
}

bool DashboardView::Paint(HDC dc, const RECT& area) const {
  if (!strip_) return false;
  ComposeOnto(dc, area);
  return true;
}

}  // namespace wd::saver
