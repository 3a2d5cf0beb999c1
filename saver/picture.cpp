#include "saver/picture.h"

#include <windows.h>

#include <cstring>

#include "common/errors.h"
#include "platform/file.h"
#include "saver/jpeg_image.h"

namespace wd::saver {

Picture DecodePicture(std::span<const uint8_t> jpeg) {
  const BgraImage image = DecodeJpeg(jpeg);
  auto surface = std::make_shared<win::DibSurface>(image.width, image.height);
  std::memcpy(surface->bits(), image.pixels.data(), image.pixels.size());
  return surface;
}

Picture StoredPicture() {
  static const Picture picture = []() -> Picture {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(module, L"BACKGROUND", MAKEINTRESOURCEW(10) /*RT_RCDATA*/);
    if (!resource) return nullptr;
    HGLOBAL data = ::LoadResource(module, resource);
    const auto* bytes = static_cast<const uint8_t*>(::LockResource(data));
    if (!bytes) return nullptr;
    return DecodePicture({bytes, ::SizeofResource(module, resource)});
  }();
  return picture;
}

Picture LoadPictureFile(const std::wstring& path) {
  const std::string bytes = win::ReadWholeFile(path);
  return DecodePicture({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

}  // namespace wd::saver
