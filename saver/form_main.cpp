#include "saver/form_main.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "common/errors.h"
#include "common/file_name.h"
#include "energy/calculate.h"
#include "energy/format_settings.h"
#include "energy/ini_file.h"
#include "energy/settings_file.h"
#include "energy/uptime.h"
#include "platform/application.h"
#include "platform/file.h"
#include "platform/text.h"
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

// The power settings whose changes tell the display's state.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kMonitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

RECT ToRect(const PixelRect& area, int dx, int dy) {
  return RECT{area.left + dx, area.top + dy, area.right + dx, area.bottom + dy};
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
  // Windows answers a registration with the current state at once.
  for (const GUID& setting : {kConsoleDisplayState, kMonitorPowerOn})
    power_notifications_.push_back(std::make_unique<PowerSettingRegistration>(hwnd(), setting));

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
  // Nobody sees the display: nothing moves until it comes back.
  if (!display_on_) return;
  const RingValues& rings = tick_counter_.Advance();
  const int64_t uptime = uptime_reader_.GetUpTimeMs();
  if (paint_box_) UpdateGauge(rings);
  ++ticks_drawn_;

  // Each label is shown as soon as it is written: when a figure fails, the ones
  // before it are new and the ones after it keep their text.
  struct ShowOnExit {
    TFormMain* form;
    ~ShowOnExit() { form->ShowChanges(); }
  } show{this};
  // Every figure of the tick rests on this one uptime and one reading of the file.
  const std::string path = SettingsFilePath();
  IniSnapshot snapshot(path, settings_file_.Read(win::Widen(path)), SystemIniBackend());
  SettingsFile ini(path, snapshot);
  WriteTickLabels(uptime, ini,
                  [this](Label which, const std::string& text) { SetLabel(which, text); });
  // The picture timer is switched off on a seconds text of "00", which the
  // three-decimal form never gives; kept as the rule that ends the picture timer.
  if (labels_[kSeconds] == L"00") timer2_->SetEnabled(false);
}

void TFormMain::UpdateGauge(const RingValues& rings) {
  const RECT box = PaintBoxRect();
  const int size = raster_.size();
  if (!gauge_values_) {
    const PixelRect all{0, 0, size, size};
    ::GdiFlush();  // the picture beneath is read from its surface's pixels
    std::vector<uint32_t> whole;
    raster_.Draw(ConstPixelRows{gauge_under_.bits(), gauge_under_.width()}, AreaRows(whole, all),
                 all, rings);
    paint_box_.Put(ConstPixelRows{whole.data(), size}, all);
    changed_.push_back(box);
  } else {
    // Only what moved: each ring's arc between its old and new end, worked on in an
    // area-sized buffer that holds the gauge there and goes back to the tiles.
    for (const RingRaster::Change& change : raster_.Changes(*gauge_values_, rings)) {
      const PixelRows under = AreaRows(area_under_, change.area);
      under_tiles_.Get(change.area, under);
      const PixelRows out = AreaRows(area_pixels_, change.area);
      paint_box_.Get(change.area, out);
      raster_.Redraw(ConstPixelRows{under.pixels, under.stride, under.left, under.top}, out, change,
                     rings, &gauge_tracks_);
      paint_box_.Put(ConstPixelRows{out.pixels, out.stride, out.left, out.top}, change.area);
      changed_.push_back(ToRect(change.area, box.left, box.top));
    }
  }
  gauge_values_ = rings;
}

PixelRows TFormMain::AreaRows(std::vector<uint32_t>& buffer, const PixelRect& area) {
  const int width = area.right - area.left;
  const size_t pixels = static_cast<size_t>(width) * (area.bottom - area.top);
  // Kept at its largest: the same pages tick after tick.
  if (buffer.size() < pixels) buffer.resize(pixels);
  return PixelRows{buffer.data(), width, area.left, area.top};
}

void TFormMain::ShowGaugeArea(HDC dc, const PixelRect& area) {
  const PixelRows rows = AreaRows(area_pixels_, area);
  paint_box_.Get(area, rows);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = rows.stride;
  info.bmiHeader.biHeight = -(area.bottom - area.top);  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const RECT box = PaintBoxRect();
  ::SetDIBitsToDevice(dc, box.left + area.left, box.top + area.top, rows.stride,
                      area.bottom - area.top, 0, 0, 0, area.bottom - area.top, rows.pixels, &info,
                      DIB_RGB_COLORS);
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
  // Most ticks leave most labels as they were: that shows before any conversion.
  if (label_sources_[which] == text) return;
  label_sources_[which] = text;
  std::wstring wide = win::Widen(text);
  if (wide == labels_[which]) return;
  // One area for the old text and the new: they share the label's line and right edge.
  const RECT old_text = text_rects_[which] ? *text_rects_[which] : TextRect(which, labels_[which]);
  labels_[which] = std::move(wide);
  const RECT new_text = TextRect(which, labels_[which]);
  if (composed_) text_rects_[which] = new_text;
  RECT both;
  ::UnionRect(&both, &old_text, &new_text);
  changed_.push_back(both);
}

