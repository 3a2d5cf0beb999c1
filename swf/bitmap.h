// Bitmaps of a movie, decoded once at load into premultiplied RGBA, and the decoders
// for the payloads SWF carries: JPEG (libjpeg), PNG and GIF (our own, on zlib), and
// the zlib-packed lossless formats.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace wd::swf {

// Largest bitmap we decode, in pixels; a movie asking for more is malformed for us.
inline constexpr uint64_t kMaxBitmapPixels = 16u << 20;

struct Bitmap {
  int width = 0, height = 0;
  // Premultiplied, one uint32 per pixel: r | g << 8 | b << 16 | a << 24.
  std::vector<uint32_t> pixels;
};

inline uint32_t packRGBA(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return r | g << 8 | b << 16 | a << 24;
}
// Premultiplies a straight colour.
uint32_t premultiply(uint8_t r, uint8_t g, uint8_t b, uint8_t a);

// Inflates a zlib stream of at most maxSize bytes. Throws FormatError when it is corrupt,
// truncated or larger, unless complete is given: then it returns what inflated and
// sets *complete.
std::vector<uint8_t> inflateZlib(std::span<const uint8_t> data, size_t maxSize,
                                 bool* complete = nullptr);

// JPEG, optionally with tables from a separate stream (DefineBits with JPEGTables).
Bitmap decodeJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> data);
Bitmap decodePng(std::span<const uint8_t> data);
Bitmap decodeGif(std::span<const uint8_t> data);
// DefineBitsJPEG2/3 image data: JPEG, PNG or GIF by signature.
Bitmap decodeImage(std::span<const uint8_t> data);
// DefineBitsLossless (version 1) or DefineBitsLossless2 (version 2) after the character id.
Bitmap decodeLossless(std::span<const uint8_t> body, int version);

}  // namespace wd::swf
