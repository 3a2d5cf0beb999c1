// Unit tests of the movie player: readers and records, shapes, bitmap decoders, the
// timeline and the renderer, on movies built byte by byte.
#include <gtest/gtest.h>

#include <cstring>

#include "swf/bitmap.h"
#include "swf/error.h"
#include "swf/player.h"
#include "swf/reader.h"
#include "tests/swf/swf_builder.h"

using namespace wd::swf;
using namespace wd::swf::test;

namespace {

uint32_t rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
  return packRGBA(r, g, b, a);
}

std::vector<uint32_t> renderFrames(const std::vector<uint8_t>& bytes, int frames, Quality q,
                                   int w = 0, int h = 0) {
  Player p(loadMovie(bytes));
  for (int i = 0; i < frames; ++i) p.advance();
  if (w == 0) return p.renderStage({q});
  std::vector<uint32_t> px(size_t(w) * h);
  p.render(px.data(), w, h, {q});
  return px;
}

TEST(SwfReader, ReadsLittleEndianBytesAndBitFields) {
  const uint8_t data[] = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0b10110011, 0b11000000, 'a', 0};
  Reader r(data);
  EXPECT_EQ(r.u16(), 0x1234);
  EXPECT_EQ(r.u32(), 0x12345678u);
  EXPECT_EQ(r.ubits(3), 0b101u);
  EXPECT_EQ(r.sbits(4), -7);  // 1001 as a signed 4-bit field
  EXPECT_EQ(r.ubits(3), 0b111u);
  EXPECT_EQ(r.cstring(), "a");  // byte reads realign past the bit field
  EXPECT_TRUE(r.atEnd());
  EXPECT_THROW(r.u8(), FormatError);
  Reader r2(std::span<const uint8_t>(data, 3));
  EXPECT_THROW(r2.u32(), FormatError);
  EXPECT_THROW(r2.bytes(4), FormatError);
  Reader r3(std::span<const uint8_t>(data, 1));
  EXPECT_THROW(r3.ubits(9), FormatError);
}

TEST(SwfRecords, RectMatrixAndColourTransform) {
  BitWriter w;
  writeRect(w, -20, 11000, 0, 8000);
  writeMatrix(w, 100, -40, 2 << 16, 1 << 15);
  // CXFORMWITHALPHA: add and mult, 11 bits.
  w.ubits(1, 1);
  w.ubits(1, 1);
  w.ubits(11, 4);
  for (int v : {128, 256, 512, 256}) w.sbits(v, 11);
  for (int v : {10, -20, 0, -255}) w.sbits(v, 11);
  w.align();
  // CXFORM without alpha, mult only.
  w.ubits(0, 1);
  w.ubits(1, 1);
  w.ubits(10, 4);
  for (int v : {0, 256, 300}) w.sbits(v, 10);
  w.align();
  Reader r(w.bytes);
  Rect rc = readRect(r);
  EXPECT_EQ(rc.xmin, -20);
  EXPECT_EQ(rc.xmax, 11000);
  EXPECT_EQ(rc.ymax, 8000);
  Matrix m = readMatrix(r);
  EXPECT_DOUBLE_EQ(m.a, 2.0);
  EXPECT_DOUBLE_EQ(m.d, 0.5);
  EXPECT_DOUBLE_EQ(m.tx, 100);
  EXPECT_DOUBLE_EQ(m.ty, -40);
  Point p = m.apply({10, 10});
  EXPECT_DOUBLE_EQ(p.x, 120);
  EXPECT_DOUBLE_EQ(p.y, -35);
  CXForm cx = readCXForm(r, true);
  RGBA c = cx.apply({200, 100, 200, 255});
  EXPECT_EQ(c.r, 110);  // 200 * 0.5 + 10
  EXPECT_EQ(c.g, 80);
  EXPECT_EQ(c.b, 255);  // clamped
  EXPECT_EQ(c.a, 0);
  CXForm cx2 = readCXForm(r, false);
  EXPECT_EQ(cx2.ma, 256);
  EXPECT_EQ(cx2.apply({200, 100, 100, 77}).r, 0);
  EXPECT_EQ(cx2.apply({200, 100, 100, 77}).a, 77);
  EXPECT_TRUE(r.atEnd());
}

