#include "saver/gdi_plus.h"
#include "saver/ring_raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

namespace wd::saver {
namespace {

constexpr int kSize = 600;
constexpr double kCentre = 285.0;

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

constexpr Rgb kTrack{45, 69, 0};
constexpr std::array<Rgb, 7> kRingColours{{{0, 104, 183},
                                           {0, 160, 233},
                                           {23, 144, 45},
                                           {142, 195, 31},
                                           {252, 199, 0},
                                           {235, 97, 0},
                                           {230, 0, 18}}};

double Radius(int ring) {
  return 275.0 - 43.0 * (ring - 1);
}

// A 600 x 600 top-down 32-bit DIB section selected into a memory DC, black at first.
class Canvas {
 public:
  Canvas() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ =
        CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    if (dc_ != nullptr) {
      SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool ok() const { return dc_ != nullptr && bitmap_ != nullptr && bits_ != nullptr; }
  HDC dc() const { return dc_; }
  // Ends the DC while the pixels stay readable: the handle becomes invalid.
  HDC Release() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    HDC stale = dc_;
    dc_ = nullptr;
    return stale;
  }

  Rgb At(int x, int y) const {
    GdiFlush();
    const std::uint8_t* p = bits_ + (static_cast<std::size_t>(y) * kSize + x) * 4;
    return {p[2], p[1], p[0]};
  }
  // The pixel on ring n's circle at a GDI+ angle (degrees clockwise from 3 o'clock).
  Rgb OnRing(int ring, double degrees) const {
    const double a = degrees * std::numbers::pi / 180.0;
    return At(static_cast<int>(std::lround(kCentre + Radius(ring) * std::cos(a))),
              static_cast<int>(std::lround(kCentre + Radius(ring) * std::sin(a))));
  }
  std::vector<std::uint8_t> Pixels() const {
    GdiFlush();
    return {bits_, bits_ + kSize * kSize * 4};
  }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  std::uint8_t* bits_ = nullptr;
};

void DrawAll(const Canvas& canvas, float value) {
  DrawRings(canvas.dc(), value, value, value, value, value, value, value);
}

// Black, the track colour, or an antialiased mix of the two: never a ring colour.
bool TrackOrBlank(const Rgb& c) {
  return c.b <= 1 && c.r * 69 <= c.g * 45 + 69 * 2;
}

class GdiPlusTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { session_ = std::make_unique<GdiplusSession>(); }
  static void TearDownTestSuite() { session_.reset(); }
  void SetUp() override {
    ASSERT_TRUE(session_->started());
    ASSERT_TRUE(canvas_.ok());
  }

  static std::unique_ptr<GdiplusSession> session_;
  Canvas canvas_;
};

std::unique_ptr<GdiplusSession> GdiPlusTest::session_;

TEST_F(GdiPlusTest, ZeroValuesDrawOnlyTheTracks) {
  DrawAll(canvas_, 0.0f);
  for (int ring = 1; ring <= 7; ++ring) {
    SCOPED_TRACE(ring);
    // Clockwise from 12 o'clock round to 9 o'clock.
    for (double a : {-85.0, -45.0, 0.0, 45.0, 90.0, 135.0, 175.0})
      EXPECT_EQ(canvas_.OnRing(ring, a), kTrack) << a;
    // The quarter from 9 to 12 o'clock stays empty on the circle.
    for (double a : {200.0, 225.0, 250.0}) EXPECT_EQ(canvas_.OnRing(ring, a), (Rgb{0, 0, 0})) << a;
  }
  // The tracks end one degree past 9 o'clock; the innermost ten degrees past it.
  EXPECT_EQ(canvas_.OnRing(1, 180.5), kTrack);
  EXPECT_EQ(canvas_.OnRing(1, 184.0), (Rgb{0, 0, 0}));
  EXPECT_EQ(canvas_.OnRing(7, 186.0), kTrack);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) ASSERT_TRUE(TrackOrBlank(canvas_.At(x, y))) << x << "," << y;
  }
  // Between neighbouring tracks a 13 px gap shows what was there.
  EXPECT_EQ(canvas_.At(285 + 275 - 21, 285), (Rgb{0, 0, 0}));
}

