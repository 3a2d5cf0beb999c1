// The baselines bench/saver_cpu.sh measures the saver against, in the same run:
//   blank_window.exe        a full-screen window in the backdrop colour with a 397 ms
//                           timer that does nothing: what any saver window costs.
//   blank_window.exe timer  the same with a second timer of 50 ms that does nothing:
//                           what waking 20 times a second costs.
//   blank_window.exe probe  the same, copying a 170 x 170 picture to the screen 20
//                           times a second through a DC of its own (CS_OWNDC): what
//                           putting a 20 fps movie on the screen costs at least.
// Ends on a key press, a pointer press or when its window is closed.
#include <windows.h>

#include <cwchar>
#include <exception>
#include <memory>

#include "bench/window_program.h"
#include "platform/dib.h"
#include "platform/text.h"
#include "platform/window.h"
#include "saver/layout.h"

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT_PTR kFrameTimer = 2;

class BlankWindow : public wd::bench::QuitOnInputWindow {
 public:
  BlankWindow(bool probe, bool draw) : probe_(probe), draw_(draw) {
    wd::win::WindowParams params;
    params.class_name = L"BlankBenchWindow";
    params.caption = L"Blank";
    params.style = WS_POPUP | WS_VISIBLE;
    params.class_style = CS_OWNDC;
    params.x = 0;
    params.y = 0;
    params.width = ::GetSystemMetrics(SM_CXSCREEN);
    params.height = ::GetSystemMetrics(SM_CYSCREEN);
    Create(params);
    tick_ = std::make_unique<wd::win::Timer>(hwnd(), kTickTimer, 397, true);
    if (probe_) {
      for (int i = 0; i < 2; ++i) {
        frames_[i] = wd::win::DibSurface(170, 170);
        for (int p = 0; p < 170 * 170; ++p) frames_[i].bits()[p] = i ? 0x2060A0u : 0x103050u;
      }
      frame_timer_ = std::make_unique<wd::win::Timer>(hwnd(), kFrameTimer, 50, true);
    }
  }

 protected:
  void OnPaint(HDC dc, const RECT& area) override {
    wd::win::GdiObject brush(::CreateSolidBrush(wd::saver::kBackdrop.colorref()));
    ::FillRect(dc, &area, static_cast<HBRUSH>(brush.get()));
  }
  void OnTimer(UINT_PTR id) override {
    if (id != kFrameTimer || !draw_) return;  // the tick does nothing
    HDC dc = ::GetDC(hwnd());
    const wd::win::DibSurface& frame = frames_[++shown_ % 2];
    ::BitBlt(dc, 128, 408, 170, 170, frame.dc(), 0, 0, SRCCOPY);
    ::ReleaseDC(hwnd(), dc);
  }

 private:
  bool probe_;
  bool draw_;
  wd::win::DibSurface frames_[2];
  unsigned shown_ = 0;
  std::unique_ptr<wd::win::Timer> tick_;
  std::unique_ptr<wd::win::Timer> frame_timer_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
  const bool timer = std::wcsstr(command_line, L"timer") != nullptr;
  const bool probe = timer || std::wcsstr(command_line, L"probe") != nullptr;
  return wd::bench::RunWindowProgram(
      L"blank_window", [probe, timer] { return std::make_unique<BlankWindow>(probe, !timer); });
}