TEST(SwfShape, EdgesCarryTheirStylesAndBadIndicesCountAsNone) {
  auto t = rectShape(1, 0, 0, 200, 100, {255, 0, 0, 255}, 20);
  Reader r(std::span<const uint8_t>(t).subspan(2 + 2));  // tag header and id
  Shape s = parseShape(r, 3);
  ASSERT_EQ(s.groups.size(), 1u);
  const ShapeGroup& g = s.groups[0];
  ASSERT_EQ(g.fills.size(), 1u);
  EXPECT_EQ(g.fills[0].color, (RGBA{255, 0, 0, 255}));
  ASSERT_EQ(g.lines.size(), 1u);
  EXPECT_EQ(g.lines[0].width, 20);
  ASSERT_EQ(g.edges.size(), 4u);
  EXPECT_EQ(g.edges[0].fill1, 1);
  EXPECT_EQ(g.edges[0].fill0, 0);
  EXPECT_EQ(g.edges[0].line, 1);
  EXPECT_EQ(g.edges[1].p0.x, 200);
  EXPECT_EQ(g.edges[2].p1.y, 100);
  EXPECT_EQ(g.edges[3].p1.x, 0);

  auto bad = rectShape(1, 0, 0, 200, 100, {255, 0, 0, 255}, 0, 3);  // fill 3 of 1
  Reader r2(std::span<const uint8_t>(bad).subspan(4));
  Shape s2 = parseShape(r2, 3);
  EXPECT_TRUE(s2.groups[0].edges.empty());  // edges with no style are dropped
}

TEST(SwfMovie, HeaderContainersAndErrors) {
  auto tags = std::vector<std::vector<uint8_t>>{background(1, 2, 3), showFrame(), showFrame()};
  for (bool compressed : {false, true}) {
    auto m = loadMovie(movie(30, 20, tags, compressed, 2));
    EXPECT_EQ(m->stageWidth(), 30);
    EXPECT_EQ(m->stageHeight(), 20);
    EXPECT_DOUBLE_EQ(m->frameRate(), 24);
    EXPECT_EQ(m->frameCount(), 2);
    EXPECT_EQ(m->background(), (RGBA{1, 2, 3, 255}));
  }
  auto zws = movie(30, 20, tags);
  zws[0] = 'Z';
  try {
    loadMovie(zws);
    FAIL();
  } catch (const FormatError& e) {
    EXPECT_NE(std::string(e.what()).find("ZWS"), std::string::npos);
  }
  auto junk = movie(30, 20, tags);
  junk[0] = 'X';
  EXPECT_THROW(loadMovie(junk), FormatError);
  EXPECT_THROW(loadMovie(std::vector<uint8_t>{'F', 'W', 'S'}), FormatError);

  // A movie cut inside its second frame: strict loading fails, partial keeps frame 1.
  auto full = movie(30, 20,
                    {rectShape(1, 0, 0, 100, 100, {9, 9, 9, 255}), place(1, 1), showFrame(),
                     rectShape(2, 0, 0, 100, 100, {9, 9, 9, 255})});
  std::vector<uint8_t> cut(full.begin(), full.end() - 8);
  EXPECT_THROW(loadMovie(cut), FormatError);
  auto partial = loadMoviePartial(cut);
  EXPECT_FALSE(partial->decodeError().empty());
  EXPECT_EQ(partial->frameCount(), 1);
  EXPECT_NE(partial->character(1), nullptr);
  EXPECT_THROW(loadMovieFile("/nonexistent/earth.swf"), wd::FileOpenError);
}

