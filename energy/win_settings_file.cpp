// The settings file on Windows: the private-profile calls, the ANSI code page, the
// executable's folder and the record file.
#include <windows.h>

#include <vector>

#include "common/errors.h"
#include "energy/ini_file.h"
#include "energy/settings_file.h"

namespace wd {
namespace {

std::wstring Widen(const std::string& text, UINT code_page) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Narrow(const std::wstring& wide, UINT code_page) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                      nullptr, nullptr);
  return text;
}

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
};

}  // namespace

IniBackend& ProfileIniBackend() {
  static ProfileBackend backend;
  return backend;
}

IniBackend& SystemIniBackend() {
  return ProfileIniBackend();
}

std::string Utf8ToIniBytes(const std::string& text) {
  return Narrow(Widen(text, CP_UTF8), CP_ACP);
}

std::string IniBytesToUtf8(const std::string& bytes) {
  return Narrow(Widen(bytes, CP_ACP), CP_UTF8);
}

std::string SystemProgramFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) {
      const std::string path = Narrow(std::wstring(buffer.data(), n), CP_UTF8);
      return path.substr(0, path.find_last_of("\\/") + 1);
    }
    buffer.resize(buffer.size() * 2);
  }
}

RecordFile::RecordFile(const std::string& path) {
  const HANDLE h = CreateFileW(Widen(path, CP_UTF8).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                               nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    throw InOutError(InOutErrorMessage(code), code);
  }
  handle_ = reinterpret_cast<intptr_t>(h);
}

RecordFile::~RecordFile() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

void RecordFile::Write(const void* data, size_t size) {
  DWORD written = 0;
  if (!WriteFile(reinterpret_cast<HANDLE>(handle_), data, static_cast<DWORD>(size), &written,
                 nullptr) ||
      written != size) {
    const DWORD code =
        written != size && GetLastError() == 0 ? ERROR_HANDLE_DISK_FULL : GetLastError();
    throw InOutError(InOutErrorMessage(code), code);
  }
}

void RecordFile::Close() {
  const HANDLE h = reinterpret_cast<HANDLE>(handle_);
  handle_ = -1;
  if (!CloseHandle(h)) {
    const DWORD code = GetLastError();
    throw InOutError(InOutErrorMessage(code), code);
  }
}

}  // namespace wd
