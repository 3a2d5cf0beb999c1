#include "swf/render.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "swf/paint.h"
#include "swf/stroke.h"

namespace wd::swf {

namespace {

// Largest distance (pixels) between a curve and the lines that stand for it.
constexpr double kFlatness = 0.1;

// Device pixels per twip of a stroke's width. A line is as thick all along (Flash Player
// does not squash it with a non-uniform scale): it scales with the geometric mean of the
// shape's horizontal and vertical scale. A line that must not scale horizontally
// (vertically) leaves that axis's scale out, so a shape scaled only along that axis
// keeps the line as it was on the stage; with both flags only the stage's zoom applies.
double strokeScale(const Matrix& m, bool noHScale, bool noVScale, double viewScale) {
  if (!noHScale && !noVScale) return std::sqrt(std::fabs(m.det()));
  double sx = noHScale ? viewScale : std::hypot(m.a, m.b);
  double sy = noVScale ? viewScale : std::hypot(m.c, m.d);
  return std::sqrt(sx * sy);
}

// Flash Player keeps the translation of a placed object in whole twips of the device
// (a twentieth of a pixel), so shapes at fractional positions land on that grid.
Matrix snapTranslation(Matrix m) {
  auto snap = [](double v) { return std::fabs(v) < 1e12 ? std::round(v * 20) / 20 : v; };
  m.tx = snap(m.tx);
  m.ty = snap(m.ty);
  return m;
}

// Where to split a quadratic curve so that every piece strays equally far from it: a
// chord's largest distance from a short piece is its length squared times the curvature
// over 8, so pieces that each span an equal share of the integral of sqrt(curvature)
// stray equally. Every quadratic curve is a stretch of the parabola y = x^2 (scaled),
// its x running evenly with t from x0 to x2, where that integral is the integral of
// (1 + 4 x^2)^-1/4 dx. The split points sit where a closed form close to that integral,
// I(x) = x / (0.33 + (0.67^4 + x^2 / 4)^1/4), and one close to its inverse,
// J(u) = u (0.61 + sqrt(0.39^2 + u^2 / 4)), put them (the parabola flattening that
// players drawing on the GPU use); the exact integral moves some by enough to put pixel
// centres of the reference pictures' curved clip shapes on the other side.
class CurveSplit {
 public:
  CurveSplit(Point a, Point c, Point b) {
    double ddx = 2 * c.x - a.x - b.x, ddy = 2 * c.y - a.y - b.y;
    double cross = (b.x - a.x) * ddy - (b.y - a.y) * ddx;
    double x0 = ((c.x - a.x) * ddx + (c.y - a.y) * ddy) / cross;
    double x2 = ((b.x - c.x) * ddx + (b.y - c.y) * ddy) / cross;
    scale_ = std::fabs(cross) / (std::hypot(ddx, ddy) * std::fabs(x2 - x0));
    from_ = integral(x0);
    span_ = integral(x2) - from_;
    invFrom_ = inverse(from_);
    invSpan_ = inverse(from_ + span_) - invFrom_;
  }
  // Pieces needed for each to stay within tol pixels of the curve (fractional; not
  // finite for a straight or degenerate curve).
  double pieces(double tol) const { return 0.5 * std::fabs(span_) * std::sqrt(scale_ / tol); }
  // The parameter t where a share f (0..1) of the integral is reached.
  double at(double f) const { return (inverse(from_ + span_ * f) - invFrom_) / invSpan_; }

