// The saver window under Wine: a real window ticking its dashboard with the real figure
// functions, an injected uptime and a settings file in a folder of the test's; its
// timers, error reports, display power state, DPI, picture timer and movie.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/application.h"
#include "platform/text.h"
#include "saver/form_main.h"
#include "saver/gdi_plus.h"
#include "saver/layout.h"
#include "saver/picture.h"
#include "tests/saver/saver_folder_test.h"
#include "tests/saver/whole_composition.h"

namespace wd::saver {
namespace {

using test::ComposeWhole;
using test::DifferentPixels;
using test::g_tick_count;
using test::Shown;
using test::WhereTheyDiffer;

// GDI+ runs for the whole test program, as for the saver itself.
const GdiplusSession gdiplus;

class DashboardTest : public test::SaverFolderTest {
 protected:
  TFormMain& OpenSaver() {
    RunSaver({{0, 0, 1280, 1024}}, (folder_ / "WattDial.scr").wstring());
    return *FormMain;
  }
  static COLORREF ScreenPixel(HWND hwnd, int x, int y) {
    HDC dc = ::GetDC(hwnd);
    const COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(hwnd, dc);
    return c;
  }
  // What the window shows, composed afresh.
  static win::DibSurface Whole(TFormMain& form) {
    RECT client;
    ::GetClientRect(form.hwnd(), &client);
    return ComposeWhole(form.dashboard(), client.right, client.bottom);
  }
  static const std::wstring& Text(TFormMain& form, Label which) {
    return form.dashboard().label(which).text;
  }
};

TEST_F(DashboardTest, TheTickTimerRunsEvery397MsAndThePictureTimerIsOff) {
  TFormMain& form = OpenSaver();
  EXPECT_TRUE(form.timer1().enabled());
  EXPECT_EQ(form.timer1().interval(), 397u);
  EXPECT_FALSE(form.timer2().enabled());
  ::SendMessageW(form.hwnd(), WM_TIMER, 1, 0);
  EXPECT_EQ(form.dashboard().ticks(), 1);
  EXPECT_EQ(Text(form, kSeconds), L"3.456");
  EXPECT_FALSE(form.timer2().enabled());
}

TEST_F(DashboardTest, ATickThatFailsIsReportedAndTheNextOneRunsAgain) {
  TFormMain& form = OpenSaver();
  // The folder is gone: storing the from-date fails, the last step of the tick.
  std::filesystem::remove_all(folder_);
  ::SendMessageW(form.hwnd(), WM_TIMER, 1, 0);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].rfind(L"Unable to write to ", 0), 0u) << win::Narrow(shown_[0]);
  EXPECT_EQ(shown_[0].back(), L'.');
  EXPECT_EQ(Text(form, kThisYearCo2), L"0.000") << "written before the failing step";
  EXPECT_EQ(Text(form, kFromdate), L"date") << "not written";
  EXPECT_TRUE(form.timer1().enabled());
  std::filesystem::create_directories(folder_);
  ::SendMessageW(form.hwnd(), WM_TIMER, 1, 0);
  EXPECT_EQ(form.dashboard().ticks(), 2);
  EXPECT_EQ(Text(form, kFromdate), L"2026/12/8");
}

TEST_F(DashboardTest, TheWindowShowsPictureGaugeAndFigures) {
  TFormMain& form = OpenSaver();
  HWND hwnd = form.hwnd();
  ::UpdateWindow(hwnd);
  EXPECT_EQ(form.color(), RGB(45, 69, 0));
  form.Timer1Timer();  // ring 1 at value 1: 4.5 degrees from 12 o'clock
  // Beyond the picture, the backdrop.
  EXPECT_EQ(ScreenPixel(hwnd, 1100, 800), RGB(45, 69, 0));
  EXPECT_EQ(ScreenPixel(hwnd, 500, 900), RGB(45, 69, 0));
  // Ring 1's value arc just clockwise of 12 o'clock, its track further on.
  EXPECT_EQ(ScreenPixel(hwnd, 619 + 5, 405 - 275), RGB(0, 104, 183));
  EXPECT_EQ(ScreenPixel(hwnd, 619 + 275, 405), RGB(45, 69, 0));
  // A white figure in the seconds label: some pixel left of x = 571 is white.
  HDC dc = ::GetDC(hwnd);
  int white = 0;
  for (int x = 500; x < 571; ++x)
    for (int y = 120; y < 145; ++y) white += ::GetPixel(dc, x, y) == RGB(255, 255, 255);
  ::ReleaseDC(hwnd, dc);
  EXPECT_GT(white, 10);
}

