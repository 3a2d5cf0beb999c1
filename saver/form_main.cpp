#include "saver/form_main.h"

#include <charconv>

#include "common/errors.h"
#include "common/file_name.h"
#include "platform/application.h"
#include "platform/file.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "saver/layout.h"
#include "saver/list_file.h"

namespace wd::saver {

TFormMain* FormMain = nullptr;

namespace {

// The window's colour as it is built, before its first paint.
constexpr COLORREF kTeal = RGB(0, 128, 128);

constexpr UINT_PTR kTimer1 = 1;  // dashboard tick
constexpr UINT_PTR kTimer2 = 2;  // picture timer
constexpr UINT_PTR kTimer3 = 3;  // no handler

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TFormMain::TFormMain(std::wstring program_path)
    : program_path_(std::move(program_path)), color_(kTeal) {
  win::WindowParams params;
  params.class_name = L"TFormMain";
  params.caption = L"FormMain";
  params.style = WS_POPUP | WS_CLIPCHILDREN;
  // A DC of its own: every tick draws straight to the window.
  params.class_style = CS_DBLCLKS | CS_OWNDC;
  params.x = 0;
  params.y = 0;
  params.width = kPictureWidth;
  params.height = kPictureHeight;
  Create(params);
  // The movie plays "earth.swf" (set by FormCreate). The second movie stays hidden
  // and loads nothing; it is kept because it is one of the window's child windows,
  // with the settings it has always been stored with.
  flash1_ = std::make_unique<TShockwaveFlash>(hwnd(), kMovieLeft, kMovieTop, kMovieSize, kMovieSize,
                                              MovieSettings{.movie = L"earth-2.swf"});
  flash2_ = std::make_unique<TShockwaveFlash>(hwnd(), 216, 136, 185, 154,
                                              MovieSettings{.movie = L"text.swf"}, false);
  ApplyDpi(win::WindowDpi(hwnd()));
  timer1_ = std::make_unique<win::Timer>(hwnd(), kTimer1, 397, true);
  timer2_ = std::make_unique<win::Timer>(hwnd(), kTimer2, 60000, false);
  timer3_ = std::make_unique<win::Timer>(hwnd(), kTimer3, 30000, false);
  power_notifications_ = RegisterDisplayState(hwnd());

  win::Application& app = win::Application::Instance();
  saved_cursor_ = app.CursorShape();
  app.SetCursorShape(win::kCursorNone);
  LoadListFile();
  try {
    FormCreate();
  } catch (const std::exception& error) {
    // The window is still created; the error is reported like any other.
    app.HandleException(error);
  }
}

TFormMain::~TFormMain() {
  if (FormMain == this) FormMain = nullptr;
  power_notifications_.clear();
  win::Application::Instance().SetCursorShape(saved_cursor_);
  timer1_.reset();
  timer2_.reset();
  timer3_.reset();
  flash2_.reset();
  flash1_.reset();
  DestroyNative();
}

// The lines are kept though nothing shows them: reading the file is part of how the
// window starts, and a list file that exists but cannot be read is reported.
void TFormMain::LoadListFile() {
  list_lines_.clear();
  const std::wstring path = ListFilePath(program_path_);
  if (FileExists(path)) list_lines_ = SplitLines(win::ReadWholeFile(path));
}

void TFormMain::FormCreate() {
  flash1_->SetMovie(FolderOf(program_path_) + L"earth.swf");
  flash1_->Play();
}

void TFormMain::FormPaint() {
  color_ = kBackdrop.colorref();
}

void TFormMain::FormMouseMove(int x, int y) {
  if (exit_rule_.OnMove(x, y)) win::Application::Instance().Terminate();
}

void TFormMain::FormMouseDown() {
  Close();
}

void TFormMain::OnTimer(UINT_PTR id) {
  if (id == kTimer1) Timer1Timer();
  if (id == kTimer2) Timer2Timer();
}

void TFormMain::Timer1Timer() {
  // Nobody sees the display: nothing moves until it comes back.
  if (!display_on_) return;
  // What the tick changed goes to the window even when a figure fails part of the way.
  struct ShowOnExit {
    TFormMain* form;
    ~ShowOnExit() {
      // The window's own DC (CS_OWNDC) lives as long as the window: it is taken once.
      if (!form->window_dc_ && form->hwnd()) form->window_dc_ = ::GetDC(form->hwnd());
      form->dashboard_.ShowChanges(form->window_dc_);
    }
  } show{this};
  dashboard_.Tick();
  // The picture timer is switched off on a seconds text of "00", which the
  // three-decimal form never gives; kept as the rule that ends the picture timer.
  if (dashboard_.label(kSeconds).text == L"00") timer2_->SetEnabled(false);
}

void TFormMain::Timer2Timer() {
  // Kept though its timer is never enabled while the saver runs: the timer and its
  // handler are the picture switching the window is built with.
  // The background alternates with the minute: 2.jpg on even minutes, 1.jpg on odd
  // ones. The minutes label holds a decimal text, so its whole part decides. A
  // picture that cannot be loaded leaves the current one in place.
  const std::string minutes = win::Narrow(dashboard_.label(kMins).text);
  long long whole = 0;
  const auto [end, error] = std::from_chars(minutes.data(), minutes.data() + minutes.size(), whole);
  if (error != std::errc() || end == minutes.data()) return;
  const std::wstring path = FolderOf(program_path_) + (whole % 2 == 0 ? L"2.jpg" : L"1.jpg");
  try {
    dashboard_.SetPicture(LoadPictureFile(path));
  } catch (const wd::Error&) {
    return;
  }
  RECT client;
  ::GetClientRect(hwnd(), &client);
  Resize(client.right, client.bottom);
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void TFormMain::ApplyDpi(UINT dpi) {
  if (!flash1_) return;  // the children are placed once they exist
  const double scale = dpi > 0 ? dpi / 96.0 : 1.0;
  dashboard_.SetScale(scale);
  const auto px = [scale](int length) { return ScaledLength(length, scale); };
  ::MoveWindow(flash1_->hwnd(), px(kMovieLeft), px(kMovieTop), px(kMovieSize), px(kMovieSize),
               TRUE);
  ::MoveWindow(flash2_->hwnd(), px(216), px(136), px(185), px(154), FALSE);
  RECT client;
  ::GetClientRect(hwnd(), &client);
  Resize(client.right, client.bottom);
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void TFormMain::Resize(int width, int height) {
  // The whole window shows the new composition, not only the part the size change added.
  if (dashboard_.Resize(width, height)) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void TFormMain::OnDisplayState(bool on) {
  if (on == display_on_ || !timer1_) return;
  display_on_ = on;
  timer1_->SetEnabled(on);
  flash1_->SetPaused(!on);
  // Back on: the figures of this moment at once, not one interval later.
  if (on) Timer1Timer();
}

void TFormMain::OnPaint(HDC dc, const RECT& area) {
  FormPaint();
  if (dashboard_.Paint(dc, area)) return;
  win::GdiObject brush(::CreateSolidBrush(color_));
  ::FillRect(dc, &area, static_cast<HBRUSH>(brush.get()));
}

void TFormMain::OnGetMinMaxInfo(MINMAXINFO& info) {
  // Maximised, a borderless window covers its whole monitor, not only the work area.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (::GetMonitorInfoW(::MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST), &monitor)) {
    // The maximised position is relative to the monitor's work area.
    info.ptMaxPosition.x = monitor.rcMonitor.left - monitor.rcWork.left;
    info.ptMaxPosition.y = monitor.rcMonitor.top - monitor.rcWork.top;
    info.ptMaxSize.x = monitor.rcMonitor.right - monitor.rcMonitor.left;
    info.ptMaxSize.y = monitor.rcMonitor.bottom - monitor.rcMonitor.top;
  }
}

bool TFormMain::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (msg) {
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lparam));
      result = 0;
      return true;
    case WM_SIZE:
      Resize(LOWORD(lparam), HIWORD(lparam));
      return false;
    case WM_DPICHANGED:
      ApplyDpi(HIWORD(wparam));
      return false;
    case WM_POWERBROADCAST:
      if (wparam == PBT_POWERSETTINGCHANGE && lparam) {
        if (const auto on =
                DisplayStateOf(*reinterpret_cast<const POWERBROADCAST_SETTING*>(lparam)))
          OnDisplayState(*on);
        result = TRUE;
        return true;
      }
      return Window::HandleMessage(msg, wparam, lparam, result);
    default:
      return Window::HandleMessage(msg, wparam, lparam, result);
  }
}

}  // namespace wd::saver
