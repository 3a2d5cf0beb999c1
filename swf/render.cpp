#include "swf/render.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "swf/stroke.h"

namespace wd::swf {

namespace {

// Largest distance (pixels) between a curve and the lines that stand for it.
constexpr double kFlatness = 0.1;

inline uint32_t div255(uint32_t v) {
  return (v + 128 + ((v + 128) >> 8)) >> 8;
}

inline uint32_t scalePixel(uint32_t p, uint32_t c) {
  return div255((p & 0xFF) * c) | div255(((p >> 8) & 0xFF) * c) << 8 |
         div255(((p >> 16) & 0xFF) * c) << 16 | div255((p >> 24) * c) << 24;
}

// Source-over of a premultiplied pixel.
inline uint32_t over(uint32_t src, uint32_t dst) {
  uint32_t inv = 255 - (src >> 24);
  if (inv == 0) return src;
  return src + scalePixel(dst, inv);
}

uint32_t applyCXFormPremul(uint32_t p, const CXForm& cx) {
  uint32_t a = p >> 24;
  RGBA c;
  if (a == 0) {
    c = {0, 0, 0, 0};
  } else {
    auto un = [a](uint32_t v) {
      return static_cast<uint8_t>(std::min<uint32_t>(255, (v * 255 + a / 2) / a));
    };
    c = {un(p & 0xFF), un((p >> 8) & 0xFF), un((p >> 16) & 0xFF), static_cast<uint8_t>(a)};
  }
  c = cx.apply(c);
  return premultiply(c.r, c.g, c.b, c.a);
}

class Paint {
 public:
  virtual ~Paint() = default;
  // Premultiplied colours of n pixels of row y starting at x.
  virtual void shade(int x, int y, int n, uint32_t* out) const = 0;
};

class SolidPaint final : public Paint {
 public:
  explicit SolidPaint(RGBA c) : color_(premultiply(c.r, c.g, c.b, c.a)) {}
  void shade(int, int, int n, uint32_t* out) const override { std::fill(out, out + n, color_); }
  uint32_t color() const { return color_; }