TEST_F(DashboardTest, TenThousandTicksKeepTheGdiObjectCount) {
  TFormMain& form = OpenSaver();
  form.Timer1Timer();
  const DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 10000; ++i) {
    g_tick_count += 397;
    form.Timer1Timer();
    // Messages sent from other programs (activation, broadcasts) are answered
    // meanwhile; the queue's own timer messages stay where they are.
    MSG msg;
    if (i % 100 == 0) ::PeekMessageW(&msg, nullptr, WM_APP + 0x3FFF, WM_APP + 0x3FFF, PM_NOREMOVE);
  }
  EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), before);
  EXPECT_EQ(form.dashboard().ticks(), 10001);
  // Between ticks the surface areas are composed in keeps a label font, not the DC's own:
  // selecting that one again is what costs Wine a look-up of the X resources.
  const HGDIOBJ font = ::GetCurrentObject(form.dashboard().strip().dc(), OBJ_FONT);
  EXPECT_NE(font, ::GetStockObject(SYSTEM_FONT));
  LOGFONTW selected{};
  ASSERT_EQ(::GetObjectW(font, sizeof selected, &selected), static_cast<int>(sizeof selected));
  EXPECT_EQ(selected.lfQuality, ANTIALIASED_QUALITY);
}

// What the saver's window shows, read back from its DC; left of the paint box and the
// labels (where the movie control lies, which shows its own picture) as `whole` has it.
win::DibSurface OnWindow(HWND hwnd, const win::DibSurface& whole) {
  win::DibSurface shown(whole.width(), whole.height());
  HDC dc = ::GetDC(hwnd);
  ::BitBlt(shown.dc(), 0, 0, whole.width(), whole.height(), dc, 0, 0, SRCCOPY);
  ::ReleaseDC(hwnd, dc);
  constexpr int kMovieRight = kMovieLeft + kMovieSize + 2;
  ::BitBlt(shown.dc(), 0, 0, kMovieRight, whole.height(), whole.dc(), 0, 0, SRCCOPY);
  return shown;
}

TEST_F(DashboardTest, TicksComposedFromWhatChangedEqualWholeCompositions) {
  WriteIni("[Parameters]\r\nWatts=107.125\r\nFromDate=2026/3/1\r\n[History]\r\nThisYear=100\r\n");
  // Just before a whole minute and a whole hour of uptime: the seconds label shrinks
  // from 59.xxx to 0.xxx and the minutes label from 59.xxx to 0.xxx.
  g_tick_count = 3 * 3600000 - 20000;
  TFormMain& form = OpenSaver();
  ::UpdateWindow(form.hwnd());  // the window's first paint
  // Past every ring's start (tick 61) and ring 1's wrap from 59 to 0 (ticks 60, 120).
  for (int tick = 1; tick <= 130; ++tick) {
    g_tick_count += 397;
    form.Timer1Timer();
    const win::DibSurface whole = Whole(form);
    // The window, where each tick's changes go, and a repaint of all of it.
    const win::DibSurface shown = OnWindow(form.hwnd(), whole);
    ASSERT_EQ(DifferentPixels(shown, whole), 0)
        << "window, tick " << tick << " at " << WhereTheyDiffer(shown, whole);
    ASSERT_EQ(DifferentPixels(Shown(form.dashboard()), whole), 0)
        << "tick " << tick << " at " << WhereTheyDiffer(Shown(form.dashboard()), whole);
  }
  EXPECT_EQ(Text(form, kMins), L"0.527");  // 31,610 ms into the hour
}

// A power-setting change as Windows sends it to the registered window.
void SendPowerSetting(HWND hwnd, const GUID& setting, DWORD value) {
  struct {
    POWERBROADCAST_SETTING head;
    DWORD rest;  // Data holds one byte; the value takes four
  } message{};
  message.head.PowerSetting = setting;
  message.head.DataLength = sizeof(DWORD);
  std::memcpy(message.head.Data, &value, sizeof value);
  ::SendMessageW(hwnd, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                 reinterpret_cast<LPARAM>(&message));
}

constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kMonitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
constexpr GUID kOtherSetting = {
    0x8f7b45e3, 0xc393, 0x480a, {0x87, 0x8c, 0xf6, 0x7a, 0xc3, 0xd0, 0x70, 0x82}};

void PumpMessagesFor(DWORD ms) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < ms) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::Sleep(10);
  }
}

