// The program's one way into libjpeg: a whole JPEG held in memory decoded to 4 bytes
// a pixel, in the byte order the caller asks for. Used by the saver's background
// picture and by the movie player's bitmaps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace wd {

// Byte order of a pixel in memory; the fourth byte is always 255.
enum class JpegPixelOrder { kRgba, kBgra };

struct JpegPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bytes;  // width * height * 4, rows from the top
};

struct JpegFailure {
  int code = 0;         // libjpeg's message code (-1 when it gave none); 0 for our own limit
  std::string message;  // libjpeg's text for it, or "image too large"
};

// Decodes `data` (colour or greyscale) into `out`; a stream of `tables` alone is read
// first when given (the tables a SWF movie keeps apart from its pictures). A picture of
// more than `max_pixels` pixels (0: no limit) is refused before anything is allocated.
// Returns false with the failure filled in when the data is no decodable JPEG.
bool DecodeJpegPixels(std::span<const std::uint8_t> data, JpegPixelOrder order, JpegPixels& out,
                      JpegFailure& failure, std::span<const std::uint8_t> tables = {},
                      std::uint64_t max_pixels = 0);

}  // namespace wd
