#include "tests/saver/whole_composition.h"

#include <algorithm>

#include "platform/handles.h"
#include "saver/layout.h"
#include "saver/ring_raster.h"

namespace wd::saver::test {

win::DibSurface Shown(const DashboardView& view) {
  win::DibSurface shown(view.width(), view.height());
  view.Paint(shown.dc(), RECT{0, 0, view.width(), view.height()});
  ::GdiFlush();
  return shown;
}

win::DibSurface ComposeWhole(const DashboardView& view, int width, int height) {
  win::DibSurface whole(width, height);
  const RECT all{0, 0, width, height};
  win::GdiObject brush(::CreateSolidBrush(kBackdrop.colorref()));
  ::FillRect(whole.dc(), &all, static_cast<HBRUSH>(brush.get()));
  if (const Picture& picture = view.picture())
    ::BitBlt(whole.dc(), 0, 0, picture->width(), picture->height(), picture->dc(), 0, 0, SRCCOPY);
  if (view.gauge_values()) {
    // The whole gauge over what lies beneath the paint box (the backdrop where the
    // window ends).
    const RingRaster raster(view.scale());
    const RECT box = view.paint_box();
    const RECT square{0, 0, raster.size(), raster.size()};
    win::DibSurface under(raster.size(), raster.size());
    ::FillRect(under.dc(), &square, static_cast<HBRUSH>(brush.get()));
    ::BitBlt(under.dc(), 0, 0, raster.size(), raster.size(), whole.dc(), box.left, box.top,
             SRCCOPY);
    win::DibSurface gauge(raster.size(), raster.size());
    ::GdiFlush();
    raster.Draw(ConstPixelRows{under.bits(), under.width()}, PixelRows{gauge.bits(), gauge.width()},
                PixelRect{0, 0, raster.size(), raster.size()}, *view.gauge_values());
    ::BitBlt(whole.dc(), box.left, box.top, gauge.width(), gauge.height(), gauge.dc(), 0, 0,
             SRCCOPY);
  }
  ::SetBkMode(whole.dc(), TRANSPARENT);
  ::SetTextColor(whole.dc(), RGB(255, 255, 255));
  for (int i = 0; i < kLabelCount; ++i) {
    const DashboardLabel& label = view.label(static_cast<Label>(i));
    win::SelectGuard font(whole.dc(), label.font);
    RECT rect = label.place;
    ::DrawTextW(whole.dc(), label.text.c_str(), static_cast<int>(label.text.size()), &rect,
                DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  }
  return whole;
}

int DifferentPixels(const win::DibSurface& a, const win::DibSurface& b) {
  ::GdiFlush();
  if (a.width() != b.width() || a.height() != b.height()) return -1;
  int different = 0;
  for (int i = 0; i < a.width() * a.height(); ++i) different += a.bits()[i] != b.bits()[i];
  return different;
}

std::string WhereTheyDiffer(const win::DibSurface& a, const win::DibSurface& b) {
  ::GdiFlush();
  int left = a.width(), top = a.height(), right = -1, bottom = -1;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.bits()[y * a.width() + x] != b.bits()[y * a.width() + x]) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  return std::to_string(left) + "," + std::to_string(top) + "-" + std::to_string(right) + "," +
         std::to_string(bottom);
}

}  // namespace wd::saver::test
