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

// The picture stored with the program for a dashboard scale (DPI / 96): the program
// carries it drawn at 1x ("BACKGROUND"), 1.5x ("BACKGROUND150") and 2x
// ("BACKGROUND200"). A scale it carries is given as drawn; a scale in between takes the
// next larger one, scaled down by area averaging to 1024 x 719 times the scale (beyond
// 2x, the 2x one scaled up). Empty when the program carries none.
Picture StoredPicture(double scale = 1.0);
// The picture's size at a scale.
int ScaledPictureLength(int length, double scale);
// A JPEG file's picture; raises an error when it cannot be read or decoded.
Picture LoadPictureFile(const std::wstring& path);
Picture DecodePicture(std::span<const uint8_t> jpeg);

}  // namespace wd::saver
