#include "saver/jpeg_image.h"

#include <string>
#include <utility>

#include "common/jpeg.h"

namespace wd::saver {

BgraImage DecodeJpeg(std::span<const std::uint8_t> bytes) {
  JpegPixels pixels;
  JpegFailure failure;
  if (!DecodeJpegPixels(bytes, JpegPixelOrder::kBgra, pixels, failure))
    throw JpegError("JPEG error #" + std::to_string(failure.code));
  BgraImage image;
  image.width = pixels.width;
  image.height = pixels.height;
  image.pixels = std::move(pixels.bytes);
  return image;
}

}  // namespace wd::saver