int TFormMain::Px(int length) const {
  return static_cast<int>(std::lround(length * scale_));
}

RECT TFormMain::PaintBoxRect() const {
  const int size = raster_.size();
  return RECT{Px(kPaintBoxLeft), Px(kPaintBoxTop), Px(kPaintBoxLeft) + size,
              Px(kPaintBoxTop) + size};
}

RECT TFormMain::LabelRect(Label which) const {
  const LabelPlace& place = kLabelPlaces[which];
  // Wide enough for any figure; the text is right-aligned against `right`.
  return RECT{0, Px(place.top), Px(place.right), Px(place.top + place.font_height + 8)};
}

// The surface keeps a label font selected between uses, never its own: selecting a
// font of default quality makes Wine look up the X resources for smoothing, and where
// the X server has none it reads the resource files again on every selection.
// Selecting a font costs a look at its tables even when it is the one selected: the
// composed surface's font is remembered.
void TFormMain::SelectLabelFont(HDC dc, Label which) const {
  HGDIOBJ font = which == kFromdate ? date_font_.get() : label_font_.get();
  HGDIOBJ* selected = dc == composed_.dc()     ? &composed_font_
                      : dc == small_area_.dc() ? &small_area_font_
                                               : nullptr;
  if (selected) {
    if (*selected == font) return;
    *selected = font;
  }
  ::SelectObject(dc, font);
}

RECT TFormMain::TextRect(Label which, const std::wstring& text) const {
  RECT rect = LabelRect(which);
  if (!composed_) return rect;
  SelectLabelFont(composed_.dc(), which);
  SIZE extent{};
  ::GetTextExtentPoint32W(composed_.dc(), text.c_str(), static_cast<int>(text.size()), &extent);
  const int spare = Px(3) + 1;
  rect.left = std::max<LONG>(0, rect.right - extent.cx - spare);
  rect.right += spare;
  return rect;
}

