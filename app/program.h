// The program entry behind WinMain: single-instance lock, mode dispatch, message
// loop and the final error report. Returns the process exit code.
#pragma once

#include <string>
#include <vector>

namespace wd::app {

int RunProgram(const std::vector<std::wstring>& args);

}  // namespace wd::app
