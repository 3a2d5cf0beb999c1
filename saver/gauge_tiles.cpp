#include "saver/gauge_tiles.h"

#include <algorithm>

#include "platform/handles.h"
#include "saver/layout.h"

namespace wd::saver {

GaugeTiles::GaugeTiles(double scale, const Background& background, int left, int top)
    : raster_(scale) {
  const int side = raster_.size();
  // What lies beneath the paint box.
  win::DibSurface under(side, side);
  background(under.dc(), RECT{left, top, left + side, top + side});
  ::GdiFlush();  // the gauge is drawn from the surface's pixels directly
  under_.assign(under.bits(), under.bits() + static_cast<size_t>(side) * side);
  shown_.resize(under_.size());
}

const std::vector<PixelRect>& GaugeTiles::Update(const RingValues& rings) {
  changed_.clear();
  const int side = raster_.size();
  const ConstPixelRows under{under_.data(), side};
  const PixelRows shown{shown_.data(), side};
  if (!values_) {
    const PixelRect all{0, 0, side, side};
    raster_.Draw(under, shown, all, rings);
    changed_.push_back(all);
  } else {
    // Only what moved: each ring's arc between its old and new end.
    for (const RingRaster::Change& change : raster_.Changes(*values_, rings)) {
      raster_.Redraw(under, shown, change, rings);
      changed_.push_back(change.area);
    }
  }
  values_ = rings;
  return changed_;
}

void GaugeTiles::Get(const PixelRect& area, PixelRows to) const {
  const int side = raster_.size();
  for (int y = area.top; y < area.bottom; ++y) {
    const uint32_t* row = shown_.data() + static_cast<size_t>(y) * side;
    std::copy(row + area.left, row + area.right, to.Row(y) + (area.left - to.left));
  }
}

}  // namespace wd::saver
