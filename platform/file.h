// Reading a whole file at once, by its UTF-16 path.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace wd::win {

// The file's bytes; raises FileOpenError ("Cannot open file ...") when the file
// cannot be opened or read.
std::string ReadWholeFile(const std::wstring& path);
// The file's bytes, or nothing when it cannot be read or is larger than `max_bytes`.
std::optional<std::string> TryReadWholeFile(const std::wstring& path, size_t max_bytes);

}  // namespace wd::win