TEST(SwfBitmaps, LosslessPngAndGifDecode) {
  // DefineBitsLossless2, format 5 (ARGB, premultiplied), 2 x 1.
  std::vector<uint8_t> raw = {255, 255, 0, 0, 128, 0, 128, 0};
  std::vector<uint8_t> body = {5, 2, 0, 1, 0};
  auto z = zlibCompress(raw);
  body.insert(body.end(), z.begin(), z.end());
  Bitmap bm = decodeLossless(body, 2);
  ASSERT_EQ(bm.width, 2);
  EXPECT_EQ(bm.pixels[0], rgba(255, 0, 0));
  EXPECT_EQ(bm.pixels[1], rgba(0, 128, 0, 128));
  EXPECT_THROW(decodeLossless({body.begin(), body.end() - 4}, 2), FormatError);

  // PNG: 2 x 1 RGBA, filter Sub on the row.
  std::vector<uint8_t> rows = {1, 10, 20, 30, 255, 5, 5, 5, 0};
  auto idat = zlibCompress(rows);
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  auto chunk = [&](const char* type, const std::vector<uint8_t>& d) {
    uint32_t n = static_cast<uint32_t>(d.size());
    for (int i = 3; i >= 0; --i) png.push_back(static_cast<uint8_t>(n >> (8 * i)));
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), d.begin(), d.end());
    for (int i = 0; i < 4; ++i) png.push_back(0);  // CRC, not checked
  };
  chunk("IHDR", {0, 0, 0, 2, 0, 0, 0, 1, 8, 6, 0, 0, 0});
  chunk("IDAT", idat);
  chunk("IEND", {});
  Bitmap p = decodeImage(png);
  ASSERT_EQ(p.width, 2);
  EXPECT_EQ(p.pixels[0], rgba(10, 20, 30));
  EXPECT_EQ(p.pixels[1], premultiply(15, 25, 35, 255));
  png.resize(png.size() - 20);
  EXPECT_THROW(decodeImage(png), FormatError);

  // GIF 1 x 1, red from a 2-colour global table.
  const uint8_t gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 255, 0, 0, 0,  0,
                         0,   ',', 0,   0,   0,   0,   1, 0, 1, 0, 0,    2, 2, 'D', 1, 0, ';'};
  Bitmap g = decodeImage(gif);
  ASSERT_EQ(g.width, 1);
  EXPECT_EQ(g.pixels[0], rgba(255, 0, 0));
  EXPECT_THROW(decodeImage(std::span<const uint8_t>(gif, 20)), FormatError);
}

TEST(SwfRender, SolidShapeAliasedAndAntiAliased) {
  // White stage 10 x 10; red square covering x 2..5.5, y 2..6 pixels.
  auto bytes = movie(10, 10,
                     {background(255, 255, 255), rectShape(1, 40, 40, 110, 120, {255, 0, 0, 255}),
                      place(1, 1), showFrame()});
  auto low = renderFrames(bytes, 1, Quality::Low);
  EXPECT_EQ(low[3 * 10 + 3], rgba(255, 0, 0));
  EXPECT_EQ(low[3 * 10 + 1], rgba(255, 255, 255));
  EXPECT_EQ(low[3 * 10 + 5], rgba(255, 255, 255));  // centre 5.5 lies on the edge: outside
  EXPECT_EQ(low[6 * 10 + 3], rgba(255, 255, 255));
  auto high = renderFrames(bytes, 1, Quality::High);
  EXPECT_EQ(high[3 * 10 + 3], rgba(255, 0, 0));
  uint32_t half = high[3 * 10 + 5];  // half covered: half red over white
  EXPECT_EQ(half & 0xFF, 255u);
  EXPECT_NEAR(int((half >> 8) & 0xFF), 127, 2);
  EXPECT_EQ(half >> 24, 255u);
}

