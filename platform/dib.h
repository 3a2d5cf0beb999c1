// A top-down DIB section selected into a memory DC of its own: an off-screen surface
// that GDI, GDI+ and direct pixel access can all draw on. 32 bits a pixel, or 24 for
// pictures that only ever go elsewhere by BitBlt and are kept a long time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

#include "platform/handles.h"

namespace wd::win {

class DibSurface {
 public:
  DibSurface() = default;
  // Raises OSError when the system has no room for it.
  DibSurface(int width, int height, int bit_count = 32);
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;
  DibSurface(DibSurface&& other) noexcept { *this = std::move(other); }
  DibSurface& operator=(DibSurface&&) noexcept;
  ~DibSurface();

  // A new picture of this size in the same DC (the old picture is deleted); raises
  // OSError and keeps the old picture when the system has no room for the new one.
  void Resize(int width, int height);

  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // Pixels as 0x00RRGGBB (BGRA bytes), rows top to bottom; for 24 bits a pixel, BGR
  // bytes, rows of stride() bytes.
  uint32_t* bits() const { return bits_; }
  uint8_t* bytes() const { return reinterpret_cast<uint8_t*>(bits_); }
  size_t stride() const {
    return (static_cast<size_t>(width_) * static_cast<size_t>(bit_count_) + 31) / 32 * 4;
  }
  explicit operator bool() const { return bits_ != nullptr; }

 private:
  void Release();

  MemoryDc dc_;
  GdiObject bitmap_;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int bit_count_ = 32;
};

}  // namespace wd::win