TEST_F(DashboardTest, PowerSettingsTellTheDisplayState) {
  struct Case {
    const GUID* setting;
    DWORD value;
    std::optional<bool> on;
  };
  const Case cases[] = {
      {&kConsoleDisplayState, 0, false}, {&kConsoleDisplayState, 1, true},
      {&kConsoleDisplayState, 2, true},  {&kMonitorPowerOn, 0, false},
      {&kMonitorPowerOn, 1, true},       {&kOtherSetting, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    struct {
      POWERBROADCAST_SETTING head;
      DWORD rest;
    } message{};
    message.head.PowerSetting = *c.setting;
    message.head.DataLength = sizeof(DWORD);
    std::memcpy(message.head.Data, &c.value, sizeof c.value);
    EXPECT_EQ(DisplayStateOf(message.head), c.on) << c.value;
  }
}

TEST_F(DashboardTest, NothingIsDrawnWhileTheDisplayIsOff) {
  std::filesystem::copy_file(
      std::filesystem::path(std::getenv("WD_SOURCE_DIR")) / "resources" / "earth.swf",
      folder_ / "earth.swf");
  TFormMain& form = OpenSaver();
  TShockwaveFlash& movie = form.ShockwaveFlash1();
  form.Timer1Timer();
  PumpMessagesFor(300);
  ASSERT_GT(movie.frames_run(), 1);

  SendPowerSetting(form.hwnd(), kConsoleDisplayState, 0);
  EXPECT_FALSE(form.display_on());
  EXPECT_FALSE(form.timer1().enabled());
  EXPECT_TRUE(movie.paused());
  const int64_t ticks = form.dashboard().ticks();
  const int64_t frames = movie.frames_run();
  const std::wstring seconds = Text(form, kSeconds);
  // A tick that was already queued, and time passing: nothing moves.
  ::SendMessageW(form.hwnd(), WM_TIMER, 1, 0);
  g_tick_count += 5000;
  PumpMessagesFor(600);
  EXPECT_EQ(form.dashboard().ticks(), ticks);
  EXPECT_EQ(movie.frames_run(), frames) << "the movie's clock stood still";
  EXPECT_EQ(Text(form, kSeconds), seconds);

  // Back on: the figures of this moment at once, and everything runs again.
  SendPowerSetting(form.hwnd(), kMonitorPowerOn, 1);
  EXPECT_TRUE(form.display_on());
  EXPECT_TRUE(form.timer1().enabled());
  EXPECT_FALSE(movie.paused());
  EXPECT_EQ(form.dashboard().ticks(), ticks + 1);
  EXPECT_EQ(Text(form, kSeconds), L"8.456");
  EXPECT_EQ(DifferentPixels(Shown(form.dashboard()), Whole(form)), 0);
  PumpMessagesFor(300);
  EXPECT_GT(movie.frames_run(), frames);
  // No catching up of the time the display was off (20 frames a second at most).
  EXPECT_LT(movie.frames_run(), frames + 12);
}

TEST(StoredPicture, EachScaleHasItsOwnPictureAndScalesBetweenComeDownFromTheNextLarger) {
  struct Case {
    double scale;
    int width, height;
  };
  for (const Case& c : {Case{1.0, 1024, 719}, Case{1.25, 1280, 899}, Case{1.5, 1536, 1079},
                        Case{1.75, 1792, 1258}, Case{2.0, 2048, 1438}, Case{2.5, 2560, 1798}}) {
    const Picture picture = StoredPicture(c.scale);
    ASSERT_TRUE(picture) << c.scale;
    EXPECT_EQ(picture->width(), c.width) << c.scale;
    EXPECT_EQ(picture->height(), c.height) << c.scale;
  }
  EXPECT_EQ(StoredPicture(1.5), StoredPicture(1.5)) << "decoded once";
  // Its edges reach the backdrop colour the picture ends in, without a dark seam.
  const Picture between = StoredPicture(1.25);
  ::GdiFlush();
  const uint32_t corner = between->bits()[static_cast<size_t>(898) * 1280 + 1279];
  EXPECT_NEAR(static_cast<int>((corner >> 8) & 0xFF), 69, 3);
}

TEST_F(DashboardTest, AtTwiceTheDpiEveryLengthDoubles) {
  TFormMain& form = OpenSaver();
  ::SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(192, 192), 0);
  EXPECT_EQ(form.dashboard().scale(), 2.0);
  RECT rect;
  ::GetWindowRect(form.ShockwaveFlash1().hwnd(), &rect);
  ::MapWindowPoints(HWND_DESKTOP, form.hwnd(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 2 * kMovieLeft);
  EXPECT_EQ(rect.top, 2 * kMovieTop);
  EXPECT_EQ(rect.right - rect.left, 2 * kMovieSize);
  EXPECT_EQ(form.ShockwaveFlash1().width(), 2 * kMovieSize) << "drawn at that size";
  for (int tick = 1; tick <= 70; ++tick) {
    g_tick_count += 397;
    form.Timer1Timer();
  }
  const win::DibSurface shown = Shown(form.dashboard());
  const auto at = [&](int x, int y) {
    return shown.bits()[static_cast<size_t>(y) * shown.width() + x];
  };
  // Tick 70: ring 7 (innermost, radius 17) at 10, 45 degrees. At twice the scale its
  // value arc lies around radius 34 of the centre (1238, 810) and is 46 px wide: at 20
  // degrees it covers radius 54, which a 23 px pen would not reach. Ring 6's track
  // (radius 120) at 6 o'clock.
  const auto polar = [&](double radius, double degrees) {
    const double a = degrees * 3.14159265358979 / 180.0;
    return at(static_cast<int>(std::lround(1238 + radius * std::sin(a))),
              static_cast<int>(std::lround(810 - radius * std::cos(a))));
  };
  EXPECT_EQ(polar(34, 20), 0xE60012u);
  EXPECT_EQ(polar(54, 20), 0xE60012u);
  EXPECT_EQ(polar(120, 180), kBackdrop.dib_pixel());
  EXPECT_EQ(polar(120 + 28, 180), kBackdrop.dib_pixel()) << "a 60 px track";
  EXPECT_EQ(DifferentPixels(shown, Whole(form)), 0) << WhereTheyDiffer(shown, Whole(form));
  // White figures right-aligned at 2 x 571, none beyond it.
  int white = 0, beyond = 0;
  for (int y = 240; y < 290; ++y) {
    for (int x = 900; x < 1142; ++x) white += at(x, y) == 0xFFFFFFu;
    for (int x = 1146; x < 1200; ++x) beyond += at(x, y) == 0xFFFFFFu;
  }
  EXPECT_GT(white, 40);
  EXPECT_EQ(beyond, 0);
}

TEST_F(DashboardTest, PictureTimerTakesTheWholeMinutesAndRaisesNothing) {
  TFormMain& form = OpenSaver();
  form.Timer1Timer();  // minutes "2.058": even, 2.jpg, which is missing
  form.Timer2Timer();
  EXPECT_TRUE(shown_.empty());
  std::filesystem::copy_file(
      std::filesystem::path(std::getenv("WD_SOURCE_DIR")) / "resources" / "background.jpg",
      folder_ / "2.jpg");
  form.Timer2Timer();
  EXPECT_TRUE(shown_.empty());
}

}  // namespace
}  // namespace wd::saver

