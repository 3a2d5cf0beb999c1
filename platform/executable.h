// Where the running program lies: its executable's full path and folder.
#pragma once

#include <string>

namespace wd::win {

// Full path of the running executable (GetModuleFileName), empty when the system gives none.
std::wstring ExecutablePath();
// Its folder with the trailing separator.
std::wstring ExecutableFolder();

}  // namespace wd::win
