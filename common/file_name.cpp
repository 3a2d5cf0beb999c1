#include "common/file_name.h"

namespace wd {
namespace {

constexpr std::wstring_view kSeparators = L"\\/:";

}  // namespace

std::wstring FolderOf(std::wstring_view path) {
  const size_t slash = path.find_last_of(kSeparators);
  return slash == std::wstring_view::npos ? std::wstring()
                                          : std::wstring(path.substr(0, slash + 1));
}

std::wstring FileNameOf(std::wstring_view path) {
  const size_t slash = path.find_last_of(kSeparators);
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::wstring WithoutExtension(std::wstring_view path) {
  const size_t slash = path.find_last_of(kSeparators);
  const size_t dot = path.find_last_of(L'.');
  const bool has_extension =
      dot != std::wstring_view::npos && (slash == std::wstring_view::npos || dot > slash);
  return std::wstring(has_extension ? path.substr(0, dot) : path);
}

}  // namespace wd