TEST_F(GdiPlusTest, ValueArcGrowsClockwiseFromTwelve) {
  DrawAll(canvas_, 20.0f);  // 90 degrees: 12 to 3 o'clock
  for (int ring = 1; ring <= 6; ++ring) {
    SCOPED_TRACE(ring);
    EXPECT_EQ(canvas_.OnRing(ring, -80.0), kRingColours[ring - 1]);
    EXPECT_EQ(canvas_.OnRing(ring, -45.0), kRingColours[ring - 1]);
    EXPECT_EQ(canvas_.OnRing(ring, -10.0), kRingColours[ring - 1]);
    EXPECT_EQ(canvas_.OnRing(ring, 10.0), kTrack);
    EXPECT_EQ(canvas_.OnRing(ring, 135.0), kTrack);
  }
  EXPECT_EQ(canvas_.OnRing(7, -45.0), kRingColours[6]);
  EXPECT_EQ(canvas_.OnRing(7, 45.0), kTrack);
  // The value arc is 23 px wide on the 30 px track: the track shows at both edges.
  const double a = -45.0 * std::numbers::pi / 180.0;
  for (double r : {275.0 - 13.25, 275.0 + 13.25}) {
    EXPECT_EQ(canvas_.At(static_cast<int>(std::lround(kCentre + r * std::cos(a))),
                         static_cast<int>(std::lround(kCentre + r * std::sin(a)))),
              kTrack)
        << r;
  }
}

TEST_F(GdiPlusTest, ArgumentsDriveRingsOneToFourThenSevenFiveSix) {
  // Ring n gets 8n: a sweep of 36n degrees.
  DrawRings(canvas_.dc(), 8, 16, 24, 32, 56, 40, 48);
  for (int ring = 1; ring <= 7; ++ring) {
    SCOPED_TRACE(ring);
    const double end = -90.0 + 36.0 * ring;
    const double margin = ring == 7 ? 20.0 : 12.0;
    EXPECT_EQ(canvas_.OnRing(ring, end - margin), kRingColours[ring - 1]);
    EXPECT_EQ(canvas_.OnRing(ring, end + margin), kTrack);
  }
}

TEST_F(GdiPlusTest, SweepStopsAtTwoHundredSeventyDegrees) {
  DrawAll(canvas_, 59.0f);  // 265.5 degrees
  EXPECT_EQ(canvas_.OnRing(1, 173.0), kRingColours[0]);
  EXPECT_EQ(canvas_.OnRing(1, 178.0), kTrack);
  for (int y = 0; y <= 282; ++y) {
    for (int x = 0; x <= 282; ++x) ASSERT_TRUE(TrackOrBlank(canvas_.At(x, y))) << x << "," << y;
  }

  Canvas at60;
  DrawAll(at60, 60.0f);
  EXPECT_EQ(at60.OnRing(1, 178.0), kRingColours[0]);
  EXPECT_EQ(at60.OnRing(2, 178.0), kRingColours[1]);
  EXPECT_EQ(at60.OnRing(1, 180.7), kTrack);  // the track's last degree
  for (int y = 0; y <= 282; ++y) {
    for (int x = 0; x <= 282; ++x) ASSERT_TRUE(TrackOrBlank(at60.At(x, y))) << x << "," << y;
  }

  for (float larger : {61.0f, 100.0f, 1.0e6f}) {
    Canvas capped;
    DrawAll(capped, larger);
    EXPECT_TRUE(capped.Pixels() == at60.Pixels()) << larger;
  }
}

TEST_F(GdiPlusTest, NextDrawingCoversAShrunkenValue) {
  DrawAll(canvas_, 59.0f);
  DrawAll(canvas_, 0.0f);
  // The wider track hides the longer value arc of the previous drawing.
  for (int ring = 1; ring <= 6; ++ring) {
    for (double a = -80.0; a < 175.0; a += 5.0) ASSERT_EQ(canvas_.OnRing(ring, a), kTrack) << ring;
  }
}

// Whether `got` is one of `colours` or a mix of two of them (within 3 per channel).
bool IsMixOf(std::uint32_t got, const std::vector<std::uint32_t>& colours) {
  const auto channel = [](std::uint32_t c, int i) {
    return static_cast<double>((c >> (8 * i)) & 0xFF);
  };
  for (const std::uint32_t a : colours) {
    for (const std::uint32_t b : colours) {
      double along = 0, length = 0;
      for (int i = 0; i < 3; ++i) {
        along += (channel(got, i) - channel(b, i)) * (channel(a, i) - channel(b, i));
        length += (channel(a, i) - channel(b, i)) * (channel(a, i) - channel(b, i));
      }
      const double t = length > 0 ? std::clamp(along / length, 0.0, 1.0) : 0.0;
      bool close = true;
      for (int i = 0; i < 3 && close; ++i)
        close = std::abs(channel(got, i) - (t * channel(a, i) + (1 - t) * channel(b, i))) <= 3.0;
      if (close) return true;
    }
  }
  return false;
}

