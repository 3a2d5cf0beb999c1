#include "platform/text.h"

#include <windows.h>

#include "common/errors.h"

namespace wd::win {
namespace {

std::wstring ToWide(UINT code_page, std::string_view text) {
  if (text.empty()) return {};
  const int n =
      ::MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string FromWide(UINT code_page, std::wstring_view text) {
  if (text.empty()) return {};
  const int n = ::WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
  return ToWide(CP_UTF8, utf8);
}

std::string Narrow(std::wstring_view utf16) {
  return FromWide(CP_UTF8, utf16);
}

std::string Utf8ToAnsi(std::string_view utf8) {
  return FromWide(CP_ACP, ToWide(CP_UTF8, utf8));
}

std::string AnsiToUtf8(std::string_view ansi) {
  return FromWide(CP_UTF8, ToWide(CP_ACP, ansi));
}

std::string SystemMessage(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer ? buffer : L"", n);
  if (buffer) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                           text.back() == L'.'))
    text.pop_back();
  if (text.empty()) return "System Error.  Code: " + std::to_string(code);
  return Narrow(text);
}

void ThrowLastError(std::string_view what) {
  const DWORD code = ::GetLastError();
  const std::string message = SystemMessage(code);
  throw wd::OSError(what.empty() ? message : std::string(what) + ": " + message, code);
}

}  // namespace wd::win
