// How the player draws what the SWF file format leaves to the player, for what lies over
// shapes: clip layers, colour transforms that add alpha, JPEG pictures with an alpha
// channel and images that cannot be decoded. Each movie is built here and its pixels
// worked out from the rule.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "swf/player.h"
#include "tests/common/jpeg_encoder.h"
#include "tests/swf/render_helpers.h"
#include "tests/swf/swf_builder.h"

using namespace wd::swf;
using namespace wd::swf::test;

namespace {

// ---- Clip layers ----

TEST(SwfRenderRules, ClipLayerClipsUpToAndIncludingItsClipDepth) {
  // Depth 1 clips depths 2 and 3 to the left half; depth 4 is drawn whole.
  auto bytes =
      movie(40, 20,
            {background(255, 255, 255), rectShape(1, 0, 0, 400, 400, {0, 0, 0, 255}),
             rectShape(2, 0, 0, 800, 200, {255, 0, 0, 255}),
             rectShape(3, 0, 200, 800, 400, {0, 255, 0, 255}),
             rectShape(4, 200, 100, 600, 300, {0, 0, 255, 255}), place(1, 1, 0, 0, false, 3),
             place(2, 2), place(3, 3), place(4, 4), showFrame()});
  auto px = renderMovie(bytes);
  expectColour(px, 40, 5, 2, {255, 0, 0}, 0, "depth 2 inside the clip");
  expectColour(px, 40, 35, 2, kWhite, 0, "depth 2 outside the clip");
  expectColour(px, 40, 5, 17, {0, 255, 0}, 0, "depth 3 (the clip depth) inside");
  expectColour(px, 40, 35, 17, kWhite, 0, "depth 3 (the clip depth) outside");
  expectColour(px, 40, 25, 8, {0, 0, 255}, 0, "depth 4 above the clip");
  expectColour(px, 40, 15, 8, {0, 0, 255}, 0, "depth 4 inside the clip area");
}

TEST(SwfRenderRules, ClipsInSpritesMeetTheClipsAroundThem) {
  // Root: depth 1 clips depth 2 to the top half; depth 2 is a sprite moved 10 px right
  // whose own clip (its x 0..20 px) covers its red rectangle; depth 3 is a green bar.
  auto bytes = movie(40, 20,
                     {background(255, 255, 255), rectShape(1, 0, 0, 800, 200, {0, 0, 0, 255}),
                      rectShape(2, 0, 0, 400, 400, {0, 0, 0, 255}),
                      rectShape(3, -200, 0, 800, 400, {255, 0, 0, 255}),
                      rectShape(4, 0, 0, 100, 400, {0, 255, 0, 255}),
                      sprite(10, 1, {place(1, 2, 0, 0, false, 2), place(2, 3), showFrame()}),
                      place(1, 1, 0, 0, false, 2), place(2, 10, 200, 0), place(3, 4), showFrame()});
  auto px = renderMovie(bytes);
  expectColour(px, 40, 20, 5, {255, 0, 0}, 0, "inside both clips");
  expectColour(px, 40, 12, 5, {255, 0, 0}, 0, "inside both clips, left");
  expectColour(px, 40, 20, 15, kWhite, 0, "outside the root's clip");
  expectColour(px, 40, 35, 5, kWhite, 0, "outside the sprite's clip");
  expectColour(px, 40, 8, 5, kWhite, 0, "sprite content left of its clip");
  expectColour(px, 40, 2, 15, {0, 255, 0}, 0, "above the root's clip depth");
}

TEST(SwfRenderRules, ClipLayersInsideAClipLayerJoinItsRegion) {
  // Depth 1 clips depth 2 by a sprite holding a clip layer (x 0..10 px) over a rectangle
  // (x 20..30 px). One clip region at a time: the inner clip layer clips nothing, and
  // the region is both shapes.
  auto bytes = movie(40, 10,
                     {background(255, 255, 255), rectShape(1, 0, 0, 200, 200, {0, 0, 0, 255}),
                      rectShape(2, 400, 0, 600, 200, {0, 0, 0, 255}),
                      rectShape(3, 0, 0, 800, 200, {255, 0, 0, 255}),
                      sprite(10, 1, {place(1, 1, 0, 0, false, 2), place(2, 2), showFrame()}),
                      place(1, 10, 0, 0, false, 2), place(2, 3), showFrame()});
  auto px = renderMovie(bytes);
  expectColour(px, 40, 5, 5, {255, 0, 0}, 0, "inner clip layer's shape");
  expectColour(px, 40, 25, 5, {255, 0, 0}, 0, "the rectangle it would have clipped");
  expectColour(px, 40, 15, 5, kWhite, 0, "between them");
  expectColour(px, 40, 35, 5, kWhite, 0, "right of both");
}

// ---- Colour transforms that change alpha ----

TEST(SwfRenderRules, ColourTransformAddTermsChangeAlpha) {
  struct Case {
    const char* name;
    std::array<uint8_t, 4> fill;
    ColourTransform inner;
    std::optional<ColourTransform> outer;  // on a sprite around the shape
    Colour want;                           // over white
  };
  const std::vector<Case> cases = {
      // Alpha 0 made opaque: the fill's own colour shows.
      {"transparent made opaque",
       {255, 0, 0, 0},
       {{256, 256, 256, 256}, {0, 0, 0, 255}},
       {},
       {255, 0, 0}},
      // 255 - 128 = 127: blue at 127/255 over white.
      {"half transparent",
       {0, 0, 255, 255},
       {{256, 256, 256, 256}, {0, 0, 0, -128}},
       {},
       {128, 128, 255}},
      // Alpha multiplied to 0, then 64 added; red added to black.
      {"alpha from the add term alone",
       {0, 0, 0, 255},
       {{256, 256, 256, 0}, {255, 0, 0, 64}},
       {},
       {255, 191, 191}},
      // Sprite and shape each take 64 away: 127 left.
      {"nested",
       {0, 0, 0, 255},
       {{256, 256, 256, 256}, {0, 0, 0, -64}},
       ColourTransform{{256, 256, 256, 256}, {0, 0, 0, -64}},
       {128, 128, 128}},
  };
  for (const Case& c : cases) {
    auto fill = c.fill;
    auto shape = rectShape(1, 0, 0, 200, 200, {fill[0], fill[1], fill[2], fill[3]});
    std::vector<std::vector<uint8_t>> tags = {background(255, 255, 255), shape};
    if (c.outer) {
      tags.push_back(sprite(2, 1, {placeScaled(1, 1, 1 << 16, 0, 0, c.inner), showFrame()}));
      tags.push_back(placeScaled(1, 2, 1 << 16, 0, 0, c.outer));
    } else {
      tags.push_back(placeScaled(1, 1, 1 << 16, 0, 0, c.inner));
    }
    tags.push_back(showFrame());
    auto px = renderMovie(movie(10, 10, tags));
    expectColour(px, 10, 5, 5, c.want, 1, c.name);
  }
}

// ---- JPEG pictures with alpha ----

std::vector<uint8_t> encodeJpeg(int w, int h, Colour c) {
  std::vector<uint8_t> samples;
  for (int i = 0; i < w * h; ++i)
    samples.insert(samples.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)});
  return wd::test::EncodeJpeg(w, h, 3, samples, 100);
}

