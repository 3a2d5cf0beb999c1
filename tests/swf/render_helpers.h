// What the player's drawing tests read off a rendered stage: a pixel's colour, the pixels
// that disagree with a shape's rule, a movie rendered at its first frame.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "swf/player.h"

namespace wd::swf::test {

struct Colour {
  int r, g, b;
};

inline Colour colourAt(const std::vector<uint32_t>& px, int w, int x, int y) {
  uint32_t p = px[size_t(y) * w + x];
  return {int(p & 0xFF), int((p >> 8) & 0xFF), int((p >> 16) & 0xFF)};
}

inline void expectColour(const std::vector<uint32_t>& px, int w, int x, int y, Colour want,
                         int tolerance, const std::string& what) {
  Colour got = colourAt(px, w, x, y);
  EXPECT_NEAR(got.r, want.r, tolerance) << what << " at " << x << "," << y;
  EXPECT_NEAR(got.g, want.g, tolerance) << what << " at " << x << "," << y;
  EXPECT_NEAR(got.b, want.b, tolerance) << what << " at " << x << "," << y;
}

// Pixels of a w x h picture of a blue shape on white whose being painted disagrees
// with `inside(x, y)`.
template <typename Inside>
int wrongPixels(const std::vector<uint32_t>& px, int w, int h, Inside inside) {
  int wrong = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) wrong += inside(x, y) != (colourAt(px, w, x, y).r == 0);
  return wrong;
}

inline std::vector<uint32_t> renderMovie(const std::vector<uint8_t>& bytes,
                                         Quality q = Quality::Low) {
  Player p(loadMovie(bytes));
  p.advance();
  return p.renderStage({q});
}

inline constexpr Colour kWhite{255, 255, 255};

}  // namespace wd::swf::test
