// What stands in for the Windows calls when the program is built for another system:
// there is no performance data (the boot clock serves as tick count), the format
// settings are the en-US ones, the settings file goes through our own INI store in UTF-8.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <memory>
#include <utility>

#include "common/errors.h"
#include "energy/format_settings.h"
#include "energy/ini_file.h"
#include "energy/record_file.h"
#include "energy/settings_file.h"
#include "energy/uptime.h"

namespace wd {
namespace {

constexpr long kErrorFileNotFound = 2;

class NoPerfData final : public PerfDataSource {
 public:
  long QueryValue(const char*, uint8_t*, uint32_t*) override { return kErrorFileNotFound; }
  void Close() override {}
};

}  // namespace

PerfDataSource& SystemPerfDataSource() {
  static NoPerfData source;
  return source;
}

uint32_t SystemTickCount() {
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  const uint64_t ms =
      static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

// The boot clock counts the time suspended, the monotonic clock does not. The boot clock
// is read first, so that a system never suspended gives 0 rather than a nanosecond's
// rounding.
int64_t SystemSuspendedMs() {
  timespec boot{}, monotonic{};
  clock_gettime(CLOCK_BOOTTIME, &boot);
  clock_gettime(CLOCK_MONOTONIC, &monotonic);
  const int64_t ns = (static_cast<int64_t>(boot.tv_sec) - monotonic.tv_sec) * 1000000000 +
                     (static_cast<int64_t>(boot.tv_nsec) - monotonic.tv_nsec);
  return ns > 0 ? ns / 1000000 : 0;
}

void UseInterruptTimeForTesting(bool) {}

FormatSettings ReadUserFormatSettings() {
  return FormatSettings{};
}

IniBackend& SystemIniBackend() {
  return OwnIniBackend();
}
std::string Utf8ToIniBytes(const std::string& text) {
  return text;
}
std::string IniBytesToUtf8(const std::string& bytes) {
  return bytes;
}

std::string SystemProgramFolder() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  const std::string path(buf, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

struct RecordFile::Native {
  int fd = -1;
  Native() = default;
  Native(const Native&) = delete;
  Native& operator=(const Native&) = delete;
  ~Native() {
    if (fd >= 0) close(fd);
  }
};

RecordFile::RecordFile(const std::string& path) : native_(std::make_unique<Native>()) {
  native_->fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (native_->fd < 0)
    throw InOutError(InOutErrorMessage(errno), static_cast<unsigned long>(errno));
}

RecordFile::~RecordFile() = default;

void RecordFile::Write(const void* data, size_t size) {
  const ssize_t n = write(native_->fd, data, size);
  if (n != static_cast<ssize_t>(size)) {
    const int code = n < 0 ? errno : ENOSPC;
    throw InOutError(InOutErrorMessage(code), static_cast<unsigned long>(code));
  }
}

void RecordFile::Close() {
  const int fd = std::exchange(native_->fd, -1);
  if (close(fd) != 0) throw InOutError(InOutErrorMessage(errno), static_cast<unsigned long>(errno));
}

}  // namespace wd
