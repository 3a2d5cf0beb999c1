// The two stores behind the settings file, one key at a time: the private-profile calls
// of Windows, and our own reader and writer of the same file format. Both work on the
// bytes of the file (text in the system's ANSI code page); paths are UTF-8.
#pragma once

#include <optional>
#include <string>

namespace wd {

// Values longer than this are cut when read, as by a 2048-byte profile buffer.
inline constexpr size_t kMaxIniValue = 2047;

class IniBackend {
 public:
  virtual ~IniBackend() = default;
  // The value of the key, or the default when the file, section, key or value is absent.
  virtual std::string Read(const std::string& path, const std::string& section,
                           const std::string& key, const std::string& fallback) = 0;
  // Stores the value at once, creating file, section or key; false when refused.
  virtual bool Write(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) = 0;
  // Removes the key's line, if there is one; false when refused.
  virtual bool Remove(const std::string& path, const std::string& section,
                      const std::string& key) = 0;
};

// Our own INI reader and writer, on every platform. It keeps the behaviour of the
// private-profile calls: names trimmed and matched without regard to letter case, the
// first section and key of a name win, values trimmed and freed of one pair of enclosing
// quotes when read, and every write that changes the file rewrites it as
// "[Section]\r\nKey=Value\r\n" lines.
IniBackend& OwnIniBackend();
// Its reading and writing on the file's bytes: the value or the default, and the
// file's new bytes (nothing when the key already holds the value).
std::string ReadIniValue(const std::string& bytes, const std::string& section,
                         const std::string& key, const std::string& fallback);
std::optional<std::string> WriteIniValue(const std::string& bytes, const std::string& section,
                                         const std::string& key, const std::string& value);
// The file's bytes without the key's line (nothing when it has none).
std::optional<std::string> RemoveIniValue(const std::string& bytes, const std::string& section,
                                          const std::string& key);
#ifdef _WIN32
// GetPrivateProfileStringA and WritePrivateProfileStringA.
IniBackend& ProfileIniBackend();
#endif
// The one the program uses: the private-profile calls on Windows, our own elsewhere.
IniBackend& SystemIniBackend();

// One reading of one INI file: the file is read once when the snapshot is made, and every
// Read answers from those bytes as our own reader would (so several settings come from
// the same state of the file). Writes go to `writer` at once, and the snapshot reads the
// file again after each.
class IniSnapshot final : public IniBackend {
 public:
  IniSnapshot(std::string path, IniBackend& writer);
  // A snapshot of bytes already read from the file at `path`.
  IniSnapshot(std::string path, std::string bytes, IniBackend& writer);
  // `path` must be the snapshot's file; another path is read from the file system.
  std::string Read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& fallback) override;
  bool Write(const std::string& path, const std::string& section, const std::string& key,
             const std::string& value) override;
  bool Remove(const std::string& path, const std::string& section, const std::string& key) override;

 private:
  std::string path_;
  std::string bytes_;
  IniBackend& writer_;
};

// Program text (UTF-8) to the bytes the file holds, and back: the ANSI code page on
// Windows, unchanged elsewhere.
std::string Utf8ToIniBytes(const std::string& text);
std::string IniBytesToUtf8(const std::string& bytes);

}  // namespace wd
