#include "saver/form_main.h"

#include <algorithm>
#include <charconv>

#include "common/errors.h"
#include "common/file_name.h"
#include "energy/calculate.h"
#include "energy/format_settings.h"
#include "energy/uptime.h"
#include "platform/application.h"
#include "platform/file.h"
#include "platform/text.h"
#include "saver/gdi_plus.h"
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

HFONT MakeArial(int height) {
  LOGFONTW font{};
  font.lfHeight = -height;  // character height, not cell height
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = ANTIALIASED_QUALITY;
  wcscpy_s(font.lfFaceName, L"Arial");
  return ::CreateFontIndirectW(&font);
}

}  // namespace

TFormMain::TFormMain(std::wstring program_path)
    : program_path_(std::move(program_path)), color_(kTeal) {
  for (int i = 0; i < kLabelCount; ++i) labels_[i] = win::Widen(kLabelPlaces[i].caption);
  picture_ = StoredPicture();
  label_font_.reset(MakeArial(21));
  date_font_.reset(MakeArial(19));

  win::WindowParams params;
  params.class_name = L"TFormMain";
  params.caption = L"FormMain";
  params.style = WS_POPUP | WS_CLIPCHILDREN;
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
  timer1_ = std::make_unique<win::Timer>(hwnd(), kTimer1, 397, true);
  timer2_ = std::make_unique<win::Timer>(hwnd(), kTimer2, 60000, false);
  timer3_ = std::make_unique<win::Timer>(hwnd(), kTimer3, 30000, false);

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
  tick_counter_.Reset();
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
  const RingValues& rings = tick_counter_.Advance();
  const int64_t uptime = GetUpTimeMs();

  // The gauge on its own surface, over the picture that lies beneath the paint box.
  const std::array<float, kRingCount> v = DrawRingsArguments(rings);
  if (paint_box_) {
    ::BitBlt(paint_box_.dc(), 0, 0, kPaintBoxSize, kPaintBoxSize, background_.dc(), kPaintBoxLeft,
             kPaintBoxTop, SRCCOPY);
    DrawRings(paint_box_.dc(), v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
    gauge_drawn_ = true;
  }

  // Each label is shown as soon as it is written: when a figure fails, the ones
  // before it are new and the ones after it keep their text.
  struct ShowOnExit {
    TFormMain* form;
    ~ShowOnExit() { form->ShowTickArea(); }
  } show{this};
  SetLabel(kSeconds, FormatFigure(static_cast<double>(uptime % 60000) / 1000.0));
  SetLabel(kMins, FormatFigure(static_cast<double>(uptime % 3600000) / 60000.0));
  SetLabel(kHours, FormatFigure(CalcHours()));
  SetLabel(kPower, FormatFigure(CalcPowerKwh()));
  SetLabel(kPowerFee, FormatFigure(CalcPowerFee()));
  SetLabel(kCo2, FormatFigure(CalcCo2()));
  SetLabel(kThisYearCo2, FormatFigure(CalcThisYearCo2()));
  SetLabel(kFromdate, FormatShortDate(GetFromDate()));
  // The picture timer is switched off on a seconds text of "00", which the
  // three-decimal form never gives; kept as the rule that ends the picture timer.
  if (labels_[kSeconds] == L"00") timer2_->SetEnabled(false);
}

void TFormMain::Timer2Timer() {
  // Kept though its timer is never enabled while the saver runs: the timer and its
  // handler are the picture switching the window is built with.
  // The background alternates with the minute: 2.jpg on even minutes, 1.jpg on odd
  // ones. The minutes label holds a decimal text, so its whole part decides. A
  // picture that cannot be loaded leaves the current one in place.
  const std::string minutes = win::Narrow(labels_[kMins]);
  long long whole = 0;
  const auto [end, error] = std::from_chars(minutes.data(), minutes.data() + minutes.size(), whole);
  if (error != std::errc() || end == minutes.data()) return;
  const std::wstring path = FolderOf(program_path_) + (whole % 2 == 0 ? L"2.jpg" : L"1.jpg");
  try {
    picture_ = LoadPictureFile(path);
  } catch (const wd::Error&) {
    return;
  }
  RECT client;
  ::GetClientRect(hwnd(), &client);
  Resize(client.right, client.bottom);
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void TFormMain::SetLabel(Label which, const std::string& text) {
  labels_[which] = win::Widen(text);
}

RECT TFormMain::LabelRect(Label which) const {
  const LabelPlace& place = kLabelPlaces[which];
  // Wide enough for any figure; the text is right-aligned against `right`.
  return RECT{0, place.top, place.right, place.top + place.font_height + 8};
}

void TFormMain::Resize(int width, int height) {
  if (width <= 0 || height <= 0) return;
  background_ = win::DibSurface(width, height);
  composed_ = win::DibSurface(width, height);
  if (!paint_box_) paint_box_ = win::DibSurface(kPaintBoxSize, kPaintBoxSize);
  ComposeBackground();
  ::BitBlt(composed_.dc(), 0, 0, width, height, background_.dc(), 0, 0, SRCCOPY);
  // The gauge appears with the next tick, as after any repaint of its area.
  gauge_drawn_ = false;
  ComposeTickArea();
}

void TFormMain::ComposeBackground() {
  RECT all{0, 0, background_.width(), background_.height()};
  win::GdiObject brush(::CreateSolidBrush(kBackdrop.colorref()));
  ::FillRect(background_.dc(), &all, static_cast<HBRUSH>(brush.get()));
  if (picture_)
    ::BitBlt(background_.dc(), 0, 0, picture_->width(), picture_->height(), picture_->dc(), 0, 0,
             SRCCOPY);
}

void TFormMain::ComposeTickArea() {
  if (!composed_) return;
  HDC dc = composed_.dc();
  // Only the band a tick changes is laid afresh; the rest stays as Resize left it.
  const int right = std::min(kTickAreaRight, composed_.width());
  const int bottom = std::min(kTickAreaBottom, composed_.height());
  ::BitBlt(dc, 0, kTickAreaTop, right, bottom - kTickAreaTop, background_.dc(), 0, kTickAreaTop,
           SRCCOPY);
  if (gauge_drawn_)
    ::BitBlt(dc, kPaintBoxLeft, kPaintBoxTop, kPaintBoxSize, kPaintBoxSize, paint_box_.dc(), 0, 0,
             SRCCOPY);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(255, 255, 255));
  for (int i = 0; i < kLabelCount; ++i) {
    const Label which = static_cast<Label>(i);
    win::SelectGuard font(dc, which == kFromdate ? date_font_.get() : label_font_.get());
    RECT rect = LabelRect(which);
    ::DrawTextW(dc, labels_[i].c_str(), static_cast<int>(labels_[i].size()), &rect,
                DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  }
}

void TFormMain::ShowTickArea() {
  if (!composed_) return;
  ComposeTickArea();
  win::WindowDc dc(hwnd());
  const int right = std::min(kTickAreaRight, composed_.width());
  const int bottom = std::min(kTickAreaBottom, composed_.height());
  ::BitBlt(dc.get(), 0, kTickAreaTop, right, bottom - kTickAreaTop, composed_.dc(), 0, kTickAreaTop,
           SRCCOPY);
}

void TFormMain::OnPaint(HDC dc, const RECT& area) {
  FormPaint();
  if (composed_) {
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
             composed_.dc(), area.left, area.top, SRCCOPY);
  } else {
    win::GdiObject brush(::CreateSolidBrush(color_));
    ::FillRect(dc, &area, static_cast<HBRUSH>(brush.get()));
  }
}

bool TFormMain::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (msg) {
    case WM_GETMINMAXINFO: {
      // Maximised, a borderless window covers its whole monitor, not only the work area.
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      MONITORINFO monitor{};
      monitor.cbSize = sizeof(monitor);
      if (::GetMonitorInfoW(::MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST), &monitor)) {
        // The maximised position is relative to the monitor's work area.
        info->ptMaxPosition.x = monitor.rcMonitor.left - monitor.rcWork.left;
        info->ptMaxPosition.y = monitor.rcMonitor.top - monitor.rcWork.top;
        info->ptMaxSize.x = monitor.rcMonitor.right - monitor.rcMonitor.left;
        info->ptMaxSize.y = monitor.rcMonitor.bottom - monitor.rcMonitor.top;
      }
      result = 0;
      return true;
    }
    case WM_SIZE:
      Resize(LOWORD(lparam), HIWORD(lparam));
      return false;
    default:
      return Window::HandleMessage(msg, wparam, lparam, result);
  }
}

std::vector<MonitorRect> SystemMonitors() {
  std::vector<MonitorRect> monitors;
  ::EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        if (::GetMonitorInfoW(monitor, &info)) {
          auto* list = reinterpret_cast<std::vector<MonitorRect>*>(data);
          const MonitorRect rect{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                                 info.rcMonitor.bottom};
          if (info.dwFlags & MONITORINFOF_PRIMARY)
            list->insert(list->begin(), rect);
          else
            list->push_back(rect);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

void RunSaver(const std::vector<MonitorRect>& monitors, const std::wstring& program_path) {
  win::Application& app = win::Application::Instance();
  for (const MonitorRect& monitor : monitors) {
    auto form = std::make_unique<TFormMain>(program_path);
    HWND hwnd = form->hwnd();
    FormMain = form.get();
    app.Add(std::move(form));
    // Only the left edge is taken from the monitor; the top edge stays where it is.
    RECT rect;
    ::GetWindowRect(hwnd, &rect);
    ::SetWindowPos(hwnd, nullptr, monitor.left, rect.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The first ShowWindow of a process may take the starting program's show command
    // instead of ours, so the state is asked for until it holds.
    ::ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    if (!::IsZoomed(hwnd)) ::ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  }
}

}  // namespace wd::saver
