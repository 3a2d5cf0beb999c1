#include "saver/jpeg_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/common/jpeg_encoder.h"

namespace wd::saver {
namespace {

using wd::test::EncodeJpeg;

void ExpectNear(const BgraImage& image, int x, int y, int r, int g, int b) {
  constexpr int kTolerance = 6;
  EXPECT_NEAR(image.red(x, y), r, kTolerance) << "at " << x << "," << y;
  EXPECT_NEAR(image.green(x, y), g, kTolerance) << "at " << x << "," << y;
  EXPECT_NEAR(image.blue(x, y), b, kTolerance) << "at " << x << "," << y;
}

TEST(DecodeJpeg, GivesBgraRowsFromTheTop) {
  // 32 x 16: left half orange, right half dark green; bottom row block grey.
  const int w = 32, h = 16;
  std::vector<std::uint8_t> rgb;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (y >= 8) {
        rgb.insert(rgb.end(), {128, 128, 128});
      } else if (x < 16) {
        rgb.insert(rgb.end(), {235, 97, 0});
      } else {
        rgb.insert(rgb.end(), {45, 69, 0});
      }
    }
  }
  const BgraImage image = DecodeJpeg(EncodeJpeg(w, h, 3, rgb));
  ASSERT_EQ(image.width, w);
  ASSERT_EQ(image.height, h);
  ASSERT_EQ(image.pixels.size(), std::size_t{w * h * 4});
  ExpectNear(image, 4, 3, 235, 97, 0);
  ExpectNear(image, 27, 3, 45, 69, 0);
  ExpectNear(image, 10, 13, 128, 128, 128);
  EXPECT_EQ(image.pixels[3], 255);                      // opaque
  EXPECT_EQ(image.pixels[4 * 4 + 2], image.red(4, 0));  // byte order B, G, R, A
}

TEST(DecodeJpeg, ExpandsGreyscale) {
  const std::vector<std::uint8_t> grey(8 * 8, 200);
  const BgraImage image = DecodeJpeg(EncodeJpeg(8, 8, 1, grey));
  ASSERT_EQ(image.width, 8);
  ExpectNear(image, 5, 5, 200, 200, 200);
}

TEST(DecodeJpeg, RejectsWhatIsNoJpeg) {
  EXPECT_THROW(DecodeJpeg({}), JpegError);
  const std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  try {
    DecodeJpeg(png);
    FAIL() << "no error";
  } catch (const JpegError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("JPEG error #", 0), 0u) << e.what();
    EXPECT_STREQ(e.kind(), "EJPEG");
  }
  // A start-of-image marker and nothing more: the header is missing.
  const std::vector<std::uint8_t> cut{0xFF, 0xD8};
  EXPECT_THROW(DecodeJpeg(cut), Error);
}

TEST(DecodeJpeg, ReadsTheStoredBackgroundPicture) {
  const char* root = std::getenv("WD_SOURCE_DIR");
  ASSERT_NE(root, nullptr);
  std::ifstream file(std::string(root) + "/resources/background.jpg", std::ios::binary);
  ASSERT_TRUE(file) << "resources/background.jpg missing";
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                        std::istreambuf_iterator<char>()};
  const BgraImage image = DecodeJpeg(bytes);
  EXPECT_EQ(image.width, 1024);
  EXPECT_EQ(image.height, 719);
  // Right edge and bottom edge continue the window colour without a seam.
  ExpectNear(image, 1020, 360, 45, 69, 0);
  ExpectNear(image, 1000, 715, 45, 69, 0);
  ExpectNear(image, 512, 716, 45, 69, 0);
}

}  // namespace
}  // namespace wd::saver
