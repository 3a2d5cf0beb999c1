// The movie's kept pictures as the controls use them, with real windows under Wine: the
// first frame reaches the window before the loop is kept, each frame is kept as it falls
// due, controls showing the same movie at the same size share one set of pictures, and
// the movie itself is let go once its loop is kept and read again for a new size.
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

}  // namespace
}  // namespace wd::saver
