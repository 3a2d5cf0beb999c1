// UTF-8 inside the program, UTF-16 at the Win32 calls; the bytes of the system's ANSI
// code page where stored files keep them; and the system's own text for an error code.
#pragma once

#include <string>
#include <string_view>

namespace wd::win {

// UTF-8 to UTF-16 and back.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// UTF-8 to text in the system's ANSI code page and back.
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

// The system's message for an error code, without the trailing line break and full stop.
std::string SystemMessage(unsigned long code);
// Raises wd::OSError for GetLastError(): "what: <system message>", or the system's
// message alone when `what` is empty.
[[noreturn]] void ThrowLastError(std::string_view what);

}  // namespace wd::win
