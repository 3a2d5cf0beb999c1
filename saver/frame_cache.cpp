#include "saver/frame_cache.h"

#include <algorithm>
#include <cmath>
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

namespace {

// Where two pictures of width x height differ, each row `stride` bytes with
// `pixel_bytes` bytes a pixel first.
RECT DifferingBytes(const uint8_t* a, const uint8_t* b, int width, int height, size_t stride,
                    int pixel_bytes) {
  RECT area{width, height, 0, 0};
  const size_t row_bytes = static_cast<size_t>(width) * static_cast<size_t>(pixel_bytes);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row_a = a + static_cast<size_t>(y) * stride;
    const uint8_t* row_b = b + static_cast<size_t>(y) * stride;
    if (std::memcmp(row_a, row_b, row_bytes) == 0) continue;
    size_t left = 0, right = row_bytes;
    while (row_a[left] == row_b[left]) ++left;
    while (row_a[right - 1] == row_b[right - 1]) --right;
    area.left = std::min<LONG>(area.left, static_cast<LONG>(left / pixel_bytes));
    area.right = std::max<LONG>(area.right, static_cast<LONG>((right - 1) / pixel_bytes + 1));
    area.top = std::min<LONG>(area.top, y);
    area.bottom = y + 1;
  }
  return area.left < area.right ? area : RECT{0, 0, 0, 0};
}

}  // namespace

RECT DifferingArea(const uint32_t* a, const uint32_t* b, int width, int height) {
  return DifferingBytes(reinterpret_cast<const uint8_t*>(a), reinterpret_cast<const uint8_t*>(b),
                        width, height, static_cast<size_t>(std::max(width, 0)) * 4, 4);
}

bool FrameCache::Fits(int width, int height, size_t frames) {
  if (width <= 0 || height <= 0 || frames == 0) return false;
  // Rows of three bytes a pixel, padded to whole four-byte words.
  const size_t picture = (static_cast<size_t>(width) * 3 + 3) / 4 * 4 * static_cast<size_t>(height);
  return frames <= kMaxBytes / picture;
}

SIZE FrameCache::KeptSize(int width, int height, int stage_width, int stage_height, int frames) {
  if (Fits(width, height, static_cast<size_t>(std::max(frames, 0)))) return SIZE{width, height};
  const double scale = std::min(static_cast<double>(width) / std::max(stage_width, 1),
                                static_cast<double>(height) / std::max(stage_height, 1));
  if (scale <= 1) return SIZE{width, height};
  return SIZE{std::max(1, static_cast<int>(std::lround(width / scale))),
              std::max(1, static_cast<int>(std::lround(height / scale)))};
}

FrameCache::FrameCache(int width, int height, size_t frames) {
  if (!Fits(width, height, frames)) return;
  try {
    surface_ = win::DibSurface(width, height * static_cast<int>(frames), 24);
  } catch (const std::exception&) {
    return;  // no room: every frame is drawn
  }
  width_ = width;
  height_ = height;
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

void FrameCache::Keep(size_t frame, const uint32_t* pixels) {
  ::GdiFlush();  // GDI may still be reading the DIB for an earlier blit
  uint8_t* picture = Picture(frame);
  for (int y = 0; y < height_; ++y) {
    const uint32_t* from = pixels + static_cast<size_t>(y) * width_;
    uint8_t* to = picture + static_cast<size_t>(y) * surface_.stride();
    for (int x = 0; x < width_; ++x, to += 3) {
      to[0] = static_cast<uint8_t>(from[x]);
      to[1] = static_cast<uint8_t>(from[x] >> 8);
      to[2] = static_cast<uint8_t>(from[x] >> 16);
    }
  }
  if (!kept_[frame]) ++kept_count_;
  kept_[frame] = true;
  const size_t bytes = static_cast<size_t>(height_) * surface_.stride();
  const bool like_previous =
      frame > 0 && kept_[frame - 1] && std::memcmp(Picture(frame - 1), picture, bytes) == 0;
  alike_[frame] = like_previous ? alike_[frame - 1] : static_cast<int>(frame);
  NoteChanges(frame);
}

void FrameCache::Get(size_t frame, uint32_t* to) const {
  ::GdiFlush();
  const uint8_t* picture = Picture(frame);
  for (int y = 0; y < height_; ++y) {
    const uint8_t* from = picture + static_cast<size_t>(y) * surface_.stride();
    uint32_t* row = to + static_cast<size_t>(y) * width_;
    for (int x = 0; x < width_; ++x, from += 3)
      row[x] = from[0] | static_cast<uint32_t>(from[1]) << 8 | static_cast<uint32_t>(from[2]) << 16;
  }
}

void FrameCache::NoteChanges(size_t frame) {
  const size_t frames = kept_.size();
  const size_t before = (frame + frames - 1) % frames, after = (frame + 1) % frames;
  const size_t stride = surface_.stride();
  if (kept_[before])
    changes_[frame] = DifferingBytes(Picture(before), Picture(frame), width_, height_, stride, 3);
  if (kept_[after])
    changes_[after] = DifferingBytes(Picture(frame), Picture(after), width_, height_, stride, 3);
}

void FrameCache::Put(HDC dc, size_t frame, const RECT* part) const {
  const RECT area = part ? *part : RECT{0, 0, width_, height_};
  if (area.right > area.left && area.bottom > area.top)
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, surface_.dc(),
             area.left, static_cast<int>(frame) * height_ + area.top, SRCCOPY);
}

}  // namespace wd::saver
