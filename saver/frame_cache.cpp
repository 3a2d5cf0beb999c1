#include "saver/frame_cache.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <map>
#include <tuple>
#include <variant>

#include "swf/player.h"

namespace wd::saver {

void ToDibOrder(uint32_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t v = pixels[i];
    pixels[i] = (v & 0x0000ff00u) | ((v & 0xffu) << 16) | ((v >> 16) & 0xffu);
  }
}

bool LoopsAlike(const swf::Movie& movie) {
  for (const auto& frame : movie.timeline().frames)
    for (const swf::ControlOp& op : frame)
      if (const auto* place = std::get_if<swf::PlaceOp>(&op); place && place->characterId)
        if (const swf::Character* c = movie.character(*place->characterId);
            c && std::holds_alternative<swf::Sprite>(*c))
          return false;
  return true;
}

RECT DifferingArea(const uint32_t* a, const uint32_t* b, int width, int height) {
  RECT area{width, height, 0, 0};
  const size_t row_bytes = static_cast<size_t>(width) * sizeof(uint32_t);
  for (int y = 0; y < height; ++y) {
    const size_t start = static_cast<size_t>(y) * static_cast<size_t>(width);
    if (std::memcmp(a + start, b + start, row_bytes) == 0) continue;
    int left = 0, right = width;
    while (a[start + left] == b[start + left]) ++left;
    while (a[start + right - 1] == b[start + right - 1]) --right;
    area.left = std::min<LONG>(area.left, left);
    area.right = std::max<LONG>(area.right, right);
    area.top = std::min<LONG>(area.top, y);
    area.bottom = y + 1;
  }
  return area.left < area.right ? area : RECT{0, 0, 0, 0};
}

FrameCache::FrameCache(int width, int height, size_t frames) {
  const size_t picture = static_cast<size_t>(std::max(width, 0)) * std::max(height, 0);
  if (picture == 0 || frames == 0 || frames > kMaxBytes / 4 / picture) return;
  try {
    surface_ = win::DibSurface(width, height * static_cast<int>(frames));
  } catch (const std::exception&) {
    return;  // no room: every frame is drawn
  }
  width_ = width;
  height_ = height;
  pixels_ = picture;
  kept_.assign(frames, false);
  alike_.resize(frames);
  changes_.assign(frames, std::nullopt);
}

std::shared_ptr<FrameCache> FrameCache::Shared(const std::wstring& key, int width, int height,
                                               size_t frames) {
  using Size = std::tuple<std::wstring, int, int, size_t>;
  static std::map<Size, std::weak_ptr<FrameCache>> caches;
  std::erase_if(caches, [](const auto& entry) { return entry.second.expired(); });
  std::weak_ptr<FrameCache>& entry = caches[Size{key, width, height, frames}];
  if (auto cache = entry.lock()) return cache;
  auto cache = std::make_shared<FrameCache>(width, height, frames);
  if (!*cache) return nullptr;
  entry = cache;
  return cache;
}

void FrameCache::Keep(size_t frame) {
  const uint32_t* pixels = slot(frame);
  if (!kept_[frame]) ++kept_count_;
  kept_[frame] = true;
  const bool like_previous = frame > 0 && kept_[frame - 1] &&
                             std::memcmp(pixels - pixels_, pixels, pixels_ * sizeof(uint32_t)) == 0;
  alike_[frame] = like_previous ? alike_[frame - 1] : static_cast<int>(frame);
  NoteChanges(frame);
}

void FrameCache::NoteChanges(size_t frame) {
  const size_t frames = kept_.size();
  const size_t before = (frame + frames - 1) % frames, after = (frame + 1) % frames;
  if (kept_[before]) changes_[frame] = DifferingArea(slot(before), slot(frame), width_, height_);
  if (kept_[after]) changes_[after] = DifferingArea(slot(frame), slot(after), width_, height_);
}

void FrameCache::Put(HDC dc, size_t frame, const RECT* part) const {
  const RECT area = part ? *part : RECT{0, 0, width_, height_};
  if (area.right > area.left && area.bottom > area.top)
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, surface_.dc(),
             area.left, static_cast<int>(frame) * height_ + area.top, SRCCOPY);
}

}  // namespace wd::saver
