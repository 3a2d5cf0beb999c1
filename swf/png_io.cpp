#include "swf/png_io.h"

#include <png.h>

#include <algorithm>

#include "common/errors.h"

namespace wd::swf {

RgbaImage readPngFile(const std::string& path) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) {
    throw FileOpenError("Cannot read PNG file \"" + path + "\": " + img.message);
  }
  img.format = PNG_FORMAT_RGBA;
  RgbaImage out;
  out.width = static_cast<int>(img.width);
  out.height = static_cast<int>(img.height);
  out.rgba.resize(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, out.rgba.data(), 0, nullptr)) {
    std::string message = img.message;
    png_image_free(&img);
    throw FileOpenError("Cannot decode PNG file \"" + path + "\": " + message);
  }
  return out;
}

void writePngFile(const std::string& path, const RgbaImage& image) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = static_cast<png_uint_32>(image.width);
  img.height = static_cast<png_uint_32>(image.height);
  img.format = PNG_FORMAT_RGBA;
  if (!png_image_write_to_file(&img, path.c_str(), 0, image.rgba.data(), 0, nullptr)) {
    throw FileOpenError("Cannot write PNG file \"" + path + "\": " + img.message);
  }
}

RgbaImage toRgbaImage(const std::vector<uint32_t>& pixels, int width, int height) {
  RgbaImage out;
  out.width = width;
  out.height = height;
  out.rgba.resize(size_t(width) * height * 4);
  for (size_t i = 0; i < pixels.size() && i < size_t(width) * height; ++i) {
    uint32_t p = pixels[i], a = p >> 24;
    for (int c = 0; c < 3; ++c) {
      uint32_t v = (p >> (8 * c)) & 0xFF;
      out.rgba[4 * i + c] =
          static_cast<uint8_t>(a == 0 ? 0 : std::min<uint32_t>(255, (v * 255 + a / 2) / a));
    }
    out.rgba[4 * i + 3] = static_cast<uint8_t>(a);
  }
  return out;
}

}  // namespace wd::swf