TEST(SwfRender, ShowAllCentresTheStageWithBackgroundAround) {
  // 20 x 10 stage filled by a blue rectangle, shown in 40 x 40: scaled 2x, bars above and below.
  auto bytes = movie(20, 10,
                     {background(0, 255, 0), rectShape(1, 0, 0, 400, 200, {0, 0, 255, 255}),
                      place(1, 1), showFrame()});
  auto px = renderFrames(bytes, 1, Quality::Low, 40, 40);
  EXPECT_EQ(px[5 * 40 + 20], rgba(0, 255, 0));
  EXPECT_EQ(px[10 * 40 + 0], rgba(0, 0, 255));
  EXPECT_EQ(px[29 * 40 + 39], rgba(0, 0, 255));
  EXPECT_EQ(px[30 * 40 + 20], rgba(0, 255, 0));
}

TEST(SwfRender, StrokesHaveAtLeastOnePixel) {
  // A 0.2 px wide outline still shows as about one pixel.
  auto bytes =
      movie(20, 20,
            {background(255, 255, 255), rectShape(1, 100, 100, 300, 300, {255, 255, 255, 255}, 4),
             place(1, 1), showFrame()});
  auto px = renderFrames(bytes, 1, Quality::Low);
  int dark = 0;
  for (int x = 0; x < 20; ++x) dark += px[10 * 20 + x] == rgba(0, 0, 0);
  EXPECT_EQ(dark, 2);  // left and right sides crossing row 10
}

TEST(SwfPlayer, TimelineSpritesMasksAndLooping) {
  // Frame 1: a sprite (2 frames: red square, then green) at depth 1; frame 2: a mask at
  // depth 2 clipping depth 3, a blue square at depth 3; frame 3: depth 1 removed.
  auto bytes = movie(
      10, 10,
      {background(255, 255, 255), rectShape(1, 0, 0, 200, 200, {255, 0, 0, 255}),
       rectShape(2, 0, 0, 200, 200, {0, 255, 0, 255}), rectShape(3, 0, 0, 100, 200, {0, 0, 0, 255}),
       rectShape(4, 0, 0, 200, 200, {0, 0, 255, 255}),
       sprite(10, 2, {place(1, 1), showFrame(), removeDepth(1), place(1, 2), showFrame()}),
       place(1, 10), showFrame(), place(2, 3, 0, 0, false, 5), place(3, 4, 0, 100), showFrame(),
       removeDepth(1), showFrame()},
      false, 3);
  Player p(loadMovie(bytes));
  EXPECT_EQ(p.currentFrame(), 0);
  p.advance();
  EXPECT_EQ(p.renderStage({Quality::Low})[5 * 10 + 5], rgba(255, 0, 0));
  p.advance();
  auto f2 = p.renderStage({Quality::Low});
  EXPECT_EQ(f2[2 * 10 + 8], rgba(0, 255, 0));  // sprite on its second frame
  EXPECT_EQ(f2[7 * 10 + 2], rgba(0, 0, 255));  // inside the mask
  EXPECT_EQ(f2[7 * 10 + 8], rgba(0, 255, 0));  // masked out: sprite shows through
  p.advance();
  EXPECT_EQ(p.currentFrame(), 3);
  EXPECT_EQ(p.renderStage({Quality::Low})[2 * 10 + 8], rgba(255, 255, 255));
  p.advance();  // loops to frame 1: sprite is back, mask and blue square gone
  EXPECT_EQ(p.currentFrame(), 1);
  auto f1 = p.renderStage({Quality::Low});
  EXPECT_EQ(f1[7 * 10 + 2], rgba(255, 0, 0));
}

TEST(SwfPlayer, WorkCapStopsAHugeFrame) {
  auto bytes = movie(200, 200,
                     {rectShape(1, 0, 0, 4000, 4000, {255, 0, 0, 255}), place(1, 1), place(2, 1),
                      place(3, 1), showFrame()});
  Player p(loadMovie(bytes));
  p.advance();
  std::vector<uint32_t> px(200 * 200);
  EXPECT_TRUE(p.render(px.data(), 200, 200, {Quality::High, 20'000'000}));
  EXPECT_FALSE(p.render(px.data(), 200, 200, {Quality::High, 1000}));
}

}  // namespace
