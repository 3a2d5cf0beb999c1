// Drives the settings dialog of a running WattDial.scr from outside, as a screen reader
// or a test tool would: through window messages only. One step per run:
//   wait-dialog SECONDS       until the dialog shows; prints the milliseconds waited
//   get ID | set ID TEXT      a control's text
//   checked ID | visible ID   1 or 0
//   click ID                  presses a button
//   page N                    shows page N
//   box CAPTION SECONDS       until a message box with CAPTION shows; prints its text,
//                             "default ID", then one line per button: its id and text
//   answer CAPTION ok|cancel  presses that button of the box
//   rect                      the dialog's window rectangle: x y width height
//   client                    the size of its client area: width height
// Exit code 0 on success, 1 with a message on standard error otherwise.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
  return s;
}

void Out(const std::string& line) {
  const std::string text = line + "\n";
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "dialog_driver: %s\n", why.c_str());
  std::exit(1);
}

std::wstring TextOf(HWND w) {
  wchar_t buf[1024] = {};
  // WM_GETTEXT crosses processes; GetWindowText would not ask another process's control.
  ::SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
  return buf;
}

HWND Dialog() {
  HWND d = ::FindWindowW(L"TFormSettings", nullptr);
  if (!d || !::IsWindowVisible(d)) Fail("no settings dialog is showing");
  return d;
}

struct Search {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<Search*>(p);
  if (::GetDlgCtrlID(w) == s->id) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

HWND ControlOf(int id) {
  Search s{id, nullptr};
  ::EnumChildWindows(Dialog(), MatchId, reinterpret_cast<LPARAM>(&s));
  if (!s.found) Fail("no control " + std::to_string(id));
  return s.found;
}

struct BoxSearch {
  std::wstring caption;
  HWND found;
};

BOOL CALLBACK MatchBox(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<BoxSearch*>(p);
  wchar_t cls[64] = {};
  ::GetClassNameW(w, cls, 64);
  if (std::wstring(cls) == L"#32770" && ::IsWindowVisible(w) && TextOf(w) == s->caption) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

HWND FindBox(const std::wstring& caption, double seconds) {
  const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  do {
    BoxSearch s{caption, nullptr};
    ::EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    ::Sleep(100);
  } while (::GetTickCount64() < deadline);
  Fail("no message box captioned " + Utf8(caption));
}

void Press(HWND button) {
  // Posted: a press that opens a modal box must not hold this program up.
  ::PostMessageW(button, BM_CLICK, 0, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) Fail("usage: dialog_driver STEP ARGS...");
  const std::wstring step = argv[1];
  auto arg = [&](int i) -> std::wstring {
    if (i >= argc) Fail("missing argument");
    return argv[i];
  };
  if (step == L"wait-dialog") {
    const ULONGLONG start = ::GetTickCount64();
    const ULONGLONG limit = static_cast<ULONGLONG>(_wtof(arg(2).c_str()) * 1000);
    for (;;) {
      HWND d = ::FindWindowW(L"TFormSettings", nullptr);
      if (d && ::IsWindowVisible(d)) break;
      if (::GetTickCount64() - start > limit) Fail("the settings dialog did not show");
      ::Sleep(50);
    }
    Out(std::to_string(::GetTickCount64() - start));
  } else if (step == L"get") {
    Out(Utf8(TextOf(ControlOf(_wtoi(arg(2).c_str())))));
  } else if (step == L"set") {
    const std::wstring text = arg(3);
    ::SendMessageW(ControlOf(_wtoi(arg(2).c_str())), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(text.c_str()));
  } else if (step == L"checked") {
    Out(::SendMessageW(ControlOf(_wtoi(arg(2).c_str())), BM_GETCHECK, 0, 0) == BST_CHECKED ? "1"
                                                                                           : "0");
  } else if (step == L"visible") {
    Out(::IsWindowVisible(ControlOf(_wtoi(arg(2).c_str()))) ? "1" : "0");
  } else if (step == L"click") {
    Press(ControlOf(_wtoi(arg(2).c_str())));
  } else if (step == L"page") {
    // The page control tells the dialog of the change, as a click on the tab would.
    ::SendMessageW(ControlOf(100), TCM_SETCURFOCUS, _wtoi(arg(2).c_str()), 0);
  } else if (step == L"box") {
    HWND box = FindBox(arg(2), _wtof(arg(3).c_str()));
    Out(Utf8(TextOf(::GetDlgItem(box, 0xFFFF))));
    const LRESULT def = ::SendMessageW(box, DM_GETDEFID, 0, 0);
    const int default_id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : 0;
    Out("default " + std::to_string(default_id));
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
      if (HWND b = ::GetDlgItem(box, id)) Out(std::to_string(id) + " " + Utf8(TextOf(b)));
    }
  } else if (step == L"answer") {
    HWND box = FindBox(arg(2), 5);
    HWND b = ::GetDlgItem(box, arg(3) == L"ok" ? IDOK : IDCANCEL);
    if (!b) Fail("the box has no such button");
    Press(b);
  } else if (step == L"rect") {
    RECT r;
    ::GetWindowRect(Dialog(), &r);
    Out(std::to_string(r.left) + " " + std::to_string(r.top) + " " +
        std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top));
  } else if (step == L"client") {
    RECT r;
    ::GetClientRect(Dialog(), &r);
    Out(std::to_string(r.right) + " " + std::to_string(r.bottom));
  } else {
    Fail("unknown step");
  }
  return 0;
}
