#include "swf/geom.h"

#include <cmath>

namespace wd::swf {

bool Matrix::invert(Matrix& out) const {
  double dt = det();
  if (!std::isfinite(dt) || std::fabs(dt) < 1e-12) return false;
  double ia = d / dt, ib = -b / dt, ic = -c / dt, id = a / dt;
  out = {ia, ib, ic, id, -(ia * tx + ic * ty), -(ib * tx + id * ty)};
  return true;
}

CXForm CXForm::operator*(const CXForm& in) const {
  auto clampMul = [](int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, -65536, 65536));
  };
  CXForm o;
  o.mr = clampMul(int64_t{mr} * in.mr / 256);
  o.mg = clampMul(int64_t{mg} * in.mg / 256);
  o.mb = clampMul(int64_t{mb} * in.mb / 256);
  o.ma = clampMul(int64_t{ma} * in.ma / 256);
  o.ar = clampMul(int64_t{mr} * in.ar / 256 + ar);
  o.ag = clampMul(int64_t{mg} * in.ag / 256 + ag);
  o.ab = clampMul(int64_t{mb} * in.ab / 256 + ab);
  o.aa = clampMul(int64_t{ma} * in.aa / 256 + aa);
  return o;
}

Rect readRect(Reader& r) {
  r.align();
  int n = static_cast<int>(r.ubits(5));
  Rect rc;
  rc.xmin = r.sbits(n);
  rc.xmax = r.sbits(n);
  rc.ymin = r.sbits(n);
  rc.ymax = r.sbits(n);
  r.align();
  return rc;
}

Matrix readMatrix(Reader& r) {
  r.align();
  Matrix m;
  if (r.ubits(1)) {
    int n = static_cast<int>(r.ubits(5));
    m.a = r.fbits(n);
    m.d = r.fbits(n);
  }
  if (r.ubits(1)) {
    int n = static_cast<int>(r.ubits(5));
    m.b = r.fbits(n);
    m.c = r.fbits(n);
  }
  int n = static_cast<int>(r.ubits(5));
  m.tx = r.sbits(n);
  m.ty = r.sbits(n);
  r.align();
  return m;
}

CXForm readCXForm(Reader& r, bool withAlpha) {
  r.align();
  CXForm cx;
  bool hasAdd = r.ubits(1);
  bool hasMult = r.ubits(1);
  int n = static_cast<int>(r.ubits(4));
  if (hasMult) {
    cx.mr = r.sbits(n);
    cx.mg = r.sbits(n);
    cx.mb = r.sbits(n);
    if (withAlpha) cx.ma = r.sbits(n);
  }
  if (hasAdd) {
    cx.ar = r.sbits(n);
    cx.ag = r.sbits(n);
    cx.ab = r.sbits(n);
    if (withAlpha) cx.aa = r.sbits(n);
  }
  r.align();
  return cx;
}

RGBA readRGB(Reader& r) {
  RGBA c;
  c.r = r.u8();
  c.g = r.u8();
  c.b = r.u8();
  return c;
}

RGBA readRGBA(Reader& r) {
  RGBA c = readRGB(r);
  c.a = r.u8();
  return c;
}

}  // namespace wd::swf
