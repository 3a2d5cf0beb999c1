// The settings dialog as a real window under Wine: the statistics tick, what closing and
// cancelling write, the reset, the dialog's own clock correction, the trend page and the
// time sync's failure.
#include "tests/settings/form_settings_fixture.h"

namespace wd::settings {
namespace {

using namespace test_support;

TEST_F(FormSettingsTest, StatisticsTickShowsStoredHoursPlusTheUptime) {
  test::WriteBytes(SettingsFilePath(),
                   "[Parameters]\r\nAutoSNTP=0\r\nWatts=30\r\n[History]\r\nThisYear=100.25\r\n");
  TFormSettings form;
  form.Timer1Timer();
  EXPECT_EQ(Text(form.Control(ids::kTxtToday)),
            "耗時 1:36，耗電量 0.048 度，用電費 0.124 元，排放 0.031 公斤二氧化碳");
  EXPECT_EQ(Text(form.Control(ids::kTxtThisWeek)).rfind("耗時 1:36，", 0), 0u);
  EXPECT_EQ(Text(form.Control(ids::kTxtThisYear)).rfind("耗時 101:51，", 0), 0u);
  EXPECT_DOUBLE_EQ(form.Totals().this_year, 101.85);

  // Closed and opened again in the same running period: nothing counted twice.
  form.FormClose();
  EXPECT_TRUE(Has("ThisYear=101.85"));
  TFormSettings again;
  again.Timer1Timer();
  EXPECT_DOUBLE_EQ(again.Totals().this_year, 101.85);
  EXPECT_DOUBLE_EQ(again.Totals().today, 1.6);
}

TEST_F(FormSettingsTest, CloseWritesEverySettingAndCancelOnlyTheTotals) {
  test::WriteBytes(SettingsFilePath(), "[Parameters]\r\nAutoSNTP=0\r\n");
  {
    TFormSettings form;
    ::SetWindowTextW(form.Control(ids::kTxtSetWatt), L"120.5");
    form.Timer1Timer();
    form.btnCancelClick();
    EXPECT_FALSE(Ini().find("Watts") != std::string::npos);
    EXPECT_TRUE(Has("AutoSNTP=0"));
    EXPECT_TRUE(Has("InitMax=0"));
    EXPECT_TRUE(Has("Today=1.6"));
  }
  {
    TFormSettings form;
    ::SetWindowTextW(form.Control(ids::kTxtSetWatt), L"120.5");
    ::SetWindowTextW(form.Control(ids::kTxtSntpServer), L"");
    form.btnOkClick();
    EXPECT_TRUE(Has("Watts=120.5"));
    EXPECT_TRUE(Has("UnitFee=2.59"));
    EXPECT_TRUE(Has("UnitCo2=0.637"));
    EXPECT_TRUE(Has("SNTPServer="));
    EXPECT_TRUE(Has("AlarmTime=12:00:00 AM"));
    EXPECT_TRUE(Has("Today=1.6"));  // the same running period: not added again
  }
  // A number that does not convert stops the close at its key, with the message.
  {
    TFormSettings form;
    ::SetWindowTextW(form.Control(ids::kTxtSetWatt), L"99");
    ::SetWindowTextW(form.Control(ids::kTxtUnitFee), L"abc");
    ::SetWindowTextW(form.Control(ids::kTxtUnitCo2), L"5");
    ::SendMessageW(form.Control(ids::kChkAutoSntp), BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "'abc' is not a valid floating point value.");
    EXPECT_EQ(boxes_[0].caption, "WattDial");
    EXPECT_EQ(boxes_[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(::IsWindow(form.hwnd()));
    EXPECT_TRUE(Has("Watts=99"));
    EXPECT_TRUE(Has("AutoSNTP=1"));
    EXPECT_TRUE(Has("UnitFee=2.59"));
    EXPECT_TRUE(Has("UnitCo2=0.637"));
    // An empty box: the same message with nothing quoted.
    ::SetWindowTextW(form.Control(ids::kTxtSetWatt), L"");
    EXPECT_THROW(form.FormClose(), ConvertError);
    EXPECT_TRUE(Has("Watts=99"));
  }
}

TEST_F(FormSettingsTest, ResetAsksThenClearsAndACloseKeepsTheZeros) {
  test::WriteBytes(SettingsFilePath(),
                   "[Parameters]\r\nAutoSNTP=0\r\nFromDate=1/1/2020\r\n[History]\r\nToday=5\r\n"
                   "ThisWeek=6\r\nThisMonth=7\r\nThisYear=8\r\n");
  TFormSettings form;
  form.Timer1Timer();
  const std::string before = Ini();
  answer_ = IDCANCEL;
  form.btnResetClick();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "Confirm");
  EXPECT_EQ(boxes_[0].text, "您確定要清除過去的能源耗用紀錄，並只記錄今日的能源耗用？");
  EXPECT_EQ(boxes_[0].flags, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1));
  EXPECT_EQ(Ini(), before);
  EXPECT_FALSE(std::filesystem::exists(test::FsPath(Path("MYREC.FIL"))));

  answer_ = IDOK;
  form.btnResetClick();
  for (const char* key : {"Today=0", "ThisWeek=0", "ThisMonth=0", "ThisYear=0"})
    EXPECT_TRUE(Has(key)) << key;
  EXPECT_FALSE(Has("FromDate=1/1/2020"));
  EXPECT_EQ(test::ReadBytes(Path("MYREC.FIL")), std::string(568, '\0'));
  EXPECT_EQ(form.Totals(), HistoryTotals{});
  // Closed before the next tick: the zeros stay.
  form.FormClose();
  EXPECT_TRUE(Has("Today=0"));
  // The next opening counts this period's whole uptime, once.
  TFormSettings again;
  again.Timer1Timer();
  EXPECT_DOUBLE_EQ(again.Totals().this_year, 1.6);
}

// The dialog sets a clock that was 8 hours behind since the computer started: the
// period counted half an hour before under that clock is still the same period, on
// every tick.
TEST_F(FormSettingsTest, TheDialogsOwnClockCorrectionHoldsForEveryTick) {
  g_local = EncodeDate(2026, 12, 9) + 4.0 / 24;  // reads 04:00, truly noon
  test::WriteBytes(SettingsFilePath(),
                   "[Parameters]\r\nAutoSNTP=1\r\nSNTPServer=127.0.0.1\r\n[History]\r\n"
                   "Today=1.1\r\nThisWeek=1.1\r\nThisMonth=1.1\r\nThisYear=10.1\r\n"
                   "LastCounted=2026-12-09 03:30:00\r\nCountedAt=2026-12-08 19:30:00.000\r\n"
                   "CountedSinceStart=3960000\r\nCountedSuspended=0\r\nCountedRunning=3960000\r\n");
  net::test::FakeServer server;
  server.Respond([](const std::string& req) {
    return std::vector<net::test::Outgoing>{
        {net::test::MakeReply(net::test::AheadBy(req, 8 * 3600 * 1000))}};
  });
  const std::uint16_t port = server.port();
  static std::uint16_t g_port;
  g_port = port;
  SetSntpSetupForTesting([](net::TIdSNTP& sntp) { sntp.SetPort(g_port); });
  TFormSettings form;
  EXPECT_NEAR(g_local, EncodeDate(2026, 12, 9) + 0.5, 1.0 / 86400);
  for (int tick = 0; tick < 3; ++tick) {
    form.Timer1Timer();
    EXPECT_DOUBLE_EQ(form.Totals().this_year, 10.6);
    EXPECT_DOUBLE_EQ(form.Totals().today, 1.6);
  }
  form.FormClose();
  EXPECT_TRUE(Has("ThisYear=10.6"));
  SetSntpSetupForTesting(nullptr);
}

// The trend page: the last 30 days from the Days section and this tick's counting,
// today last; the keys and a click choose a day, whose line shows below the chart.
TEST_F(FormSettingsTest, TrendPageShowsTheLastDaysAndTheDayChosen) {
  test::WriteBytes(SettingsFilePath(),
                   "[Parameters]\r\nAutoSNTP=0\r\nWatts=100\r\n[Days]\r\n2026-12-09=2.5\r\n"
                   "2026-12-01=10\r\n2026-11-01=7\r\n");
  TFormSettings form;
  form.SetActivePage(2);
  form.Timer1Timer();  // 1.6 hours of a period not counted before: today's
  HWND window = form.Control(ids::kTrendChart);
  const TrendChart* chart = TrendChart::Of(window);
  ASSERT_NE(chart, nullptr);
  ASSERT_EQ(chart->bars().size(), 30u);
  EXPECT_EQ(chart->bars().front().day, static_cast<int>(EncodeDate(2026, 11, 10)));
  EXPECT_EQ(chart->bars().back().day, static_cast<int>(EncodeDate(2026, 12, 9)));
  EXPECT_DOUBLE_EQ(chart->bars().back().hours, 4.1);
  EXPECT_EQ(Text(form.Control(ids::kTxtTrendDay)),
            "12/9 耗時 4:06，耗電量 0.410 度，用電費 1.062 元，排放 0.261 公斤二氧化碳");
  EXPECT_NE(Text(window).find("12/1 1.000 度；"), std::string::npos) << Text(window);

  for (int i = 0; i < 8; ++i) ::SendMessageW(window, WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_EQ(Text(form.Control(ids::kTxtTrendDay)).rfind("12/1 耗時 10:00，耗電量 1.000 度", 0), 0u);
  ::SendMessageW(window, WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(Text(form.Control(ids::kTxtTrendDay)).rfind("11/10 耗時 0:00", 0), 0u);
  // A click on the right edge: the last bar; in the scale's margin: no bar.
  RECT client;
  ::GetClientRect(window, &client);
  ::SendMessageW(window, WM_LBUTTONDOWN, 0, MAKELPARAM(client.right - 2, client.bottom / 2));
  EXPECT_EQ(chart->selected(), 29);
  ::SendMessageW(window, WM_LBUTTONDOWN, 0, MAKELPARAM(1, client.bottom / 2));
  EXPECT_EQ(chart->selected(), 29);
  // The next tick keeps the day chosen.
  ::SendMessageW(window, WM_KEYDOWN, VK_LEFT, 0);
  form.Timer1Timer();
  EXPECT_EQ(chart->selected(), 28);
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

TEST_F(FormSettingsTest, TimeSyncShowsItsFailureAndDropsItsErrors) {
  // Nothing answers: after the receive time limit the label shows.
  test::WriteBytes(SettingsFilePath(), "[Parameters]\r\nAutoSNTP=1\r\nSNTPServer=127.0.0.1\r\n");
  SetSntpSetupForTesting([](net::TIdSNTP& sntp) {
    sntp.SetPort(9);  // discard: nothing replies
    sntp.SetReceiveTimeout(300);
  });
  auto shown = [](HWND c) { return (::GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE) != 0; };
  {
    TFormSettings form;
    EXPECT_TRUE(shown(form.Control(ids::kLblSntpFails)));
  }
  // One blank as the host: the lookup fails, the error is dropped, the label stays hidden.
  test::WriteBytes(SettingsFilePath(), "[Parameters]\r\nAutoSNTP=0\r\n");
  TFormSettings form;
  ::SendMessageW(form.Control(ids::kChkAutoSntp), BM_SETCHECK, BST_CHECKED, 0);
  ::SetWindowTextW(form.Control(ids::kTxtSntpServer), L" ");
  form.SyncTimeIfEnabled();
  EXPECT_FALSE(shown(form.Control(ids::kLblSntpFails)));
  EXPECT_TRUE(boxes_.empty());
}

}  // namespace
}  // namespace wd::settings
