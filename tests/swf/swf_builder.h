// Builds small SWF movies byte by byte for the player's tests: shapes, fills, strokes,
// placing, sprites, over the writer of swf_writer.h.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

#include "tests/swf/swf_writer.h"

namespace wd::swf::test {

// DefineShape3 of a rectangle in twips with one fill style, which writeFill writes;
// optionally with a black line style of the given width (index 1) drawn around it.
inline std::vector<uint8_t> rectShapeWith(uint16_t id, int32_t x0, int32_t y0, int32_t x1,
                                          int32_t y1,
                                          const std::function<void(BitWriter&)>& writeFill,
                                          uint16_t lineWidth = 0, uint32_t fillIndex = 1) {
  BitWriter w;
  w.u16(id);
  writeRect(w, x0, x1, y0, y1);
  w.u8(1);  // one fill
  writeFill(w);
  if (lineWidth) {
    w.u8(1);
    w.u16(lineWidth);
    w.u8(0), w.u8(0), w.u8(0), w.u8(255);
  } else {
    w.u8(0);
  }
  w.ubits(2, 4);  // fill bits
  w.ubits(lineWidth ? 1 : 0, 4);
  // Move to (x0, y0) and pick fill 1 on the right side (clockwise in y-down space).
  w.ubits(0, 1);
  w.ubits(lineWidth ? 0x0D : 0x05, 5);  // (line) fill1 moveTo
  int n = bitsFor({x0, y0});
  w.ubits(n, 5);
  w.sbits(x0, n);
  w.sbits(y0, n);
  w.ubits(fillIndex, 2);
  if (lineWidth) w.ubits(1, 1);
  auto line = [&](int32_t dx, int32_t dy) {
    int nb = std::max(bitsFor({dx, dy}), 2);
    w.ubits(1, 1);  // edge
    w.ubits(1, 1);  // straight
    w.ubits(nb - 2, 4);
    w.ubits(1, 1);  // general line
    w.sbits(dx, nb);
    w.sbits(dy, nb);
  };
  line(x1 - x0, 0);
  line(0, y1 - y0);
  line(x0 - x1, 0);
  line(0, y0 - y1);
  w.ubits(0, 6);  // end
  w.align();
  return tag(32, w.bytes);
}

// The same with a solid fill.
inline std::vector<uint8_t> rectShape(uint16_t id, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                      std::initializer_list<uint8_t> rgba, uint16_t lineWidth = 0,
                                      uint32_t fillIndex = 1) {
  std::vector<uint8_t> colour(rgba);
  auto fill = [&](BitWriter& w) {
    w.u8(0x00);
    for (uint8_t c : colour) w.u8(c);
  };
  return rectShapeWith(id, x0, y0, x1, y1, fill, lineWidth, fillIndex);
}

struct Stop {
  uint8_t ratio;
  std::array<uint8_t, 4> rgba;
};

// A gradient fill style (type 0x10 linear, 0x12 radial): the gradient square scaled
// by scale (16.16) and moved to (tx, ty) twips.
inline std::function<void(BitWriter&)> gradientFill(uint8_t type, int32_t scale, int32_t tx,
                                                    int32_t ty, std::vector<Stop> stops,
                                                    uint8_t spread = 0, uint8_t interpolation = 0) {
  return [=](BitWriter& w) {
    w.u8(type);
    writeMatrix(w, tx, ty, scale, scale);
    w.ubits(spread, 2);
    w.ubits(interpolation, 2);
    w.ubits(static_cast<uint32_t>(stops.size()), 4);
    for (const Stop& s : stops) {
      w.u8(s.ratio);
      for (uint8_t c : s.rgba) w.u8(c);
    }
  };
}

// A bitmap fill style of the given type (0x40..0x43) with the matrix given.
inline std::function<void(BitWriter&)> bitmapFill(uint16_t bitmapId, int32_t scale,
                                                  uint8_t type = 0x41) {
  return [=](BitWriter& w) {
    w.u8(type);
    w.u16(bitmapId);
    writeMatrix(w, 0, 0, scale, scale);
  };
}

// The style-change record that starts a path: moves to `at` and sets one style index
// (flags 0x05: fill 1, 0x09: line) to `style`, in a 1-bit field.
inline void writeStart(BitWriter& w, uint32_t flags, const std::array<int32_t, 2>& at,
                       uint32_t style) {
  w.ubits(0, 1);
  w.ubits(flags, 5);
  int n = bitsFor({at[0], at[1]});
  w.ubits(n, 5);
  w.sbits(at[0], n);
  w.sbits(at[1], n);
  w.ubits(style, 1);
}

// A curved edge record from `from` bending towards `control` to `to` (twips).
inline void writeCurveEdge(BitWriter& w, const std::array<int32_t, 2>& from,
                           const std::array<int32_t, 2>& control,
                           const std::array<int32_t, 2>& to) {
  int32_t cdx = control[0] - from[0], cdy = control[1] - from[1], adx = to[0] - control[0],
          ady = to[1] - control[1];
  int nb = std::max(bitsFor({cdx, cdy, adx, ady}), 2);
  w.ubits(1, 1);  // edge
  w.ubits(0, 1);  // curved
  w.ubits(nb - 2, 4);
  w.sbits(cdx, nb);
  w.sbits(cdy, nb);
  w.sbits(adx, nb);
  w.sbits(ady, nb);
}

// DefineShape3 of one closed path of quadratic curves through `anchors` (twips), each
// curve bending towards the control point given for it: solid fill 1 on its right.
inline std::vector<uint8_t> curvedShape(uint16_t id,
                                        const std::vector<std::array<int32_t, 2>>& anchors,
                                        const std::vector<std::array<int32_t, 2>>& controls,
                                        std::initializer_list<uint8_t> rgba) {
  BitWriter w;
  w.u16(id);
  int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  for (const auto& p : controls) {
    x0 = std::min(x0, p[0]), x1 = std::max(x1, p[0]), y0 = std::min(y0, p[1]),
    y1 = std::max(y1, p[1]);
  }
  writeRect(w, x0, x1, y0, y1);
  w.u8(1);
  w.u8(0x00);
  for (uint8_t c : rgba) w.u8(c);
  w.u8(0);
  w.ubits(1, 4);  // fill bits
  w.ubits(0, 4);
  writeStart(w, 0x05, anchors[0], 1);  // fill1
  for (size_t i = 0; i < anchors.size(); ++i) {
    const auto& a = anchors[i];
    const auto& b = anchors[(i + 1) % anchors.size()];
    const auto& c = controls[i];
    writeCurveEdge(w, a, c, b);
  }
  w.ubits(0, 6);
  w.align();
  return tag(32, w.bytes);
}

// The start of a DefineShape4 with one line style and no fills: a line of the given
// width (twips) and colour, caps none and bevel joins (square ends), optionally one that
// does not scale horizontally or vertically; then the style bits and the path's start.
inline void writeStrokeShapeStart(BitWriter& w, uint16_t id, uint16_t width,
                                  std::initializer_list<uint8_t> rgba, bool noHScale, bool noVScale,
                                  const std::array<int32_t, 2>& start) {
  w.u16(id);
  writeRect(w, -width, 40000, -width, 40000);
  writeRect(w, 0, 40000, 0, 40000);  // edge bounds
  w.u8(0);                           // flags
  w.u8(0);                           // no fills
  w.u8(1);
  w.u16(width);
  w.ubits(1, 2);  // start cap none
  w.ubits(1, 2);  // bevel join
  w.ubits(0, 1);  // no fill
  w.ubits(noHScale, 1);
  w.ubits(noVScale, 1);
  w.ubits(0, 1);  // pixel hinting
  w.ubits(0, 5);
  w.ubits(0, 1);  // close
  w.ubits(1, 2);  // end cap none
  for (uint8_t c : rgba) w.u8(c);
  w.ubits(0, 4);                  // fill bits
  w.ubits(1, 4);                  // line bits
  writeStart(w, 0x09, start, 1);  // line
}

// DefineShape4 of a single open polyline through `points` (twips), stroked as
// writeStrokeShapeStart says.
inline std::vector<uint8_t> polylineShape(uint16_t id,
                                          const std::vector<std::array<int32_t, 2>>& points,
                                          uint16_t width, std::initializer_list<uint8_t> rgba,
                                          bool noHScale = false, bool noVScale = false) {
  BitWriter w;
  writeStrokeShapeStart(w, id, width, rgba, noHScale, noVScale, points[0]);
  for (size_t i = 1; i < points.size(); ++i) {
    int32_t dx = points[i][0] - points[i - 1][0], dy = points[i][1] - points[i - 1][1];
    int nb = std::max(bitsFor({dx, dy}), 2);
    w.ubits(1, 1);
    w.ubits(1, 1);
    w.ubits(nb - 2, 4);
    w.ubits(1, 1);
    w.sbits(dx, nb);
    w.sbits(dy, nb);
  }
  w.ubits(0, 6);
  w.align();
  return tag(83, w.bytes);
}

// DefineShape4 of one quadratic curve from `start` bending towards `control` to `end`
// (twips), stroked like polylineShape: caps none, bevel joins.
inline std::vector<uint8_t> curveLineShape(uint16_t id, const std::array<int32_t, 2>& start,
                                           const std::array<int32_t, 2>& control,
                                           const std::array<int32_t, 2>& end, uint16_t width,
                                           std::initializer_list<uint8_t> rgba) {
  BitWriter w;
  writeStrokeShapeStart(w, id, width, rgba, false, false, start);
  writeCurveEdge(w, start, control, end);
  w.ubits(0, 6);
  w.align();
  return tag(83, w.bytes);
}

// PlaceObject2 placing (or with move, changing) depth.
inline std::vector<uint8_t> place(uint16_t depth, std::optional<uint16_t> id, int32_t tx = 0,
                                  int32_t ty = 0, bool move = false,
                                  std::optional<uint16_t> clipDepth = {}) {
  BitWriter w;
  w.u8((clipDepth ? 0x40 : 0) | 0x04 | (id ? 0x02 : 0) | (move ? 0x01 : 0));
  w.u16(depth);
  if (id) w.u16(*id);
  writeMatrix(w, tx, ty);
  if (clipDepth) w.u16(*clipDepth);
  return tag(26, w.bytes);
}

// A colour transform with alpha (CXFORMWITHALPHA): multipliers (256 = 1) and add terms.
struct ColourTransform {
  std::array<int32_t, 4> mult{256, 256, 256, 256};
  std::array<int32_t, 4> add{0, 0, 0, 0};
};

// PlaceObject2 of a new object with scales (16.16), a translation and, optionally, a
// colour transform.
inline std::vector<uint8_t> placeScaledXY(uint16_t depth, uint16_t id, int32_t sx, int32_t sy,
                                          int32_t tx, int32_t ty,
                                          std::optional<ColourTransform> cx = {}) {
  BitWriter w;
  w.u8((cx ? 0x08 : 0) | 0x04 | 0x02);
  w.u16(depth);
  w.u16(id);
  writeMatrix(w, tx, ty, sx, sy);
  if (cx) {
    std::initializer_list<int32_t> all = {cx->mult[0], cx->mult[1], cx->mult[2], cx->mult[3],
                                          cx->add[0],  cx->add[1],  cx->add[2],  cx->add[3]};
    int n = bitsFor(all);
    w.ubits(1, 1);  // add terms
    w.ubits(1, 1);  // multipliers
    w.ubits(n, 4);
    for (int32_t v : cx->mult) w.sbits(v, n);
    for (int32_t v : cx->add) w.sbits(v, n);
    w.align();
  }
  return tag(26, w.bytes);
}

// The same with one scale for both axes.
inline std::vector<uint8_t> placeScaled(uint16_t depth, uint16_t id, int32_t scale, int32_t tx,
                                        int32_t ty, std::optional<ColourTransform> cx = {}) {
  return placeScaledXY(depth, id, scale, scale, tx, ty, cx);
}

inline std::vector<uint8_t> removeDepth(uint16_t depth) {
  return tag(28, {static_cast<uint8_t>(depth), static_cast<uint8_t>(depth >> 8)});
}

inline std::vector<uint8_t> sprite(uint16_t id, uint16_t frames,
                                   const std::vector<std::vector<uint8_t>>& tags) {
  BitWriter w;
  w.u16(id);
  w.u16(frames);
  for (const auto& t : tags) w.append(t);
  w.append(tag(0, {}));
  return tag(39, w.bytes);
}

}  // namespace wd::swf::test
