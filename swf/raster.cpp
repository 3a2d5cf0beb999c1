#include "swf/raster.h"

#include <algorithm>
#include <cmath>

namespace wd::swf {

namespace {
constexpr int kSubRows = 4;
constexpr int kSubCols = 4;
constexpr double kCoordLimit = 1e15;  // pixels; farther points are clamped
constexpr double kSubpixel = 256;     // steps per pixel of edge end points
}  // namespace

void Rasterizer::reset(int width, int height, bool antialias) {
  width_ = std::max(0, width);
  height_ = std::max(0, height);
  aa_ = antialias;
  edges_.clear();
  ymin_ = 1e30f;
  ymax_ = -1e30f;
  if (acc_.size() < static_cast<size_t>(width_) + 2) {
    acc_.assign(width_ + 2, 0);
    delta_.assign(width_ + 2, 0);
    cov_.assign(width_ + 2, 0);
  }
}

void Rasterizer::addLine(double x0, double y0, double x1, double y1) {
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  x0 = std::clamp(x0, -kCoordLimit, kCoordLimit);
  x1 = std::clamp(x1, -kCoordLimit, kCoordLimit);
  y0 = std::clamp(y0, -kCoordLimit, kCoordLimit);
  y1 = std::clamp(y1, -kCoordLimit, kCoordLimit);
  // End points of edges are held in 1/256 pixel, as the reference pictures show: a pixel
  // centre within a hair's breadth of an edge falls on the side the rounded points put it.
  auto grid = [](double v) { return std::round(v * kSubpixel) / kSubpixel; };
  x0 = grid(x0);
  y0 = grid(y0);
  x1 = grid(x1);
  y1 = grid(y1);
  if (y0 == y1) return;
  // Only the rows of the surface are sampled: cut the line to them (a pixel of margin).
  const double top = -1, bottom = height_ + 1.0;
  if ((y0 < top && y1 < top) || (y0 > bottom && y1 > bottom)) return;
  auto cutY = [&](double& x, double& y) {
    double edge = y < top ? top : y > bottom ? bottom : y;
    if (edge == y) return;
    x = x0 + (x1 - x0) * ((edge - y0) / (y1 - y0));
    y = edge;
  };
  double ax = x0, ay = y0, bx = x1, by = y1;
  cutY(ax, ay);
  cutY(bx, by);
  // Left and right of the surface only the winding matters: the parts of the line out
  // there become vertical lines on the margin, which keeps every sampled crossing
  // exact however far a strongly scaled shape reaches (clamping the end points would
  // tilt the line across the picture).
  const double left = -1, right = width_ + 1.0;
  double cuts[4] = {0, 0, 0, 0};
  int n = 1;
  for (double edge : {left, right}) {
    if ((ax - edge) * (bx - edge) < 0) cuts[n++] = (edge - ax) / (bx - ax);
  }
  if (n == 3 && cuts[2] < cuts[1]) std::swap(cuts[1], cuts[2]);
  cuts[n++] = 1;
  for (int i = 0; i + 1 < n; ++i) {
    double ta = cuts[i], tb = cuts[i + 1];
    double pxa = ta == 0 ? ax : ax + (bx - ax) * ta, pya = ta == 0 ? ay : ay + (by - ay) * ta;
    double pxb = tb == 1 ? bx : ax + (bx - ax) * tb, pyb = tb == 1 ? by : ay + (by - ay) * tb;
    addEdge(std::clamp(pxa, left, right), pya, std::clamp(pxb, left, right), pyb);
  }
}

void Rasterizer::addEdge(double x0, double y0, double x1, double y1) {
  if (y0 == y1) return;
  int dir = 1;
  if (y0 > y1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
    dir = -1;
  }
  if (y1 <= 0 || y0 >= height_) return;
  Edge e;
  e.x0 = static_cast<float>(x0);
  e.y0 = static_cast<float>(y0);
  e.x1 = static_cast<float>(x1);
  e.y1 = static_cast<float>(y1);
  e.slope = static_cast<float>((x1 - x0) / (y1 - y0));
  e.dir = dir;
  edges_.push_back(e);
  ymin_ = std::min(ymin_, e.y0);
  ymax_ = std::max(ymax_, e.y1);
}

// Adds the samples of [xa, xb) on one sub-row: four per pixel, at quarter-pixel centres,
// the way Flash Player's 4x4 anti-aliasing counts them.
void Rasterizer::spanAA(float xa, float xb) {
  int qa = std::max(0, static_cast<int>(std::ceil(xa * kSubCols - 0.5f)));
  int qb = std::min(width_ * kSubCols, static_cast<int>(std::ceil(xb * kSubCols - 0.5f)));
  if (qb <= qa) return;
  int ia = qa / kSubCols, ib = (qb - 1) / kSubCols;
  touchedMin_ = std::min(touchedMin_, ia);
  touchedMax_ = std::max(touchedMax_, ib);
  if (ia == ib) {
    acc_[ia] += qb - qa;
    return;
  }
  acc_[ia] += (ia + 1) * kSubCols - qa;
  delta_[ia + 1] += kSubCols;
  delta_[ib] -= kSubCols;
  acc_[ib] += qb - ib * kSubCols;
}

void Rasterizer::clearRow() {
  std::fill(acc_.begin(), acc_.end(), 0);
  std::fill(delta_.begin(), delta_.end(), 0);
}

void Rasterizer::fill(FillRule rule, CoverageSink& sink, WorkBudget& budget) {
  if (edges_.empty() || width_ == 0 || height_ == 0) return;
  if (!budget.spend(edges_.size() * 4)) return;
  std::sort(edges_.begin(), edges_.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
  int rowBegin = std::max(0, static_cast<int>(std::floor(ymin_)));
  int rowEnd = std::min(height_, static_cast<int>(std::ceil(ymax_)) + 1);
  size_t nextEdge = 0;
  active_.clear();
  const int subRows = aa_ ? kSubRows : 1;
  // Samples per pixel: coverage is count * 255 / samples.
  const int samples = aa_ ? kSubRows * kSubCols : 1;
  for (int y = rowBegin; y < rowEnd; ++y) {
    touchedMin_ = width_;
    touchedMax_ = -1;
    for (int s = 0; s < subRows; ++s) {
      float sy = y + (s + 0.5f) / subRows;
      while (nextEdge < edges_.size() && edges_[nextEdge].y0 <= sy)
        active_.push_back(static_cast<int>(nextEdge++));
      crossings_.clear();
      size_t keep = 0;
      for (size_t i = 0; i < active_.size(); ++i) {
        const Edge& e = edges_[active_[i]];
        if (e.y1 <= sy) continue;  // finished: drop from the active list
        active_[keep++] = active_[i];
        if (e.y0 > sy) continue;
        crossings_.push_back({e.x0 + (sy - e.y0) * e.slope, e.dir});
      }
      active_.resize(keep);
      if (crossings_.size() < 2) continue;
      if (!budget.spend(crossings_.size() + 1)) return clearRow();
      std::sort(crossings_.begin(), crossings_.end(),
                [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
      int winding = 0;
      for (size_t i = 0; i + 1 < crossings_.size(); ++i) {
        winding += crossings_[i].dir;
        bool inside = rule == FillRule::NonZero ? winding != 0 : (i & 1) == 0;
        if (!inside) continue;
        float xa = crossings_[i].x, xb = crossings_[i + 1].x;
        if (xb <= xa) continue;
        if (aa_) {
          spanAA(xa, xb);
        } else {
          // Pixels whose centres lie in [xa, xb).
          int pa = std::max(0, static_cast<int>(std::ceil(xa - 0.5f)));
          int pb = std::min(width_, static_cast<int>(std::ceil(xb - 0.5f)));
          if (pb <= pa) continue;
          touchedMin_ = std::min(touchedMin_, pa);
          touchedMax_ = std::max(touchedMax_, pb - 1);
          delta_[pa] += 1;
          delta_[pb] -= 1;
        }
      }
    }
    if (touchedMax_ < touchedMin_) continue;
    // Resolve the row: running sum of deltas plus the partial coverage.
    int run = 0;
    int first = touchedMin_, last = touchedMax_;
    for (int x = first; x <= last; ++x) {
      run += delta_[x];
      int c = run + acc_[x];
      cov_[x - first] = static_cast<uint8_t>(std::clamp((c * 255 + samples / 2) / samples, 0, 255));
      delta_[x] = 0;
      acc_[x] = 0;
    }
    delta_[last + 1] = 0;
    acc_[last + 1] = 0;
    if (!budget.spend(static_cast<uint64_t>(last - first + 1))) return clearRow();
    sink.row(y, first, last - first + 1, cov_.data());
  }
}

}  // namespace wd::swf