TEST_F(GdiPlusTest, TheSaversOwnRasterDrawsTheRingsOfDrawRings) {
  // The saver draws the gauge with its own raster. Its pixels must be those of DrawRings
  // but for how the edges are smoothed (Wine's GDI+ draws them hard): each pixel is a
  // colour DrawRings gives within one pixel of it, or a mix of two such colours. A ring
  // in the wrong place, of the wrong colour or width, a wrong sweep or a value arc under
  // its track breaks this.
  for (const RingValues& values :
       {RingValues{0, 0, 0, 0, 0, 0, 0}, RingValues{10, 20, 30, 40, 50, 59, 20},
        RingValues{60, 1, 37, 59, 13, 45, 7}}) {
    SCOPED_TRACE(::testing::PrintToString(values));
    Canvas gdi;
    ASSERT_TRUE(gdi.ok());
    DrawRings(gdi.dc(), static_cast<float>(values[0]), static_cast<float>(values[1]),
              static_cast<float>(values[2]), static_cast<float>(values[3]),
              static_cast<float>(values[6]), static_cast<float>(values[4]),
              static_cast<float>(values[5]));
    const std::vector<std::uint8_t> expected = gdi.Pixels();
    const auto gdi_at = [&](int x, int y) {
      std::uint32_t v;
      std::memcpy(&v, &expected[(static_cast<std::size_t>(y) * kSize + x) * 4], 4);
      return v & 0xFFFFFF;
    };
    const RingRaster raster;
    ASSERT_EQ(raster.size(), kSize);
    const std::vector<std::uint32_t> under(kSize * kSize, 0);
    std::vector<std::uint32_t> ours(kSize * kSize, 0);
    raster.Draw(ConstPixelRows{under.data(), kSize}, PixelRows{ours.data(), kSize},
                PixelRect{0, 0, kSize, kSize}, values);
    // Wine's GDI+ ends each wide arc square to its first and last flattened segment, a
    // little off the radius: pixels within 4 px of where an arc ends are left out.
    std::vector<double> ends{-90.0, -90.0 + 271.0, -90.0 + 280.0};
    for (const std::int32_t v : values) ends.push_back(-90.0 + std::min(4.5 * v, 270.0));
    const auto near_an_end = [&](int x, int y) {
      for (const double degrees : ends) {
        const double a = degrees * std::numbers::pi / 180.0;
        const double dx = x - kCentre, dy = y - kCentre;
        if (dx * std::cos(a) + dy * std::sin(a) > -4 &&
            std::abs(dx * std::sin(a) - dy * std::cos(a)) < 4)
          return true;
      }
      return false;
    };
    int drawn = 0, equal = 0, wrong = 0;
    for (int y = 1; y < kSize - 1; ++y) {
      for (int x = 1; x < kSize - 1; ++x) {
        const std::uint32_t got = ours[static_cast<std::size_t>(y) * kSize + x];
        if (gdi_at(x, y) != 0) ++drawn;
        if (got == gdi_at(x, y) || near_an_end(x, y)) {
          ++equal;
          continue;
        }
        std::vector<std::uint32_t> around;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) around.push_back(gdi_at(x + dx, y + dy));
        if (!IsMixOf(got, around)) {
          ++wrong;
          ADD_FAILURE_AT(__FILE__, __LINE__) << "at " << x << "," << y << ": " << std::hex << got
                                             << " around " << ::testing::PrintToString(around);
          if (wrong > 10) return;
        }
      }
    }
    EXPECT_GT(drawn, 100000);
    // All but the edge pixels are the very ones DrawRings gives.
    EXPECT_GT(equal, (kSize - 2) * (kSize - 2) * 95 / 100);
  }
}

TEST_F(GdiPlusTest, InvalidDeviceContextDrawsNothing) {
  DrawRings(nullptr, 10, 10, 10, 10, 10, 10, 10);
  const auto before = canvas_.Pixels();
  const HDC stale = canvas_.Release();
  DrawRings(stale, 30, 30, 30, 30, 30, 30, 30);
  EXPECT_TRUE(canvas_.Pixels() == before);
}

}  // namespace
}  // namespace wd::saver
