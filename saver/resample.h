// A picture brought to another size by area averaging: each new pixel is the mean of
// the old pixels it covers, weighted by how much of each it covers. For shrinking a
// picture drawn larger (the background for a scale between the ones it is drawn at),
// this keeps edges as sharp as the new size allows, without the moire of sampling.
// Portable; pixels are 0x00RRGGBB, rows top to bottom.
#pragma once

#include <cstdint>
#include <vector>

namespace wd::saver {

std::vector<uint32_t> ResampleArea(const uint32_t* pixels, int width, int height, int new_width,
                                   int new_height);

}  // namespace wd::saver
