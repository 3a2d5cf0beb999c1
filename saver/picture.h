// The saver's background picture: a JPEG stored in the program's resources,
// decoded once and shared by every saver window.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/dib.h"

namespace wd::saver {

using Picture = std::shared_ptr<const win::DibSurface>;

// The picture stored with the program (resource "BACKGROUND"); empty when the
// program carries none.
Picture StoredPicture();
// A JPEG file's picture; raises an error when it cannot be read or decoded.
Picture LoadPictureFile(const std::wstring& path);
Picture DecodePicture(std::span<const uint8_t> jpeg);

}  // namespace wd::saver
