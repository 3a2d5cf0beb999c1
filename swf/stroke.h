// Turns a stroked polyline into polygons for the non-zero rule: one quad per segment,
// join pieces at inner vertices and caps at the open ends, each piece wound the same
// way so their union fills.
#pragma once

#include <cstdint>
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

// points in device pixels; closed joins the last point back to the first. inCurve, when
// not empty, has one flag per point: set where the point lies inside a curve that was split
// into lines, so its join belongs to the curve's smooth outline rather than to the style.
void strokePolyline(const std::vector<Point>& points, const std::vector<uint8_t>& inCurve,
                    bool closed, const StrokeStyle& style, Rasterizer& out);

}  // namespace wd::swf
