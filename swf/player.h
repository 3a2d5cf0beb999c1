// Plays a loaded movie: runs its timelines frame by frame (looping, with sprites on
// their own timelines) and draws the display list into an RGBA buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/movie.h"
#include "swf/raster.h"

namespace wd::swf {

enum class Quality { Low, High };  // Low draws without anti-aliasing

struct RenderOptions {
  Quality quality = Quality::High;
  // Work allowance of one frame (about one unit per edge crossing and pixel written).
  uint64_t workLimit = 20'000'000;
};

struct TimelineState;

class Player {
 public:
  explicit Player(std::shared_ptr<const Movie> movie);
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  const Movie& movie() const { return *movie_; }
  // Runs the next frame: the first call runs frame 1; after the last frame the movie
  // starts over.
  void advance();
  // 1-based number of the frame shown, 0 before the first advance.
  int currentFrame() const;

  // Draws the current frame into width x height pixels, each r | g << 8 | b << 16 |
  // a << 24 (premultiplied; opaque wherever the background is). The stage, its whole
  // pixels of 20 twips, is scaled uniformly to fit and centred (ShowAll), the background
  // colour around it.
  // Returns false when the frame ran out of work allowance and is incomplete.
  bool render(uint32_t* pixels, int width, int height, const RenderOptions& options = {});
  // Draws at the stage's own size (one pixel per 20 twips).
  std::vector<uint32_t> renderStage(const RenderOptions& options = {});

 private:
  std::shared_ptr<const Movie> movie_;
  std::unique_ptr<TimelineState> root_;
};

}  // namespace wd::swf
