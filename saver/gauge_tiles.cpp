#include "saver/gauge_tiles.h"

#include "platform/handles.h"
#include "saver/layout.h"

namespace wd::saver {

GaugeTiles::GaugeTiles(double scale, const win::DibSurface& background, int left, int top)
    : raster_(scale) {
  const int side = raster_.size();
  // What lies beneath the paint box; where the window ends, the backdrop colour.
  win::DibSurface under(side, side);
  const RECT all{0, 0, side, side};
  win::GdiObject brush(::CreateSolidBrush(kBackdrop.colorref()));
  ::FillRect(under.dc(), &all, static_cast<HBRUSH>(brush.get()));
  ::BitBlt(under.dc(), 0, 0, side, side, background.dc(), left, top, SRCCOPY);
  ::GdiFlush();  // the tracks are drawn from the surface's pixels directly
  const ConstPixelRows beneath{under.bits(), under.width()};
  tracks_ = raster_.Tracks(beneath);
  under_ = TiledPixels(side, side);
  under_.Put(beneath, PixelRect{0, 0, side, side});
  shown_ = TiledPixels(side, side);
}

const std::vector<PixelRect>& GaugeTiles::Update(const RingValues& rings) {
  changed_.clear();
  if (!values_) {
    const int side = raster_.size();
    const PixelRect all{0, 0, side, side};
    std::vector<uint32_t> beneath(static_cast<size_t>(side) * side), whole;
    under_.Get(all, PixelRows{beneath.data(), side});
    raster_.Draw(ConstPixelRows{beneath.data(), side}, AreaRows(whole, all), all, rings);
    shown_.Put(ConstPixelRows{whole.data(), side}, all);
    changed_.push_back(all);
  } else {
    // Only what moved: each ring's arc between its old and new end, worked on in an
    // area-sized buffer that holds the gauge there and goes back to the tiles.
    for (const RingRaster::Change& change : raster_.Changes(*values_, rings)) {
      const PixelRows under = AreaRows(area_under_, change.area);
      under_.Get(change.area, under);
      const PixelRows out = AreaRows(area_pixels_, change.area);
      shown_.Get(change.area, out);
      raster_.Redraw(ConstPixelRows{under.pixels, under.stride, under.left, under.top}, out, change,
                     rings, &tracks_);
      shown_.Put(ConstPixelRows{out.pixels, out.stride, out.left, out.top}, change.area);
      changed_.push_back(change.area);
    }
  }
  values_ = rings;
  return changed_;
}

PixelRows GaugeTiles::AreaRows(std::vector<uint32_t>& buffer, const PixelRect& area) {
  const int width = area.right - area.left;
  const size_t pixels = static_cast<size_t>(width) * (area.bottom - area.top);
  // Kept at its largest: the same pages tick after tick.
  if (buffer.size() < pixels) buffer.resize(pixels);
  return PixelRows{buffer.data(), width, area.left, area.top};
}

void GaugeTiles::Show(HDC dc, const PixelRect& area, int x, int y) {
  const PixelRows rows = AreaRows(area_pixels_, area);
  shown_.Get(area, rows);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = rows.stride;
  info.bmiHeader.biHeight = -(area.bottom - area.top);  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ::SetDIBitsToDevice(dc, x + area.left, y + area.top, rows.stride, area.bottom - area.top, 0, 0, 0,
                      area.bottom - area.top, rows.pixels, &info, DIB_RGB_COLORS);
}

}  // namespace wd::saver
