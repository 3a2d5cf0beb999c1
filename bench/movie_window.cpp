// The movie as the saver shows it, alone: a full-screen window in the backdrop colour
// with the movie control at its place, playing earth.swf from beside the program.
// For measuring what the movie costs under Wine: bench/saver_cpu.sh 60 movie_window.exe
// Ends on a key press, a pointer press or when its window is closed.
#include <windows.h>

#include <exception>
#include <memory>

#include "bench/window_program.h"
#include "platform/application.h"
#include "platform/executable.h"
#include "platform/text.h"
#include "saver/layout.h"
#include "saver/movie_control.h"

namespace {

class BackdropWindow : public wd::bench::QuitOnInputWindow {
 public:
  BackdropWindow() {
    wd::win::WindowParams params;
    params.class_name = L"MovieBenchWindow";
    params.caption = L"Movie";
    params.style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    params.x = 0;
    params.y = 0;
    params.width = ::GetSystemMetrics(SM_CXSCREEN);
    params.height = ::GetSystemMetrics(SM_CYSCREEN);
    Create(params);
  }

 protected:
  void OnPaint(HDC dc, const RECT& area) override {
    wd::win::GdiObject brush(::CreateSolidBrush(wd::saver::kBackdrop.colorref()));
    ::FillRect(dc, &area, static_cast<HBRUSH>(brush.get()));
  }
};

// The backdrop with the movie playing on it.
struct MovieProgram {
  MovieProgram()
      : movie(window.hwnd(), 128, 408, 170, 170,
              wd::saver::MovieSettings{.movie = L"earth-2.swf"}) {
    movie.SetMovie(wd::win::ExecutableFolder() + L"earth.swf");
    movie.Play();
  }
  BackdropWindow window;
  wd::saver::TShockwaveFlash movie;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return wd::bench::RunWindowProgram(L"movie_window",
                                     [] { return std::make_unique<MovieProgram>(); });
}
