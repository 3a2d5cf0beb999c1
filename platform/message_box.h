// Message boxes with English buttons ("OK", "Cancel", ...) whatever the user's language:
// the program's boxes speak English on their buttons and captions.
#pragma once

#include <windows.h>

#include <string>

namespace wd::win {

// MessageBoxW with the buttons labelled in English.
int EnglishMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                      UINT flags);

}  // namespace wd::win
