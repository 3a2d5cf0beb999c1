// The codes of the SWF tags the player reads.
#pragma once

#include <cstdint>

namespace wd::swf {

enum Tag : uint16_t {
  kEnd = 0,
  kShowFrame = 1,
  kDefineShape = 2,
  kPlaceObject = 4,
  kRemoveObject = 5,
  kDefineBits = 6,
  kJpegTables = 8,
  kSetBackgroundColor = 9,
  kDefineBitsLossless = 20,
  kDefineBitsJpeg2 = 21,
  kDefineShape2 = 22,
  kPlaceObject2 = 26,
  kRemoveObject2 = 28,
  kDefineShape3 = 32,
  kDefineBitsJpeg3 = 35,
  kDefineBitsLossless2 = 36,
  kDefineSprite = 39,
  kFrameLabel = 43,
  kFileAttributes = 69,
  kPlaceObject3 = 70,
  kDefineShape4 = 83,
  kDefineBitsJpeg4 = 90,
};

}  // namespace wd::swf
