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

namespace {

// Where new pixel i's centre falls between old pixels first and first + 1: the second's
// weight in 256ths.
struct Tap {
  int first, second;
  uint32_t weight;
};

Tap TapAt(int i, int length, int new_length) {
  const double at = (i + 0.5) * length / new_length - 0.5;
  const int first = std::clamp(static_cast<int>(std::floor(at)), 0, length - 1);
  const int second = std::min(first + 1, length - 1);
  const double weight = std::clamp(at - first, 0.0, 1.0);
  return Tap{first, second, static_cast<uint32_t>(std::lround(weight * 256))};
}

// a + (b - a) * w / 256 for each byte of two 0x00RRGGBB pixels, the colour bytes two by two.
uint32_t Mix(uint32_t a, uint32_t b, uint32_t w) {
  const uint32_t rb = (((a & 0xFF00FF) * (256 - w) + (b & 0xFF00FF) * w) >> 8) & 0xFF00FF;
  const uint32_t g = (((a & 0x00FF00) * (256 - w) + (b & 0x00FF00) * w) >> 8) & 0x00FF00;
  return rb | g;
}

}  // namespace

void EnlargeBilinear(const uint32_t* pixels, int width, int height, uint32_t* out, int new_width,
                     int new_height, const Area& part) {
  const int left = std::max(part.left, 0), right = std::min(part.right, new_width);
  const int top = std::max(part.top, 0), bottom = std::min(part.bottom, new_height);
  if (left >= right || top >= bottom || width <= 0 || height <= 0) return;
  std::vector<Tap> columns(static_cast<size_t>(right - left));
  for (int x = left; x < right; ++x)
    columns[static_cast<size_t>(x - left)] = TapAt(x, width, new_width);
  // Each new row mixes its two old rows first, only the columns it reads, then along.
  const int first = columns.front().first, last = columns.back().second;
  std::vector<uint32_t> mixed(static_cast<size_t>(width));
  for (int y = top; y < bottom; ++y) {
    const Tap row = TapAt(y, height, new_height);
    const uint32_t* upper = pixels + static_cast<size_t>(row.first) * width;
    const uint32_t* lower = pixels + static_cast<size_t>(row.second) * width;
    const uint32_t* from = upper;
    if (row.weight > 0) {
      for (int x = first; x <= last; ++x)
        mixed[static_cast<size_t>(x)] = Mix(upper[x], lower[x], row.weight);
      from = mixed.data();
    }
    uint32_t* to = out + static_cast<size_t>(y) * new_width;
    for (int x = left; x < right; ++x) {
      const Tap& c = columns[static_cast<size_t>(x - left)];
      to[x] = Mix(from[c.first], from[c.second], c.weight);
    }
  }
}

Area EnlargedArea(const Area& area, int width, int height, int new_width, int new_height) {
  if (area.left >= area.right || area.top >= area.bottom) return Area{};
  // A new pixel reads the old pixels either side of its centre: those within one old
  // pixel of the area.
  const auto from = [](int old, int length, int new_length) {
    return std::max(0, static_cast<int>(std::floor((old - 1.0) * new_length / length)));
  };
  const auto to = [](int old, int length, int new_length) {
    return std::min(new_length, static_cast<int>(std::ceil((old + 1.0) * new_length / length)));
  };
  return Area{from(area.left, width, new_width), from(area.top, height, new_height),
              to(area.right, width, new_width), to(area.bottom, height, new_height)};
}

}  // namespace wd::saver
