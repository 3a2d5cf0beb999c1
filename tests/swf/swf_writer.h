// The bytes of small SWF movies for the player's tests: a bit writer, tags, the file
// header around them, zlib packing. The records inside tags are in swf_builder.h.
#pragma once

#include <zlib.h>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

namespace wd::swf::test {

class BitWriter {
 public:
  void ubits(uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) {
      acc_ = static_cast<uint8_t>(acc_ << 1 | ((v >> i) & 1));
      if (++count_ == 8) flushByte();
    }
  }
  void sbits(int32_t v, int n) {
    ubits(static_cast<uint32_t>(v) & (n == 32 ? ~0u : (1u << n) - 1), n);
  }
  void align() {
    if (count_ > 0) {
      acc_ = static_cast<uint8_t>(acc_ << (8 - count_));
      flushByte();
    }
  }
  void u8(uint32_t v) {
    align();
    bytes.push_back(static_cast<uint8_t>(v));
  }
  void u16(uint32_t v) {
    u8(v & 0xFF);
    u8(v >> 8);
  }
  void u32(uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  void append(const std::vector<uint8_t>& b) {
    align();
    bytes.insert(bytes.end(), b.begin(), b.end());
  }
  std::vector<uint8_t> bytes;

 private:
  void flushByte() {
    bytes.push_back(acc_);
    acc_ = 0;
    count_ = 0;
  }
  uint8_t acc_ = 0;
  int count_ = 0;
};

inline int bitsFor(std::initializer_list<int32_t> values) {
  int n = 1;
  for (int32_t v : values) {
    while (v < -(1 << (n - 1)) || v >= (1 << (n - 1))) ++n;
  }
  return n;
}

inline void writeRect(BitWriter& w, int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
  int n = bitsFor({x0, x1, y0, y1});
  w.ubits(n, 5);
  w.sbits(x0, n);
  w.sbits(x1, n);
  w.sbits(y0, n);
  w.sbits(y1, n);
  w.align();
}

// Translation only, or with scale when sx/sy (16.16) are given.
inline void writeMatrix(BitWriter& w, int32_t tx, int32_t ty, std::optional<int32_t> sx = {},
                        std::optional<int32_t> sy = {}) {
  w.ubits(sx ? 1 : 0, 1);
  if (sx) {
    int n = bitsFor({*sx, *sy});
    w.ubits(n, 5);
    w.sbits(*sx, n);
    w.sbits(*sy, n);
  }
  w.ubits(0, 1);
  int n = bitsFor({tx, ty});
  w.ubits(n, 5);
  w.sbits(tx, n);
  w.sbits(ty, n);
  w.align();
}

inline std::vector<uint8_t> tag(uint16_t code, const std::vector<uint8_t>& body,
                                bool longForm = false) {
  BitWriter w;
  if (body.size() < 63 && !longForm) {
    w.u16(code << 6 | static_cast<uint16_t>(body.size()));
  } else {
    w.u16(code << 6 | 63);
    w.u32(static_cast<uint32_t>(body.size()));
  }
  w.append(body);
  return w.bytes;
}

// A whole movie whose stage is the rectangle x0..x1, y0..y1 in twips, from its tags (End is
// added).
inline std::vector<uint8_t> movieOnStage(int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                                         const std::vector<std::vector<uint8_t>>& tags,
                                         bool compressed = false, uint16_t frames = 1) {
  BitWriter body;
  writeRect(body, x0, x1, y0, y1);
  body.u16(24 << 8);  // 24 fps
  body.u16(frames);
  for (const auto& t : tags) body.append(t);
  body.append(tag(0, {}));
  std::vector<uint8_t> payload = body.bytes;
  uint32_t length = static_cast<uint32_t>(payload.size() + 8);
  if (compressed) {
    uLongf n = compressBound(static_cast<uLong>(payload.size()));
    std::vector<uint8_t> z(n);
    compress(z.data(), &n, payload.data(), static_cast<uLong>(payload.size()));
    z.resize(n);
    payload = z;
  }
  std::vector<uint8_t> out = {static_cast<uint8_t>(compressed ? 'C' : 'F'), 'W', 'S', 10};
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(length >> (8 * i)));
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

// A whole movie of w x h pixels from its tags (End is added).
inline std::vector<uint8_t> movie(int wPx, int hPx, const std::vector<std::vector<uint8_t>>& tags,
                                  bool compressed = false, uint16_t frames = 1) {
  return movieOnStage(0, wPx * 20, 0, hPx * 20, tags, compressed, frames);
}

inline std::vector<uint8_t> background(uint8_t r, uint8_t g, uint8_t b) {
  return tag(9, {r, g, b});
}
inline std::vector<uint8_t> showFrame() {
  return tag(1, {});
}

inline std::vector<uint8_t> zlibCompress(const std::vector<uint8_t>& data) {
  uLongf n = compressBound(static_cast<uLong>(data.size()));
  std::vector<uint8_t> z(n);
  compress(z.data(), &n, data.data(), static_cast<uLong>(data.size()));
  z.resize(n);
  return z;
}

}  // namespace wd::swf::test
