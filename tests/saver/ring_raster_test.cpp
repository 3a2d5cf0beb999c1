// The saver's own gauge raster: the geometry of DrawRings, and tick by tick redraws of
// what changed that equal whole draws, at every scale.
#include "saver/ring_raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "saver/layout.h"

namespace wd::saver {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A picture beneath the gauge that is not one colour, so that misplaced pixels show.
std::vector<uint32_t> Beneath(int size) {
  std::vector<uint32_t> pixels(static_cast<size_t>(size) * size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      pixels[static_cast<size_t>(y) * size + x] =
          static_cast<uint32_t>((x * 7 + y * 3) & 0xFF) << 16 | ((x ^ y) & 0x3F) << 8 | 0x10;
  return pixels;
}

std::vector<uint32_t> Whole(const RingRaster& raster, const std::vector<uint32_t>& under,
                            const RingValues& values) {
  std::vector<uint32_t> out(under.size());
  raster.Draw({under.data(), raster.size()}, {out.data(), raster.size()},
              {0, 0, raster.size(), raster.size()}, values);
  return out;
}

TEST(RingRaster, RedrawingWhatChangedEqualsAWholeDrawEveryTick) {
  for (const double scale : {1.0, 1.5, 2.0}) {
    const RingRaster raster(scale);
    const std::vector<uint32_t> under = Beneath(raster.size());
    TickCounter counter;
    std::vector<uint32_t> shown = Whole(raster, under, counter.ring_values());
    RingValues before = counter.ring_values();
    // Past every ring's start (tick 61) and the wraps from 59 to 0.
    for (int tick = 1; tick <= 130; ++tick) {
      const RingValues& now = counter.Advance();
      for (const RingRaster::Change& change : raster.Changes(before, now))
        raster.Redraw({under.data(), raster.size()}, {shown.data(), raster.size()}, change, now);
      before = now;
      // Every tick at 1x; at the larger scales the ticks where rings start and wrap.
      const bool compare = scale == 1.0 || tick % 15 <= 1 || tick >= 119;
      if (compare) {
        const std::vector<uint32_t> whole = Whole(raster, under, now);
        ASSERT_EQ(shown, whole) << "scale " << scale << " tick " << tick;
      }
    }
  }
}

TEST(RingRaster, AStepRedrawsLittle) {
  const RingRaster raster;
  RingValues before{}, after{};
  before[0] = 10, after[0] = 11;  // ring 1, the longest
  const auto areas = raster.Changes(before, after);
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(areas[0].ring, 0);
  const PixelRect& step = areas[0].area;
  EXPECT_LT((step.right - step.left) * (step.bottom - step.top), 60 * 60);
  EXPECT_TRUE(raster.Changes(after, after).empty());
  // After the wrap the whole old arc goes, in pieces whose areas together hold far
  // fewer pixels than the arc's whole square, and reach across it.
  before[0] = 59, after[0] = 0;
  const auto wrap = raster.Changes(before, after);
  ASSERT_EQ(wrap.size(), 9u);  // 265.5 degrees in pieces of at most 30
  int left = raster.size(), right = 0, pixels = 0;
  double swept = 0;
  for (const RingRaster::Change& piece : wrap) {
    EXPECT_EQ(piece.ring, 0);
    EXPECT_NEAR(piece.from_sweep, swept, 1e-9);  // one after the other, from 12 o'clock
    swept = piece.to_sweep;
    left = std::min(left, piece.area.left), right = std::max(right, piece.area.right);
    pixels += (piece.area.right - piece.area.left) * (piece.area.bottom - piece.area.top);
  }
  EXPECT_DOUBLE_EQ(swept, 265.5);
  EXPECT_GT(right - left, 500);
  EXPECT_LT(pixels, 600 * 600 / 3);
}

TEST(RingRaster, DrawsTheRingsOfDrawRings) {
  for (const double scale : {1.0, 2.0}) {
    const RingRaster raster(scale);
    EXPECT_EQ(raster.size(), static_cast<int>(std::lround(600 * scale)));
    const std::vector<uint32_t> under(static_cast<size_t>(raster.size()) * raster.size(), 0x123456);
    RingValues values{10, 20, 30, 40, 50, 59, 20};
    const std::vector<uint32_t> out = Whole(raster, under, values);
    const auto at = [&](double radius, double degrees_from_noon) {
      const double a = (degrees_from_noon - 90.0) * kPi / 180.0;
      const int x = static_cast<int>(std::lround(285 * scale + radius * scale * std::cos(a)));
      const int y = static_cast<int>(std::lround(285 * scale + radius * scale * std::sin(a)));
      return out[static_cast<size_t>(y) * raster.size() + x];
    };
    const uint32_t colours[kRingCount] = {0x0068B7, 0x00A0E9, 0x17902D, 0x8EC31F,
                                          0xFCC700, 0xEB6100, 0xE60012};
    for (int n = 0; n < kRingCount; ++n) {
      const double radius = 275 - 43 * n;
      const double sweep = 4.5 * values[n];
      // The value arc up to its sweep, 11.5 px either side of the circle.
      EXPECT_EQ(at(radius, sweep / 2), colours[n]) << n;
      EXPECT_EQ(at(radius + 10, sweep / 2), colours[n]) << n;
      // Past it the track, reaching 15 px either side, 271 degrees (ring 7: 280).
      const double past = std::min(sweep + 6, 268.0);
      EXPECT_EQ(at(radius, past), kBackdrop.dib_pixel()) << n;
      EXPECT_EQ(at(radius + 13.5, past), kBackdrop.dib_pixel()) << n;
      EXPECT_EQ(at(radius, 268), kBackdrop.dib_pixel()) << n;
      // The quarter the track leaves free, and the gap between rings.
      EXPECT_EQ(at(radius, n == 6 ? 300 : 285), 0x123456u) << n;
      if (n < 6) {
        EXPECT_EQ(at(radius - 21.5, 180), 0x123456u) << n;
      }
    }
    // Value 0: the track only.
    values[0] = 0;
    EXPECT_EQ(
        Whole(raster, under, values)[static_cast<size_t>(std::lround(10 * scale)) * raster.size() +
                                     static_cast<size_t>(std::lround(287 * scale))],
        kBackdrop.dib_pixel());
  }
}

}  // namespace
}  // namespace wd::saver
