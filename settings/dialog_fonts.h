// The settings dialog's fonts: "新細明體" where the system has it, else the first
// Traditional Chinese face it has.
#pragma once

#include <windows.h>

namespace wd::settings {

// "新細明體", or a Traditional Chinese face in its place: a Latin fallback would lose the
// Chinese texts' widths, on which the labels' blanks rely.
const wchar_t* ChineseFace();

// A font of `height_px` character height; `fixed_pitch` asks for a fixed pitch, which
// matters only with the face the dialog was made for.
HFONT MakeFont(const wchar_t* face, int height_px, bool fixed_pitch = false);

}  // namespace wd::settings
