#include "saver/ring_raster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "saver/layout.h"

namespace wd::saver {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kStartDegrees = -90.0;  // 12 o'clock, angles clockwise
constexpr double kTrackWidth = 30.0;
constexpr double kValueWidth = 23.0;

// Ring 1 (outermost) to ring 7: the circles inscribed in the squares of corner
// 10 + 43 (n - 1) and side 550 - 86 (n - 1) around (285, 285).
struct RingSpec {
  int corner, side;
  uint32_t colour;
  double track_sweep;
};
constexpr RingSpec kRingSpecs[kRingCount] = {
    {10, 550, 0x0068B7, 271.0},  {53, 464, 0x00A0E9, 271.0},  {96, 378, 0x17902D, 271.0},
    {139, 292, 0x8EC31F, 271.0}, {182, 206, 0xFCC700, 271.0}, {225, 120, 0xEB6100, 271.0},
    {268, 34, 0xE60012, 280.0},
};

// The sweep of a value arc as DrawRings computes it: 4.5 degrees a unit in single
// precision, at most 270.
double SweepOf(int32_t value) {
  return std::min(4.5f * static_cast<float>(value), 270.0f);
}

// An arc: the band `half` either side of `radius`, from 12 o'clock `sweep` degrees
// clockwise, flat at both ends. `end_x`, `end_y`: the direction of its end.
struct Arc {
  double radius = 0, half = 0, sweep = 0, end_x = 0, end_y = 0;
  Arc() = default;
  Arc(double r, double h, double s)
      : radius(r),
        half(h),
        sweep(s),
        end_x(std::cos((kStartDegrees + s) * kPi / 180.0)),
        end_y(std::sin((kStartDegrees + s) * kPi / 180.0)) {}
};

// Distance of (dx, dy) from the ray from the centre in direction (ux, uy).
double FromRay(double dx, double dy, double distance, double ux, double uy) {
  return dx * ux + dy * uy > 0 ? std::abs(dx * uy - dy * ux) : distance;
}

// How much of the pixel centred at (dx, dy) from the centre the arc covers, 0 to 1,
// smoothed over one pixel at every edge. (Angles run clockwise on the screen, where
// y grows downwards: the cross product of two directions is the sine of the angle
// from the first to the second.)
double Coverage(double dx, double dy, double distance, const Arc& arc) {
  if (arc.sweep <= 0) return 0;
  const double radial = std::clamp(arc.half - std::abs(distance - arc.radius) + 0.5, 0.0, 1.0);
  if (radial <= 0) return 0;
  constexpr double kStartX = 0, kStartY = -1;                 // 12 o'clock
  const double past_start = kStartX * dy - kStartY * dx;      // sin(angle - start)
  const double before_end = dx * arc.end_y - dy * arc.end_x;  // sin(end - angle)
  const bool inside =
      arc.sweep <= 180 ? past_start >= 0 && before_end >= 0 : !(past_start < 0 && before_end < 0);
  const double edge = std::min(FromRay(dx, dy, distance, kStartX, kStartY),
                               FromRay(dx, dy, distance, arc.end_x, arc.end_y));
  const double angular = std::clamp((inside ? edge : -edge) + 0.5, 0.0, 1.0);
  return radial * angular;
}

uint32_t Mix(uint32_t under, uint32_t over, double coverage) {
  // Coverage is 0 to 1: adding a half and truncating rounds it (inline, unlike lround).
  const auto a = static_cast<uint32_t>(coverage * 255.0 + 0.5);
  if (a == 0) return under;
  if (a == 255) return over;
  uint32_t out = 0;
  for (int shift : {0, 8, 16}) {
    const uint32_t u = (under >> shift) & 0xFF, o = (over >> shift) & 0xFF;
    out |= ((o * a + u * (255 - a) + 127) / 255) << shift;
  }
  return out;
}

}  // namespace

RingRaster::RingRaster(double scale)
    : scale_(scale),
      size_(static_cast<int>(std::lround(kPaintBoxSize * scale))),
      centre_(285.0 * scale),
      track_half_(kTrackWidth / 2 * scale),
      value_half_(kValueWidth / 2 * scale),
      reach_(track_half_ + 1) {
  for (const RingSpec& spec : kRingSpecs)
    rings_.push_back({spec.side / 2.0 * scale, spec.colour, spec.track_sweep});
}

