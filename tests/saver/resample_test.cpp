#include "saver/resample.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace wd::saver {
namespace {

// A picture, the size it is brought to, and the picture that gives.
struct Resizing {
  std::vector<uint32_t> pixels;
  int width, height, new_width, new_height;
  std::vector<uint32_t> expected;
};

TEST(ResampleArea, AveragesWhatEachNewPixelCovers) {
  const std::vector<Resizing> cases{
      // Halving: each 2 x 2 block becomes its mean.
      {{0x000000, 0x0000FF, 0xFF0000, 0x00FF00}, 2, 2, 1, 1, {0x404040}},
      // 3 to 2: the middle pixel is shared half and half.
      {{0x000000, 0x0000FF, 0x0000FF}, 3, 1, 2, 1, {0x000055, 0x0000FF}},
      // One colour stays that colour at any size.
      {std::vector<uint32_t>(12, 0x2D4500), 4, 3, 3, 2, std::vector<uint32_t>(6, 0x2D4500)},
      // The same size is the same picture.
      {{1, 2, 3, 4}, 2, 2, 2, 2, {1, 2, 3, 4}},
  };
  for (const Resizing& c : cases)
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

TEST(EnlargeBilinear, MixesTheTwoNearestPixelCentresAndRepeatsTheEdges) {
  const std::vector<Resizing> cases{
      // Doubled: new centres fall a quarter of the way between old ones.
      {{0x000000, 0xFFFFFF}, 2, 1, 4, 1, {0x000000, 0x3F3F3F, 0xBFBFBF, 0xFFFFFF}},
      {{0x0000FF, 0xFF0000}, 1, 2, 1, 4, {0x0000FF, 0x3F00BF, 0xBF003F, 0xFF0000}},
      // One colour stays that colour at any size; the same size is the same picture.
      {std::vector<uint32_t>(6, 0x2D4500), 3, 2, 7, 5, std::vector<uint32_t>(35, 0x2D4500)},
      {{1, 2, 3, 4}, 2, 2, 2, 2, {1, 2, 3, 4}},
  };
  for (const Resizing& c : cases) {
    std::vector<uint32_t> out(c.expected.size(), 0xDEAD);
    EnlargeBilinear(c.pixels.data(), c.width, c.height, out.data(), c.new_width, c.new_height,
                    Area{0, 0, c.new_width, c.new_height});
    EXPECT_EQ(out, c.expected) << c.width << "x" << c.height << " to " << c.new_width << "x"
                               << c.new_height;
  }
}

TEST(EnlargeBilinear, AChangedAreaReachesNoFurtherThanItsEnlargedArea) {
  // Two pictures that differ inside one area: enlarged, they differ only inside the
  // enlarged area, and redrawing only that part over the first gives the second.
  std::mt19937 random(7);
  struct Case {
    int width, height, new_width, new_height;
    Area change;
  };
  for (const Case& c :
       {Case{170, 170, 340, 340, {40, 50, 41, 51}}, Case{170, 170, 255, 255, {0, 0, 30, 170}},
        Case{7, 5, 13, 11, {6, 4, 7, 5}}, Case{9, 9, 20, 10, {3, 2, 6, 8}}}) {
    std::vector<uint32_t> before(static_cast<size_t>(c.width) * c.height);
    for (uint32_t& p : before) p = random() & 0xFFFFFF;
    std::vector<uint32_t> after = before;
    for (int y = c.change.top; y < c.change.bottom; ++y)
      for (int x = c.change.left; x < c.change.right; ++x)
        after[static_cast<size_t>(y) * c.width + x] ^= 0x808080;
    const Area all{0, 0, c.new_width, c.new_height};
    const auto enlarge = [&](const std::vector<uint32_t>& pixels) {
      std::vector<uint32_t> out(static_cast<size_t>(c.new_width) * c.new_height);
      EnlargeBilinear(pixels.data(), c.width, c.height, out.data(), c.new_width, c.new_height, all);
      return out;
    };
    std::vector<uint32_t> partly = enlarge(before);
    EnlargeBilinear(after.data(), c.width, c.height, partly.data(), c.new_width, c.new_height,
                    EnlargedArea(c.change, c.width, c.height, c.new_width, c.new_height));
    EXPECT_EQ(partly, enlarge(after)) << c.width << "x" << c.height << " to " << c.new_width;
  }
}

}  // namespace
}  // namespace wd::saver
