#include "saver/gdi_plus.h"

// WIN32_LEAN_AND_MEAN leaves out the COM declarations (PROPID, IStream) that
// GDI+'s headers need.
#include <objidl.h>
#include <gdiplus.h>

#include <array>

#include "saver/layout.h"

namespace wd::saver {
namespace {

namespace gp = Gdiplus::DllExports;

struct RingGeometry {
  INT corner;  // x and y of the bounding square's top-left corner
  INT side;
  Gdiplus::ARGB colour;
  Gdiplus::REAL track_sweep;
};

// Ring 1 (outermost) to ring 7: radii step down by 43 px around the centre (285, 285).
constexpr std::array<RingGeometry, 7> kRings{{
    {10, 550, 0xFF0068B7, 271.0f},
    {53, 464, 0xFF00A0E9, 271.0f},
    {96, 378, 0xFF17902D, 271.0f},
    {139, 292, 0xFF8EC31F, 271.0f},
    {182, 206, 0xFFFCC700, 271.0f},
    {225, 120, 0xFFEB6100, 271.0f},
    {268, 34, 0xFFE60012, 280.0f},
}};

// The track has the window's own backdrop colour.
constexpr Gdiplus::ARGB kTrackColour = kBackdrop.argb();
constexpr Gdiplus::REAL kTrackWidth = 30.0f;
constexpr Gdiplus::REAL kValueWidth = 23.0f;
constexpr Gdiplus::REAL kStartAngle = -90.0f;  // 12 o'clock
constexpr Gdiplus::REAL kDegreesPerUnit = 4.5f;
constexpr Gdiplus::REAL kLongestValueSweep = 270.0f;

// Owns the graphics object and pen of one drawing pass. Whatever fails to be
// created stays null and is not deleted; GDI+ rejects null arguments itself.
class DrawingPass {
 public:
  explicit DrawingPass(HDC dc) {
    gp::GdipCreateFromHDC(dc, &graphics_);
    gp::GdipSetSmoothingMode(graphics_, Gdiplus::SmoothingModeHighQuality);
    gp::GdipCreatePen1(0x00000000, 1.0f, Gdiplus::UnitWorld, &pen_);
  }
  ~DrawingPass() {
    if (pen_ != nullptr) gp::GdipDeletePen(pen_);
    if (graphics_ != nullptr) gp::GdipDeleteGraphics(graphics_);
  }
  DrawingPass(const DrawingPass&) = delete;
  DrawingPass& operator=(const DrawingPass&) = delete;

  void Arc(const RingGeometry& ring, Gdiplus::REAL width, Gdiplus::ARGB colour,
           Gdiplus::REAL sweep) {
    gp::GdipSetPenWidth(pen_, width);
    gp::GdipSetPenColor(pen_, colour);
    gp::GdipDrawArcI(graphics_, pen_, ring.corner, ring.corner, ring.side, ring.side, kStartAngle,
                     sweep);
  }

 private:
  Gdiplus::GpGraphics* graphics_ = nullptr;
  Gdiplus::GpPen* pen_ = nullptr;
};

}  // namespace

void DrawRings(HDC dc, float v1, float v2, float v3, float v4, float v7, float v5, float v6) {
  const std::array<float, 7> values{v1, v2, v3, v4, v5, v6, v7};
  DrawingPass pass(dc);
  for (std::size_t n = 0; n < kRings.size(); ++n) {
    const RingGeometry& ring = kRings[n];
    pass.Arc(ring, kTrackWidth, kTrackColour, ring.track_sweep);
    Gdiplus::REAL sweep = kDegreesPerUnit * values[n];
    if (sweep > kLongestValueSweep) sweep = kLongestValueSweep;
    pass.Arc(ring, kValueWidth, ring.colour, sweep);
  }
}

GdiplusSession::GdiplusSession() {
  // Version 1, no debug callback, GDI+'s background thread and external codecs kept.
  const Gdiplus::GdiplusStartupInput input;
  started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
}

GdiplusSession::~GdiplusSession() {
  if (started_) Gdiplus::GdiplusShutdown(token_);
}

}  // namespace wd::saver
