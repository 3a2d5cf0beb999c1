// The record file's platform calls: create (replacing), write, close. Each raises
// InOutError with the system's error code; a file still open is closed when the
// object goes.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace wd {

class RecordFile {
 public:
  explicit RecordFile(const std::string& path);
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;
  void Write(const void* data, size_t size);
  void Close();

 private:
  // The open file: a handle owner on Windows, a descriptor owner elsewhere.
  struct Native;
  std::unique_ptr<Native> native_;
};

}  // namespace wd
