// The program's modes and how the first command-line argument chooses one.
#pragma once

#include <string>
#include <vector>

namespace wd::app {

enum class Mode { kConfigure, kPreview, kSaver, kUnknown };

struct ModeChoice {
  Mode mode;
  // The mode switch: the first two characters of the first argument, lower-cased.
  std::wstring mode_switch;
  // For an unknown switch, the text of the message box shown before the program ends.
  std::wstring message;
};

// `args` are the arguments after the program name, split as the platform splits them.
ModeChoice ChooseMode(const std::vector<std::wstring>& args);

}  // namespace wd::app
