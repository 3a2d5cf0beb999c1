// TShockwaveFlash: the saver's movie control, a child window that plays a SWF movie
// with the program's own player. It keeps the settings a Shockwave Flash control is
// stored with, loads the movie named by its Movie property, and plays it looping at
// the movie's frame rate. Pointer movement and presses over it are passed on to the
// parent window, so the saver's exit rule sees them as it sees its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dib.h"
#include "platform/window.h"
#include "saver/frame_cache.h"
#include "saver/frame_clock.h"

namespace wd::swf {
class Movie;
class Player;
struct RenderOptions;
}  // namespace wd::swf

namespace wd::saver {

// The stored settings of a movie control.
struct MovieSettings {
  std::wstring wmode = L"Window";
  std::wstring quality = L"High";
  std::wstring scale_mode = L"ShowAll";
  std::wstring movie;  // the stored movie name, replaced by a full path before playing
};

class TShockwaveFlash : public win::Window {
 public:
  // A child of `parent` at (x, y), width x height. A control created hidden loads no
  // movie until it is shown.
  TShockwaveFlash(HWND parent, int x, int y, int width, int height, MovieSettings settings,
                  bool visible = true);
  ~TShockwaveFlash() override;

  // The Movie property: the movie's full path. A visible control loads it at once; a
  // hidden one keeps the path and loads when shown. A missing or unreadable file is
  // not an error: the control shows the saver's backdrop colour. A movie that breaks off part
  // of the way plays what could be read.
  void SetMovie(const std::wstring& full_path);
  const std::wstring& Movie() const { return settings_.movie; }
  // Starts playing (now, or as soon as a movie is loaded).
  void Play();
  bool playing() const { return playing_; }
  // Frames put on the screen (a frame whose picture equals the one already there is not).
  int64_t frames_shown() const { return frames_shown_; }
  // Of those, frames that followed the one on the screen and went there only where
  // their pictures differ.
  int64_t frames_shown_in_part() const { return frames_shown_in_part_; }
  // Frames the player drew (a frame whose picture was kept from an earlier loop, by this
  // control or another showing the same movie at the same size, is not).
  int64_t frames_drawn() const { return frames_drawn_; }
  // The pictures of the loop, shared with every control that shows the same movie at the
  // same size; none when the loops differ or are too big to keep.
  const std::shared_ptr<FrameCache>& cache() const { return cache_; }
  // The size frames are drawn and kept at: the control's, or, where a loop of that size
  // would be too big to keep, the movie's own, shown enlarged to the control's.
  int drawn_width() const { return drawn_width_; }
  int drawn_height() const { return drawn_height_; }
  // Whether the loaded movie is held in memory: it is let go once every picture of its
  // loop is kept, and read again when a new size needs new pictures.
  bool movie_held() const { return movie_ != nullptr; }
  // While paused (nobody can see the screen) no frame runs and the movie's clock stands
  // still: it goes on from the same frame, without catching up the paused time.
  void SetPaused(bool paused);
  bool paused() const { return paused_; }
  // Runs `frames` frames now, as the frame timer does when they are due.
  void Advance(int frames) { RunFrames(frames); }

  const MovieSettings& settings() const { return settings_; }
  // True once a movie file has been read and at least its header was usable.
  bool loaded() const;
  // True when the last load attempt opened and read the file (whatever it held).
  bool file_read() const { return file_read_; }
  // Frames run since the movie was loaded (the first frame counts 1); grows past the
  // movie's length as it loops.
  int64_t frames_run() const { return frames_run_; }
  // Current frame of the movie's timeline, 1-based; 0 without a movie.
  int current_frame() const;

  // The picture the control shows, as a window colour (red in the low byte); draws
  // the current frame first if it has not been drawn yet.
  COLORREF PixelAt(int x, int y);
  int width() const { return picture_.width(); }
  // The memory DC that holds the picture, for copying it elsewhere.
  HDC picture_dc() const { return picture_.dc(); }
  int height() const { return picture_.height(); }

 protected:
  bool HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  void OnPaint(HDC dc, const RECT& area) override;
  void OnTimer(UINT_PTR id) override;

 private:
  bool Visible() const;
  void LoadPending();
  void StartTimer();
  void StopTimer();
  void RunFrames(int count);
  // The player, brought up to the control's frame.
  swf::Player& CaughtUpPlayer();
  bool AllKept() const { return cache_ && cache_->all_kept(); }
  bool Kept(size_t frame) const { return cache_ && cache_->kept(frame); }
  // Reads the movie and starts a player at the control's frame; false when the file no
  // longer gives a movie.
  bool ReadMovie();
  // Lets go of the movie and its player once every picture of the loop is kept.
  void DropMovieWhenKept();
  void Resize(int width, int height);
  // The cache for the size frames are drawn at, empty until frames are drawn as they
  // fall due; each is kept as it is drawn, so from the second loop on each frame costs a
  // copy.
  void ResetCache();
  // The control's size, or the movie's own where a loop of the control's size would be
  // too big to keep and the movie's own is smaller.
  void ChooseDrawnSize();
  swf::RenderOptions Options() const;
  // Draws the current frame (or the backdrop) into the DIB when it is out of date.
  void EnsureDrawn();
  // Whether frames are drawn smaller than the control and enlarged onto it.
  bool Enlarged() const { return !small_.empty(); }
  void ForwardToParent(UINT msg, WPARAM wparam, LPARAM lparam);

  MovieSettings settings_;
  bool pending_load_ = false;
  bool file_read_ = false;
  bool playing_ = false;
  bool paused_ = false;
  bool stale_ = true;  // the DIB does not show the current frame yet

  bool loaded_ = false;                     // a movie was read; it may have been let go since
  int frame_count_ = 0;                     // the loaded movie's
  int stage_width_ = 0, stage_height_ = 0;  // the loaded movie's own size
  std::shared_ptr<const swf::Movie> movie_;
  std::unique_ptr<swf::Player> player_;
  std::optional<FrameClock> clock_;
  int64_t last_tick_ = 0;  // performance-counter reading at the previous frame tick
  int64_t frames_run_ = 0;
  // The current frame, 1-based (0 before the first). While every picture is kept the
  // player stands still; it catches up when it has to draw.
  int frame_ = 0;
  int64_t frames_shown_ = 0;
  int64_t frames_shown_in_part_ = 0;
  int64_t frames_drawn_ = 0;
  // The frame shown by the screen now, by its picture: frames whose pictures are
  // alike share the number of the first of them. -1: unknown.
  int ShownPicture() const;
  // Puts the current frame on dc at (0, 0): straight from the cache when it is there,
  // and then only inside `part` when one is given.
  void PutFrame(HDC dc, const RECT* part = nullptr);

  // The pictures of one loop, for movies whose loops look alike.
  bool loops_alike_ = false;
  std::shared_ptr<FrameCache> cache_;
  int on_screen_ = -1;  // ShownPicture() of the frame last put on the screen
  std::unique_ptr<win::Timer> timer_;
  HDC window_dc_ = nullptr;  // the window's own DC, once taken

  // The picture, in one memory DC for the control's whole life.
  win::DibSurface picture_;
  // The frame whose picture the DIB holds (0-based); -1 when none is known.
  int picture_frame_ = -1;
  int drawn_width_ = 0, drawn_height_ = 0;
  // The frame drawn at the movie's own size, when that is smaller than the control's.
  std::vector<uint32_t> small_;
};

}  // namespace wd::saver
