// Bitmaps decoded as they are drawn: a movie showing a new bitmap every frame draws each
// frame right, loop after loop, while the decoded bitmaps it holds stay within the
// store's allowance.
#include <gtest/gtest.h>

#include "swf/movie.h"
#include "swf/player.h"
#include "tests/swf/render_helpers.h"
#include "tests/swf/swf_builder.h"

namespace wd::swf::test {
namespace {

// DefineBitsLossless2 `id`: side x side pixels of one opaque colour.
std::vector<uint8_t> solidBitmap(uint16_t id, int side, Colour c) {
  std::vector<uint8_t> argb;
  for (int i = 0; i < side * side; ++i)
    argb.insert(argb.end(), {255, uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)});
  std::vector<uint8_t> body = {uint8_t(id),       uint8_t(id >> 8),   5,
                               uint8_t(side),     uint8_t(side >> 8), uint8_t(side),
                               uint8_t(side >> 8)};
  const auto z = zlibCompress(argb);
  body.insert(body.end(), z.begin(), z.end());
  return tag(36, body);
}

Colour colourOf(int frame) {
  return {10 + 6 * frame, 250 - 5 * frame, 128};
}

TEST(SwfStoredBitmaps, EachFrameDrawsItsBitmapWithinTheAllowance) {
  // 40 frames, each filling the stage with a bitmap of its own: 40 x 64 KB decoded,
  // more than the store keeps.
  constexpr int kFrames = 40, kSide = 128;
  std::vector<std::vector<uint8_t>> tags = {background(255, 255, 255)};
  for (int f = 0; f < kFrames; ++f) {
    const auto bitmap = uint16_t(1 + 2 * f), shape = uint16_t(2 + 2 * f);
    tags.push_back(solidBitmap(bitmap, kSide, colourOf(f)));
    tags.push_back(
        rectShapeWith(shape, 0, 0, 20 * 16, 20 * 16, bitmapFill(bitmap, 20 << 16, 0x41)));
    tags.push_back(place(1, shape, 0, 0, f > 0));
    tags.push_back(showFrame());
  }
  const auto m = loadMovie(movie(16, 16, tags));
  ASSERT_TRUE(m->decodeError().empty());
  EXPECT_EQ(m->bitmaps().decodedBytes(), 0u) << "nothing is decoded before it is drawn";

  Player player(m);
  std::vector<uint32_t> px(16 * 16);
  for (int loop = 0; loop < 2; ++loop) {
    for (int f = 0; f < kFrames; ++f) {
      player.advance();
      ASSERT_TRUE(player.render(px.data(), 16, 16));
      const std::string what = "loop " + std::to_string(loop) + " frame " + std::to_string(f);
      expectColour(px, 16, 8, 8, colourOf(f), 0, what);
      EXPECT_LE(m->bitmaps().decodedBytes(), BitmapStore::kKeptBytes) << what;
    }
  }
}

}  // namespace
}  // namespace wd::swf::test
