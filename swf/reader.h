// Bounds-checked readers over a byte block: every read past the end throws
// FormatError, so a truncated or corrupted movie can never make us read out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "swf/error.h"

namespace wd::swf {

class Reader {
 public:
  Reader() = default;
  explicit Reader(std::span<const uint8_t> data) : data_(data) {}

  size_t pos() const { return pos_; }
  size_t size() const { return data_.size(); }
  size_t remaining() const { return data_.size() - pos_; }
  bool atEnd() const { return pos_ >= data_.size(); }

  uint8_t u8();
  uint16_t u16();
  uint32_t u32();
  int16_t s16() { return static_cast<int16_t>(u16()); }
  // 8.8 fixed point.
  double fixed8();
  // Zero-terminated string (the terminator is consumed, not returned).
  std::string cstring();
  std::span<const uint8_t> bytes(size_t n);
  std::span<const uint8_t> rest() { return bytes(remaining()); }
  void skip(size_t n) { bytes(n); }
  void seek(size_t pos);
  // A reader over the next n bytes; this reader moves past them.
  Reader sub(size_t n) { return Reader(bytes(n)); }

  // Bit fields, most significant bit first. Byte reads realign to the next byte.
  uint32_t ubits(int n);
  int32_t sbits(int n);
  // 16.16 fixed point of n bits.
  double fbits(int n) { return sbits(n) / 65536.0; }
  void align() { bitCount_ = 0; }

 private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  uint32_t bitBuf_ = 0;
  int bitCount_ = 0;
};

}  // namespace wd::swf
