// Reading a whole file at once, by its UTF-16 path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace wd::win {

// The file's bytes; raises FileOpenError ("Cannot open file ...") when the file
// cannot be opened or read.
std::string ReadWholeFile(const std::wstring& path);
// The file's bytes, or nothing when it cannot be read or is larger than `max_bytes`.
std::optional<std::string> TryReadWholeFile(const std::wstring& path, size_t max_bytes);

// A file read again only when its size or a time stamp differs from the reading before,
// the check the profile calls of Windows make for the file they keep. A file written
// within the last few seconds is read every time: a file system keeps the time of a
// write only to its own step (two seconds on FAT), so a second write within that step
// may leave size and stamps as they were. The bytes are empty while the file is absent,
// a folder or cannot be read.
class CachedFile {
 public:
  CachedFile() = default;
  CachedFile(const CachedFile&) = delete;
  CachedFile& operator=(const CachedFile&) = delete;
  const std::string& Read(const std::wstring& path);
  // How many times the file was actually read.
  int readings() const { return readings_; }

 private:
  struct Stamp {
    uint64_t created = 0;
    uint64_t written = 0;
    uint64_t size = 0;
    bool operator==(const Stamp&) const = default;
  };
  std::wstring read_path_;  // the file the bytes below were read from
  // Of the bytes below; none, or a recent write: read the file next time.
  std::optional<Stamp> stamp_;
  bool recent_ = false;
  std::string bytes_;
  int readings_ = 0;
};

}  // namespace wd::win
