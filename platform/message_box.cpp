#include "platform/message_box.h"

namespace wd::win {
namespace {

// The hook of the box being shown (one at a time: the boxes are modal on one thread).
HHOOK g_hook = nullptr;

LRESULT CALLBACK LabelButtons(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wparam);
    const struct {
      int id;
      const wchar_t* text;
    } buttons[] = {{IDOK, L"OK"},       {IDCANCEL, L"Cancel"}, {IDYES, L"Yes"},      {IDNO, L"No"},
                   {IDABORT, L"Abort"}, {IDRETRY, L"Retry"},   {IDIGNORE, L"Ignore"}};
    for (const auto& b : buttons) {
      if (HWND button = ::GetDlgItem(box, b.id)) ::SetWindowTextW(button, b.text);
    }
    // The box is labelled; later windows of this thread are none of our business.
    HHOOK hook = g_hook;
    g_hook = nullptr;
    const LRESULT result = ::CallNextHookEx(hook, code, wparam, lparam);
    ::UnhookWindowsHookEx(hook);
    return result;
  }
  return ::CallNextHookEx(g_hook, code, wparam, lparam);
}

}  // namespace

int EnglishMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                      UINT flags) {
  g_hook = ::SetWindowsHookExW(WH_CBT, &LabelButtons, nullptr, ::GetCurrentThreadId());
  const int answer = ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
  if (g_hook) {
    ::UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
  }
  return answer;
}

}  // namespace wd::win
