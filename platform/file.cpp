#include "platform/file.h"

#include <windows.h>

#include <algorithm>

#include "common/errors.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace wd::win {
namespace {

// Reads the whole file; false with the system's error code left in GetLastError.
bool ReadAll(const std::wstring& path, size_t max_bytes, std::string& bytes) {
  FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  // Read to the end rather than to the size the system reports: some files (devices,
  // files that grow) report none, and reading is what shows whether they can be read.
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 &&
      static_cast<unsigned long long>(size.QuadPart) <= max_bytes)
    bytes.reserve(static_cast<size_t>(size.QuadPart));
  bytes.clear();
  // One byte more than allowed is room enough to tell a file that is too large.
  const size_t limit = max_bytes + 1;
  size_t done = 0;
  for (;;) {
    if (done == bytes.size()) {
      if (done >= limit) break;
      bytes.resize(std::min(limit, std::max<size_t>(done * 2, 64 * 1024)));
    }
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    if (!::ReadFile(file.get(), bytes.data() + done, want, &got, nullptr)) return false;
    if (got == 0) break;
    done += got;
  }
  if (done > max_bytes) {
    ::SetLastError(ERROR_FILE_TOO_LARGE);
    return false;
  }
  bytes.resize(done);
  return true;
}

}  // namespace

std::string ReadWholeFile(const std::wstring& path) {
  std::string bytes;
  if (!ReadAll(path, size_t{1} << 30, bytes)) {
    const DWORD code = ::GetLastError();
    throw wd::FileOpenError("Cannot open file \"" + Narrow(path) + "\". " + SystemMessage(code));
  }
  return bytes;
}

std::optional<std::string> TryReadWholeFile(const std::wstring& path, size_t max_bytes) {
  std::string bytes;
  if (!ReadAll(path, max_bytes, bytes)) return std::nullopt;
  return bytes;
}

const std::string& CachedFile::Read(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const auto join = [](DWORD high, DWORD low) { return uint64_t{high} << 32 | low; };
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    stamp_.reset();
    bytes_.clear();
    recent_ = false;
    return bytes_;
  }
  const Stamp stamp{join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime),
                    join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime),
                    join(data.nFileSizeHigh, data.nFileSizeLow)};
  if (read_path_ == path && stamp_ == stamp && !recent_) return bytes_;
  read_path_ = path;
  ++readings_;
  // Stamped before reading: a change made meanwhile shows as a new stamp next time.
  if (std::optional<std::string> bytes = TryReadWholeFile(path, size_t{1} << 30)) {
    bytes_ = std::move(*bytes);
    stamp_ = stamp;
    FILETIME now_time{};
    ::GetSystemTimeAsFileTime(&now_time);
    const uint64_t now = join(now_time.dwHighDateTime, now_time.dwLowDateTime);
    constexpr uint64_t kRecent = 3 * 10'000'000ull;  // 3 s in 100 ns units
    recent_ = stamp.written + kRecent > now;         // a time ahead of the clock counts too
  } else {
    bytes_.clear();
    stamp_.reset();
    recent_ = false;
  }
  return bytes_;
}

}  // namespace wd::win
