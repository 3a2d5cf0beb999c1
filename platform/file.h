// Reading a whole file at once, by its UTF-16 path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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
//
// Between checks, a notice of changes in the file's folder tells whether to look at
// the file at all: while the folder reports nothing, the bytes of the last check
// stand. Every kTrusted-th reading checks anyway; a change found then that the folder
// did not report (a folder replaced or moved reports nothing more) has the folder
// watched afresh. Without a notice, every reading checks.
class CachedFile {
 public:
  CachedFile() = default;
  CachedFile(const CachedFile&) = delete;
  CachedFile& operator=(const CachedFile&) = delete;
  const std::string& Read(const std::wstring& path);
  // How many times the file was actually read, and how many times its stamps were
  // looked at.
  int readings() const { return readings_; }
  int checks() const { return checks_; }
  static constexpr int kTrusted = 15;

 private:
  // Looks at the file's stamps and reads it when they changed; true when the file is
  // not as the last check found it.
  bool Check(const std::wstring& path);
  void Watch(const std::wstring& path);
  std::shared_ptr<void> watch_;  // the folder's change notice
  std::wstring watched_;         // the file whose folder it watches
  int since_check_ = 0;          // readings the notice answered since the last check
  bool absent_ = false;          // the last check found no file
  int checks_ = 0;
  struct Stamp {
    uint64_t created = 0;
    uint64_t written = 0;
    uint64_t size = 0;
    bool operator==(const Stamp&) const = default;
  };
  std::wstring path_;       // the file last checked
  std::wstring read_path_;  // the file the bytes below were read from
  // Of the bytes below; none, or a recent write: read the file next time.
  std::optional<Stamp> stamp_;
  bool recent_ = false;
  std::string bytes_;
  int readings_ = 0;
};

}  // namespace wd::win
