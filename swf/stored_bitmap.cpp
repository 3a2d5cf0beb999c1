#include "swf/stored_bitmap.h"

#include <algorithm>
#include <cstring>

#include "swf/error.h"
#include "swf/reader.h"
#include "swf/tag_codes.h"

namespace wd::swf {
namespace {

size_t bytesOf(const Bitmap& bm) {
  return bm.pixels.size() * sizeof(uint32_t);
}

}  // namespace

Bitmap decodeBitmapTag(uint16_t code, std::span<const uint8_t> tables,
                       std::span<const uint8_t> bytes) {
  Reader body(bytes);
  switch (code) {
    case kDefineBits:
      return decodeJpeg(tables, body.rest());
    case kDefineBitsJpeg2:
      return decodeImage(body.rest());
    case kDefineBitsLossless:
    case kDefineBitsLossless2:
      return decodeLossless(body.rest(), code == kDefineBitsLossless ? 1 : 2);
    case kDefineBitsJpeg3:
    case kDefineBitsJpeg4:
      break;
    default:
      throw FormatError("not a bitmap tag");
  }
  // DefineBitsJPEG3 and 4: the picture, then its alpha channel, zlib-packed, one
  // byte a pixel. Only a JPEG picture takes it (also one behind the stray
  // end/start-of-image pair older movies put first); an alpha channel that is corrupt
  // or of the wrong size leaves the picture opaque.
  uint32_t alphaOffset = body.u32();
  if (code == kDefineBitsJpeg4) body.u16();  // deblocking filter strength
  auto image = body.bytes(alphaOffset);
  static const uint8_t kStrayPair[] = {0xFF, 0xD9, 0xFF, 0xD8};
  bool isJpeg = (image.size() >= 2 && image[0] == 0xFF && image[1] == 0xD8) ||
                (image.size() >= 4 && std::memcmp(image.data(), kStrayPair, 4) == 0);
  Bitmap bm = decodeImage(image);
  if (!isJpeg || body.atEnd()) return bm;
  size_t n = bm.pixels.size();
  bool complete = false;
  std::vector<uint8_t> alpha = inflateZlib(body.rest(), n, &complete);
  if (alpha.size() != n) return bm;
  // The JPEG holds the colours already multiplied by the alpha; where a movie's
  // colour exceeds its alpha Flash Player clamps it to the alpha.
  for (size_t i = 0; i < n; ++i) {
    uint32_t p = bm.pixels[i], a = alpha[i];
    bm.pixels[i] = packRGBA(std::min(p & 0xFF, a), std::min((p >> 8) & 0xFF, a),
                            std::min((p >> 16) & 0xFF, a), a);
  }
  return bm;
}

size_t BitmapStore::add(uint16_t code, std::vector<uint8_t> body,
                        std::shared_ptr<const std::vector<uint8_t>> tables) {
  Entry entry;
  entry.code = code;
  entry.body = std::move(body);
  entry.tables = std::move(tables);
  entries_.push_back(std::move(entry));
  return entries_.size() - 1;
}

const Bitmap& BitmapStore::get(size_t index) {
  Entry& entry = entries_.at(index);
  entry.lastFrame = frame_;
  if (entry.decoded) return *entry.decoded;
  Bitmap bm;
  try {
    static const std::vector<uint8_t> kNoTables;
    bm = decodeBitmapTag(entry.code, entry.tables ? *entry.tables : kNoTables, entry.body);
  } catch (const FormatError&) {
    bm = Bitmap{};
  }
  makeRoom(bytesOf(bm));
  decodedBytes_ += bytesOf(bm);
  entry.decoded = std::move(bm);
  return *entry.decoded;
}

void BitmapStore::makeRoom(size_t more) {
  while (decodedBytes_ + more > kKeptBytes) {
    Entry* oldest = nullptr;
    for (Entry& e : entries_)
      if (e.decoded && e.lastFrame < frame_ && (!oldest || e.lastFrame < oldest->lastFrame))
        oldest = &e;
    if (!oldest) return;  // every decoded bitmap is in the frame being drawn
    decodedBytes_ -= bytesOf(*oldest->decoded);
    oldest->decoded.reset();
  }
}

}  // namespace wd::swf
