// Scan conversion of polygons (device pixels) into per-row coverage, with the even-odd
// or non-zero rule, anti-aliased (4 x 4 samples per pixel) or aliased (pixel centres).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace wd::swf {

enum class FillRule { EvenOdd, NonZero };

// Work allowance of one rendered frame; once spent, drawing stops, so a hostile movie
// cannot hold the caller for long.
struct WorkBudget {
  uint64_t limit = 20'000'000;
  uint64_t used = 0;
  bool exhausted() const { return used > limit; }
  bool spend(uint64_t n) {
    used += n;
    return used <= limit;
  }
};

// Receives the coverage of one row: cov[i] (0..255) for pixel x0 + i, i < count.
class CoverageSink {
 public:
  virtual ~CoverageSink() = default;
  virtual void row(int y, int x0, int count, const uint8_t* cov) = 0;
};

class Rasterizer {
 public:
  void reset(int width, int height, bool antialias);
  void addLine(double x0, double y0, double x1, double y1);
  bool empty() const { return edges_.empty(); }
  void fill(FillRule rule, CoverageSink& sink, WorkBudget& budget);

 private:
  struct Edge {
    float x0, y0, x1, y1, slope;  // y0 < y1
    int dir;
  };
  struct Crossing {
    float x;
    int dir;
  };
  // A line already cut to the surface and its margin.
  void addEdge(double x0, double y0, double x1, double y1);
  void spanAA(float xa, float xb);
  void clearRow();

  int width_ = 0, height_ = 0;
  bool aa_ = true;
  float ymin_ = 0, ymax_ = 0;
  std::vector<Edge> edges_;
  std::vector<Crossing> crossings_;
  std::vector<int> active_;
  std::vector<int> acc_, delta_;
  std::vector<uint8_t> cov_;
  int touchedMin_ = 0, touchedMax_ = -1;
};

}  // namespace wd::swf
