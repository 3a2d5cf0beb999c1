#include "swf/reader.h"

namespace wd::swf {

namespace {
[[noreturn]] void truncated() {
  throw FormatError("SWF data ends unexpectedly");
}
}  // namespace

uint8_t Reader::u8() {
  bitCount_ = 0;
  if (pos_ >= data_.size()) truncated();
  return data_[pos_++];
}

uint16_t Reader::u16() {
  bitCount_ = 0;
  if (remaining() < 2) truncated();
  uint16_t v = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
  pos_ += 2;
  return v;
}

uint32_t Reader::u32() {
  bitCount_ = 0;
  if (remaining() < 4) truncated();
  uint32_t v = static_cast<uint32_t>(data_[pos_]) | static_cast<uint32_t>(data_[pos_ + 1]) << 8 |
               static_cast<uint32_t>(data_[pos_ + 2]) << 16 |
               static_cast<uint32_t>(data_[pos_ + 3]) << 24;
  pos_ += 4;
  return v;
}

double Reader::fixed8() {
  return s16() / 256.0;
}

std::string Reader::cstring() {
  bitCount_ = 0;
  std::string s;
  for (;;) {
    uint8_t c = u8();
    if (c == 0) return s;
    s.push_back(static_cast<char>(c));
  }
}

std::span<const uint8_t> Reader::bytes(size_t n) {
  bitCount_ = 0;
  if (n > remaining()) truncated();
  auto s = data_.subspan(pos_, n);
  pos_ += n;
  return s;
}

void Reader::seek(size_t pos) {
  bitCount_ = 0;
  if (pos > data_.size()) truncated();
  pos_ = pos;
}

uint32_t Reader::ubits(int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) {
    if (bitCount_ == 0) {
      if (pos_ >= data_.size()) truncated();
      bitBuf_ = data_[pos_++];
      bitCount_ = 8;
    }
    --bitCount_;
    v = (v << 1) | ((bitBuf_ >> bitCount_) & 1u);
  }
  return v;
}

int32_t Reader::sbits(int n) {
  if (n == 0) return 0;
  uint32_t v = ubits(n);
  if (n < 32 && (v & (1u << (n - 1)))) v |= ~0u << n;
  return static_cast<int32_t>(v);
}

}  // namespace wd::swf