// The directions between which a change lies, and whether it spans more than a half
// turn. A pixel may change when it lies between them, or within a pixel of either
// direction's line (the smoothed edge at an end), on its side of the centre.
struct RingRaster::Wedge {
  double from_x, from_y, to_x, to_y;
  bool wide;
  Wedge(double from_sweep, double to_sweep)
      : from_x(std::cos((kStartDegrees + from_sweep) * kPi / 180.0)),
        from_y(std::sin((kStartDegrees + from_sweep) * kPi / 180.0)),
        to_x(std::cos((kStartDegrees + to_sweep) * kPi / 180.0)),
        to_y(std::sin((kStartDegrees + to_sweep) * kPi / 180.0)),
        wide(to_sweep - from_sweep > 180) {}
  static constexpr double kEdge = 1.0;  // the smoothing reaches half a pixel; a margin more

  bool Holds(double dx, double dy) const {
    const double past = from_x * dy - from_y * dx;  // sin(angle - from), times distance
    const double before = dx * to_y - dy * to_x;    // sin(to - angle), times distance
    if (wide ? !(past < 0 && before < 0) : past >= 0 && before >= 0) return true;
    return (dx * from_x + dy * from_y > 0 && std::abs(past) < kEdge) ||
           (dx * to_x + dy * to_y > 0 && std::abs(before) < kEdge);
  }

  // Where on the row at `dy` a pixel may hold (offsets from the centre): for a wedge
  // of at most half a turn, everything it holds lies within a pixel of both its sides'
  // half planes (past and before greater than -kEdge). A wider one may hold any.
  std::pair<double, double> Columns(double dy) const {
    double lo = -1e9, hi = 1e9;
    if (wide) return {lo, hi};
    // past > -kEdge: from_y * dx < from_x * dy + kEdge.
    const double past_limit = from_x * dy + kEdge;
    if (from_y > 0) hi = std::min(hi, past_limit / from_y);
    if (from_y < 0) lo = std::max(lo, past_limit / from_y);
    if (from_y == 0 && past_limit <= 0) return {1, 0};
    // before > -kEdge: to_y * dx > to_x * dy - kEdge.
    const double before_limit = to_x * dy - kEdge;
    if (to_y > 0) lo = std::max(lo, before_limit / to_y);
    if (to_y < 0) hi = std::min(hi, before_limit / to_y);
    if (to_y == 0 && before_limit >= 0) return {1, 0};
    return {lo, hi};
  }
};

void RingRaster::Draw(ConstPixelRows under, PixelRows out, const PixelRect& area,
                      const RingValues& values) const {
  Paint(under, out, area, values, -1, nullptr, reach_);
}

void RingRaster::Redraw(ConstPixelRows under, PixelRows out, const Change& change,
                        const RingValues& values) const {
  const Wedge wedge(change.from_sweep, change.to_sweep);
  // An arc that grew changes only what its value band covers: either side of it the
  // track shows as before.
  const bool grew = change.ring >= 0 && change.ring < kRingCount &&
                    SweepOf(values[change.ring]) >= change.to_sweep;
  Paint(under, out, change.area, values, change.ring, &wedge, grew ? value_half_ + 1 : reach_);
}

