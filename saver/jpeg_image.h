// Decoding of JPEG pictures held in memory (the saver's background picture).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/errors.h"

namespace wd::saver {

// A picture that libjpeg could not decode.
class JpegError : public Error {
 public:
  using Error::Error;
  const char* kind() const noexcept override { return "EJPEG"; }
};

// Decoded pixels, rows from the top, 4 bytes per pixel in the order blue, green,
// red, 255 (what a 32-bit top-down Windows DIB section holds).
struct BgraImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4 bytes

  std::size_t stride() const { return static_cast<std::size_t>(width) * 4; }
  // Red, green and blue of one pixel, for callers and tests that think in RGB.
  std::uint8_t red(int x, int y) const { return pixels[Offset(x, y) + 2]; }
  std::uint8_t green(int x, int y) const { return pixels[Offset(x, y) + 1]; }
  std::uint8_t blue(int x, int y) const { return pixels[Offset(x, y)]; }

 private:
  std::size_t Offset(int x, int y) const {
    return static_cast<std::size_t>(y) * stride() + static_cast<std::size_t>(x) * 4;
  }
};

// Decodes a whole JPEG file's bytes (colour or greyscale). Raises JpegError with
// libjpeg's message code ("JPEG error #N") when the data is no decodable JPEG.
BgraImage DecodeJpeg(std::span<const std::uint8_t> bytes);

}  // namespace wd::saver
