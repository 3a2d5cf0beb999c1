#include "saver/movie_control.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <exception>

#include "common/errors.h"
#include "platform/file.h"
#include "saver/layout.h"
#include "saver/resample.h"
#include "swf/player.h"

namespace wd::saver {
namespace {

constexpr UINT_PTR kFrameTimerId = 1;
// Frames a late timer may catch up at once; time beyond that is dropped.
constexpr int kMaxCatchUp = 3;

// A movie bigger than this is not one the player would inflate either.
constexpr size_t kLargestMovie = size_t{256} << 20;

double SecondsBetween(LONGLONG from, LONGLONG to) {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f{};
    ::QueryPerformanceFrequency(&f);
    return f.QuadPart > 0 ? f.QuadPart : 1;
  }();
  return static_cast<double>(to - from) / static_cast<double>(frequency);
}

LONGLONG Now() {
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

}  // namespace

TShockwaveFlash::TShockwaveFlash(HWND parent, int x, int y, int width, int height,
                                 MovieSettings settings, bool visible)
    : settings_(std::move(settings)) {
  win::WindowParams params;
  params.class_name = L"TShockwaveFlash";
  params.caption = L"";
  params.style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
  // Every press is a press: a second quick one must not turn into a double click.
  // A DC of its own makes the frame-by-frame GetDC cheap.
  params.class_style = CS_OWNDC;
  params.x = x;
  params.y = y;
  params.width = width;
  params.height = height;
  params.parent = parent;
  Create(params);
  Resize(width, height);
}

TShockwaveFlash::~TShockwaveFlash() {
  StopTimer();
  DestroyNative();
}

bool TShockwaveFlash::Visible() const {
  // The control's own visibility: a control on a window that is not shown yet counts
  // as visible, so the saver window's creation can load its movie.
  return hwnd() && (::GetWindowLongPtrW(hwnd(), GWL_STYLE) & WS_VISIBLE);
}

bool TShockwaveFlash::loaded() const {
  return loaded_;
}

int TShockwaveFlash::current_frame() const {
  return loaded_ ? frame_ : 0;
}

void TShockwaveFlash::SetMovie(const std::wstring& full_path) {
  settings_.movie = full_path;
  pending_load_ = true;
  if (Visible()) LoadPending();
}

void TShockwaveFlash::Play() {
  playing_ = true;
  if (loaded_) StartTimer();
}

void TShockwaveFlash::SetPaused(bool paused) {
  if (paused == paused_) return;
  paused_ = paused;
  if (paused)
    StopTimer();
  else if (playing_)
    StartTimer();
}

void TShockwaveFlash::LoadPending() {
  if (!pending_load_) return;
  pending_load_ = false;
  StopTimer();
  player_.reset();
  movie_.reset();
  loaded_ = false;
  ResetCache();
  frames_run_ = 0;
  frame_ = 0;
  file_read_ = false;
  stale_ = true;
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);

  // A movie that cannot be read leaves the backdrop: a screen saver runs unattended.
  if (!ReadMovie()) return;
  loaded_ = true;
  frame_count_ = movie_->frameCount();
  stage_width_ = movie_->stageWidth();
  stage_height_ = movie_->stageHeight();
  loops_alike_ = LoopsAlike(*movie_);
  ResetCache();
  clock_.emplace(movie_->frameRate(), kMaxCatchUp);
  RunFrames(1);
  if (playing_) StartTimer();
}

bool TShockwaveFlash::ReadMovie() {
  const auto bytes = win::TryReadWholeFile(settings_.movie, kLargestMovie);
  if (!bytes) return false;
  file_read_ = true;
  try {
    // Whatever can be read plays; a movie whose very header is unusable shows nothing.
    movie_ = swf::loadMoviePartial(
        std::span(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()));
  } catch (const std::exception&) {
    return false;
  }
  player_ = std::make_unique<swf::Player>(movie_);
  return true;
}

void TShockwaveFlash::DropMovieWhenKept() {
  // The kept pictures are all the control shows from now on; the movie's decoded
  // pictures would only take room.
  if (!AllKept() || !movie_) return;
  player_.reset();
  movie_.reset();
}

void TShockwaveFlash::StartTimer() {
  if (!loaded_ || !hwnd() || paused_) return;
  clock_->Reset();
  last_tick_ = Now();
  const UINT interval =
      static_cast<UINT>(std::clamp(std::lround(clock_->IntervalMs()), 10L, 100000L));
  if (timer_ && timer_->interval() == interval) {
    timer_->SetEnabled(true);
    return;
  }
  timer_.reset();
  timer_ = std::make_unique<win::Timer>(hwnd(), kFrameTimerId, interval, true);
}

void TShockwaveFlash::StopTimer() {
  if (timer_) timer_->SetEnabled(false);
}