void RingRaster::Paint(ConstPixelRows under, PixelRows out, const PixelRect& area,
                       const RingValues& values, int only_ring, const Wedge* wedge,
                       double reach) const {
  std::array<Arc, kRingCount> tracks{}, arcs{};
  for (int n = 0; n < kRingCount; ++n) {
    tracks[n] = Arc(rings_[n].radius, track_half_, rings_[n].track_sweep);
    arcs[n] = Arc(rings_[n].radius, value_half_, SweepOf(values[n]));
  }
  const bool all = only_ring < 0;
  const int first = all ? 0 : only_ring, last = all ? kRingCount - 1 : only_ring;
  const int left = std::max(area.left, 0), top = std::max(area.top, 0);
  const int right = std::min(area.right, size_), bottom = std::min(area.bottom, size_);
  if (left >= right) return;
  for (int y = top; y < bottom; ++y) {
    // Indexed by x less the rows' left edge.
    const uint32_t* from = under.Row(y);
    uint32_t* to = out.Row(y);
    const int ul = under.left, ol = out.left;
    // Away from the rings a pixel is the one beneath; near one, that ring decides it.
    if (all) std::copy(from + (left - ul), from + (right - ul), to + (left - ol));
    const double dy = y - centre_;
    const std::pair<double, double> columns =
        wedge ? wedge->Columns(dy) : std::pair<double, double>{-1e9, 1e9};
    // Ring 1 last: where two rings' pixels met (they never do), the first would win.
    for (int n = last; n >= first; --n) {
      const double radius = rings_[n].radius;
      const double outer = radius + reach, inner = radius - reach;
      if (std::abs(dy) > outer + 1) continue;
      // The row crosses the ring's band in one or two runs; a pixel more either side,
      // and the distance test below decides each pixel exactly.
      const double far = std::sqrt(std::max(0.0, outer * outer - dy * dy)) + 1;
      const double near = inner > std::abs(dy) ? std::sqrt(inner * inner - dy * dy) - 1 : -1;
      const auto run = [&](double from_dx, double to_dx) {
        from_dx = std::max(from_dx, columns.first - 1);
        to_dx = std::min(to_dx, columns.second + 1);
        if (from_dx > to_dx) return;
        const int x0 = std::max(left, static_cast<int>(std::floor(centre_ + from_dx)));
        const int x1 = std::min(right, static_cast<int>(std::ceil(centre_ + to_dx)) + 1);
        for (int x = x0; x < x1; ++x) {
          const double dx = x - centre_;
          if (wedge && !wedge->Holds(dx, dy)) continue;
          // The square root inlines; hypot is a library call per pixel.
          const double distance = std::sqrt(dx * dx + dy * dy);
          if (std::abs(distance - radius) > reach) continue;
          // A pixel the value arc covers whole is the ring's colour, whatever lies below.
          const double value = Coverage(dx, dy, distance, arcs[n]);
          if (value >= 1) {
            to[x - ol] = rings_[n].colour;
            continue;
          }
          const uint32_t track =
              Mix(from[x - ul], kBackdrop.dib_pixel(), Coverage(dx, dy, distance, tracks[n]));
          to[x - ol] = Mix(track, rings_[n].colour, value);
        }
      };
      if (near <= 0) {
        run(-far, far);
      } else {
        run(-far, -near);
        run(near, far);
      }
    }
  }
}

std::vector<RingRaster::Change> RingRaster::Changes(const RingValues& before,
                                                    const RingValues& after) const {
  std::vector<Change> areas;
  for (int n = 0; n < kRingCount; ++n) {
    const double old_sweep = SweepOf(before[n]), new_sweep = SweepOf(after[n]);
    if (old_sweep == new_sweep) continue;
    // Growing: the arc between the two ends. Shrinking: the whole old arc, where the
    // track shows again.
    const double from_sweep = new_sweep > old_sweep ? old_sweep : 0.0;
    const double to_sweep = std::max(old_sweep, new_sweep);
    // A long arc goes in pieces: the rectangles around its parts hold far fewer pixels
    // than one around the whole arc, which would be most of the paint box.
    const int pieces = std::max(1, static_cast<int>(std::ceil((to_sweep - from_sweep) / kPiece)));
    for (int piece = 0; piece < pieces; ++piece) {
      const double piece_from = from_sweep + (to_sweep - from_sweep) * piece / pieces;
      const double piece_to = piece + 1 == pieces
                                  ? to_sweep
                                  : from_sweep + (to_sweep - from_sweep) * (piece + 1) / pieces;
      const PixelRect area = AreaOf(n, piece_from, piece_to);
      if (!area.empty()) areas.push_back({n, piece_from, piece_to, area});
    }
  }
  return areas;
}

PixelRect RingRaster::AreaOf(int ring, double from_sweep, double to_sweep) const {
  const double from = kStartDegrees + from_sweep, to = kStartDegrees + to_sweep;
  double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
  const int steps = std::max(1, static_cast<int>(std::ceil(to - from)));
  for (int i = 0; i <= steps; ++i) {
    const double a = (from + (to - from) * i / steps) * kPi / 180.0;
    for (const double r : {rings_[ring].radius - value_half_, rings_[ring].radius + value_half_}) {
      const double x = centre_ + r * std::cos(a), y = centre_ + r * std::sin(a);
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  // Pixels within a pixel of the band or of an end change too; one more for the
  // chords between the sampled angles.
  constexpr int kRoom = 3;
  PixelRect area{static_cast<int>(std::floor(left)) - kRoom,
                 static_cast<int>(std::floor(top)) - kRoom,
                 static_cast<int>(std::ceil(right)) + kRoom + 1,
                 static_cast<int>(std::ceil(bottom)) + kRoom + 1};
  area.left = std::max(area.left, 0), area.top = std::max(area.top, 0);
  area.right = std::min(area.right, size_), area.bottom = std::min(area.bottom, size_);
  return area;
}

}  // namespace wd::saver
