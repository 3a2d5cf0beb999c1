// The saver's list file: the program's path with the extension ".lst".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wd::saver {

// X.scr gives X.lst in the same folder; a name without extension gets ".lst" appended.
std::wstring ListFilePath(const std::wstring& program_path);

// Splits text into lines at CR LF, LF or CR; a last line without a break counts.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace wd::saver
