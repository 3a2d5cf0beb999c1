#include "app/dispatch.h"

namespace wd::app {

ModeChoice ChooseMode(const std::vector<std::wstring>& args) {
  if (args.empty()) return {Mode::kConfigure, L"", L""};
  const std::wstring& first = args.front();
  std::wstring mode_switch = first.substr(0, 2);
  for (wchar_t& c : mode_switch)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  // Compared exactly, in this order; everything after the two characters is ignored.
  if (mode_switch == L"/c") return {Mode::kConfigure, mode_switch, L""};
  if (mode_switch == L"/p") return {Mode::kPreview, mode_switch, L""};
  if (mode_switch == L"/s") return {Mode::kSaver, mode_switch, L""};
  return {Mode::kUnknown, mode_switch, L"ParamStr(1)=" + first};
}

}  // namespace wd::app
