#include "saver/resample.h"

#include <gtest/gtest.h>

#include <vector>

namespace wd::saver {
namespace {

TEST(ResampleArea, AveragesWhatEachNewPixelCovers) {
  struct Case {
    std::vector<uint32_t> pixels;
    int width, height, new_width, new_height;
    std::vector<uint32_t> expected;
  };
  const std::vector<Case> cases{
      // Halving: each 2 x 2 block becomes its mean.
      {{0x000000, 0x0000FF, 0xFF0000, 0x00FF00}, 2, 2, 1, 1, {0x404040}},
      // 3 to 2: the middle pixel is shared half and half.
      {{0x000000, 0x0000FF, 0x0000FF}, 3, 1, 2, 1, {0x000055, 0x0000FF}},
      // One colour stays that colour at any size.
      {std::vector<uint32_t>(12, 0x2D4500), 4, 3, 3, 2, std::vector<uint32_t>(6, 0x2D4500)},
      // The same size is the same picture.
      {{1, 2, 3, 4}, 2, 2, 2, 2, {1, 2, 3, 4}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ResampleArea(c.pixels.data(), c.width, c.height, c.new_width, c.new_height),
              c.expected)
        << c.width << "x" << c.height << " to " << c.new_width << "x" << c.new_height;
  EXPECT_TRUE(ResampleArea(nullptr, 0, 0, 1, 1).empty());
}

TEST(ResampleArea, ASharpEdgeStaysWithinOnePixel) {
  // A white-on-black edge at x = 30 of 60, brought to 50: one pixel between the two.
  std::vector<uint32_t> pixels(60 * 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 30; x < 60; ++x) pixels[y * 60 + x] = 0xFFFFFF;
  const auto out = ResampleArea(pixels.data(), 60, 4, 50, 4);
  int between = 0;
  for (int x = 0; x < 50; ++x) between += out[x] != 0 && out[x] != 0xFFFFFF;
  EXPECT_LE(between, 1);
  EXPECT_EQ(out[0], 0u);
  EXPECT_EQ(out[49], 0xFFFFFFu);
}

}  // namespace
}  // namespace wd::saver
