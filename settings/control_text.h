// Texts of the settings dialog's controls and resources, as UTF-8 inside the program.
#pragma once

#include <windows.h>

#include <string>

namespace wd::settings {

std::string TextOf(HWND control);
void SetText(HWND control, const std::string& text);
// A string resource of the program; empty when it has none.
std::wstring ResourceText(int id);

}  // namespace wd::settings