void TFormMain::ApplyDpi(UINT dpi) {
  if (!flash1_) return;  // the children are placed once they exist
  scale_ = dpi > 0 ? dpi / 96.0 : 1.0;
  raster_ = RingRaster(scale_);
  picture_ = StoredPicture(scale_);
  // The old fonts leave the surface before they are deleted; Resize selects the new one.
  if (composed_) ::SelectObject(composed_.dc(), ::GetStockObject(SYSTEM_FONT));
  if (small_area_) ::SelectObject(small_area_.dc(), ::GetStockObject(SYSTEM_FONT));
  composed_font_ = small_area_font_ = nullptr;
  label_font_.reset(MakeArial(Px(kLabelPlaces[kSeconds].font_height)));
  date_font_.reset(MakeArial(Px(kLabelPlaces[kFromdate].font_height)));
  ::MoveWindow(flash1_->hwnd(), Px(kMovieLeft), Px(kMovieTop), Px(kMovieSize), Px(kMovieSize),
               TRUE);
  ::MoveWindow(flash2_->hwnd(), Px(216), Px(136), Px(185), Px(154), FALSE);
  RECT client;
  ::GetClientRect(hwnd(), &client);
  Resize(client.right, client.bottom);
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void TFormMain::Resize(int width, int height) {
  if (width <= 0 || height <= 0) return;
  background_ = win::DibSurface(width, height);
  composed_ = win::DibSurface(width, height);
  // Room for a label's area: the old text and the new on its line.
  small_area_ = win::DibSurface(Px(192), Px(kLabelPlaces[kSeconds].font_height + 8));
  composed_font_ = small_area_font_ = nullptr;
  for (const win::DibSurface* surface : {&composed_, &small_area_}) {
    SelectLabelFont(surface->dc(), kSeconds);
    // White labels over the picture: the surfaces keep the text settings for good.
    ::SetBkMode(surface->dc(), TRANSPARENT);
    ::SetTextColor(surface->dc(), RGB(255, 255, 255));
  }
  text_rects_ = {};  // measured again with the fonts of this size
  paint_box_ = TiledPixels(raster_.size(), raster_.size());
  ComposeBackground();
  // What lies beneath the paint box; where the window ends, the backdrop colour.
  gauge_under_ = win::DibSurface(raster_.size(), raster_.size());
  const RECT box = PaintBoxRect();
  const RECT under{0, 0, raster_.size(), raster_.size()};
  win::GdiObject brush(::CreateSolidBrush(kBackdrop.colorref()));
  ::FillRect(gauge_under_.dc(), &under, static_cast<HBRUSH>(brush.get()));
  ::BitBlt(gauge_under_.dc(), 0, 0, raster_.size(), raster_.size(), background_.dc(), box.left,
           box.top, SRCCOPY);
  ::GdiFlush();  // the tracks are drawn from the surface's pixels directly
  gauge_tracks_ = raster_.Tracks(ConstPixelRows{gauge_under_.bits(), gauge_under_.width()});
  under_tiles_ = TiledPixels(raster_.size(), raster_.size());
  under_tiles_.Put(ConstPixelRows{gauge_under_.bits(), gauge_under_.width()},
                   PixelRect{0, 0, raster_.size(), raster_.size()});
  // The gauge appears with the next tick, as after any repaint of its area.
  gauge_values_.reset();
  changed_.clear();
  ComposeArea(RECT{0, 0, width, height});
  gauge_behind_ = false;
  // The whole window shows the new composition, not only the part the size change added.
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void TFormMain::ComposeBackground() {
  RECT all{0, 0, background_.width(), background_.height()};
  win::GdiObject brush(::CreateSolidBrush(kBackdrop.colorref()));
  ::FillRect(background_.dc(), &all, static_cast<HBRUSH>(brush.get()));
  if (picture_)
    ::BitBlt(background_.dc(), 0, 0, picture_->width(), picture_->height(), picture_->dc(), 0, 0,
             SRCCOPY);
}

void TFormMain::ComposeArea(const RECT& area) const {
  ComposeArea(area, composed_, 0, 0);
}

void TFormMain::ComposeArea(const RECT& area, const win::DibSurface& target, int left,
                            int top) const {
  HDC dc = target.dc();
  RECT part;
  const RECT box = PaintBoxRect();
  const bool gauge = gauge_values_ && ::IntersectRect(&part, &area, &box);
  // The paint box holds the picture beneath it: the background is needed only around it.
  if (!gauge || !::EqualRect(&part, &area))
    ::BitBlt(dc, area.left - left, area.top - top, area.right - area.left, area.bottom - area.top,
             background_.dc(), area.left, area.top, SRCCOPY);
  if (gauge) {
    // From the gauge's tiles straight into the surface's pixels.
    ::GdiFlush();
    paint_box_.Get(
        PixelRect{part.left - box.left, part.top - box.top, part.right - box.left,
                  part.bottom - box.top},
        PixelRows{target.bits() + static_cast<ptrdiff_t>(part.top - top) * target.width() +
                      (part.left - left),
                  target.width(), part.left - box.left, part.top - box.top});
  }
  bool any_label = false;
  for (int i = 0; i < kLabelCount && !any_label; ++i) {
    const RECT rect = LabelRect(static_cast<Label>(i));
    any_label = ::IntersectRect(&part, &area, &rect);
  }
  if (!any_label) return;
  // Clipped to the area; no SaveDC: restoring a DC selects its font again.
  ::IntersectClipRect(dc, area.left - left, area.top - top, area.right - left, area.bottom - top);
  for (int i = 0; i < kLabelCount; ++i) {
    const Label which = static_cast<Label>(i);
    RECT rect = LabelRect(which);
    if (!::IntersectRect(&part, &area, &rect)) continue;
    ::OffsetRect(&rect, -left, -top);
    SelectLabelFont(dc, which);
    ::DrawTextW(dc, labels_[i].c_str(), static_cast<int>(labels_[i].size()), &rect,
                DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  }
  ::SelectClipRgn(dc, nullptr);
}

win::DibSurface TFormMain::ComposeWhole() const {
  win::DibSurface whole(composed_.width(), composed_.height());
  const RECT all{0, 0, composed_.width(), composed_.height()};
  ::BitBlt(whole.dc(), 0, 0, all.right, all.bottom, background_.dc(), 0, 0, SRCCOPY);
  if (gauge_values_) {
    // The whole gauge over the picture beneath the paint box.
    const RECT box = PaintBoxRect();
    win::DibSurface gauge(raster_.size(), raster_.size());
    ::GdiFlush();
    raster_.Draw(ConstPixelRows{gauge_under_.bits(), gauge_under_.width()},
                 PixelRows{gauge.bits(), gauge.width()},
                 PixelRect{0, 0, raster_.size(), raster_.size()}, *gauge_values_);
    ::BitBlt(whole.dc(), box.left, box.top, gauge.width(), gauge.height(), gauge.dc(), 0, 0,
             SRCCOPY);
  }
  ::SetBkMode(whole.dc(), TRANSPARENT);
  ::SetTextColor(whole.dc(), RGB(255, 255, 255));
  for (int i = 0; i < kLabelCount; ++i) {
    const Label which = static_cast<Label>(i);
    win::SelectGuard font(whole.dc(), which == kFromdate ? date_font_.get() : label_font_.get());
    RECT rect = LabelRect(which);
    ::DrawTextW(whole.dc(), labels_[i].c_str(), static_cast<int>(labels_[i].size()), &rect,
                DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  }
  return whole;
}

void TFormMain::ShowChanges() {
  std::vector<RECT> changed;
  changed.swap(changed_);
  if (!composed_) return;
  const RECT all{0, 0, composed_.width(), composed_.height()};
  // The window's own DC (CS_OWNDC) lives as long as the window: it is taken once.
  if (!window_dc_ && hwnd()) window_dc_ = ::GetDC(hwnd());
  HDC window = window_dc_;
  const RECT box = PaintBoxRect();
  for (RECT area : changed) {
    if (!::IntersectRect(&area, &area, &all)) continue;
    if (gauge_values_ && Within(area, box) && !UnderLabel(area)) {
      // Gauge alone: straight from its tiles to the window. The composed surface
      // catches up when it is next needed.
      if (window)
        ShowGaugeArea(window, PixelRect{area.left - box.left, area.top - box.top,
                                        area.right - box.left, area.bottom - box.top});
      gauge_behind_ = true;
      continue;
    }
    if (window && Within(area, box) && area.right - area.left <= small_area_.width() &&
        area.bottom - area.top <= small_area_.height()) {
      // A label's area, say: composed in a small surface of its own, whose few pages
      // stand in for one page a row of the composed surface, which catches up later.
      ComposeArea(area, small_area_, area.left, area.top);
      ::BitBlt(window, area.left, area.top, area.right - area.left, area.bottom - area.top,
               small_area_.dc(), 0, 0, SRCCOPY);
      gauge_behind_ = true;
      continue;
    }
    ComposeArea(area);
    if (window)
      ::BitBlt(window, area.left, area.top, area.right - area.left, area.bottom - area.top,
               composed_.dc(), area.left, area.top, SRCCOPY);
  }
}

void TFormMain::OnDisplayState(bool on) {
  if (on == display_on_ || !timer1_) return;
  display_on_ = on;
  timer1_->SetEnabled(on);
  flash1_->SetPaused(!on);
  // Back on: the figures of this moment at once, not one interval later.
  if (on) Timer1Timer();
}

std::optional<bool> DisplayStateOf(const POWERBROADCAST_SETTING& setting) {
  if (setting.DataLength < sizeof(DWORD)) return std::nullopt;
  DWORD value;
  std::memcpy(&value, setting.Data, sizeof value);
  if (::IsEqualGUID(setting.PowerSetting, kConsoleDisplayState) ||
      ::IsEqualGUID(setting.PowerSetting, kMonitorPowerOn))
    return value != 0;  // 0 off; 1 on; 2 (console state only) dimmed, still seen
  return std::nullopt;
}

bool TFormMain::UnderLabel(const RECT& area) const {
  for (int i = 0; i < kLabelCount; ++i) {
    const RECT rect = LabelRect(static_cast<Label>(i));
    if (area.left < rect.right && rect.left < area.right && area.top < rect.bottom &&
        rect.top < area.bottom)
      return true;
  }
  return false;
}

bool TFormMain::Within(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

void TFormMain::CatchUp() {
  if (!gauge_behind_ || !composed_) return;
  gauge_behind_ = false;
  RECT box = PaintBoxRect();
  const RECT all{0, 0, composed_.width(), composed_.height()};
  if (::IntersectRect(&box, &box, &all)) ComposeArea(box);
}

const win::DibSurface& TFormMain::composed() {
  CatchUp();
  return composed_;
}

void TFormMain::OnPaint(HDC dc, const RECT& area) {
  FormPaint();
  CatchUp();
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
