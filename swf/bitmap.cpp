#include "swf/bitmap.h"

#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>

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

struct JpegErr {
  jpeg_error_mgr mgr;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<JpegErr*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->message);
  longjmp(e->jump, 1);
}

void jpegSilence(j_common_ptr, int) {}

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

// Plain C-style body: nothing with a destructor lives across the setjmp.
bool jpegDecodeInto(const uint8_t* tables, size_t tablesSize, const uint8_t* data, size_t dataSize,
                    Bitmap* out, char* message) {
  jpeg_decompress_struct cinfo;
  JpegErr err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = jpegErrorExit;
  err.mgr.emit_message = jpegSilence;
  err.message[0] = 0;
  JSAMPLE* volatile row = nullptr;
  if (setjmp(err.jump)) {
    std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
    jpeg_destroy_decompress(&cinfo);
    std::free(row);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  if (tablesSize > 0) {
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(tables),
                 static_cast<unsigned long>(tablesSize));
    jpeg_read_header(&cinfo, FALSE);
  }
  jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), static_cast<unsigned long>(dataSize));
  jpeg_read_header(&cinfo, TRUE);
  if (uint64_t{cinfo.image_width} * cinfo.image_height > kMaxBitmapPixels) {
    std::strcpy(message, "image too large");
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  uint64_t w = cinfo.output_width, h = cinfo.output_height;
  if (w == 0 || h == 0 || w * h > kMaxBitmapPixels || cinfo.output_components != 3) {
    std::strcpy(message, "unsupported image");
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  out->width = static_cast<int>(w);
  out->height = static_cast<int>(h);
  out->pixels.assign(w * h, 0xFF000000u);
  row = static_cast<JSAMPLE*>(std::malloc(w * 3));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[1] = {row};
    unsigned y = cinfo.output_scanline;
    if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
    uint32_t* dst = out->pixels.data() + static_cast<size_t>(y) * w;
    for (size_t x = 0; x < w; ++x)
      dst[x] = packRGBA(row[3 * x], row[3 * x + 1], row[3 * x + 2], 255);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::free(row);
  return true;
}

}  // namespace

Bitmap decodeJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> data) {
  std::vector<uint8_t> t = cleanJpeg(tables), d = cleanJpeg(data);
  if (d.empty()) throw FormatError("JPEG data is empty");
  Bitmap bm;
  char message[JMSG_LENGTH_MAX] = {};
  if (!jpegDecodeInto(t.data(), t.size(), d.data(), d.size(), &bm, message)) {
    throw FormatError(std::string("JPEG data is corrupt: ") + message);
  }
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
