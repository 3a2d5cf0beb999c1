// The movie's kept pictures as the controls use them, with real windows under Wine: the
// first frame reaches the window before the loop is kept, each frame is kept as it falls
// due, controls showing the same movie at the same size share one set of pictures, the
// movie itself is let go once its loop is kept and read again for a new size, later loops
// show what a fresh drawing shows, and a control too big to keep its loop shows the
// movie's own pictures enlarged.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/dib.h"
#include "platform/text.h"
#include "saver/movie_control.h"
#include "saver/resample.h"
#include "swf/player.h"

namespace wd::saver {
namespace {

class Parent : public win::Window {
 public:
  Parent() {
    win::WindowParams params;
    params.class_name = L"MovieCacheTestParent";
    params.style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    params.width = 800;
    params.height = 600;
    Create(params);
  }

 protected:
  void OnPaint(HDC dc, const RECT& area) override {
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  }
};

std::wstring EarthPath() {
  const char* dir = std::getenv("WD_SOURCE_DIR");
  std::wstring path =
      ((dir ? std::filesystem::path(dir) : std::filesystem::path(".")) / "resources" / "earth.swf")
          .wstring();
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;  // the Unix root under Wine
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

// Frame `frame` (1-based) of the earth drawn afresh by a player of its own, as window
// colours.
std::vector<uint32_t> FreshFrame(int frame, int width, int height) {
  swf::Player player(swf::loadMovieFile(win::Narrow(EarthPath())));
  while (player.currentFrame() < frame) player.advance();
  std::vector<uint32_t> rgba(static_cast<size_t>(width) * height);
  player.render(rgba.data(), width, height, {swf::Quality::High});
  for (uint32_t& v : rgba) v &= 0xffffff;
  return rgba;
}

// What the control shows, as window colours: from its window when `window`, else from
// its picture.
std::vector<uint32_t> Shown(TShockwaveFlash& movie, bool window) {
  std::vector<uint32_t> pixels;
  if (window) {
    win::DibSurface copy(movie.width(), movie.height());
    HDC dc = ::GetDC(movie.hwnd());
    ::BitBlt(copy.dc(), 0, 0, movie.width(), movie.height(), dc, 0, 0, SRCCOPY);
    ::ReleaseDC(movie.hwnd(), dc);
    ::GdiFlush();
    for (int i = 0; i < movie.width() * movie.height(); ++i) {
      const uint32_t v = copy.bits()[i];
      pixels.push_back(((v >> 16) & 0xff) | (v & 0xff00) | ((v & 0xff) << 16));
    }
    return pixels;
  }
  for (int y = 0; y < movie.height(); ++y)
    for (int x = 0; x < movie.width(); ++x) pixels.push_back(movie.PixelAt(x, y));
  return pixels;
}

class MovieCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { win::Application::Instance().Reset(); }
  void TearDown() override { win::Application::Instance().Reset(); }

  std::unique_ptr<TShockwaveFlash> Earth(int x, int size = 170) {
    auto movie =
        std::make_unique<TShockwaveFlash>(parent_.hwnd(), x, 0, size, size, MovieSettings{});
    movie->SetMovie(EarthPath());
    return movie;
  }

  Parent parent_;
};

TEST_F(MovieCacheTest, TheFirstFrameIsOnTheWindowBeforeTheLoopIsKept) {
  auto movie = Earth(0);
  ASSERT_TRUE(movie->loaded());
  ::UpdateWindow(parent_.hwnd());
  ::UpdateWindow(movie->hwnd());
  ASSERT_TRUE(movie->cache());
  EXPECT_FALSE(movie->cache()->all_kept());
  EXPECT_EQ(movie->frames_drawn(), 1);
  EXPECT_EQ(Shown(*movie, true), FreshFrame(1, 170, 170));
}

TEST_F(MovieCacheTest, FramesAreKeptAsTheyFallDue) {
  auto movie = Earth(0);
  ASSERT_TRUE(movie->cache());
  for (int frame = 2; frame <= 40; ++frame) movie->Advance(1);
  for (size_t frame = 0; frame < 120; ++frame)
    EXPECT_EQ(movie->cache()->kept(frame), frame < 40) << "frame " << frame + 1;
  // A catch-up of several frames keeps only the frame it shows.
  movie->Advance(3);
  EXPECT_FALSE(movie->cache()->kept(40));
  EXPECT_FALSE(movie->cache()->kept(41));
  EXPECT_TRUE(movie->cache()->kept(42));
  EXPECT_EQ(Shown(*movie, false), FreshFrame(43, 170, 170));
}

TEST_F(MovieCacheTest, ControlsOfTheSameMovieAndSizeShareTheirPictures) {
  auto first = Earth(0);
  for (int i = 1; i < 120; ++i) first->Advance(1);
  ASSERT_TRUE(first->cache() && first->cache()->all_kept());
  // Another control, as on a second monitor: the pictures are there already.
  auto second = Earth(200);
  EXPECT_EQ(second->cache(), first->cache());
  for (int i = 0; i < 20; ++i) second->Advance(1);
  EXPECT_EQ(second->frames_drawn(), 0);
  EXPECT_EQ(second->current_frame(), 21);
  EXPECT_EQ(Shown(*second, false), FreshFrame(21, 170, 170));
  EXPECT_EQ(Shown(*second, true), FreshFrame(21, 170, 170));
  // Another size has pictures of its own.
  auto smaller = Earth(400, 120);
  ASSERT_TRUE(smaller->cache());
  EXPECT_NE(smaller->cache(), first->cache());
  EXPECT_EQ(Shown(*smaller, false), FreshFrame(1, 120, 120));
}

TEST_F(MovieCacheTest, TheMovieIsLetGoOnceItsLoopIsKeptAndReadAgainForANewSize) {
  auto movie = Earth(0);
  EXPECT_TRUE(movie->movie_held());
  for (int i = 1; i < 120; ++i) movie->Advance(1);
  ASSERT_TRUE(movie->cache()->all_kept());
  EXPECT_FALSE(movie->movie_held());
  movie->Advance(10);  // frame 10 of the second loop, from the kept pictures
  EXPECT_EQ(movie->current_frame(), 10);
  EXPECT_EQ(Shown(*movie, false), FreshFrame(10, 170, 170));
  // A new size needs new pictures: the movie is read again and goes on from its frame.
  ::SetWindowPos(movie->hwnd(), nullptr, 0, 0, 150, 150, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(movie->movie_held());
  EXPECT_EQ(Shown(*movie, false), FreshFrame(10, 150, 150));
  movie->Advance(1);
  EXPECT_EQ(movie->current_frame(), 11);
  EXPECT_EQ(Shown(*movie, false), FreshFrame(11, 150, 150));
}

TEST_F(MovieCacheTest, AControlTooBigToKeepItsLoopShowsTheMoviesOwnPicturesEnlarged) {
  // 120 pictures of 340 x 340 are more than a control keeps; of the movie's own 170 x 170
  // they are not.
  auto movie = Earth(0, 340);
  ::UpdateWindow(parent_.hwnd());
  ASSERT_TRUE(movie->cache());
  EXPECT_EQ(movie->drawn_width(), 170);
  const auto enlarged = [](int frame) {
    const std::vector<uint32_t> own = FreshFrame(frame, 170, 170);
    std::vector<uint32_t> pixels(340 * 340);
    EnlargeBilinear(own.data(), 170, 170, pixels.data(), 340, 340, Area{0, 0, 340, 340});
    return pixels;
  };
  // Frame by frame into the second loop, where each frame goes to the window only where
  // it differs from the one before.
  for (int i = 1; i < 123; ++i) movie->Advance(1);
  EXPECT_TRUE(movie->cache()->all_kept());
  EXPECT_EQ(movie->frames_drawn(), 120);
  for (int frame = 3; frame <= 5; ++frame) {
    EXPECT_EQ(movie->current_frame(), frame);
    EXPECT_EQ(Shown(*movie, true), enlarged(frame)) << "frame " << frame;
    movie->Advance(1);
  }
  EXPECT_GT(movie->frames_shown_in_part(), 100);
}

TEST_F(MovieCacheTest, LaterLoopsShowTheSamePicturesAsAFreshDrawing) {
  TShockwaveFlash movie(parent_.hwnd(), 128, 408, 170, 170, MovieSettings{});
  movie.SetMovie(EarthPath());
  ASSERT_TRUE(movie.loaded());
  auto picture = [&movie] {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 170; ++y)
      for (int x = 0; x < 170; ++x) pixels.push_back(movie.PixelAt(x, y));
    return pixels;
  };
  // Frame 10 drawn by a player of its own.
  swf::Player player(swf::loadMovieFile(win::Narrow(EarthPath())));
  for (int i = 0; i < 10; ++i) player.advance();
  std::vector<uint32_t> rgba(170 * 170);
  player.render(rgba.data(), 170, 170, {swf::Quality::High});
  std::vector<COLORREF> expected;
  for (uint32_t v : rgba) expected.push_back(v & 0xffffff);

  movie.Advance(129);  // frame 10 of the second loop
  EXPECT_EQ(movie.current_frame(), 10);
  const std::vector<COLORREF> second_loop = picture();
  EXPECT_EQ(second_loop, expected);
  movie.Advance(1);
  EXPECT_NE(picture(), second_loop);  // the globe turns
  movie.Advance(119);                 // frame 10 of the third loop
  EXPECT_EQ(movie.current_frame(), 10);
  EXPECT_EQ(picture(), expected);
  movie.Advance(120);
  EXPECT_EQ(picture(), expected);
}

// While every picture of the loop is kept the player stands still. A control grown
// past the size whose loop it keeps shows the movie's own pictures enlarged; at either
// size it draws again from the frame it had reached.
TEST_F(MovieCacheTest, AResizedControlGoesOnFromTheFrameItHadReached) {
  TShockwaveFlash movie(parent_.hwnd(), 0, 0, 170, 170, MovieSettings{});
  movie.SetMovie(EarthPath());
  ASSERT_TRUE(movie.loaded());
  movie.Advance(129);  // frame 10 of the second loop
  swf::Player player(swf::loadMovieFile(win::Narrow(EarthPath())));
  struct Case {
    int size;        // the control's
    int drawn_size;  // the pictures'
  };
  // 120 pictures of 600 x 600 are more than the control keeps; of 120 x 120 they are not.
  for (const Case& c : {Case{600, 170}, Case{120, 120}}) {
    ::SetWindowPos(movie.hwnd(), nullptr, 0, 0, c.size, c.size, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(movie.width(), c.size);
    EXPECT_EQ(movie.drawn_width(), c.drawn_size);
    std::vector<uint32_t> rgba(static_cast<size_t>(c.drawn_size) * c.drawn_size);
    std::vector<uint32_t> shown(static_cast<size_t>(c.size) * c.size);
    const int64_t drawn_before = movie.frames_drawn();
    for (const int frame : {10, 11, 14}) {
      while (player.currentFrame() != frame) player.advance();
      player.render(rgba.data(), c.drawn_size, c.drawn_size, {swf::Quality::High});
      for (uint32_t& v : rgba) v = (v & 0xff00) | (v & 0xff) << 16 | (v >> 16 & 0xff);
      EnlargeBilinear(rgba.data(), c.drawn_size, c.drawn_size, shown.data(), c.size, c.size,
                      Area{0, 0, c.size, c.size});
      EXPECT_EQ(movie.current_frame(), frame);
      int differing = 0;
      for (int y = 0; y < c.size; ++y)
        for (int x = 0; x < c.size; ++x) {
          const uint32_t v = shown[static_cast<size_t>(y) * c.size + x];
          differing += movie.PixelAt(x, y) != RGB(v >> 16 & 0xff, v >> 8 & 0xff, v & 0xff);
        }
      EXPECT_EQ(differing, 0) << c.size << ", frame " << frame;
      movie.Advance(frame == 10 ? 1 : frame == 11 ? 3 : 116);  // back to frame 10 after 14
    }
    EXPECT_EQ(movie.frames_drawn(), drawn_before + 3) << c.size;
  }
}

TEST_F(MovieCacheTest, EachFrameOfALoopingMovieIsDrawnOnce) {
  TShockwaveFlash movie(parent_.hwnd(), 128, 408, 170, 170, MovieSettings{});
  movie.SetMovie(EarthPath());
  ASSERT_TRUE(movie.loaded());
  // Loading draws only the first frame and shows it; the rest of three turns follow one
  // by one, each drawn when it first falls due.
  EXPECT_EQ(movie.frames_drawn(), 1);
  EXPECT_EQ(movie.current_frame(), 1);
  for (int i = 1; i < 3 * 120; ++i) movie.Advance(1);
  EXPECT_EQ(movie.frames_run(), 3 * 120);
  // Every frame after that is a copy of those pictures; every frame still reaches the
  // screen, as the globe turns on every frame.
  EXPECT_EQ(movie.frames_drawn(), 120);
  EXPECT_EQ(movie.frames_shown(), 3 * 120);
}

}  // namespace
}  // namespace wd::saver
