// UTF-8 inside the program, UTF-16 at the Win32 calls.
#pragma once

#include <string>
#include <string_view>

namespace wd::win {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// Text in the system's ANSI code page to UTF-16.
std::wstring AnsiToWide(std::string_view ansi);
// The system's message for an error code, without the trailing line break.
std::string SystemMessage(unsigned long code);

// Full path of the running executable, and its folder with the trailing separator.
std::wstring ExecutablePath();
std::wstring ExecutableFolder();

}  // namespace wd::win
