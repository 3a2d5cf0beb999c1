#include "saver/resample.h"

#include <algorithm>
#include <cmath>

namespace wd::saver {
namespace {

// For each new position along one axis, the old positions it covers and how much.
struct Span {
  int first;
  std::vector<double> weights;  // sum to 1
};

std::vector<Span> Spans(int length, int new_length) {
  std::vector<Span> spans(static_cast<size_t>(new_length));
  const double step = static_cast<double>(length) / new_length;
  for (int i = 0; i < new_length; ++i) {
    const double from = i * step, to = std::min<double>((i + 1) * step, length);
    Span& span = spans[static_cast<size_t>(i)];
    span.first = static_cast<int>(std::floor(from));
    const int last = std::min(length - 1, static_cast<int>(std::ceil(to)) - 1);
    for (int p = span.first; p <= last; ++p)
      span.weights.push_back((std::min<double>(p + 1, to) - std::max<double>(p, from)) /
                             (to - from));
  }
  return spans;
}

}  // namespace

std::vector<uint32_t> ResampleArea(const uint32_t* pixels, int width, int height, int new_width,
                                   int new_height) {
  if (width <= 0 || height <= 0 || new_width <= 0 || new_height <= 0) return {};
  const std::vector<Span> columns = Spans(width, new_width), rows = Spans(height, new_height);
  // Rows first: each old row shrunk to the new width, in floating point per channel.
  std::vector<double> narrow(static_cast<size_t>(new_width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels + static_cast<size_t>(y) * width;
    for (int x = 0; x < new_width; ++x) {
      const Span& span = columns[static_cast<size_t>(x)];
      double sum[3] = {};
      for (size_t k = 0; k < span.weights.size(); ++k) {
        const uint32_t v = row[span.first + static_cast<int>(k)];
        for (int c = 0; c < 3; ++c) sum[c] += span.weights[k] * ((v >> (8 * c)) & 0xFF);
      }
      for (int c = 0; c < 3; ++c) narrow[(static_cast<size_t>(y) * new_width + x) * 3 + c] = sum[c];
    }
  }
  std::vector<uint32_t> out(static_cast<size_t>(new_width) * new_height);
  for (int y = 0; y < new_height; ++y) {
    const Span& span = rows[static_cast<size_t>(y)];
    for (int x = 0; x < new_width; ++x) {
      double sum[3] = {};
      for (size_t k = 0; k < span.weights.size(); ++k) {
        const double* v =
            &narrow[(static_cast<size_t>(span.first + static_cast<int>(k)) * new_width + x) * 3];
        for (int c = 0; c < 3; ++c) sum[c] += span.weights[k] * v[c];
      }
      uint32_t pixel = 0;
      for (int c = 0; c < 3; ++c)
        pixel |= static_cast<uint32_t>(std::clamp(std::lround(sum[c]), 0L, 255L)) << (8 * c);
      out[static_cast<size_t>(y) * new_width + x] = pixel;
    }
  }
  return out;
}

}  // namespace wd::saver
