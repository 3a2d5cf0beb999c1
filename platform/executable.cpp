#include "platform/executable.h"

#include <windows.h>

#include <vector>

#include "common/file_name.h"

namespace wd::win {

std::wstring ExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring ExecutableFolder() {
  return FolderOf(ExecutablePath());
}

}  // namespace wd::win