void TShockwaveFlash::OnTimer(UINT_PTR id) {
  if (id != kFrameTimerId || !loaded_) return;
  const LONGLONG now = Now();
  const int due = clock_->FramesDue(SecondsBetween(last_tick_, now));
  last_tick_ = now;
  RunFrames(due);
}

void TShockwaveFlash::RunFrames(int count) {
  if (count <= 0 || !loaded_) return;
  if (AllKept()) {
    // Every picture of the loop is kept: the frame number is all that moves. Running
    // the player's frame would cost more than putting the picture on the screen, as
    // it reaches into memory no other frame touched lately.
    DropMovieWhenKept();
    const int frames = static_cast<int>(cache_->frames());
    frame_ = static_cast<int>((frame_ + static_cast<int64_t>(count) - 1) % frames) + 1;
  } else {
    swf::Player& player = CaughtUpPlayer();
    for (int i = 0; i < count; ++i) player.advance();
    frame_ = player.currentFrame();
  }
  frames_run_ += count;
  stale_ = true;
  // A control nobody can see costs no drawing; it draws when it is shown.
  if (!::IsWindowVisible(hwnd())) return;
  // A frame not kept yet is drawn and kept first: then it is known whether it looks like
  // the one on the screen and where it differs from the frame before it.
  if (!Kept(static_cast<size_t>(frame_ - 1))) EnsureDrawn();
  // A frame that looks like the one on the screen costs nothing more.
  const int picture = ShownPicture();
  if (picture >= 0 && picture == on_screen_) return;
  // Straight to the screen: cheaper than a paint message round trip per frame. The
  // window's own DC (CS_OWNDC) lives as long as the window: it is taken once.
  if (!window_dc_) window_dc_ = ::GetDC(hwnd());
  if (!window_dc_) return;
  // One frame on from the picture the screen shows: only what differs goes there.
  const RECT* part = nullptr;
  RECT changed{};
  if (count == 1 && picture >= 0) {
    const size_t frame = static_cast<size_t>(frame_ - 1);
    const size_t before = (frame + cache_->frames() - 1) % cache_->frames();
    if (cache_->kept(before) && cache_->PictureOf(before) == on_screen_ &&
        cache_->ChangeAt(frame)) {
      changed = *cache_->ChangeAt(frame);
      if (Enlarged()) {
        const Area area =
            EnlargedArea(Area{changed.left, changed.top, changed.right, changed.bottom},
                         drawn_width_, drawn_height_, picture_.width(), picture_.height());
        changed = RECT{area.left, area.top, area.right, area.bottom};
      }
      part = &changed;
    }
  }
  PutFrame(window_dc_, part);
  on_screen_ = ShownPicture();
  ++frames_shown_;
  if (part) ++frames_shown_in_part_;
}

int TShockwaveFlash::ShownPicture() const {
  if (!loaded_ || frame_ == 0 || !cache_) return -1;
  return cache_->PictureOf(static_cast<size_t>(frame_ - 1));
}

void TShockwaveFlash::PutFrame(HDC dc, const RECT* part) {
  const size_t frame = static_cast<size_t>(frame_ - 1);
  if (loaded_ && frame_ > 0 && Kept(frame) && !Enlarged()) {
    cache_->Put(dc, frame, part);
    return;
  }
  EnsureDrawn();
  const RECT area = part ? *part : RECT{0, 0, picture_.width(), picture_.height()};
  ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, picture_.dc(),
           area.left, area.top, SRCCOPY);
}

void TShockwaveFlash::Resize(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (picture_ && width == picture_.width() && height == picture_.height()) return;
  // Top-down: row 0 first, as the player writes it.
  picture_.Resize(width, height);
  stale_ = true;
  picture_frame_ = -1;
  ResetCache();
}

void TShockwaveFlash::ChooseDrawnSize() {
  const SIZE kept = loaded_ && loops_alike_
                        ? FrameCache::KeptSize(picture_.width(), picture_.height(), stage_width_,
                                               stage_height_, std::max(frame_count_, 0))
                        : SIZE{picture_.width(), picture_.height()};
  const int width = drawn_width_ = kept.cx, height = drawn_height_ = kept.cy;
  if (width == picture_.width() && height == picture_.height())
    std::vector<uint32_t>().swap(small_);
  else
    small_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  stale_ = true;
  picture_frame_ = -1;
}

void TShockwaveFlash::ResetCache() {
  cache_.reset();
  on_screen_ = -1;
  ChooseDrawnSize();
  if (!loaded_ || !loops_alike_) return;
  // Controls showing the same movie drawn the same way at the same size share their
  // pictures: a frame one of them drew is a copy for the others.
  const bool low = Options().quality == swf::Quality::Low;
  cache_ = FrameCache::Shared(settings_.movie + (low ? L"|low" : L"|high"), drawn_width_,
                              drawn_height_, static_cast<size_t>(std::max(frame_count_, 0)));
  // Pictures still to be drawn need the movie, let go of once a loop was kept.
  if (!movie_ && !AllKept() && !ReadMovie()) {
    loaded_ = false;
    StopTimer();
  }
}

