// The bitmaps of a movie's dictionary as the file holds them, decoded when first drawn.
// A decoded bitmap takes far more room than its bytes (the earth's 152 x 152 JPEGs take
// 8 KB each in the file and 92 KB decoded), so a movie keeps decoded only the bitmaps
// drawn lately: up to kKeptBytes of them, and always every bitmap the frame being drawn
// uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "swf/bitmap.h"

namespace wd::swf {

// Decodes the body (after the character id) of a bitmap tag: DefineBits with the
// movie's JPEGTables, DefineBitsJPEG2/3/4 or DefineBitsLossless/Lossless2. Throws
// FormatError when it does not decode.
Bitmap decodeBitmapTag(uint16_t code, std::span<const uint8_t> tables,
                       std::span<const uint8_t> body);

class BitmapStore {
 public:
  // Decoded bitmaps not used by the frame being drawn are let go beyond this many bytes.
  static constexpr size_t kKeptBytes = size_t{1} << 20;

  // Keeps a bitmap tag's body (and the JPEGTables that came before it); its index.
  size_t add(uint16_t code, std::vector<uint8_t> body,
             std::shared_ptr<const std::vector<uint8_t>> tables);
  // Bitmap `index` decoded; one without pixels when its bytes do not decode (it fills
  // nothing, as Flash Player leaves a broken image out).
  const Bitmap& get(size_t index);
  // A new frame is being drawn: the bitmaps the frames before it used may go.
  void newFrame() { ++frame_; }
  // Bytes of decoded pixels held now.
  size_t decodedBytes() const { return decodedBytes_; }

 private:
  struct Entry {
    uint16_t code = 0;
    std::vector<uint8_t> body;
    std::shared_ptr<const std::vector<uint8_t>> tables;
    std::optional<Bitmap> decoded;
    uint64_t lastFrame = 0;
  };
  // Lets go of the bitmaps drawn longest ago, of those the current frame did not use,
  // until the decoded ones take at most kKeptBytes with `more` bytes added.
  void makeRoom(size_t more);

  std::vector<Entry> entries_;
  uint64_t frame_ = 1;
  size_t decodedBytes_ = 0;
};

// A bitmap character: an entry of its movie's store.
struct StoredBitmap {
  BitmapStore* store = nullptr;
  size_t index = 0;
  const Bitmap& get() const { return store->get(index); }
};

}  // namespace wd::swf
