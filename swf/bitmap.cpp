#include "swf/bitmap.h"

#include <zlib.h>

#include <bit>
#include <cstring>
#include <string>

#include "common/jpeg.h"
#include "swf/error.h"
#include "swf/reader.h"

namespace wd::swf {

uint32_t premultiply(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  auto m = [a](uint32_t c) { return (c * a + 127) / 255; };
  return packRGBA(m(r), m(g), m(b), a);
}

std::vector<uint8_t> inflateZlib(std::span<const uint8_t> data, size_t maxSize, bool* complete) {
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) throw FormatError("zlib initialisation failed");
  std::vector<uint8_t> out;
  zs.next_in = const_cast<Bytef*>(data.data());
  zs.avail_in = static_cast<uInt>(data.size());
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    if (out.size() >= maxSize) break;
    size_t chunk = std::min<size_t>(maxSize - out.size(), 1 << 16);
    size_t old = out.size();
    out.resize(old + chunk);
    zs.next_out = out.data() + old;
    zs.avail_out = static_cast<uInt>(chunk);
    rc = inflate(&zs, Z_NO_FLUSH);
    out.resize(old + chunk - zs.avail_out);
    if (rc == Z_STREAM_END) break;
    if (rc != Z_OK) {
      inflateEnd(&zs);
      if (complete) {
        *complete = false;
        return out;
      }
      throw FormatError("Compressed SWF data is corrupt");
    }
    if (zs.avail_in == 0 && zs.avail_out != 0) break;  // input ended early
  }
  inflateEnd(&zs);
  if (complete) {
    *complete = rc == Z_STREAM_END;
    return out;
  }
  if (rc != Z_STREAM_END) {
    throw FormatError(out.size() >= maxSize ? "Compressed SWF data is too large"
                                            : "Compressed SWF data ends unexpectedly");
  }
  return out;
}

// ---- JPEG ----

namespace {

// Older movies wrap streams in an extra end-of-image/start-of-image pair; it never
// occurs inside entropy-coded data (0xFF is stuffed there), so dropping it is safe.
std::vector<uint8_t> cleanJpeg(std::span<const uint8_t> d) {
  std::vector<uint8_t> out;
  out.reserve(d.size());
  for (size_t i = 0; i < d.size();) {
    if (i + 3 < d.size() && d[i] == 0xFF && d[i + 1] == 0xD9 && d[i + 2] == 0xFF &&
        d[i + 3] == 0xD8) {
      i += 4;
      continue;
    }
    out.push_back(d[i++]);
  }
  return out;
}

}  // namespace

static_assert(std::endian::native == std::endian::little, "RGBA bytes are read as one uint32");

Bitmap decodeJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> data) {
  std::vector<uint8_t> t = cleanJpeg(tables), d = cleanJpeg(data);
  if (d.empty()) throw FormatError("JPEG data is empty");
  JpegPixels pixels;
  JpegFailure failure;
  if (!DecodeJpegPixels(d, JpegPixelOrder::kRgba, pixels, failure, t, kMaxBitmapPixels)) {
    throw FormatError("JPEG data is corrupt: " + failure.message);
  }
  if (pixels.width == 0 || pixels.height == 0) {
    throw FormatError("JPEG data is corrupt: unsupported image");
  }
  // Opaque RGBA bytes are the premultiplied r | g << 8 | b << 16 | a << 24 of a Bitmap.
  Bitmap bm;
  bm.width = pixels.width;
  bm.height = pixels.height;
  bm.pixels.resize(pixels.bytes.size() / 4);
  std::memcpy(bm.pixels.data(), pixels.bytes.data(), pixels.bytes.size());
  return bm;
}

Bitmap decodeImage(std::span<const uint8_t> data) {
  static const uint8_t png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (data.size() >= 8 && std::memcmp(data.data(), png, 8) == 0) return decodePng(data);
  if (data.size() >= 6 && std::memcmp(data.data(), "GIF8", 4) == 0) return decodeGif(data);
  return decodeJpeg({}, data);
}

// ---- Lossless ----

Bitmap decodeLossless(std::span<const uint8_t> body, int version) {
  Reader r(body);
  uint8_t format = r.u8();
  uint32_t w = r.u16(), h = r.u16();
  uint32_t colors = format == 3 ? r.u8() + 1u : 0;
  if (w == 0 || h == 0) return Bitmap{};
  if (uint64_t{w} * h > kMaxBitmapPixels) throw FormatError("Bitmap is too large");
  bool alpha = version == 2;
  size_t entry = alpha ? 4 : 3;
  size_t stride = 0, tableSize = colors * entry;
  if (format == 3) {
    stride = (w + 3) & ~3u;
  } else if (format == 4) {
    stride = (w * 2 + 3) & ~3u;
  } else if (format == 5) {
    stride = w * 4;
  } else {
    throw FormatError("Unknown lossless bitmap format " + std::to_string(format));
  }
  size_t need = tableSize + stride * h;
  std::vector<uint8_t> raw = inflateZlib(r.rest(), need);
  if (raw.size() < need) throw FormatError("Lossless bitmap data is too short");
  Bitmap bm;
  bm.width = static_cast<int>(w);
  bm.height = static_cast<int>(h);
  bm.pixels.resize(size_t{w} * h);
  std::vector<uint32_t> table(256, 0);
  for (size_t i = 0; i < colors; ++i) {
    const uint8_t* c = raw.data() + i * entry;
    // Lossless2 colours are stored premultiplied already; clamp keeps them consistent.
    uint8_t a = alpha ? c[3] : 255;
    table[i] = packRGBA(std::min(c[0], a), std::min(c[1], a), std::min(c[2], a), a);
  }
  const uint8_t* px = raw.data() + tableSize;
  for (uint32_t y = 0; y < h; ++y) {
    const uint8_t* row = px + y * stride;
    uint32_t* dst = bm.pixels.data() + size_t{y} * w;
    for (uint32_t x = 0; x < w; ++x) {
      if (format == 3) {
        dst[x] = table[row[x]];
      } else if (format == 4) {
        uint32_t v = static_cast<uint32_t>(row[2 * x]) << 8 | row[2 * x + 1];
        auto ex = [](uint32_t c5) { return (c5 << 3) | (c5 >> 2); };
        dst[x] = packRGBA(ex((v >> 10) & 31), ex((v >> 5) & 31), ex(v & 31), 255);
      } else {
        const uint8_t* c = row + 4 * x;
        uint8_t a = alpha ? c[0] : 255;
        dst[x] = packRGBA(std::min(c[1], a), std::min(c[2], a), std::min(c[3], a), a);
      }
    }
  }
  return bm;
}

}  // namespace wd::swf
