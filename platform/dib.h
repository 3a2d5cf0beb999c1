// A 32-bit top-down DIB section selected into a memory DC of its own: an
// off-screen surface that GDI, GDI+ and direct pixel access can all draw on.
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
  DibSurface(int width, int height);
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
  // Pixels as 0x00RRGGBB (BGRA bytes), rows top to bottom.
  uint32_t* bits() const { return bits_; }
  explicit operator bool() const { return bits_ != nullptr; }

 private:
  void Release();

  MemoryDc dc_;
  GdiObject bitmap_;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace wd::win