std::vector<uint8_t> defineBitsJpeg3(uint16_t id, const std::vector<uint8_t>& jpeg,
                                     const std::vector<uint8_t>& alpha) {
  BitWriter w;
  w.u16(id);
  w.u32(static_cast<uint32_t>(jpeg.size()));
  w.append(jpeg);
  w.append(zlibCompress(alpha));
  return tag(35, w.bytes, true);
}

TEST(SwfRenderRules, JpegAlphaChannelOfPremultipliedColours) {
  // 16 x 8 of colour (100, 60, 20): columns 0-4 opaque, 5-10 alpha 128, 11-15 alpha 0.
  // The colours are already multiplied by the alpha (a colour above its alpha is
  // clamped to it), so the half transparent band is (100, 60, 20) plus half the white.
  std::vector<uint8_t> alpha;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) alpha.push_back(x < 5 ? 255 : x < 11 ? 128 : 0);
  auto jpeg = encodeJpeg(16, 8, {100, 60, 20});
  std::vector<uint8_t> stray = {0xFF, 0xD9, 0xFF, 0xD8};
  stray.insert(stray.end(), jpeg.begin(), jpeg.end());
  for (const auto& [name, data] :
       {std::pair{"plain", jpeg}, std::pair{"stray marker pair", stray}}) {
    auto bytes = movie(16, 8,
                       {background(255, 255, 255), defineBitsJpeg3(1, data, alpha),
                        rectShapeWith(2, 0, 0, 320, 160, bitmapFill(1, 20 << 16, 0x43)),
                        place(1, 2), showFrame()});
    auto px = renderMovie(bytes);
    expectColour(px, 16, 2, 4, {100, 60, 20}, 2, name);
    expectColour(px, 16, 8, 4, {227, 187, 147}, 2, name);
    expectColour(px, 16, 13, 4, kWhite, 0, name);
  }
}

