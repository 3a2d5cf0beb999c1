// The parts of a path: its folder, its file name and the name without its extension.
// Separators are "\", "/" and the drive's ":".
#pragma once

#include <string>
#include <string_view>

namespace wd {

// The folder with its trailing separator; empty for a bare file name.
std::wstring FolderOf(std::wstring_view path);
// What follows the last separator.
std::wstring FileNameOf(std::wstring_view path);
// The path without the extension of its last part ("C:\a\b.scr" gives "C:\a\b"); a name
// without a dot stays as it is.
std::wstring WithoutExtension(std::wstring_view path);

}  // namespace wd