 private:
  uint32_t color_;
};

double srgbToLinear(double c) {
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double linearToSrgb(double c) {
  return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

class GradientPaint final : public Paint {
 public:
  GradientPaint(const FillStyle& f, const Matrix& inverse, const CXForm& cx, bool highQuality)
      : sampleOffset_(highQuality ? 0.0 : 0.5),
        type_(f.type),
        spread_(f.gradient.spread),
        focal_(f.gradient.focal),
        inv_(inverse) {
    std::vector<GradientStop> stops = f.gradient.stops;
    // A gradient without stops paints opaque black, as Flash Player shows it.
    if (stops.empty()) stops.push_back({0, RGBA{0, 0, 0, 255}});
    for (auto& s : stops) s.color = cx.apply(s.color);
    bool linear = f.gradient.interpolation == Interpolation::Linear;
    // Colours at the 256 ratios, as Flash Player tabulates them: each stop takes the
    // entry at its ratio, or the next free one when an earlier stop took that (so
    // stops sharing a ratio show as a thin band of their colours), and the entries
    // between two stops blend them.
    std::array<RGBA, 256> ramp;
    ramp.fill(RGBA{0, 0, 0, 0});
    auto mix = [linear](const RGBA& a, const RGBA& b, double t) {
      auto ch = [t](uint8_t u, uint8_t v, bool gamma) {
        double r;
        if (gamma) {
          double lu = srgbToLinear(u / 255.0), lv = srgbToLinear(v / 255.0);
          r = std::round(linearToSrgb(lu + (lv - lu) * t) * 255.0);
        } else {
          // Flash Player truncates the entries of an RGB ramp.
          r = std::floor(u + (v - u) * t + 1e-9);
        }
        return static_cast<uint8_t>(std::clamp(r, 0.0, 255.0));
      };
      return RGBA{ch(a.r, b.r, linear), ch(a.g, b.g, linear), ch(a.b, b.b, linear),
                  ch(a.a, b.a, false)};
    };
    int next = 0, prevAt = -1;
    RGBA prev{0, 0, 0, 0};
    for (const GradientStop& st : stops) {
      int at = std::max<int>(st.ratio, next);
      if (at > 255) break;
      for (int i = next; i < at; ++i) {
        ramp[i] = prevAt < 0 ? st.color : mix(prev, st.color, double(i - prevAt) / (at - prevAt));
      }
      ramp[at] = st.color;
      prev = st.color;
      prevAt = at;
      next = at + 1;
    }
    for (int i = next; i < 256 && prevAt >= 0; ++i) ramp[i] = prev;
    // At low quality the ramp is read like a 256-texel texture with linear filtering:
    // texel i at (i + 0.5) / 256. At high quality Flash Player takes the nearest entry
    // instead, sampled at the pixel's top-left corner and half a texel nearer the
    // ramp's start, which is where pictures it drew put their colour steps. A finer
    // table holds the colour for each t.
    const double rampOffset = highQuality ? 1.0 : 0.5;
    for (int j = 0; j < kLutSize; ++j) {
      double t = double(j) / (kLutSize - 1);
      double pos = std::clamp(t * 256 - rampOffset, 0.0, 255.0);
      int i0 = static_cast<int>(pos), i1 = std::min(i0 + 1, 255);
      double frac = highQuality ? 0.0 : pos - i0;
      auto lerp = [frac](uint8_t u, uint8_t v) {
        return static_cast<uint8_t>(std::lround(u + (v - u) * frac));
      };
      const RGBA &u = ramp[i0], &v = ramp[i1];
      lut_[j] = premultiply(lerp(u.r, v.r), lerp(u.g, v.g), lerp(u.b, v.b), lerp(u.a, v.a));
    }
  }

  void shade(int x, int y, int n, uint32_t* out) const override {
    double gx = inv_.a * (x + sampleOffset_) + inv_.c * (y + sampleOffset_) + inv_.tx;
    double gy = inv_.b * (x + sampleOffset_) + inv_.d * (y + sampleOffset_) + inv_.ty;
    for (int i = 0; i < n; ++i, gx += inv_.a, gy += inv_.b) {
      double t;
      double px = gx / 16384.0, py = gy / 16384.0;
      if (type_ == FillStyle::Type::Linear) {
        t = (px + 1) / 2;
      } else if (type_ == FillStyle::Type::Radial || focal_ == 0) {
        t = std::sqrt(px * px + py * py);
      } else {
        // Ray from the focal point through p meets the unit circle at distance s.
        double dx = px - focal_, dy = py, len = std::sqrt(dx * dx + dy * dy);
        if (len < 1e-12) {
          t = 0;
        } else {
          double fd = focal_ * dx / len;
          double s = -fd + std::sqrt(std::max(0.0, fd * fd - focal_ * focal_ + 1));
          t = s > 1e-12 ? len / s : 1;
        }
      }
      out[i] = lut_[index(t)];
    }
  }

 private:
  int index(double t) const {
    if (!std::isfinite(t)) t = 0;
    switch (spread_) {
      case Spread::Reflect:
        t = std::fmod(std::fabs(t), 2.0);
        if (t > 1) t = 2 - t;
        break;
      case Spread::Repeat:
        t = t - std::floor(t);
        break;
      default:
        t = std::clamp(t, 0.0, 1.0);
        break;
    }
    return std::clamp(static_cast<int>(t * (kLutSize - 1) + 0.5), 0, kLutSize - 1);
  }

  double sampleOffset_;
  FillStyle::Type type_;
  Spread spread_;
  double focal_;
  Matrix inv_;
  static constexpr int kLutSize = 2048;  // finer than the 256 ratios: smooth ramps
  std::array<uint32_t, kLutSize> lut_;
};

class BitmapPaint final : public Paint {
 public:
  BitmapPaint(const Bitmap& bm, const Matrix& inverse, bool repeat, bool smooth, const CXForm& cx)
      : bm_(bm),
        inv_(inverse),
        repeat_(repeat),
        smooth_(smooth),
        cx_(cx),
        plain_(cx.isIdentity()) {}

  void shade(int x, int y, int n, uint32_t* out) const override {
    double u = inv_.a * (x + 0.5) + inv_.c * (y + 0.5) + inv_.tx;
    double v = inv_.b * (x + 0.5) + inv_.d * (y + 0.5) + inv_.ty;
    // A bitmap drawn at 1:1 along the row: each pixel takes the next bitmap pixel. Smoothed,
    // that holds where pixel centres fall on bitmap pixel centres: there smoothing weighs
    // that one pixel alone.
    const double su = smooth_ ? u - 0.5 : u, sv = smooth_ ? v - 0.5 : v;
    if (inv_.a == 1 && inv_.b == 0 && finite(su) && finite(sv) &&
        (!smooth_ || (su == std::floor(su) && sv == std::floor(sv)))) {
      const int64_t ix = floorIndex(su), iy = floorIndex(sv);
      for (int i = 0; i < n; ++i) {
        const uint32_t p = at(ix + i, iy);
        out[i] = plain_ ? p : applyCXFormPremul(p, cx_);
      }
      return;
    }
    for (int i = 0; i < n; ++i, u += inv_.a, v += inv_.b) {
      uint32_t p = smooth_ ? bilinear(u - 0.5, v - 0.5) : at(floorIndex(u), floorIndex(v));
      out[i] = plain_ ? p : applyCXFormPremul(p, cx_);
    }
  }

 private:
  static bool finite(double c) { return c > -1e9 && c < 1e9; }
  static int64_t floorIndex(double c) {
    if (!(c > -1e9 && c < 1e9)) return 0;
    return static_cast<int64_t>(std::floor(c));
  }
  uint32_t at(int64_t ix, int64_t iy) const {
    int64_t w = bm_.width, h = bm_.height;
    if (repeat_) {
      ix %= w;
      iy %= h;
      if (ix < 0) ix += w;
      if (iy < 0) iy += h;
    } else {
      ix = std::clamp<int64_t>(ix, 0, w - 1);
      iy = std::clamp<int64_t>(iy, 0, h - 1);
    }
    return bm_.pixels[static_cast<size_t>(iy * w + ix)];
  }
  uint32_t bilinear(double u, double v) const {
    int64_t x0 = floorIndex(u), y0 = floorIndex(v);
    uint32_t fx = static_cast<uint32_t>(std::clamp((u - std::floor(u)) * 256, 0.0, 256.0));
    uint32_t fy = static_cast<uint32_t>(std::clamp((v - std::floor(v)) * 256, 0.0, 256.0));
    if (!(u > -1e9 && u < 1e9)) fx = 0;
    if (!(v > -1e9 && v < 1e9)) fy = 0;
    uint32_t p00 = at(x0, y0), p10 = at(x0 + 1, y0), p01 = at(x0, y0 + 1), p11 = at(x0 + 1, y0 + 1);
    uint32_t r = 0;
    for (int sh = 0; sh < 32; sh += 8) {
      uint32_t c00 = (p00 >> sh) & 0xFF, c10 = (p10 >> sh) & 0xFF, c01 = (p01 >> sh) & 0xFF,
               c11 = (p11 >> sh) & 0xFF;
      uint32_t top = c00 * (256 - fx) + c10 * fx, bottom = c01 * (256 - fx) + c11 * fx;
      r |= ((top * (256 - fy) + bottom * fy + 32768) >> 16) << sh;
    }
    return r;
  }

  const Bitmap& bm_;
  Matrix inv_;
  bool repeat_, smooth_;
  CXForm cx_;
  bool plain_;
};

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

  void row(int y, int x0, int count, const uint8_t* cov) override {
    size_t base = static_cast<size_t>(y) * s_.width + x0;
    const uint8_t* clip = clip_ ? clip_ + base : nullptr;
    if (s_.mask) {
      uint8_t* m = s_.mask + base;
      for (int i = 0; i < count; ++i) {
        uint32_t c = clip ? div255(cov[i] * clip[i]) : cov[i];
        m[i] = static_cast<uint8_t>(m[i] + div255(c * (255 - m[i])));
      }
      return;
    }
    uint32_t* dst = s_.color + base;
    if (!solid_) {
      buf_.resize(count);
      paint_->shade(x0, y, count, buf_.data());
    }
    for (int i = 0; i < count; ++i) {
      uint32_t c = clip ? div255(cov[i] * clip[i]) : cov[i];
      if (c == 0) continue;
      uint32_t src = solid_ ? color_ : buf_[i];
      if (c != 255) src = scalePixel(src, c);
      dst[i] = over(src, dst[i]);
    }
  }

 private:
  Surface s_;
  const Paint* paint_;
  const uint8_t* clip_;
  bool solid_ = false;
  uint32_t color_ = 0;
  std::vector<uint32_t> buf_;
};

std::unique_ptr<Paint> makePaint(const Movie& movie, const FillStyle& f, const Matrix& m,
                                 const CXForm& cx, bool aa) {
  if (f.type == FillStyle::Type::Solid) return std::make_unique<SolidPaint>(cx.apply(f.color));
  Matrix inv;
  if (!(m * f.matrix).invert(inv)) return nullptr;
  if (f.type == FillStyle::Type::Bitmap) {
    const Character* c = movie.character(f.bitmapId);
    const Bitmap* bm = c ? std::get_if<Bitmap>(c) : nullptr;
    if (!bm || bm->pixels.empty()) return nullptr;
    return std::make_unique<BitmapPaint>(*bm, inv, f.repeat, f.smooth && aa, cx);
  }
  return std::make_unique<GradientPaint>(f, inv, cx, aa);
}

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
  BitmapPaint paint(bm, inv, false, false, p.cxform);
  Compositor comp(s, &paint, p.clip);
  raster_.fill(FillRule::NonZero, comp, budget_);
}

}  // namespace wd::swf
