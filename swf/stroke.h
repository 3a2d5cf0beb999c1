// Turns a stroked polyline into polygons for the non-zero rule: one quad per segment,
// join pieces at inner vertices and caps at the open ends, each piece wound the same
// way so their union fills.
#pragma once

#include <vector>

#include "swf/geom.h"
#include "swf/raster.h"
#include "swf/shape.h"

namespace wd::swf {

struct StrokeStyle {
  double halfWidth = 0.5;  // device pixels
  Cap startCap = Cap::Round, endCap = Cap::Round;
  Join join = Join::Round;
  double miterLimit = 3;
};

// points in device pixels; closed joins the last point back to the first.
void strokePolyline(const std::vector<Point>& points, bool closed, const StrokeStyle& style,
                    Rasterizer& out);

}  // namespace wd::swf
