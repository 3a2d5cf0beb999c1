// The movie control with real windows under Wine: it plays earth.swf at the movie's
// rate on the backdrop, shows the backdrop for missing or broken files without an
// error, fits the stage into a control of another shape, waits to load until it is
// shown, and hands pointer movement and presses to its parent in the parent's
// coordinates.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/dib.h"
#include "platform/text.h"
#include "saver/layout.h"
#include "saver/movie_control.h"

namespace wd::saver {
namespace {

// What the control shows where it has no movie.
constexpr COLORREF kMovieBackdrop = kBackdrop.colorref();

// A plain window that records the pointer events reaching it.
class RecordingParent : public win::Window {
 public:
  RecordingParent() {
    win::WindowParams params;
    params.class_name = L"MovieTestParent";
    params.style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    params.x = 0;
    params.y = 0;
    params.width = 800;
    params.height = 700;
    Create(params);
  }
  std::vector<POINT> moves;
  std::vector<POINT> presses;

 protected:
  void OnMouseMove(int x, int y) override { moves.push_back({x, y}); }
  void OnMouseDown(int x, int y) override { presses.push_back({x, y}); }
  void OnPaint(HDC dc, const RECT& area) override {
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  }
};

LONGLONG Ticks() {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t.QuadPart;
}

double Seconds(LONGLONG from, LONGLONG to) {
  LARGE_INTEGER f;
  ::QueryPerformanceFrequency(&f);
  return static_cast<double>(to - from) / static_cast<double>(f.QuadPart);
}

void Pump(double seconds) {
  const LONGLONG start = Ticks();
  do {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (Seconds(start, Ticks()) < seconds);
}

std::filesystem::path SourceDir() {
  const char* dir = std::getenv("WD_SOURCE_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::path(".");
}

// Under Wine the Unix root is drive Z:.
std::wstring WindowsPath(const std::filesystem::path& unix_path) {
  std::wstring path = unix_path.wstring();
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::wstring EarthPath() {
  return WindowsPath(SourceDir() / "resources" / "earth.swf");
}

std::vector<char> ReadBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class MovieControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::Application::Instance().Reset();
    win::Application::Instance().SetMessageBoxForTesting(
        [this](HWND, const std::wstring& text, const std::wstring&, UINT) {
          boxes_.push_back(text);
          return IDOK;
        });
    folder_ = std::filesystem::temp_directory_path() / "wattdial-movie-test";
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    EXPECT_TRUE(boxes_.empty()) << win::Narrow(boxes_.empty() ? L"" : boxes_.front());
    std::filesystem::remove_all(folder_);
    win::Application::Instance().Reset();
  }

  std::wstring WriteFile(const char* name, const std::vector<char>& bytes) {
    const auto path = folder_ / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return path.wstring();
  }

  static int CountBackdrop(TShockwaveFlash& movie) {
    int count = 0;
    for (int y = 0; y < movie.height(); ++y)
      for (int x = 0; x < movie.width(); ++x) count += movie.PixelAt(x, y) == kMovieBackdrop;
    return count;
  }

  std::vector<std::wstring> boxes_;
  std::filesystem::path folder_;
  RecordingParent parent_;
};

TEST_F(MovieControlTest, PlaysEarthAtItsFrameRateOnTheBackdrop) {
  TShockwaveFlash movie(parent_.hwnd(), 128, 408, 170, 170, MovieSettings{.movie = L"earth-2.swf"});
  EXPECT_EQ(movie.settings().wmode, L"Window");
  EXPECT_EQ(movie.settings().quality, L"High");
  EXPECT_EQ(movie.settings().scale_mode, L"ShowAll");
  EXPECT_EQ(movie.Movie(), L"earth-2.swf");
  EXPECT_FALSE(movie.loaded());  // the stored name alone loads nothing

  movie.SetMovie(EarthPath());
  ASSERT_TRUE(movie.loaded());
  EXPECT_EQ(movie.Movie(), EarthPath());
  EXPECT_EQ(movie.frames_run(), 1);  // the first frame shows at once
  EXPECT_EQ(movie.current_frame(), 1);
  Pump(0.2);
  EXPECT_EQ(movie.frames_run(), 1);  // not playing yet

  const LONGLONG start = Ticks();
  movie.Play();
  Pump(0.5);
  const double elapsed = Seconds(start, Ticks());
  const int64_t advanced = movie.frames_run() - 1;
  EXPECT_LE(advanced, static_cast<int64_t>(elapsed * 20) + 1) << elapsed;
  EXPECT_GE(advanced, static_cast<int64_t>(elapsed * 20 * 0.5) - 1) << elapsed;
  EXPECT_EQ(movie.current_frame(), movie.frames_run() % 120 == 0 ? 120 : movie.frames_run() % 120);

  // The globe in the middle, the backdrop in the corners.
  for (auto [x, y] : {std::pair{0, 0}, {169, 0}, {0, 169}, {169, 169}})
    EXPECT_EQ(movie.PixelAt(x, y), kMovieBackdrop) << x << "," << y;
  EXPECT_NE(movie.PixelAt(85, 85), kMovieBackdrop);
  EXPECT_EQ(movie.PixelAt(170, 0), CLR_INVALID);

  // What was drawn reached the window: the control's part of the screen.
  win::WindowDc screen(movie.hwnd());
  const COLORREF on_screen = ::GetPixel(screen.get(), 0, 0);
  if (on_screen != CLR_INVALID) {
    EXPECT_EQ(on_screen, kMovieBackdrop);
  }
}

TEST_F(MovieControlTest, MissingOrBrokenMoviesShowTheBackdropWithoutAnError) {
  TShockwaveFlash movie(parent_.hwnd(), 128, 408, 170, 170, MovieSettings{});
  EXPECT_NO_THROW(movie.SetMovie(WindowsPath(folder_ / "no-such-movie.swf")));
  EXPECT_NO_THROW(movie.Play());
  EXPECT_FALSE(movie.loaded());
  EXPECT_FALSE(movie.file_read());
  EXPECT_EQ(CountBackdrop(movie), 170 * 170);
  EXPECT_NO_THROW(movie.SetMovie(L""));
  EXPECT_NO_THROW(movie.SetMovie(WindowsPath(folder_)));  // a folder, not a file
  EXPECT_FALSE(movie.loaded());

  std::vector<char> garbage(5000);
  std::mt19937 random(6);
  for (char& c : garbage) c = static_cast<char>(random());
  EXPECT_NO_THROW(movie.SetMovie(WriteFile("garbage.swf", garbage)));
  EXPECT_TRUE(movie.file_read());
  EXPECT_FALSE(movie.loaded());
  EXPECT_EQ(CountBackdrop(movie), 170 * 170);
  EXPECT_NO_THROW(movie.SetMovie(WriteFile("empty.swf", {})));
  EXPECT_FALSE(movie.loaded());
  Pump(0.1);

  // A movie cut off part of the way plays what was read: the first frame, the globe.
  std::vector<char> earth = ReadBytes(EarthPath());
  ASSERT_GT(earth.size(), 1000u);
  earth.resize(earth.size() / 3);
  EXPECT_NO_THROW(movie.SetMovie(WriteFile("cut.swf", earth)));
  ASSERT_TRUE(movie.loaded());
  EXPECT_NE(movie.PixelAt(85, 85), kMovieBackdrop);
  EXPECT_LT(CountBackdrop(movie), 170 * 170);
  Pump(0.3);  // and loops over the frames it has
  EXPECT_GT(movie.frames_run(), 1);

  // Back to a missing file: the old movie is gone.
  movie.SetMovie(WindowsPath(folder_ / "gone.swf"));
  EXPECT_FALSE(movie.loaded());
  EXPECT_EQ(movie.frames_run(), 0);
  EXPECT_EQ(CountBackdrop(movie), 170 * 170);
}

TEST_F(MovieControlTest, ShowAllCentresTheStageInAnotherShape) {
  TShockwaveFlash movie(parent_.hwnd(), 216, 136, 185, 154, MovieSettings{});
  movie.SetMovie(EarthPath());
  ASSERT_TRUE(movie.loaded());
  // The first and last column that is not backdrop, along the middle row, and the
  // same down the middle column: the globe sits in the middle both ways.
  auto extent = [&](bool across) {
    const int n = across ? movie.width() : movie.height();
    int first = -1, last = -1;
    for (int i = 0; i < n; ++i) {
      const COLORREF c =
          across ? movie.PixelAt(i, movie.height() / 2) : movie.PixelAt(movie.width() / 2, i);
      if (c != kMovieBackdrop) {
        if (first < 0) first = i;
        last = i;
      }
    }
    return std::pair{first, last};
  };
  const auto [left, right] = extent(true);
  const auto [top, bottom] = extent(false);
  ASSERT_GE(left, 0);
  ASSERT_GE(top, 0);
  EXPECT_NEAR(left + right, 185 - 1, 3);
  EXPECT_NEAR(top + bottom, 154 - 1, 3);
  // Scaled to the smaller side: as wide as it is tall, with backdrop left and right.
  EXPECT_NEAR(right - left, bottom - top, 3);
  EXPECT_GT(left, 10);
  EXPECT_EQ(movie.PixelAt(0, 77), kMovieBackdrop);
  EXPECT_EQ(movie.PixelAt(184, 77), kMovieBackdrop);

  // Resized, the control draws at its new size.
  ::SetWindowPos(movie.hwnd(), nullptr, 0, 0, 100, 60, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(movie.width(), 100);
  EXPECT_EQ(movie.height(), 60);
  EXPECT_NE(movie.PixelAt(50, 30), kMovieBackdrop);
  EXPECT_EQ(movie.PixelAt(2, 30), kMovieBackdrop);
}

TEST_F(MovieControlTest, AHiddenControlLoadsNothingUntilShown) {
  TShockwaveFlash movie(parent_.hwnd(), 216, 136, 185, 154, MovieSettings{.movie = L"text.swf"},
                        false);
  EXPECT_FALSE(::IsWindowVisible(movie.hwnd()));
  movie.SetMovie(EarthPath());
  movie.Play();
  EXPECT_EQ(movie.Movie(), EarthPath());
  EXPECT_FALSE(movie.file_read());  // not even opened
  EXPECT_FALSE(movie.loaded());
  Pump(0.2);
  EXPECT_FALSE(movie.loaded());
  EXPECT_EQ(movie.frames_run(), 0);

  ::ShowWindow(movie.hwnd(), SW_SHOW);
  EXPECT_TRUE(movie.loaded());
  Pump(0.3);
  EXPECT_GT(movie.frames_run(), 1);  // Play was asked for before the movie came
}

TEST_F(MovieControlTest, PointerEventsReachTheParentInItsCoordinates) {
  TShockwaveFlash movie(parent_.hwnd(), 128, 408, 170, 170, MovieSettings{});
  ::SendMessageW(movie.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  ::SendMessageW(movie.hwnd(), WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(0, 169));
  ASSERT_EQ(parent_.moves.size(), 2u);
  EXPECT_EQ(parent_.moves[0].x, 138);
  EXPECT_EQ(parent_.moves[0].y, 418);
  EXPECT_EQ(parent_.moves[1].x, 128);
  EXPECT_EQ(parent_.moves[1].y, 577);
  EXPECT_TRUE(parent_.presses.empty());

  ::SendMessageW(movie.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  ::SendMessageW(movie.hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(169, 0));
  ::SendMessageW(movie.hwnd(), WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(1, 1));
  ASSERT_EQ(parent_.presses.size(), 3u);
  EXPECT_EQ(parent_.presses[0].x, 133);
  EXPECT_EQ(parent_.presses[0].y, 414);
  EXPECT_EQ(parent_.presses[1].x, 297);
  EXPECT_EQ(parent_.presses[1].y, 408);
  EXPECT_EQ(parent_.moves.size(), 2u);

  // The real pointer over the control: the movement arrives through the input queue.
  POINT screen{50, 60};
  ::ClientToScreen(movie.hwnd(), &screen);
  if (::SetCursorPos(screen.x, screen.y)) {
    Pump(0.2);
    POINT expected{50 + 128, 60 + 408};
    bool seen = false;
    for (const POINT& p : parent_.moves) seen |= p.x == expected.x && p.y == expected.y;
    EXPECT_TRUE(seen);
  }
}

// What the control's window shows, read back from its DC.
std::vector<uint32_t> OnScreen(const TShockwaveFlash& movie) {
  win::DibSurface copy(170, 170);
  HDC dc = ::GetDC(movie.hwnd());
  ::BitBlt(copy.dc(), 0, 0, 170, 170, dc, 0, 0, SRCCOPY);
  ::ReleaseDC(movie.hwnd(), dc);
  ::GdiFlush();
  return std::vector<uint32_t>(copy.bits(), copy.bits() + 170 * 170);
}

std::vector<uint32_t> Picture(const TShockwaveFlash& movie) {
  win::DibSurface copy(170, 170);
  ::BitBlt(copy.dc(), 0, 0, 170, 170, movie.picture_dc(), 0, 0, SRCCOPY);
  ::GdiFlush();
  return std::vector<uint32_t>(copy.bits(), copy.bits() + 170 * 170);
}

TEST_F(MovieControlTest, TheScreenShowsEveryFrameWholeWhenOnlyWhatChangedIsCopied) {
  TShockwaveFlash movie(parent_.hwnd(), 128, 408, 170, 170, MovieSettings{});
  movie.SetMovie(EarthPath());
  ASSERT_TRUE(movie.loaded());
  // Two and a half turns frame by frame, over the loop's end twice; a catch-up of
  // several frames at once and a repaint of the window on the way.
  for (int step = 1; step < 300; ++step) {
    if (step == 150) {
      movie.Advance(3);
    } else if (step == 200) {
      movie.Advance(1);
      ::InvalidateRect(movie.hwnd(), nullptr, FALSE);
      ::UpdateWindow(movie.hwnd());
    } else {
      movie.Advance(1);
    }
    (void)movie.PixelAt(0, 0);  // the current frame into the control's picture
    ASSERT_EQ(OnScreen(movie), Picture(movie))
        << "step " << step << " frame " << movie.current_frame();
  }
  // Every frame that follows the one shown goes there in part, from the first turn
  // on: only the first frame, the catch-up and the repaint go whole.
  EXPECT_GT(movie.frames_shown_in_part(), 290);
  EXPECT_LT(movie.frames_shown_in_part(), movie.frames_shown());
}

TEST_F(MovieControlTest, ControlsGiveBackTheirPicturesAndDcs) {
  auto movie =
      std::make_unique<TShockwaveFlash>(parent_.hwnd(), 128, 408, 170, 170, MovieSettings{});
  movie->SetMovie(EarthPath());
  movie->Play();
  movie->PixelAt(0, 0);
  HDC dc = movie->picture_dc();
  HGDIOBJ first = ::GetCurrentObject(dc, OBJ_BITMAP);
  ASSERT_EQ(::GetObjectType(first), static_cast<DWORD>(OBJ_BITMAP));
  // A new size means a new picture; the old one is deleted.
  ::SetWindowPos(movie->hwnd(), nullptr, 0, 0, 120, 100, SWP_NOMOVE | SWP_NOZORDER);
  HGDIOBJ second = ::GetCurrentObject(dc, OBJ_BITMAP);
  EXPECT_NE(second, first);
  EXPECT_EQ(::GetObjectType(first), 0u);
  BITMAP info{};
  ASSERT_EQ(::GetObject(second, sizeof(info), &info), static_cast<int>(sizeof(info)));
  EXPECT_EQ(info.bmWidth, 120);
  EXPECT_EQ(info.bmHeight, 100);
  EXPECT_EQ(info.bmBitsPixel, 32);
  HWND hwnd = movie->hwnd();
  movie.reset();
  EXPECT_EQ(::GetObjectType(second), 0u);
  EXPECT_EQ(::GetObjectType(dc), 0u);
  EXPECT_FALSE(::IsWindow(hwnd));
}

}  // namespace
}  // namespace wd::saver
