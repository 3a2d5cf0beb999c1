// Where things stand on a saver window, in client pixels at 96 DPI; at other DPIs
// every length is scaled by DPI / 96. The window is maximised on its monitor;
// everything keeps these positions whatever its size.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

namespace wd::saver {

struct Rgb {
  uint8_t r, g, b;

  // As a window colour (COLORREF: red in the low byte), a 32-bit DIB pixel
  // (0x00RRGGBB) and an opaque GDI+ colour (0xFFRRGGBB).
  constexpr uint32_t colorref() const { return r | g << 8 | uint32_t{b} << 16; }
  constexpr uint32_t dib_pixel() const { return uint32_t{r} << 16 | g << 8 | b; }
  constexpr uint32_t argb() const { return 0xFF000000u | dib_pixel(); }
};

// A layout length at a scale (DPI / 96), in whole pixels.
inline int ScaledLength(int length, double scale) {
  return static_cast<int>(std::lround(length * scale));
}

// The one backdrop colour: window, picture backdrop, gauge tracks, and the movie
// control where it has no movie.
inline constexpr Rgb kBackdrop{45, 69, 0};

// The background picture, drawn at its natural size from the top-left corner.
inline constexpr int kPictureWidth = 1024;
inline constexpr int kPictureHeight = 719;

// The gauge's paint box: its own 600 x 600 drawing surface.
inline constexpr int kPaintBoxLeft = 334;
inline constexpr int kPaintBoxTop = 120;
inline constexpr int kPaintBoxSize = 600;

// The movie.
inline constexpr int kMovieLeft = 128;
inline constexpr int kMovieTop = 408;
inline constexpr int kMovieSize = 170;

// The labels, right-aligned: the right edge stays, longer texts grow to the left.
enum Label {
  kSeconds,
  kMins,
  kHours,
  kPower,
  kPowerFee,
  kCo2,
  kThisYearCo2,
  kFromdate,
  kLabelCount
};

struct LabelPlace {
  int right;
  int top;
  int font_height;      // character height in pixels, Arial
  const char* caption;  // shown until the first tick writes the label
};

inline constexpr std::array<LabelPlace, kLabelCount> kLabelPlaces{{
    {571, 120, 21, "0"},     // txtSeconds
    {571, 161, 21, "0"},     // txtMins
    {571, 203, 21, "0"},     // txtHours
    {571, 252, 21, "0"},     // txtPower
    {571, 294, 21, "0"},     // txtPowerFee
    {571, 340, 21, "0"},     // txtCo2
    {571, 380, 21, "0"},     // txtThisYearCo2
    {243, 378, 19, "date"},  // txtFromdate
}};

// The picture leaves this much room left of txtFromdate's right edge before the 自 that
// opens its sentence: the widest short date any locale writes (118 px in Arial 19 px)
// and a gap. tools/background/make_background.py draws the picture with the same number.
inline constexpr int kDateRoom = 128;
inline constexpr int kDateGap = 8;  // the least space kept between the date and the 自

}  // namespace wd::saver