 private:
  static double integral(double x) {
    constexpr double d = 0.67;
    return x / (1 - d + std::sqrt(std::sqrt(d * d * d * d + 0.25 * x * x)));
  }
  static double inverse(double u) {
    constexpr double b = 0.39;
    return u * (1 - b + std::sqrt(b * b + 0.25 * u * u));
  }
  double scale_ = 0, from_ = 0, span_ = 0, invFrom_ = 0, invSpan_ = 0;
};

}  // namespace

void Renderer::flatten(const ShapeEdge& e, const Matrix& m, std::vector<Point>& out) const {
  Point a = m.apply(e.p0), b = m.apply(e.p1);
  if (out.empty()) out.push_back(a);
  if (!e.curve) {
    out.push_back(b);
    return;
  }
  Point c = m.apply(e.control);
  // A curve that strays from its chord by no more than kFlatness is one line already.
  // Its points lie 2 t (1 - t) times the control point's distance off the chord's line,
  // so it strays at most half that distance. (The gap between the middles of curve and
  // chord, |start - 2 control + end| / 4, is larger for a lopsided curve: it runs along
  // the chord as much as across it.) A curve whose ends meet strays half the way to its
  // control point.
  double chord = std::hypot(b.x - a.x, b.y - a.y);
  double strays = chord > 0
                      ? std::fabs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)) / chord / 2
                      : std::hypot(c.x - a.x, c.y - a.y) / 2;
  if (!(strays > kFlatness)) {
    out.push_back(b);
    return;
  }
  CurveSplit split(a, c, b);
  int n = 1;
  double k = split.pieces(kFlatness);
  if (std::isfinite(k)) n = std::clamp(static_cast<int>(std::ceil(k)), 1, 256);
  for (int i = 1; i < n; ++i) {
    double t = split.at(double(i) / n), u = 1 - t;
    if (!(t > 0 && t < 1)) continue;
    out.push_back(
        {u * u * a.x + 2 * u * t * c.x + t * t * b.x, u * u * a.y + 2 * u * t * c.y + t * t * b.y});
  }
  out.push_back(b);
}

void Renderer::fillPath(const Surface& s, const FillStyle& fill, FillRule rule,
                        const DrawParams& p) {
  if (raster_.empty()) return;
  // A clip layer takes only the outline of its fills: one whose paint is missing (a
  // bitmap left out, a singular gradient matrix) clips all the same.
  std::unique_ptr<Paint> paint = s.mask ? std::make_unique<SolidPaint>(RGBA{})
                                        : makePaint(movie_, fill, p.matrix, p.cxform, aa_);
  if (!paint) return;
  Compositor comp(s, paint.get(), p.clip);
  raster_.fill(rule, comp, budget_);
}

