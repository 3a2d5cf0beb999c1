#include "swf/paint.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace wd::swf {

namespace {

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

}  // namespace

SolidPaint::SolidPaint(RGBA c) : color_(premultiply(c.r, c.g, c.b, c.a)) {}

void Compositor::row(int y, int x0, int count, const uint8_t* cov) {
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

std::unique_ptr<Paint> makePaint(const Movie& movie, const FillStyle& f, const Matrix& m,
                                 const CXForm& cx, bool aa) {
  if (f.type == FillStyle::Type::Solid) return std::make_unique<SolidPaint>(cx.apply(f.color));
  Matrix inv;
  if (!(m * f.matrix).invert(inv)) return nullptr;
  if (f.type == FillStyle::Type::Bitmap) {
    const Character* c = movie.character(f.bitmapId);
    const StoredBitmap* stored = c ? std::get_if<StoredBitmap>(c) : nullptr;
    const Bitmap* bm = stored ? &stored->get() : nullptr;
    if (!bm || bm->pixels.empty()) return nullptr;
    return std::make_unique<BitmapPaint>(*bm, inv, f.repeat, f.smooth && aa, cx);
  }
  return std::make_unique<GradientPaint>(f, inv, cx, aa);
}

std::unique_ptr<Paint> makeBitmapPaint(const Bitmap& bm, const Matrix& inverse, bool repeat,
                                       bool smooth, const CXForm& cx) {
  return std::make_unique<BitmapPaint>(bm, inverse, repeat, smooth, cx);
}

}  // namespace wd::swf
