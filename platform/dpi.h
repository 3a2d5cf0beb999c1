// The DPI a window is drawn at and its frame at that DPI, on every Windows the program
// runs on. Windows 10 version 1607 brought per-window DPI (GetDpiForWindow and
// AdjustWindowRectExForDpi); on Windows 7, 8 and 8.1 a user32 that imported them would
// not even load the program, so they are looked up when called. Where they are missing,
// every window is at the system DPI and the older calls give the same answers.
#pragma once

#include <windows.h>

namespace wd::win {

// The DPI of the window's monitor where Windows keeps one per window, else the system
// DPI (the screen's LOGPIXELSX). 0 for a window that does not exist, as GetDpiForWindow.
UINT WindowDpi(HWND window);

// Grows `rect` from the client area to the window's frame for a window with these styles
// at `dpi`. Without AdjustWindowRectExForDpi, AdjustWindowRectEx's frame at the system
// DPI, the only DPI such a system draws a DPI-aware program's windows at.
bool AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD ex_style, UINT dpi);

// Test seam: the look-up of a user32 function by name. A lookup that answers nullptr
// makes the program behave as on a system without that function; nullptr puts back
// GetProcAddress on the user32 the program has loaded.
using User32Lookup = FARPROC (*)(const char* name);
void SetUser32LookupForTesting(User32Lookup lookup);

}  // namespace wd::win
