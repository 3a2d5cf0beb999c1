// Drawing of shapes and bitmaps into a premultiplied RGBA surface or into a coverage
// mask (for clip layers).
#pragma once

#include <cstdint>
#include <vector>

#include "swf/bitmap.h"
#include "swf/geom.h"
#include "swf/movie.h"
#include "swf/raster.h"
#include "swf/shape.h"

namespace wd::swf {

// Where drawing goes: colour pixels (premultiplied RGBA as in Bitmap) or, when mask is
// set, coverage of a clip layer (0..255).
struct Surface {
  int width = 0, height = 0;
  uint32_t* color = nullptr;
  uint8_t* mask = nullptr;
};

struct DrawParams {
  Matrix matrix;                  // character space (twips) -> device pixels
  CXForm cxform;                  // accumulated colour transform
  const uint8_t* clip = nullptr;  // coverage the drawing is limited to, or none
};

class Renderer {
 public:
  // viewScale: device pixels per twip of the stage, for strokes that do not scale.
  Renderer(const Movie& movie, bool antialias, double viewScale, WorkBudget& budget)
      : movie_(movie), aa_(antialias), viewScale_(viewScale), budget_(budget) {}

  void drawShape(const Surface& s, const Shape& shape, const DrawParams& p);
  void drawBitmap(const Surface& s, const Bitmap& bitmap, const DrawParams& p);

 private:
  void fillPath(const Surface& s, const FillStyle& fill, FillRule rule, const DrawParams& p);
  // Appends the device points of an edge (its start only when `out` is empty): a curve
  // becomes as few lines as keep within kFlatness of it, each straying equally far.
  void flatten(const ShapeEdge& e, const Matrix& m, std::vector<Point>& out) const;

  const Movie& movie_;
  bool aa_;
  double viewScale_;
  WorkBudget& budget_;
  Rasterizer raster_;
  std::vector<Point> points_;
  std::vector<uint32_t> edgeStart_;
};

}  // namespace wd::swf
