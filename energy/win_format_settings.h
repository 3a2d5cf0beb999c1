// The format settings of any locale the system knows (Windows only).
#pragma once

#include <string>

#include "energy/format_settings.h"

namespace wd {

// The locale's own formats, without the user's changes (`name` as in "hu-HU").
FormatSettings ReadLocaleFormatSettings(const std::string& name);

}  // namespace wd
