// The movie control's kept pictures: every frame of one loop of a movie whose loops look
// alike, one below the other in one DIB of 24 bits a pixel (the movie is opaque: a
// fourth byte would only take room), kept as each frame is first drawn, so that from
// the second loop on a frame costs a copy rather than a drawing. For each kept frame it knows which
// earlier frame looks the same (a frame like the one on the screen costs nothing) and where its
// picture differs from the frame before it (only that part need go to the screen).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dib.h"

namespace wd::swf {
class Movie;
}  // namespace wd::swf

namespace wd::saver {

// Player pixels (r | g << 8 | b << 16 | a << 24) into DIB pixels (b | g << 8 | r << 16),
// dropping the alpha byte: the movie's background is opaque.
void ToDibOrder(uint32_t* pixels, size_t count);

// Whether every loop of `movie` shows the same picture at a frame of its timeline:
// true when nothing but the main timeline moves (no sprites).
bool LoopsAlike(const swf::Movie& movie);

// The smallest rectangle that holds every pixel where two pictures of width x height
// (rows of `width` pixels) differ; empty where they are equal.
RECT DifferingArea(const uint32_t* a, const uint32_t* b, int width, int height);

class FrameCache {
 public:
  // Pictures of one loop are kept when they take no more than this: the earth's 120
  // frames take 13.9 MB at 170 x 170 (55.5 MB at 340 x 340, for a 192 DPI screen, where
  // the control keeps them at the movie's own size and shows them enlarged).
  static constexpr size_t kMaxBytes = 16u << 20;
  // Whether `frames` pictures of width x height take no more than kMaxBytes.
  static bool Fits(int width, int height, size_t frames);
  // The size a loop of `frames` frames is drawn and kept at on a control of width x
  // height showing a stage of stage_width x stage_height: the control's when it fits,
  // else the stage's own (the control's over the scale the player fits the stage
  // with) when that is smaller.
  static SIZE KeptSize(int width, int height, int stage_width, int stage_height, int frames);

  FrameCache() = default;
  // Room for `frames` pictures of width x height, none kept yet; no room at all (an
  // empty cache) when they would take more than kMaxBytes or the system has none.
  FrameCache(int width, int height, size_t frames);
  FrameCache(FrameCache&&) = default;
  FrameCache& operator=(FrameCache&&) = default;

  explicit operator bool() const { return !kept_.empty(); }
  size_t frames() const { return kept_.size(); }
  bool kept(size_t frame) const { return frame < kept_.size() && kept_[frame]; }
  bool all_kept() const { return !kept_.empty() && kept_count_ == kept_.size(); }

  // Copies the kept picture of `frame` (0-based) into `to`, width x height DIB pixels.
  void Get(size_t frame, uint32_t* to) const;
  // One cache for every control that shows the movie `key` (its file and how it is
  // drawn) at width x height: the first asks for it, the others share it, and it goes
  // when the last of them lets it go. Empty when the loop is too big to keep.
  static std::shared_ptr<FrameCache> Shared(const std::wstring& key, int width, int height,
                                            size_t frames);
  // Keeps `pixels`, width x height DIB pixels, as the picture of `frame`.
  void Keep(size_t frame, const uint32_t* pixels);

  // The first frame of the run of equal pictures that `frame` belongs to; -1 when it is
  // not kept. Two frames with the same number look the same.
  int PictureOf(size_t frame) const { return kept(frame) ? alike_[frame] : -1; }
  // Where `frame`'s picture differs from the picture of the frame before it (the last
  // one's, for the first), once both are kept; an empty rectangle where they are equal.
  const std::optional<RECT>& ChangeAt(size_t frame) const { return changes_[frame]; }
  // Copies the kept picture of `frame` onto `dc` at (0, 0), only inside `part` when one
  // is given.
  void Put(HDC dc, size_t frame, const RECT* part = nullptr) const;

 private:
  // Notes where the kept picture of `frame` differs from its kept neighbours'.
  void NoteChanges(size_t frame);
  // The bytes of `frame`'s picture: height_ rows of surface_.stride() bytes.
  uint8_t* Picture(size_t frame) const {
    return surface_.bytes() + frame * static_cast<size_t>(height_) * surface_.stride();
  }

  int width_ = 0, height_ = 0;
  win::DibSurface surface_;
  std::vector<bool> kept_;
  size_t kept_count_ = 0;
  std::vector<int> alike_;
  std::vector<std::optional<RECT>> changes_;
};

}  // namespace wd::saver
