// The settings file on Windows: the private-profile calls, the ANSI code page, the
// executable's folder and the record file.
#include <windows.h>

#include "common/errors.h"
#include "energy/ini_file.h"
#include "energy/record_file.h"
#include "energy/settings_file.h"
#include "platform/executable.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace wd {
namespace {

class ProfileBackend final : public IniBackend {
 public:
  std::string Read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& fallback) override {
    char buffer[kMaxIniValue + 1];
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer,
                                             sizeof buffer, Utf8ToIniBytes(path).c_str());
    return std::string(buffer, n);
  }

  bool Write(const std::string& path, const std::string& section, const std::string& key,
             const std::string& value) override {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                      Utf8ToIniBytes(path).c_str()) != FALSE;
  }

  bool Remove(const std::string& path, const std::string& section,
              const std::string& key) override {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr,
                                      Utf8ToIniBytes(path).c_str()) != FALSE;
  }
};

[[noreturn]] void ThrowInOutError(DWORD code) {
  throw InOutError(InOutErrorMessage(code), code);
}

}  // namespace

IniBackend& ProfileIniBackend() {
  static ProfileBackend backend;
  return backend;
}

IniBackend& SystemIniBackend() {
  return ProfileIniBackend();
}

std::string Utf8ToIniBytes(const std::string& text) {
  return win::Utf8ToAnsi(text);
}

std::string IniBytesToUtf8(const std::string& bytes) {
  return win::AnsiToUtf8(bytes);
}

std::string SystemProgramFolder() {
  return win::Narrow(win::ExecutableFolder());
}

struct RecordFile::Native {
  win::FileHandle file;
};

RecordFile::RecordFile(const std::string& path) : native_(std::make_unique<Native>()) {
  native_->file.reset(CreateFileW(win::Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!native_->file) ThrowInOutError(GetLastError());
}

RecordFile::~RecordFile() = default;

void RecordFile::Write(const void* data, size_t size) {
  DWORD written = 0;
  if (!WriteFile(native_->file.get(), data, static_cast<DWORD>(size), &written, nullptr) ||
      written != size) {
    ThrowInOutError(written != size && GetLastError() == 0 ? ERROR_HANDLE_DISK_FULL
                                                           : GetLastError());
  }
}

void RecordFile::Close() {
  if (!CloseHandle(native_->file.release())) ThrowInOutError(GetLastError());
}

}  // namespace wd
