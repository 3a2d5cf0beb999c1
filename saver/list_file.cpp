#include "saver/list_file.h"

#include "common/file_name.h"

namespace wd::saver {

std::wstring ListFilePath(const std::wstring& program_path) {
  return WithoutExtension(program_path) + L".lst";
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

}  // namespace wd::saver
