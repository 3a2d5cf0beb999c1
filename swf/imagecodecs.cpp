// PNG and GIF payloads of DefineBitsJPEG2/3. Small decoders of our own on top of zlib:
// every chunk, block and code is checked against the data it claims.
#include <cstdlib>
#include <cstring>
#include <string>

#include "swf/bitmap.h"
#include "swf/error.h"

namespace wd::swf {

namespace {

uint32_t be32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

uint8_t paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  if (pb <= pc) return static_cast<uint8_t>(b);
  return static_cast<uint8_t>(c);
}

}  // namespace

Bitmap decodePng(std::span<const uint8_t> data) {
  if (data.size() < 8) throw FormatError("PNG data is truncated");
  size_t pos = 8;
  uint32_t w = 0, h = 0;
  int depth = 0, ctype = -1, interlace = 0;
  std::vector<uint8_t> idat, palette, trns;
  bool ended = false;
  while (!ended) {
    if (data.size() - pos < 12) throw FormatError("PNG data is truncated");
    uint32_t len = be32(&data[pos]);
    if (len > data.size() - pos - 12) throw FormatError("PNG chunk is truncated");
    const uint8_t* type = &data[pos + 4];
    const uint8_t* body = &data[pos + 8];
    if (std::memcmp(type, "IHDR", 4) == 0) {
      if (len < 13) throw FormatError("PNG header is truncated");
      w = be32(body);
      h = be32(body + 4);
      depth = body[8];
      ctype = body[9];
      interlace = body[12];
    } else if (std::memcmp(type, "PLTE", 4) == 0) {
      palette.assign(body, body + len);
    } else if (std::memcmp(type, "tRNS", 4) == 0) {
      trns.assign(body, body + len);
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      idat.insert(idat.end(), body, body + len);
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      ended = true;
    }
    pos += 12 + len;
    if (pos == data.size()) ended = true;
  }
  int channels = ctype == 0   ? 1
                 : ctype == 2 ? 3
                 : ctype == 3 ? 1
                 : ctype == 4 ? 2
                 : ctype == 6 ? 4
                              : 0;
  bool depthOk = depth == 8 || depth == 16 ||
                 ((ctype == 0 || ctype == 3) && (depth == 1 || depth == 2 || depth == 4));
  if (channels == 0 || !depthOk || (ctype == 3 && depth == 16) || interlace > 1) {
    throw FormatError("Unsupported PNG format");
  }
  if (w == 0 || h == 0 || uint64_t{w} * h > kMaxBitmapPixels)
    throw FormatError("PNG image is too large");
  size_t bitsPerPixel = static_cast<size_t>(channels) * depth;
  size_t bpp = std::max<size_t>(1, bitsPerPixel / 8);

  // Pass geometry: Adam7 or one pass covering everything.
  struct Pass {
    uint32_t x0, y0, dx, dy;
  };
  static const Pass adam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  static const Pass single[1] = {{0, 0, 1, 1}};
  const Pass* passes = interlace ? adam7 : single;
  int passCount = interlace ? 7 : 1;
  size_t total = 0;
  for (int p = 0; p < passCount; ++p) {
    uint64_t pw = (w + passes[p].dx - 1 - passes[p].x0) / passes[p].dx;
    uint64_t ph = (h + passes[p].dy - 1 - passes[p].y0) / passes[p].dy;
    if (w <= passes[p].x0 || h <= passes[p].y0) continue;
    total += (1 + (pw * bitsPerPixel + 7) / 8) * ph;
  }
  std::vector<uint8_t> raw = inflateZlib(idat, total);
  if (raw.size() < total) throw FormatError("PNG image data is truncated");

  Bitmap bm;
  bm.width = static_cast<int>(w);
  bm.height = static_cast<int>(h);
  bm.pixels.assign(size_t{w} * h, 0);
  size_t off = 0;
  std::vector<uint8_t> prev, cur;
  for (int p = 0; p < passCount; ++p) {
    const Pass& ps = passes[p];
    if (w <= ps.x0 || h <= ps.y0) continue;
    uint32_t pw = (w + ps.dx - 1 - ps.x0) / ps.dx;
    uint32_t ph = (h + ps.dy - 1 - ps.y0) / ps.dy;
    size_t stride = (size_t{pw} * bitsPerPixel + 7) / 8;
    prev.assign(stride, 0);
    cur.resize(stride);
    for (uint32_t py = 0; py < ph; ++py) {
      uint8_t filter = raw[off++];
      const uint8_t* src = &raw[off];
      off += stride;
      for (size_t i = 0; i < stride; ++i) {
        int a = i >= bpp ? cur[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
        int v = src[i];
        switch (filter) {
          case 0:
            break;
          case 1:
            v += a;
            break;
          case 2:
            v += b;
            break;
          case 3:
            v += (a + b) / 2;
            break;
          case 4:
            v += paeth(a, b, c);
            break;
          default:
            throw FormatError("PNG filter type is invalid");
        }
        cur[i] = static_cast<uint8_t>(v);
      }
      uint32_t y = ps.y0 + py * ps.dy;
      for (uint32_t px = 0; px < pw; ++px) {
        auto sample = [&](int ch) -> uint32_t {
          if (depth == 8) return cur[px * channels + ch];
          if (depth == 16) return cur[(px * channels + ch) * 2];
          size_t bit = size_t{px} * depth;
          return (cur[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
        };
        auto sample16 = [&](int ch) -> uint32_t {
          if (depth != 16) return sample(ch);
          size_t i = (px * channels + ch) * 2;
          return static_cast<uint32_t>(cur[i]) << 8 | cur[i + 1];
        };
        uint8_t r, g, b, a = 255;
        if (ctype == 3) {
          uint32_t idx = sample(0);
          if (idx * 3 + 2 < palette.size()) {
            r = palette[idx * 3], g = palette[idx * 3 + 1], b = palette[idx * 3 + 2];
          } else {
            r = g = b = 0;
          }
          if (idx < trns.size()) a = trns[idx];
        } else if (ctype == 0 || ctype == 4) {
          uint32_t v = sample(0);
          if (ctype == 0 && trns.size() >= 2) {
            uint32_t key = static_cast<uint32_t>(trns[0]) << 8 | trns[1];
            if (sample16(0) == key) a = 0;
          }
          if (depth < 8) v = v * 255 / ((1u << depth) - 1);
          r = g = b = static_cast<uint8_t>(v);
          if (ctype == 4) a = static_cast<uint8_t>(sample(1));
        } else {
          r = static_cast<uint8_t>(sample(0));
          g = static_cast<uint8_t>(sample(1));
          b = static_cast<uint8_t>(sample(2));
          if (ctype == 6) {
            a = static_cast<uint8_t>(sample(3));
          } else if (trns.size() >= 6) {
            bool key = true;
            for (int ch = 0; ch < 3; ++ch) {
              key &= sample16(ch) == (static_cast<uint32_t>(trns[2 * ch]) << 8 | trns[2 * ch + 1]);
            }
            if (key) a = 0;
          }
        }
        bm.pixels[size_t{y} * w + ps.x0 + px * ps.dx] = premultiply(r, g, b, a);
      }
      std::swap(prev, cur);
      cur.resize(stride);
    }
  }
  return bm;
}

Bitmap decodeGif(std::span<const uint8_t> data) {
  auto need = [&](size_t pos, size_t n) {
    if (n > data.size() || pos > data.size() - n) throw FormatError("GIF data is truncated");
  };
  need(0, 13);
  uint32_t sw = data[6] | data[7] << 8, sh = data[8] | data[9] << 8;
  uint8_t flags = data[10];
  size_t pos = 13;
  std::vector<uint8_t> globalTable;
  if (flags & 0x80) {
    size_t n = 3u << ((flags & 7) + 1);
    need(pos, n);
    globalTable.assign(&data[pos], &data[pos] + n);
    pos += n;
  }
  if (sw == 0 || sh == 0 || uint64_t{sw} * sh > kMaxBitmapPixels)
    throw FormatError("GIF image is too large");
  int transparent = -1;
  for (;;) {
    need(pos, 1);
    uint8_t block = data[pos++];
    if (block == 0x3B) throw FormatError("GIF holds no image");
    if (block == 0x21) {  // extension
      need(pos, 1);
      uint8_t label = data[pos++];
      for (bool first = true;; first = false) {
        need(pos, 1);
        uint8_t n = data[pos++];
        if (n == 0) break;
        need(pos, n);
        if (first && label == 0xF9 && n >= 4 && (data[pos] & 1)) transparent = data[pos + 3];
        pos += n;
      }
      continue;
    }
    if (block != 0x2C) throw FormatError("GIF block is invalid");
    need(pos, 9);
    uint32_t ix = data[pos] | data[pos + 1] << 8, iy = data[pos + 2] | data[pos + 3] << 8;
    uint32_t iw = data[pos + 4] | data[pos + 5] << 8, ih = data[pos + 6] | data[pos + 7] << 8;
    uint8_t iflags = data[pos + 8];
    pos += 9;
    if (uint64_t{iw} * ih > kMaxBitmapPixels) throw FormatError("GIF image is too large");
    std::vector<uint8_t> table = globalTable;
    if (iflags & 0x80) {
      size_t n = 3u << ((iflags & 7) + 1);
      need(pos, n);
      table.assign(&data[pos], &data[pos] + n);
      pos += n;
    }
    need(pos, 1);
    int minCode = data[pos++];
    if (minCode < 2 || minCode > 11) throw FormatError("GIF code size is invalid");
    std::vector<uint8_t> lzw;
    for (;;) {
      need(pos, 1);
      uint8_t n = data[pos++];
      if (n == 0) break;
      need(pos, n);
      lzw.insert(lzw.end(), &data[pos], &data[pos] + n);
      pos += n;
    }
    // LZW: prefix/suffix tables and a stack to spell codes.
    std::vector<uint8_t> indices;
    indices.reserve(size_t{iw} * ih);
    const int clear = 1 << minCode, eoi = clear + 1;
    std::vector<uint16_t> prefix(4096);
    std::vector<uint8_t> suffix(4096), stack;
    int codeSize = minCode + 1, next = eoi + 1, old = -1;
    uint8_t firstChar = 0;
    uint32_t bits = 0;
    int nbits = 0;
    size_t bp = 0;
    for (int c = 0; c < clear; ++c) suffix[c] = static_cast<uint8_t>(c);
    while (indices.size() < size_t{iw} * ih) {
      while (nbits < codeSize && bp < lzw.size()) {
        bits |= static_cast<uint32_t>(lzw[bp++]) << nbits;
        nbits += 8;
      }
      if (nbits < codeSize) break;
      int code = static_cast<int>(bits & ((1u << codeSize) - 1));
      bits >>= codeSize;
      nbits -= codeSize;
      if (code == clear) {
        codeSize = minCode + 1;
        next = eoi + 1;
        old = -1;
        continue;
      }
      if (code == eoi) break;
      int in = code;
      stack.clear();
      if (old < 0) {
        if (code >= clear) break;
        indices.push_back(static_cast<uint8_t>(code));
        old = code;
        firstChar = static_cast<uint8_t>(code);
        continue;
      }
      if (code > next || (code >= next && next >= 4096)) break;
      if (code == next) {
        stack.push_back(firstChar);
        code = old;
      }
      while (code >= clear) {
        if (code >= 4096 || stack.size() > 4096) throw FormatError("GIF data is corrupt");
        stack.push_back(suffix[code]);
        code = prefix[code];
      }
      firstChar = static_cast<uint8_t>(code);
      stack.push_back(firstChar);
      for (auto it = stack.rbegin(); it != stack.rend(); ++it) indices.push_back(*it);
      if (next < 4096) {
        prefix[next] = static_cast<uint16_t>(old);
        suffix[next] = firstChar;
        ++next;
        if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
      }
      old = in;
    }
    indices.resize(size_t{iw} * ih, 0);
    Bitmap bm;
    bm.width = static_cast<int>(sw);
    bm.height = static_cast<int>(sh);
    bm.pixels.assign(size_t{sw} * sh, 0);
    // Interlaced rows come in four passes.
    std::vector<uint32_t> rowOrder;
    if (iflags & 0x40) {
      static const uint32_t start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
      for (int p = 0; p < 4; ++p)
        for (uint32_t y = start[p]; y < ih; y += step[p]) rowOrder.push_back(y);
    } else {
      for (uint32_t y = 0; y < ih; ++y) rowOrder.push_back(y);
    }
    for (uint32_t r = 0; r < ih; ++r) {
      uint32_t y = iy + rowOrder[r];
      if (y >= sh) continue;
      for (uint32_t x = 0; x < iw; ++x) {
        if (ix + x >= sw) break;
        uint8_t idx = indices[size_t{r} * iw + x];
        if (idx == transparent || size_t{idx} * 3 + 2 >= table.size()) continue;
        bm.pixels[size_t{y} * sw + ix + x] =
            packRGBA(table[idx * 3], table[idx * 3 + 1], table[idx * 3 + 2], 255);
      }
    }
    return bm;
  }
}

}  // namespace wd::swf
