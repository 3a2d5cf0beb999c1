#include "swf/shape.h"

namespace wd::swf {

namespace {

// Caps keep a malformed movie from building huge tables.
constexpr size_t kMaxEdgesPerShape = 1 << 20;

FillStyle readFillStyle(Reader& r, int version) {
  FillStyle f;
  uint8_t type = r.u8();
  if (type == 0x00) {
    f.type = FillStyle::Type::Solid;
    f.color = version >= 3 ? readRGBA(r) : readRGB(r);
  } else if (type == 0x10 || type == 0x12 || type == 0x13) {
    f.type = type == 0x10   ? FillStyle::Type::Linear
             : type == 0x12 ? FillStyle::Type::Radial
                            : FillStyle::Type::Focal;
    f.matrix = readMatrix(r);
    r.align();
    f.gradient.spread = static_cast<Spread>(std::min<uint32_t>(r.ubits(2), 2));
    uint32_t interp = r.ubits(2);
    f.gradient.interpolation = interp == 1 ? Interpolation::Linear : Interpolation::Normal;
    uint32_t n = r.ubits(4);
    for (uint32_t i = 0; i < n; ++i) {
      GradientStop s;
      s.ratio = r.u8();
      s.color = version >= 3 ? readRGBA(r) : readRGB(r);
      f.gradient.stops.push_back(s);
    }
    if (type == 0x13) f.gradient.focal = std::clamp(r.fixed8(), -1.0, 1.0);
  } else if (type >= 0x40 && type <= 0x43) {
    f.type = FillStyle::Type::Bitmap;
    f.bitmapId = r.u16();
    f.matrix = readMatrix(r);
    f.repeat = (type & 1) == 0;
    f.smooth = (type & 2) == 0;
  } else {
    throw FormatError("Unknown fill style type " + std::to_string(type));
  }
  return f;
}

uint32_t readCount(Reader& r, int version) {
  uint32_t n = r.u8();
  if (n == 0xFF && version >= 2) n = r.u16();
  return n;
}

void readStyles(Reader& r, int version, ShapeGroup& g) {
  uint32_t nf = readCount(r, version);
  for (uint32_t i = 0; i < nf; ++i) g.fills.push_back(readFillStyle(r, version));
  uint32_t nl = readCount(r, version);
  for (uint32_t i = 0; i < nl; ++i) {
    LineStyle l;
    l.width = r.u16();
    if (version >= 4) {
      r.align();
      l.startCap = static_cast<Cap>(std::min<uint32_t>(r.ubits(2), 2));
      uint32_t join = r.ubits(2);
      l.join = static_cast<Join>(std::min<uint32_t>(join, 2));
      l.hasFill = r.ubits(1);
      l.noHScale = r.ubits(1);
      l.noVScale = r.ubits(1);
      l.pixelHinting = r.ubits(1);
      r.ubits(5);
      l.noClose = r.ubits(1);
      l.endCap = static_cast<Cap>(std::min<uint32_t>(r.ubits(2), 2));
      if (join == 2) l.miterLimit = r.fixed8();
      if (l.hasFill) {
        l.fill = readFillStyle(r, version);
        l.color = l.fill.color;
      } else {
        l.color = readRGBA(r);
      }
    } else {
      l.color = version >= 3 ? readRGBA(r) : readRGB(r);
    }
    g.lines.push_back(l);
  }
}

}  // namespace

Shape parseShape(Reader& r, int version) {
  Shape s;
  s.bounds = readRect(r);
  if (version >= 4) {
    readRect(r);  // edge bounds
    uint8_t flags = r.u8();
    s.nonZero = flags & 0x04;
  }
  s.groups.emplace_back();
  readStyles(r, version, s.groups.back());
  r.align();
  int fillBits = static_cast<int>(r.ubits(4));
  int lineBits = static_cast<int>(r.ubits(4));

  Point pen;
  uint32_t fill0 = 0, fill1 = 0, line = 0;
  size_t edgeCount = 0;
  for (;;) {
    ShapeGroup& g = s.groups.back();
    if (r.ubits(1) == 0) {
      uint32_t flags = r.ubits(5);
      if (flags == 0) break;
      if (flags & 0x01) {
        int n = static_cast<int>(r.ubits(5));
        pen.x = r.sbits(n);
        pen.y = r.sbits(n);
      }
      if (flags & 0x02) fill0 = r.ubits(fillBits);
      if (flags & 0x04) fill1 = r.ubits(fillBits);
      if (flags & 0x08) line = r.ubits(lineBits);
      if (flags & 0x10) {
        s.groups.emplace_back();
        readStyles(r, version, s.groups.back());
        r.align();
        fillBits = static_cast<int>(r.ubits(4));
        lineBits = static_cast<int>(r.ubits(4));
        // Indices given in the same record refer to the new tables; others reset.
        if (!(flags & 0x02)) fill0 = 0;
        if (!(flags & 0x04)) fill1 = 0;
        if (!(flags & 0x08)) line = 0;
      }
      continue;
    }
    if (++edgeCount > kMaxEdgesPerShape) throw FormatError("Shape has too many edges");
    ShapeEdge e;
    e.p0 = pen;
    bool straight = r.ubits(1);
    int n = static_cast<int>(r.ubits(4)) + 2;
    if (straight) {
      double dx = 0, dy = 0;
      if (r.ubits(1)) {
        dx = r.sbits(n);
        dy = r.sbits(n);
      } else if (r.ubits(1)) {
        dy = r.sbits(n);
      } else {
        dx = r.sbits(n);
      }
      pen.x += dx;
      pen.y += dy;
    } else {
      double cdx = r.sbits(n), cdy = r.sbits(n), adx = r.sbits(n), ady = r.sbits(n);
      e.curve = true;
      e.control = {pen.x + cdx, pen.y + cdy};
      pen = {e.control.x + adx, e.control.y + ady};
    }
    e.p1 = pen;
    // Indices past the tables count as no style.
    e.fill0 = fill0 <= g.fills.size() ? static_cast<uint16_t>(fill0) : 0;
    e.fill1 = fill1 <= g.fills.size() ? static_cast<uint16_t>(fill1) : 0;
    e.line = line <= g.lines.size() ? static_cast<uint16_t>(line) : 0;
    if (e.fill0 || e.fill1 || e.line) g.edges.push_back(e);
  }
  return s;
}

}  // namespace wd::swf
