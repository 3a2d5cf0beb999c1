// A picture brought to another size by area averaging: each new pixel is the mean of
// the old pixels it covers, weighted by how much of each it covers. For shrinking a
// picture drawn larger (the background for a scale between the ones it is drawn at),
// this keeps edges as sharp as the new size allows, without the moire of sampling.
// Portable; pixels are 0x00RRGGBB, rows top to bottom.
#pragma once

#include <cstdint>
#include <vector>

namespace wd::saver {

// A rectangle of whole pixels; right and bottom exclusive.
struct Area {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// A picture of width x height brought to a larger new_width x new_height by bilinear
// interpolation between the centres of its pixels (the edges repeat the outer pixels),
// as a movie drawn at its own size is shown on a larger control. Writes only the new
// pixels inside `part`, rows of `new_width` pixels in `out`.
void EnlargeBilinear(const uint32_t* pixels, int width, int height, uint32_t* out, int new_width,
                     int new_height, const Area& part);
// The pixels of the enlarged picture that a change of `area` of the original reaches.
Area EnlargedArea(const Area& area, int width, int height, int new_width, int new_height);

std::vector<uint32_t> ResampleArea(const uint32_t* pixels, int width, int height, int new_width,
                                   int new_height);

}  // namespace wd::saver
