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

void CachedFile::Watch(const std::wstring& path) {
  watch_.reset();
  watched_ = path;
  const size_t slash = path.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash + 1);
  // Names, sizes, times and attributes: any change that could give the file new bytes
  // or new stamps.
  constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                             FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                             FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;
  HANDLE notice = ::FindFirstChangeNotificationW(folder.c_str(), FALSE, kChanges);
  if (notice != INVALID_HANDLE_VALUE)
    watch_.reset(notice, [](void* h) { ::FindCloseChangeNotification(static_cast<HANDLE>(h)); });
}

const std::string& CachedFile::Read(const std::wstring& path) {
  bool quiet = false;  // the folder reported nothing since the last check
  if (path != watched_) {
    Watch(path);
  } else if (watch_ && path == path_ && !recent_) {
    // The last check still holds while the folder has reported no change since.
    HANDLE notice = static_cast<HANDLE>(watch_.get());
    const DWORD state = ::WaitForSingleObject(notice, 0);
    quiet = state == WAIT_TIMEOUT;
    if (quiet && ++since_check_ < kTrusted) return bytes_;
    // Watched again before the check, so that a change made meanwhile is reported.
    if (!quiet && (state != WAIT_OBJECT_0 || !::FindNextChangeNotification(notice))) watch_.reset();
  }
  since_check_ = 0;
  // A change the folder did not report: its notice no longer tells (the folder was
  // replaced, say), so it is watched afresh.
  if (Check(path) && quiet) Watch(path);
  return bytes_;
}

bool CachedFile::Check(const std::wstring& path) {
  ++checks_;
  const bool same_file = path == path_;
  path_ = path;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const auto join = [](DWORD high, DWORD low) { return uint64_t{high} << 32 | low; };
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    const bool changed = !same_file || !absent_;
    stamp_.reset();
    bytes_.clear();
    recent_ = false;
    absent_ = true;
    return changed;
  }
  absent_ = false;
  const Stamp stamp{join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime),
                    join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime),
                    join(data.nFileSizeHigh, data.nFileSizeLow)};
  if (read_path_ == path && stamp_ == stamp && !recent_) return !same_file;
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
  return true;
}

}  // namespace wd::win
