// Geometry and colour records of SWF movies: RECT, MATRIX, CXFORM and colours.
#pragma once

#include <algorithm>
#include <cstdint>

#include "swf/reader.h"

namespace wd::swf {

struct Rect {
  int32_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;  // twips
};

struct Point {
  double x = 0, y = 0;
};

// x' = a*x + c*y + tx, y' = b*x + d*y + ty.
struct Matrix {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

  Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
  // this after other: (this * other)(p) = this(other(p)).
  Matrix operator*(const Matrix& o) const {
    return {a * o.a + c * o.b, b * o.a + d * o.b,        a * o.c + c * o.d,
            b * o.c + d * o.d, a * o.tx + c * o.ty + tx, b * o.tx + d * o.ty + ty};
  }
  double det() const { return a * d - b * c; }
  // False when the matrix is (nearly) singular; out is then left alone.
  bool invert(Matrix& out) const;
  static Matrix scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
  static Matrix translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
};

// Straight (not premultiplied) colour.
struct RGBA {
  uint8_t r = 0, g = 0, b = 0, a = 255;
  bool operator==(const RGBA&) const = default;
};

// Colour transform: channel * mult / 256 + add, clamped to 0..255.
struct CXForm {
  int32_t mr = 256, mg = 256, mb = 256, ma = 256;
  int32_t ar = 0, ag = 0, ab = 0, aa = 0;

  bool isIdentity() const {
    return mr == 256 && mg == 256 && mb == 256 && ma == 256 && ar == 0 && ag == 0 && ab == 0 &&
           aa == 0;
  }
  RGBA apply(RGBA c) const {
    auto ch = [](int v, int m, int add) {
      return static_cast<uint8_t>(std::clamp(((v * m) >> 8) + add, 0, 255));
    };
    return {ch(c.r, mr, ar), ch(c.g, mg, ag), ch(c.b, mb, ab), ch(c.a, ma, aa)};
  }
  // this after inner.
  CXForm operator*(const CXForm& in) const;
};

Rect readRect(Reader& r);
Matrix readMatrix(Reader& r);
// CXFORM (withAlpha false) or CXFORMWITHALPHA (withAlpha true).
CXForm readCXForm(Reader& r, bool withAlpha);
RGBA readRGB(Reader& r);
RGBA readRGBA(Reader& r);

}  // namespace wd::swf