TEST(SwfRenderRules, ABitmapAtOneToOneShowsItsOwnPixels) {
  // A 4 x 4 opaque bitmap of sixteen colours, filled at one bitmap pixel per stage pixel.
  // Smoothed or not, a pixel centre on a bitmap pixel's centre takes that pixel's colour
  // alone; placed half a pixel over, a smoothed pixel is the mean of its two neighbours.
  std::vector<uint8_t> argb;
  auto colour = [](int x, int y) { return Colour{40 + 50 * x, 30 + 60 * y, 200 - 10 * (x + y)}; };
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const Colour c = colour(x, y);
      argb.insert(argb.end(), {255, uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)});
    }
  std::vector<uint8_t> lossless = {1, 0, 5, 4, 0, 4, 0};  // id 1, format 5, 4 x 4
  auto z = zlibCompress(argb);
  lossless.insert(lossless.end(), z.begin(), z.end());
  for (const uint8_t type : {0x41, 0x43}) {
    const std::string name = type == 0x41 ? "smoothed" : "not smoothed";
    for (const Quality q : {Quality::High, Quality::Low}) {
      // The shape covers the stage and one pixel to its right; placed one pixel left,
      // stage pixel x shows bitmap pixel x + 1 (the last column clamps at the edge).
      auto bytes = movie(4, 4,
                         {background(255, 255, 255), tag(36, lossless),
                          rectShapeWith(2, 0, 0, 100, 80, bitmapFill(1, 20 << 16, type)),
                          place(1, 2, -20, 0), showFrame()});
      auto px = renderMovie(bytes, q);
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
          expectColour(px, 4, x, y, colour(std::min(x + 1, 3), y), 0, name);
    }
  }
  // Half a pixel over, smoothed: the mean of bitmap pixels x and x + 1 (in high quality;
  // rows lie on bitmap rows, so only the columns mix).
  auto bytes = movie(4, 4,
                     {background(255, 255, 255), tag(36, lossless),
                      rectShapeWith(2, 0, 0, 100, 80, bitmapFill(1, 20 << 16, 0x41)),
                      place(1, 2, -10, 0), showFrame()});
  auto px = renderMovie(bytes, Quality::High);
  for (int x = 0; x < 3; ++x) {
    const Colour a = colour(x, 1), b = colour(x + 1, 1);
    expectColour(px, 4, x, 1, {(a.r + b.r) / 2, (a.g + b.g) / 2, (a.b + b.b) / 2}, 1, "half over");
  }
}

// ---- Images that cannot be decoded ----

TEST(SwfRenderRules, ABrokenOrHugeImageIsLeftOutAndTheRestPlays) {
  std::vector<uint8_t> junkJpeg = {1, 0, 0xFF, 0xD8, 1, 2, 3, 4};  // id 1
  BitWriter huge;  // DefineBitsLossless2, 60000 x 60000
  huge.u16(2);
  huge.u8(5);
  huge.u16(60000);
  huge.u16(60000);
  huge.append(zlibCompress(std::vector<uint8_t>(64, 0)));
  BitWriter cut;  // DefineBitsJPEG3 whose picture runs past the tag
  cut.u16(3);
  cut.u32(1000);
  cut.append({0xFF, 0xD8, 0xFF});
  auto bytes =
      movie(20, 10,
            {background(255, 255, 255), tag(21, junkJpeg), tag(36, huge.bytes), tag(35, cut.bytes),
             rectShapeWith(4, 0, 0, 200, 200, bitmapFill(1, 20 << 16, 0x43)),
             rectShape(5, 200, 0, 400, 200, {255, 0, 0, 255}), place(1, 4), place(2, 5),
             place(3, 2), place(4, 3), showFrame()});
  std::shared_ptr<const Movie> m;
  ASSERT_NO_THROW(m = loadMovie(bytes));
  EXPECT_EQ(m->decodeError(), "");
  for (uint16_t id : {1, 2, 3}) EXPECT_EQ(m->character(id), nullptr) << id;
  auto px = renderMovie(bytes);
  expectColour(px, 20, 5, 5, kWhite, 0, "fill of the broken image");
  expectColour(px, 20, 15, 5, {255, 0, 0}, 0, "the rest of the movie");

  // As a clip layer the shape filled with the missing image still clips by its outline.
  auto clipped = movie(20, 10,
                       {background(255, 255, 255), tag(21, junkJpeg),
                        rectShapeWith(4, 0, 0, 200, 200, bitmapFill(1, 20 << 16, 0x43)),
                        rectShape(5, 0, 0, 400, 200, {255, 0, 0, 255}), place(1, 4, 0, 0, false, 2),
                        place(2, 5), showFrame()});
  auto cpx = renderMovie(clipped);
  expectColour(cpx, 20, 5, 5, {255, 0, 0}, 0, "inside the clip");
  expectColour(cpx, 20, 15, 5, kWhite, 0, "outside the clip");
}

}  // namespace
