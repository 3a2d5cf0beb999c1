#include "saver/picture.h"

#include <windows.h>
#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <vector>

#include "common/errors.h"
#include "platform/file.h"
#include "saver/jpeg_image.h"
#include "saver/layout.h"
#include "saver/resample.h"

namespace wd::saver {

Picture DecodePicture(std::span<const uint8_t> jpeg) {
  const BgraImage image = DecodeJpeg(jpeg);
  auto surface = std::make_shared<win::DibSurface>(image.width, image.height);
  std::memcpy(surface->bits(), image.pixels.data(), image.pixels.size());
  return surface;
}

namespace {

struct StoredVariant {
  double scale;
  const wchar_t* name;
};
constexpr StoredVariant kVariants[] = {
    {1.0, L"BACKGROUND"}, {1.5, L"BACKGROUND150"}, {2.0, L"BACKGROUND200"}};

Picture LoadResourcePicture(const wchar_t* name) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC resource = ::FindResourceW(module, name, MAKEINTRESOURCEW(10) /*RT_RCDATA*/);
  if (!resource) return nullptr;
  HGLOBAL data = ::LoadResource(module, resource);
  const auto* bytes = static_cast<const uint8_t*>(::LockResource(data));
  if (!bytes) return nullptr;
  return DecodePicture({bytes, ::SizeofResource(module, resource)});
}

// The picture at another size, each pixel the mean of what it covers.
Picture Resized(const win::DibSurface& source, int width, int height) {
  auto target = std::make_shared<win::DibSurface>(width, height);
  const std::vector<uint32_t> pixels =
      ResampleArea(source.bits(), source.width(), source.height(), width, height);
  std::memcpy(target->bits(), pixels.data(), pixels.size() * sizeof(uint32_t));
  return target;
}

}  // namespace

int ScaledPictureLength(int length, double scale) {
  return static_cast<int>(std::lround(length * scale));
}

Picture StoredPicture(double scale) {
  // Decoded once while anything holds them: a picture no window shows any more is let go.
  static std::map<double, std::weak_ptr<const win::DibSurface>> pictures;
  if (const auto found = pictures.find(scale); found != pictures.end()) {
    if (Picture kept = found->second.lock()) return kept;
  }
  // The smallest carried scale at or above the one asked for, else the largest.
  const StoredVariant* variant = &kVariants[std::size(kVariants) - 1];
  for (const StoredVariant& v : kVariants) {
    if (v.scale >= scale - 1e-9) {
      variant = &v;
      break;
    }
  }
  Picture picture = LoadResourcePicture(variant->name);
  if (picture && std::abs(variant->scale - scale) > 1e-9) {
    picture = Resized(*picture, ScaledPictureLength(kPictureWidth, scale),
                      ScaledPictureLength(kPictureHeight, scale));
  }
  pictures[scale] = picture;
  return picture;
}

Picture LoadPictureFile(const std::wstring& path) {
  const std::string bytes = win::ReadWholeFile(path);
  return DecodePicture({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

}  // namespace wd::saver