void Renderer::drawShape(const Surface& s, const Shape& shape, const DrawParams& params) {
  DrawParams p = params;
  p.matrix = snapTranslation(p.matrix);
  const Matrix& m = p.matrix;
  FillRule rule = shape.nonZero ? FillRule::NonZero : FillRule::EvenOdd;
  std::vector<Point> poly;
  std::vector<uint8_t> polyInCurve;  // per point of poly: inside a curve (see strokePolyline)
  for (const ShapeGroup& g : shape.groups) {
    if (budget_.exhausted()) return;
    if (!budget_.spend(g.edges.size())) return;
    // Flatten every edge once: edge i owns points_[edgeStart_[i] .. edgeStart_[i+1]).
    points_.clear();
    edgeStart_.clear();
    for (const ShapeEdge& e : g.edges) {
      edgeStart_.push_back(static_cast<uint32_t>(points_.size()));
      poly.clear();
      flatten(e, m, poly);
      points_.insert(points_.end(), poly.begin(), poly.end());
    }
    edgeStart_.push_back(static_cast<uint32_t>(points_.size()));
    if (!budget_.spend(points_.size())) return;

    for (size_t f = 1; f <= g.fills.size(); ++f) {
      raster_.reset(s.width, s.height, aa_);
      for (size_t i = 0; i < g.edges.size(); ++i) {
        const ShapeEdge& e = g.edges[i];
        bool right = e.fill1 == f, left = e.fill0 == f;
        if (right == left) continue;  // neither side, or both: no boundary of this fill
        for (uint32_t k = edgeStart_[i]; k + 1 < edgeStart_[i + 1]; ++k) {
          const Point &a = points_[k], &b = points_[k + 1];
          if (right) {
            raster_.addLine(a.x, a.y, b.x, b.y);
          } else {
            raster_.addLine(b.x, b.y, a.x, a.y);
          }
        }
      }
      fillPath(s, g.fills[f - 1], rule, p);
    }
    // Clip layers are made of fills only: Flash Player leaves their strokes out.
    for (size_t l = 1; l <= g.lines.size() && !s.mask; ++l) {
      const LineStyle& ls = g.lines[l - 1];
      double width = ls.width * strokeScale(m, ls.noHScale, ls.noVScale, viewScale_);
      StrokeStyle st;
      st.halfWidth = std::max(width, 1.0) / 2;
      st.startCap = ls.startCap;
      st.endCap = ls.endCap;
      st.join = ls.join;
      st.miterLimit = std::max(1.0, ls.miterLimit);
      raster_.reset(s.width, s.height, aa_);
      poly.clear();
      polyInCurve.clear();
      Point lastEnd{};
      auto flush = [&]() {
        if (poly.empty()) return;
        const Point &a = poly.front(), &b = poly.back();
        bool closed = !ls.noClose && poly.size() > 2 && std::fabs(a.x - b.x) < 1e-9 &&
                      std::fabs(a.y - b.y) < 1e-9;
        strokePolyline(poly, polyInCurve, closed, st, raster_);
        poly.clear();
        polyInCurve.clear();
      };
      for (size_t i = 0; i < g.edges.size(); ++i) {
        const ShapeEdge& e = g.edges[i];
        if (e.line != l) continue;
        if (!poly.empty() && (e.p0.x != lastEnd.x || e.p0.y != lastEnd.y)) flush();
        uint32_t k0 = edgeStart_[i];
        if (!poly.empty()) ++k0;  // the shared start point is already there
        poly.insert(poly.end(), points_.begin() + k0, points_.begin() + edgeStart_[i + 1]);
        // The points between a curve's ends lie inside it; its ends are vertices.
        size_t inner = edgeStart_[i + 1] - edgeStart_[i] - 2;
        if (polyInCurve.empty()) polyInCurve.push_back(0);
        polyInCurve.insert(polyInCurve.end(), inner, 1);
        polyInCurve.push_back(0);
        lastEnd = e.p1;
      }
      flush();
      if (!budget_.spend(0)) return;
      FillStyle fill;
      if (ls.hasFill) {
        fill = ls.fill;
      } else {
        fill.color = ls.color;
      }
      fillPath(s, fill, FillRule::NonZero, p);
    }
  }
}

void Renderer::drawBitmap(const Surface& s, const Bitmap& bm, const DrawParams& params) {
  if (bm.pixels.empty()) return;
  DrawParams p = params;
  p.matrix = snapTranslation(p.matrix);
  // A bitmap placed directly: its rectangle filled with the bitmap, 20 twips per pixel.
  FillStyle f;
  f.type = FillStyle::Type::Bitmap;
  f.repeat = false;
  f.smooth = false;
  f.matrix = Matrix::scale(20, 20);
  Matrix inv;
  if (!(p.matrix * f.matrix).invert(inv)) return;
  raster_.reset(s.width, s.height, aa_);
  Point c[4] = {
      {0, 0}, {bm.width * 20.0, 0}, {bm.width * 20.0, bm.height * 20.0}, {0, bm.height * 20.0}};
  for (int i = 0; i < 4; ++i) {
    Point a = p.matrix.apply(c[i]), b = p.matrix.apply(c[(i + 1) % 4]);
    raster_.addLine(a.x, a.y, b.x, b.y);
  }
  const std::unique_ptr<Paint> paint = makeBitmapPaint(bm, inv, false, false, p.cxform);
  Compositor comp(s, paint.get(), p.clip);
  raster_.fill(FillRule::NonZero, comp, budget_);
}

}  // namespace wd::swf
