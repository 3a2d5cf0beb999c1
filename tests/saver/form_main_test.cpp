// The saver window's dashboard under Wine: a real window ticking with the real
// figure functions, an injected uptime and a settings file in a folder of the test's.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/errors.h"
#include "common/local_clock.h"
#include "energy/calculate.h"
#include "energy/format_settings.h"
#include "energy/settings_file.h"
#include "energy/uptime.h"
#include "platform/application.h"
#include "platform/text.h"
#include "saver/form_main.h"
#include "saver/gdi_plus.h"
#include "saver/layout.h"
#include "tests/energy/test_support.h"

namespace wd::saver {
namespace {

// GDI+ runs for the whole test program, as for the saver itself.
const GdiplusSession gdiplus;

uint32_t g_tick_count = 0;
uint32_t FakeTickCount() {
  return g_tick_count;
}
DateTime FakeNow() {
  return EncodeDate(2026, 12, 8) + EncodeTime(15, 4, 5, 0);
}

class DashboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app().Reset();
    app().SetMessageBoxForTesting(
        [this](HWND, const std::wstring& text, const std::wstring&, UINT) {
          shown_.push_back(text);
          return IDOK;
        });
    folder_ = std::filesystem::temp_directory_path() / "wattdial-dashboard-test";
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    SetProgramFolderForTesting(win::Narrow(folder_.wstring()) + "\\");
    SetTickCountForTesting(&FakeTickCount);
    SetLocalClockForTesting(&FakeNow);
    SetFormatSettingsForTesting(test::TaiwanFormat());
    g_tick_count = 3723456;
  }
  void TearDown() override {
    app().Reset();
    SetTickCountForTesting(nullptr);
    SetLocalClockForTesting(nullptr);
    SetFormatSettingsForTesting(std::nullopt);
    SetProgramFolderForTesting("");
    std::filesystem::remove_all(folder_);
  }
  static win::Application& app() { return win::Application::Instance(); }
  TFormMain& OpenSaver() {
    RunSaver({{0, 0, 1280, 1024}}, (folder_ / "WattDial.scr").wstring());
    return *FormMain;
  }
  void WriteIni(const std::string& text) {
    std::ofstream(folder_ / "WattDial.INI", std::ios::binary) << text;
  }
  static COLORREF ScreenPixel(HWND hwnd, int x, int y) {
    HDC dc = ::GetDC(hwnd);
    const COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(hwnd, dc);
    return c;
  }

  std::vector<std::wstring> shown_;
  std::filesystem::path folder_;
};

TEST_F(DashboardTest, LabelsShowTheFiguresOfTheTick) {
  WriteIni("[Parameters]\r\nWatts=107.125\r\nFromDate=2026/3/1\r\n[History]\r\nThisYear=100\r\n");
  TFormMain& form = OpenSaver();
  EXPECT_EQ(form.label(kSeconds), L"0");
  EXPECT_EQ(form.label(kFromdate), L"date");
  EXPECT_TRUE(form.timer1().enabled());
  EXPECT_EQ(form.timer1().interval(), 397u);
  EXPECT_FALSE(form.timer2().enabled());

  form.Timer1Timer();
  EXPECT_EQ(form.tick_counter().count(), 1);
  EXPECT_EQ(form.label(kSeconds), L"3.456");
  EXPECT_EQ(form.label(kMins), L"2.058");
  // 3,723,456 ms = 1.034 h; x 107.125 W = 0.111 kWh; x 2.59 = 0.287; x 0.637 = 0.071.
  EXPECT_EQ(form.label(kHours), L"1.034");
  EXPECT_EQ(form.label(kPower), L"0.111");
  EXPECT_EQ(form.label(kPowerFee), L"0.287");
  EXPECT_EQ(form.label(kCo2), L"0.071");
  EXPECT_EQ(form.label(kThisYearCo2), L"6.824");
  EXPECT_EQ(form.label(kFromdate), L"2026/3/1");

  // An exact minute of uptime, and the comma of a German user.
  g_tick_count = 120000;
  FormatSettings german;
  german.decimal_separator = ',';
  german.short_date_format = "dd.MM.yyyy";
  german.date_separator = '.';
  SetFormatSettingsForTesting(german);
  WriteIni("[Parameters]\r\nFromDate=01.03.2026\r\n");
  form.Timer1Timer();
  EXPECT_EQ(form.label(kSeconds), L"0,000");
  EXPECT_EQ(form.label(kMins), L"2,000");
  EXPECT_EQ(form.label(kFromdate), L"01.03.2026");
  EXPECT_FALSE(form.timer2().enabled());
}

TEST_F(DashboardTest, NoStoredFromDateStoresTodayAndShowsNoTimeOfDay) {
  TFormMain& form = OpenSaver();
  form.Timer1Timer();
  EXPECT_EQ(form.label(kFromdate), L"2026/12/8");
  std::ifstream ini(folder_ / "WattDial.INI", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(ini)), {});
  EXPECT_EQ(text, "[Parameters]\r\nFromDate=2026/12/8\r\n");
  // No settings file: 30 W.
  EXPECT_EQ(form.label(kPower), L"0.031");
}

TEST_F(DashboardTest, ATickThatFailsIsReportedAndTheNextOneRunsAgain) {
  TFormMain& form = OpenSaver();
  // The folder is gone: storing the from-date fails, the last step of the tick.
  std::filesystem::remove_all(folder_);
  ::SendMessageW(form.hwnd(), WM_TIMER, 1, 0);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].rfind(L"Unable to write to ", 0), 0u) << win::Narrow(shown_[0]);
  EXPECT_EQ(shown_[0].back(), L'.');
  EXPECT_EQ(form.label(kThisYearCo2), L"0.000") << "written before the failing step";
  EXPECT_EQ(form.label(kFromdate), L"date") << "not written";
  EXPECT_TRUE(form.timer1().enabled());
  std::filesystem::create_directories(folder_);
  ::SendMessageW(form.hwnd(), WM_TIMER, 1, 0);
  EXPECT_EQ(form.tick_counter().count(), 2);
  EXPECT_EQ(form.label(kFromdate), L"2026/12/8");
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
  EXPECT_EQ(form.tick_counter().count(), 10001);
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
