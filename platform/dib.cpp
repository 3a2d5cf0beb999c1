#include "platform/dib.h"

#include <utility>

#include "platform/text.h"

namespace wd::win {

DibSurface::DibSurface(int width, int height, int bit_count) : bit_count_(bit_count) {
  Resize(width, height);
}

void DibSurface::Resize(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bit_count_);
  info.bmiHeader.biCompression = BI_RGB;
  if (!dc_) {
    dc_.reset(::CreateCompatibleDC(nullptr));
    if (!dc_) ThrowLastError("Out of system resources");
  }
  void* bits = nullptr;
  GdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) ThrowLastError("Out of system resources");
  const HGDIOBJ replaced = ::SelectObject(dc_.get(), bitmap.get());
  if (!previous_) previous_ = replaced;  // the DC's own bitmap, put back before the end
  bitmap_ = std::move(bitmap);           // deletes the picture it replaces
  bits_ = static_cast<uint32_t*>(bits);
  width_ = width;
  height_ = height;
}

DibSurface& DibSurface::operator=(DibSurface&& other) noexcept {
  if (this != &other) {
    Release();
    dc_ = std::move(other.dc_);
    bitmap_ = std::move(other.bitmap_);
    previous_ = std::exchange(other.previous_, nullptr);
    bits_ = std::exchange(other.bits_, nullptr);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    bit_count_ = std::exchange(other.bit_count_, 32);
  }
  return *this;
}

DibSurface::~DibSurface() {
  Release();
}

void DibSurface::Release() {
  // The bitmap leaves the DC before either is deleted.
  if (dc_ && previous_) ::SelectObject(dc_.get(), previous_);
  previous_ = nullptr;
  dc_.reset();
  bitmap_.reset();
  bits_ = nullptr;
}

}  // namespace wd::win
