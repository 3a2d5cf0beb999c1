// The dashboard's ring gauge as it keeps it: drawn by RingRaster over the picture beneath
// its paint box, once whole and from then on only where the rings moved. The picture
// beneath and the gauge drawn over it are kept as rows of pixels the size of the paint
// box.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/dib.h"
#include "saver/dashboard.h"
#include "saver/ring_raster.h"

namespace wd::saver {

class GaugeTiles {
 public:
  GaugeTiles() = default;
  // What lies beneath a client area: draws `area` (client pixels) onto `dc`, whose pixel
  // (0, 0) is the client pixel (area.left, area.top).
  using Background = std::function<void(HDC dc, const RECT& area)>;
  // The gauge `scale` times as large as at 96 DPI, over the square of the client area
  // whose top-left corner is (left, top), as `background` draws it. Nothing is drawn
  // until the first Update.
  GaugeTiles(double scale, const Background& background, int left, int top);
  GaugeTiles(GaugeTiles&&) = default;
  GaugeTiles& operator=(GaugeTiles&&) = default;

  explicit operator bool() const { return !shown_.empty(); }
  // The side of the paint box.
  int size() const { return raster_.size(); }
  // The ring values drawn; none before the first Update.
  const std::optional<RingValues>& values() const { return values_; }

  // Draws the gauge of `rings`: whole the first time, then each moved ring's arc between
  // its old and new end. The areas of the paint box that changed, valid until the next
  // Update.
  const std::vector<PixelRect>& Update(const RingValues& rings);
  // Copies `area` of the paint box (gauge over what lies beneath) into `to`.
  void Get(const PixelRect& area, PixelRows to) const;

 private:
  RingRaster raster_;
  std::vector<uint32_t> under_;  // what lies beneath the paint box
  std::vector<uint32_t> shown_;  // the gauge as the window shows it, over what lies beneath
  std::optional<RingValues> values_;
  std::vector<PixelRect> changed_;
};

}  // namespace wd::saver
