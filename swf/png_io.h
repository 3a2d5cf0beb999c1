// PNG files through libpng, for the native tools and tests that check pictures
// (the player itself decodes PNG payloads with its own decoder).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wd::swf {

struct RgbaImage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;  // straight alpha, 4 bytes per pixel
};

// Throws wd::FileOpenError when the file cannot be read as PNG.
RgbaImage readPngFile(const std::string& path);
// Throws wd::FileOpenError when the file cannot be written.
void writePngFile(const std::string& path, const RgbaImage& image);
// Player pixels (premultiplied r | g << 8 | b << 16 | a << 24) to straight RGBA bytes.
RgbaImage toRgbaImage(const std::vector<uint32_t>& pixels, int width, int height);

}  // namespace wd::swf
