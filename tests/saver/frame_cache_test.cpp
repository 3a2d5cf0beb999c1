// The movie's kept pictures under Wine: which frames look alike, where a frame differs
// from the one before it (across the loop's end too), what is too big to keep, and that
// a part put on a DC leaves the rest of it alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/dib.h"
#include "platform/text.h"
#include "saver/frame_cache.h"

namespace wd::saver {
namespace {

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(DifferingArea, HoldsEveryDifferingPixelAndNothingMore) {
  constexpr int kWidth = 7, kHeight = 5;
  struct Case {
    const char* name;
    std::vector<POINT> changed;
    RECT area;
  };
  const Case cases[] = {
      {"equal", {}, {0, 0, 0, 0}},
      {"one pixel", {{3, 2}}, {3, 2, 4, 3}},
      {"the corners", {{0, 0}, {6, 4}}, {0, 0, 7, 5}},
      {"two rows apart", {{5, 0}, {1, 3}}, {1, 0, 6, 4}},
      {"the last column", {{6, 1}, {6, 2}}, {6, 1, 7, 3}},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> a(kWidth * kHeight, 0x2d4500u), b = a;
    for (const POINT& p : c.changed) b[p.y * kWidth + p.x] = 0xffffffu;
    EXPECT_TRUE(Same(DifferingArea(a.data(), b.data(), kWidth, kHeight), c.area)) << c.name;
    EXPECT_TRUE(Same(DifferingArea(b.data(), a.data(), kWidth, kHeight), c.area)) << c.name;
  }
}

// A picture of 4 x 3, filled with one colour but for one white pixel.
std::vector<uint32_t> Picture(uint32_t colour, POINT white) {
  std::vector<uint32_t> pixels(4 * 3, colour);
  if (white.x >= 0) pixels[white.y * 4 + white.x] = 0xffffffu;
  return pixels;
}

TEST(FrameCache, KnowsWhichFramesLookAlikeAndWhereEachDiffersFromTheOneBefore) {
  FrameCache cache(4, 3, 5);
  ASSERT_TRUE(cache);
  EXPECT_FALSE(cache.all_kept());
  EXPECT_EQ(cache.PictureOf(0), -1) << "nothing kept yet";
  // Frames 0 and 1 alike, 2 with a pixel of its own, 3 like 2, 4 like 0 (the loop's
  // end meets its start), kept out of order.
  const std::vector<uint32_t> pictures[] = {
      Picture(0x112233u, {-1, -1}), Picture(0x112233u, {-1, -1}), Picture(0x112233u, {2, 1}),
      Picture(0x112233u, {2, 1}), Picture(0x112233u, {-1, -1})};
  for (const size_t frame : {4, 0, 2, 1}) cache.Keep(frame, pictures[frame].data());
  EXPECT_FALSE(cache.all_kept());
  EXPECT_FALSE(cache.kept(3));
  EXPECT_EQ(cache.PictureOf(3), -1);
  cache.Keep(3, pictures[3].data());
  EXPECT_TRUE(cache.all_kept());

  EXPECT_EQ(cache.PictureOf(0), cache.PictureOf(1));
  EXPECT_NE(cache.PictureOf(1), cache.PictureOf(2));
  EXPECT_EQ(cache.PictureOf(2), cache.PictureOf(3));
  const RECT nothing{0, 0, 0, 0}, pixel{2, 1, 3, 2};
  ASSERT_TRUE(cache.ChangeAt(0) && cache.ChangeAt(1) && cache.ChangeAt(2) && cache.ChangeAt(3) &&
              cache.ChangeAt(4));
  EXPECT_TRUE(Same(*cache.ChangeAt(0), nothing)) << "from the last frame, across the loop's end";
  EXPECT_TRUE(Same(*cache.ChangeAt(1), nothing));
  EXPECT_TRUE(Same(*cache.ChangeAt(2), pixel));
  EXPECT_TRUE(Same(*cache.ChangeAt(3), nothing));
  EXPECT_TRUE(Same(*cache.ChangeAt(4), pixel));
}

TEST(FrameCache, PutsAKeptPictureWholeOrOnlyThePartAsked) {
  FrameCache cache(4, 3, 2);
  cache.Keep(0, Picture(0x000000u, {-1, -1}).data());
  cache.Keep(1, Picture(0x0000ffu, {1, 2}).data());
  win::DibSurface screen(4, 3);
  cache.Put(screen.dc(), 0);
  const RECT part{1, 1, 3, 3};
  cache.Put(screen.dc(), 1, &part);
  ::GdiFlush();
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const POINT point{x, y};
      const uint32_t expected = !::PtInRect(&part, point) ? 0x000000u
                                : x == 1 && y == 2        ? 0xffffffu
                                                          : 0x0000ffu;
      EXPECT_EQ(screen.bits()[y * 4 + x], expected) << x << "," << y;
    }
}

TEST(FrameCache, KeepsNothingOfALoopTooBigToKeep) {
  struct Case {
    int width, height;
    size_t frames;
    bool keeps;
  };
  // The earth's turn at 96 DPI (10.4 MB) is kept; in a control of 340 x 340 (41.6 MB) not.
  for (const Case& c : {Case{170, 170, 120, true}, Case{340, 340, 120, false},
                        Case{0, 170, 120, false}, Case{170, 170, 0, false}}) {
    const FrameCache cache(c.width, c.height, c.frames);
    EXPECT_EQ(bool(cache), c.keeps) << c.width << " x " << c.height << ", " << c.frames;
    EXPECT_EQ(cache.frames(), c.keeps ? c.frames : 0u);
  }
}

TEST(FrameCache, ALoopTooBigAtTheControlsSizeIsKeptAtTheMoviesOwn) {
  struct Case {
    int width, height, stage_width, stage_height, frames;
    SIZE kept;
  };
  for (const Case& c : {
           Case{170, 170, 170, 170, 120, {170, 170}},  // 96 DPI: the control's size
           Case{340, 340, 170, 170, 120, {170, 170}},  // 192 DPI: the movie's own
           Case{255, 255, 170, 170, 120, {170, 170}},  // 144 DPI
           Case{600, 300, 170, 170, 120, {340, 170}},  // the stage fitted by its height
           Case{340, 340, 170, 170, 10, {340, 340}},   // a short loop fits at any size
           Case{340, 340, 400, 400, 120, {340, 340}},  // nothing smaller to keep
       }) {
    const SIZE kept =
        FrameCache::KeptSize(c.width, c.height, c.stage_width, c.stage_height, c.frames);
    EXPECT_EQ(kept.cx, c.kept.cx) << c.width << " x " << c.height << ", " << c.frames;
    EXPECT_EQ(kept.cy, c.kept.cy) << c.width << " x " << c.height << ", " << c.frames;
  }
}

TEST(FrameCache, OneCacheServesEveryoneAskingForTheSameMovieAtTheSameSize) {
  const auto cache = FrameCache::Shared(L"a.swf|high", 4, 3, 5);
  ASSERT_TRUE(cache);
  struct Case {
    const wchar_t* key;
    int width, height;
    size_t frames;
    bool same;
  };
  for (const Case& c : {Case{L"a.swf|high", 4, 3, 5, true}, Case{L"b.swf|high", 4, 3, 5, false},
                        Case{L"a.swf|low", 4, 3, 5, false}, Case{L"a.swf|high", 3, 4, 5, false},
                        Case{L"a.swf|high", 4, 3, 6, false}}) {
    const auto other = FrameCache::Shared(c.key, c.width, c.height, c.frames);
    ASSERT_TRUE(other);
    EXPECT_EQ(other == cache, c.same) << win::Narrow(c.key) << " " << c.width << " x " << c.height;
  }
  // What one keeps, the other finds kept.
  cache->Keep(2, Picture(0x112233u, {1, 1}).data());
  EXPECT_TRUE(FrameCache::Shared(L"a.swf|high", 4, 3, 5)->kept(2));
  EXPECT_FALSE(FrameCache::Shared(L"a.swf|high", 600, 600, 120)) << "too big to keep";
}

}  // namespace
}  // namespace wd::saver
