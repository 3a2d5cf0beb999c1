#include "saver/picture.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "common/errors.h"
#include "platform/handles.h"
#include "platform/text.h"
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
  win::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  auto fail = [&path]() {
    const DWORD code = ::GetLastError();
    throw wd::FileOpenError("Cannot open file \"" + win::Narrow(path) + "\". " +
                            win::SystemMessage(code));
  };
  if (!file) fail();
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > (64 << 20)) fail();
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  if (!bytes.empty() &&
      (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
       got != bytes.size()))
    fail();
  return DecodePicture(bytes);
}

}  // namespace wd::saver
