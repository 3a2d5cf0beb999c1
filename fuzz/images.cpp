// The JPEG, PNG and GIF decoders the movie player uses, on any bytes. A picture that
// decodes has as many pixels as its size says.
#include <functional>

#include "fuzz/targets.h"
#include "swf/bitmap.h"
#include "swf/error.h"

namespace wd::fuzz {
namespace {

int Decode(const std::function<swf::Bitmap()>& decode) {
  try {
    const swf::Bitmap bitmap = decode();
    Expect(bitmap.width > 0 && bitmap.height > 0, "a decoded picture has a size");
    Expect(bitmap.pixels.size() == static_cast<size_t>(bitmap.width) * bitmap.height,
           "a decoded picture has all its pixels");
  } catch (const wd::Error&) {
  }
  return 0;
}

}  // namespace

// Byte 0 is the length of a tables stream (DefineBits with JPEGTables) before the data.
int JpegImage(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t tables = std::min<size_t>(data[0], size - 1);
  const std::span<const uint8_t> bytes(data + 1, size - 1);
  return Decode([&] { return swf::decodeJpeg(bytes.first(tables), bytes.subspan(tables)); });
}

int PngImage(const uint8_t* data, size_t size) {
  return Decode([&] { return swf::decodePng(std::span<const uint8_t>(data, size)); });
}

int GifImage(const uint8_t* data, size_t size) {
  return Decode([&] { return swf::decodeGif(std::span<const uint8_t>(data, size)); });
}

}  // namespace wd::fuzz
