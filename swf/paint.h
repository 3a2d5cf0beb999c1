// The paints of the renderer (a solid colour, a linear, radial or focal gradient, a
// bitmap) and the compositor that lays a paint through the rasterizer's coverage rows
// onto a surface or into a clip mask.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "swf/bitmap.h"
#include "swf/geom.h"
#include "swf/movie.h"
#include "swf/raster.h"
#include "swf/render.h"
#include "swf/shape.h"

namespace wd::swf {

class Paint {
 public:
  virtual ~Paint() = default;
  // Premultiplied colours of n pixels of row y starting at x.
  virtual void shade(int x, int y, int n, uint32_t* out) const = 0;
};

class SolidPaint final : public Paint {
 public:
  explicit SolidPaint(RGBA c);
  void shade(int, int, int n, uint32_t* out) const override { std::fill(out, out + n, color_); }
  uint32_t color() const { return color_; }

 private:
  uint32_t color_;
};

// The paint of a fill seen through `m` (character to device) and `cx`; null where the fill
// cannot be painted (a bitmap left out, a singular matrix).
std::unique_ptr<Paint> makePaint(const Movie& movie, const FillStyle& f, const Matrix& m,
                                 const CXForm& cx, bool aa);
// A bitmap seen through `inverse` (device to bitmap pixels).
std::unique_ptr<Paint> makeBitmapPaint(const Bitmap& bm, const Matrix& inverse, bool repeat,
                                       bool smooth, const CXForm& cx);

// Composites a paint through the coverage rows the rasterizer produces.
class Compositor final : public CoverageSink {
 public:
  Compositor(const Surface& s, const Paint* paint, const uint8_t* clip)
      : s_(s), paint_(paint), clip_(clip) {
    if (auto* solid = dynamic_cast<const SolidPaint*>(paint)) {
      solid_ = true;
      color_ = solid->color();
    }
  }

  void row(int y, int x0, int count, const uint8_t* cov) override;

 private:
  Surface s_;
  const Paint* paint_;
  const uint8_t* clip_;
  bool solid_ = false;
  uint32_t color_ = 0;
  std::vector<uint32_t> buf_;
};

}  // namespace wd::swf
