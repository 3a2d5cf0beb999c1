#include "swf/stroke.h"

#include <cmath>
#include <numbers>

namespace wd::swf {

namespace {

void addPolygon(const Point* p, size_t n, Rasterizer& out) {
  double area = 0;
  for (size_t i = 0; i < n; ++i) {
    const Point& a = p[i];
    const Point& b = p[(i + 1) % n];
    area += a.x * b.y - b.x * a.y;
  }
  if (area == 0) return;
  for (size_t i = 0; i < n; ++i) {
    const Point& a = p[i];
    const Point& b = p[(i + 1) % n];
    if (area > 0) {
      out.addLine(a.x, a.y, b.x, b.y);
    } else {
      out.addLine(b.x, b.y, a.x, a.y);
    }
  }
}

void addCircle(Point c, double r, Rasterizer& out) {
  // Enough corners that the polygon stays within 1/500 pixel of the circle: pixel centres
  // just inside a round join or cap are covered, as Flash Player covers them.
  double step = r > 0.002 ? std::acos(1 - 0.002 / r) : std::numbers::pi;
  int n = std::clamp(static_cast<int>(std::ceil(std::numbers::pi / step)), 8, 256);
  Point pts[256];
  for (int i = 0; i < n; ++i) {
    double t = 2 * std::numbers::pi * i / n;
    pts[i] = {c.x + r * std::cos(t), c.y + r * std::sin(t)};
  }
  addPolygon(pts, n, out);
}

Point normalOf(Point a, Point b, double hw) {
  double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
  return {-dy / len * hw, dx / len * hw};
}

// Where a curve was split into lines, the stroke's outline follows the curve: the offset
// lines of neighbouring pieces meet in a point, as Flash Player draws a stroked curve,
// whatever join the style asks for (a round piece there would leave the outline just
// inside that point, and pixel centres between the two uncovered). A piece that turns
// so sharply that the point would lie more than twice the half width away stands for a
// curve tighter than the line is thick, whose outline rounds the turn.
constexpr double kCurveMiterLimit = 2;

void addJoin(Point prev, Point v, Point next, bool inCurve, const StrokeStyle& s, Rasterizer& out) {
  double hw = s.halfWidth;
  Join join = inCurve ? Join::Miter : s.join;
  double miterLimit = inCurve ? kCurveMiterLimit : s.miterLimit;
  if (join == Join::Round) return addCircle(v, hw, out);
  Point n1 = normalOf(prev, v, hw), n2 = normalOf(v, next, hw);
  double cross = (v.x - prev.x) * (next.y - v.y) - (v.y - prev.y) * (next.x - v.x);
  double side = cross > 0 ? -1 : 1;  // the outer side of the turn
  Point a{v.x + side * n1.x, v.y + side * n1.y}, b{v.x + side * n2.x, v.y + side * n2.y};
  if (join == Join::Miter) {
    double mx = n1.x + n2.x, my = n1.y + n2.y, ml = std::hypot(mx, my);
    if (ml > 1e-9) {
      double cosHalf = (mx * n1.x + my * n1.y) / (ml * hw);  // cos of half the turn
      if (cosHalf > 1e-6 && 1 / cosHalf <= miterLimit) {
        double len = hw / cosHalf;
        Point m{v.x + side * mx / ml * len, v.y + side * my / ml * len};
        Point quad[4] = {v, a, m, b};
        return addPolygon(quad, 4, out);
      }
    }
  }
  if (inCurve) return addCircle(v, hw, out);
  Point tri[3] = {v, a, b};
  addPolygon(tri, 3, out);
}

void addCap(Point end, Point from, Cap cap, double hw, Rasterizer& out) {
  if (cap == Cap::Round) return addCircle(end, hw, out);
  if (cap != Cap::Square) return;
  double dx = end.x - from.x, dy = end.y - from.y, len = std::hypot(dx, dy);
  Point d{dx / len * hw, dy / len * hw};
  Point n{-d.y, d.x};
  Point quad[4] = {{end.x + n.x, end.y + n.y},
                   {end.x + n.x + d.x, end.y + n.y + d.y},
                   {end.x - n.x + d.x, end.y - n.y + d.y},
                   {end.x - n.x, end.y - n.y}};
  addPolygon(quad, 4, out);
}

}  // namespace

void strokePolyline(const std::vector<Point>& input, const std::vector<uint8_t>& inCurve,
                    bool closed, const StrokeStyle& style, Rasterizer& out) {
  // Drop repeated points: zero-length segments have no direction. A point kept for one
  // that was dropped lies inside a curve only when both did.
  std::vector<Point> pts;
  std::vector<uint8_t> smooth;
  pts.reserve(input.size());
  smooth.reserve(input.size());
  for (size_t i = 0; i < input.size(); ++i) {
    const Point& p = input[i];
    uint8_t flag = i < inCurve.size() ? inCurve[i] : 0;
    if (pts.empty() || std::hypot(p.x - pts.back().x, p.y - pts.back().y) > 1e-6) {
      pts.push_back(p);
      smooth.push_back(flag);
    } else {
      smooth.back() = smooth.back() && flag;
    }
  }
  double hw = style.halfWidth;
  if (pts.empty()) return;
  if (pts.size() == 1) {
    // A dot: round caps draw it, others draw nothing.
    if (style.startCap == Cap::Round) addCircle(pts[0], hw, out);
    return;
  }
  if (closed && pts.size() > 2 &&
      std::hypot(pts.front().x - pts.back().x, pts.front().y - pts.back().y) <= 1e-6) {
    smooth.front() = smooth.front() && smooth.back();
    pts.pop_back();
    smooth.pop_back();
  } else if (closed && pts.size() <= 2) {
    closed = false;
  }
  size_t n = pts.size();
  size_t segments = closed ? n : n - 1;
  for (size_t i = 0; i < segments; ++i) {
    Point a = pts[i], b = pts[(i + 1) % n];
    Point nm = normalOf(a, b, hw);
    Point quad[4] = {{a.x + nm.x, a.y + nm.y},
                     {b.x + nm.x, b.y + nm.y},
                     {b.x - nm.x, b.y - nm.y},
                     {a.x - nm.x, a.y - nm.y}};
    addPolygon(quad, 4, out);
  }
  for (size_t i = closed ? 0 : 1; i < (closed ? n : n - 1); ++i) {
    addJoin(pts[(i + n - 1) % n], pts[i], pts[(i + 1) % n], smooth[i] != 0, style, out);
  }
  if (!closed) {
    addCap(pts[0], pts[1], style.startCap, hw, out);
    addCap(pts[n - 1], pts[n - 2], style.endCap, hw, out);
  }
}

}  // namespace wd::swf