namespace wd::saver {
namespace {

TEST_F(DashboardTest, TheMovieBesideTheProgramPlaysInItsPlace) {
  std::filesystem::copy_file(
      std::filesystem::path(std::getenv("WD_SOURCE_DIR")) / "resources" / "earth.swf",
      folder_ / "earth.swf");
  TFormMain& form = OpenSaver();
  TShockwaveFlash& movie = form.ShockwaveFlash1();
  EXPECT_EQ(movie.Movie(), (folder_ / "earth.swf").wstring());
  EXPECT_TRUE(movie.loaded());
  EXPECT_TRUE(movie.playing());
  RECT rect;
  ::GetWindowRect(movie.hwnd(), &rect);
  ::MapWindowPoints(HWND_DESKTOP, form.hwnd(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, kMovieLeft);
  EXPECT_EQ(rect.top, kMovieTop);
  EXPECT_EQ(rect.right - rect.left, kMovieSize);
  EXPECT_EQ(rect.bottom - rect.top, kMovieSize);
  // The hidden second movie has loaded nothing.
  EXPECT_FALSE(::IsWindowVisible(form.ShockwaveFlash2().hwnd()));
  EXPECT_FALSE(form.ShockwaveFlash2().file_read());
  EXPECT_TRUE(shown_.empty());

  // Played on the screen, over the window, after the window's own painting and ticks.
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < 800) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::Sleep(10);
  }
  EXPECT_GT(movie.frames_run(), 5);
  EXPECT_EQ(ScreenPixel(form.hwnd(), kMovieLeft + 2, kMovieTop + 2), RGB(45, 69, 0));
  EXPECT_NE(ScreenPixel(form.hwnd(), kMovieLeft + 85, kMovieTop + 85), RGB(45, 69, 0));
}

}  // namespace
}  // namespace wd::saver
