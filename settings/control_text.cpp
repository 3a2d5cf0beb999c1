#include "settings/control_text.h"

#include "platform/text.h"

namespace wd::settings {

std::string TextOf(HWND control) {
  const int length = ::GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(control, text.data(), length + 1)));
  return win::Narrow(text);
}

void SetText(HWND control, const std::string& text) {
  ::SetWindowTextW(control, win::Widen(text).c_str());
}

std::wstring ResourceText(int id) {
  const wchar_t* text = nullptr;
  const int length = ::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(id),
                                   reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

}  // namespace wd::settings