swf::Player& TShockwaveFlash::CaughtUpPlayer() {
  // It stood still only while every picture was kept, which needs loops that look
  // alike: the frames it missed count only up to its place in the loop.
  const int at = player_->currentFrame();
  if (at != frame_) {
    const int frames = std::max(movie_->frameCount(), 1);
    const int missed = at == 0 ? frame_ : (frame_ - at + frames) % frames;
    for (int i = 0; i < missed; ++i) player_->advance();
  }
  return *player_;
}

swf::RenderOptions TShockwaveFlash::Options() const {
  swf::RenderOptions options;
  // "Low" and "AutoLow" draw without anti-aliasing; every other quality smooths edges.
  const bool low = ::_wcsicmp(settings_.quality.c_str(), L"Low") == 0 ||
                   ::_wcsicmp(settings_.quality.c_str(), L"AutoLow") == 0;
  options.quality = low ? swf::Quality::Low : swf::Quality::High;
  return options;
}

void TShockwaveFlash::EnsureDrawn() {
  if (!stale_ || !picture_.bits()) return;
  ::GdiFlush();  // GDI may still be reading the DIB for an earlier blit
  stale_ = false;
  const int width = picture_.width(), height = picture_.height();
  if (!loaded_) {
    std::fill(picture_.bits(), picture_.bits() + static_cast<size_t>(width) * height,
              kBackdrop.dib_pixel());
    picture_frame_ = -1;
    return;
  }
  const size_t frame = static_cast<size_t>(frame_ - 1);
  const size_t count = static_cast<size_t>(drawn_width_) * static_cast<size_t>(drawn_height_);
  const bool cached = cache_ && frame_ > 0 && frame < cache_->frames();
  // The frame at the size it is drawn at: the control's DIB itself, or the small one.
  uint32_t* drawn = Enlarged() ? small_.data() : picture_.bits();
  const bool kept = cached && cache_->kept(frame);
  if (kept) {
    cache_->Get(frame, drawn);
  } else {
    const bool complete = CaughtUpPlayer().render(drawn, drawn_width_, drawn_height_, Options());
    ToDibOrder(drawn, count);
    ++frames_drawn_;
    // Kept from now on, when the player finished it.
    if (complete && cached) cache_->Keep(frame, drawn);
  }
  if (Enlarged()) {
    // Over the frame before it, only where the two differ.
    Area part{0, 0, width, height};
    const size_t frames = cache_ ? cache_->frames() : 0;
    if (cached && cache_->kept(frame) && picture_frame_ >= 0 &&
        static_cast<size_t>(picture_frame_) == (frame + frames - 1) % frames &&
        cache_->ChangeAt(frame)) {
      const RECT& change = *cache_->ChangeAt(frame);
      part = EnlargedArea(Area{change.left, change.top, change.right, change.bottom}, drawn_width_,
                          drawn_height_, width, height);
    }
    EnlargeBilinear(drawn, drawn_width_, drawn_height_, picture_.bits(), width, height, part);
  }
  picture_frame_ = static_cast<int>(frame);
  DropMovieWhenKept();
}

COLORREF TShockwaveFlash::PixelAt(int x, int y) {
  EnsureDrawn();
  if (!picture_.bits() || x < 0 || y < 0 || x >= picture_.width() || y >= picture_.height())
    return CLR_INVALID;
  const uint32_t v = picture_.bits()[static_cast<size_t>(y) * picture_.width() + x];
  return RGB((v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff);
}

void TShockwaveFlash::OnPaint(HDC dc, const RECT&) {
  PutFrame(dc);
  on_screen_ = ShownPicture();
}

void TShockwaveFlash::ForwardToParent(UINT msg, WPARAM wparam, LPARAM lparam) {
  HWND parent = ::GetParent(hwnd());
  if (!parent) return;
  POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ::MapWindowPoints(hwnd(), parent, &point, 1);
  ::SendMessageW(parent, msg, wparam, MAKELPARAM(point.x, point.y));
}

bool TShockwaveFlash::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // The movie has no use for the pointer; the window under it decides.
      ForwardToParent(msg, wparam, lparam);
      result = 0;
      return true;
    case WM_SHOWWINDOW:
      if (wparam) LoadPending();
      return false;
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lparam);
      if (pos->flags & SWP_SHOWWINDOW) LoadPending();
      if (!(pos->flags & SWP_NOSIZE)) {
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        Resize(client.right - client.left, client.bottom - client.top);
      }
      return false;  // the default handler still sends WM_SIZE and WM_MOVE
    }
    default:
      return Window::HandleMessage(msg, wparam, lparam, result);
  }
}

}  // namespace wd::saver
