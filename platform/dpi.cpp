#include "platform/dpi.h"

#include "platform/handles.h"

namespace wd::win {
namespace {

User32Lookup g_lookup = nullptr;

FARPROC SystemLookup(const char* name) {
  // user32 is loaded for as long as the program runs: the program imports it.
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32 ? ::GetProcAddress(user32, name) : nullptr;
}

template <typename Function>
Function Find(const char* name) {
  FARPROC found = g_lookup ? g_lookup(name) : SystemLookup(name);
  return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

}  // namespace

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  if (auto get_dpi = Find<GetDpiForWindowFunction>("GetDpiForWindow")) return get_dpi(window);
  if (!::IsWindow(window)) return 0;
  WindowDc screen(nullptr);
  if (!screen.get()) return USER_DEFAULT_SCREEN_DPI;
  const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

bool AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD ex_style, UINT dpi) {
  using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  if (auto adjust = Find<AdjustForDpiFunction>("AdjustWindowRectExForDpi"))
    return adjust(&rect, style, menu, ex_style, dpi) != FALSE;
  return ::AdjustWindowRectEx(&rect, style, menu, ex_style) != FALSE;
}

void SetUser32LookupForTesting(User32Lookup lookup) {
  g_lookup = lookup;
}

}  // namespace wd::win
