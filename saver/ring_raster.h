// The ring gauge as the saver window draws it: the seven rings of DrawRings (same
// squares, pen widths, colours, sweeps and order: each ring's track, then its value
// arc), rasterised by the program itself with a one-pixel smoothed edge. Each pixel's
// colour depends only on where it lies, the picture beneath it and the ring values,
// so redrawing the parts of a tick that changed gives exactly the pixels of a whole
// draw, and at any scale. Portable: works on 0x00RRGGBB pixel rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "saver/dashboard.h"

namespace wd::saver {

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  bool empty() const { return right <= left || bottom <= top; }
  bool operator==(const PixelRect&) const = default;
};

// Pixel rows: `stride` pixels from one row to the next, `pixels` at the pixel
// (left, top) of the picture they belong to, so that a small buffer can stand for a
// rectangle of a larger picture.
struct PixelRows {
  uint32_t* pixels;
  int stride;
  int left = 0, top = 0;
  uint32_t* Row(int y) const { return pixels + static_cast<ptrdiff_t>(y - top) * stride; }
};

struct ConstPixelRows {
  const uint32_t* pixels;
  int stride;
  int left = 0, top = 0;
  const uint32_t* Row(int y) const { return pixels + static_cast<ptrdiff_t>(y - top) * stride; }
};

class RingRaster {
 public:
  // The gauge `scale` times as large as at 96 DPI (geometry and pen widths).
  explicit RingRaster(double scale = 1.0);

  // The side of the gauge's square paint box: 600 at scale 1.
  int size() const { return size_; }

  // Draws the gauge of `values` (by ring, ring 1 first) inside `area` of the paint
  // box: every pixel there becomes the one `under` holds (what lies beneath the
  // paint box) with the rings drawn over it. Pixels outside `area` are not touched.
  void Draw(ConstPixelRows under, PixelRows out, const PixelRect& area,
            const RingValues& values) const;

  // What differs between the gauge at two sets of values, one moved ring at a time:
  // its value arc between `from_sweep` and `to_sweep` (degrees clockwise from 12
  // o'clock), and `area`, which holds it with room for the smoothed edges.
  struct Change {
    int ring;  // 0 for ring 1
    double from_sweep, to_sweep;
    PixelRect area;
  };
  // For each ring that moved: the arc between its two ends, or after the wrap to a
  // smaller value, the whole of the old arc; an arc longer than kPiece degrees in
  // pieces of equal sweep, each with an area of its own.
  static constexpr double kPiece = 30.0;
  std::vector<Change> Changes(const RingValues& before, const RingValues& after) const;

  // Draws, of the gauge of `values`, the pixels `change` can alter: those of its ring
  // near its arc. Every other pixel keeps what it shows, which is the same at both
  // values.
  void Redraw(ConstPixelRows under, PixelRows out, const Change& change,
              const RingValues& values) const;

 private:
  struct Wedge;
  // What holds ring `ring`'s value band between two sweeps, with room for its edges.
  PixelRect AreaOf(int ring, double from_sweep, double to_sweep) const;
  void Paint(ConstPixelRows under, PixelRows out, const PixelRect& area, const RingValues& values,
             int only_ring, const Wedge* wedge, double reach) const;

  struct Ring {
    double radius;
    uint32_t colour;  // 0x00RRGGBB
    double track_sweep;
  };
  double scale_;
  int size_;
  double centre_;
  double track_half_;
  double value_half_;
  double reach_;  // a ring's pixels lie within this of its circle
  // Paint draws the pixels within `reach` of the rings' circles.
  std::vector<Ring> rings_;
};

}  // namespace wd::saver
