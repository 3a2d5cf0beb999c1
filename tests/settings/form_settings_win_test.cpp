// The settings dialog as a real window under Wine: its controls, layout, keyboard
// order, the statistics tick, and what closing writes.
#include "settings/form_settings.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "common/errors.h"
#include "common/local_clock.h"
#include "energy/settings_file.h"
#include "energy/uptime.h"
#include "net/clock.h"
#include "platform/application.h"
#include "platform/text.h"
#include "settings/control_ids.h"
#include "tests/energy/test_support.h"
#include "tests/net/fake_ntp_server.h"

namespace wd::settings {
namespace {

std::string Text(HWND c) {
  wchar_t buf[512] = {};
  ::GetWindowTextW(c, buf, 512);
  return win::Narrow(buf);
}

RECT RectIn(HWND c, HWND parent) {
  RECT r;
  ::GetWindowRect(c, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// The dialog's clocks: Taiwan time, moved by what the clock setter sets.
DateTime g_local = 0;
constexpr double kTaiwan = 8.0 / 24;
DateTime FakeLocal() {
  return g_local;
}
DateTime FakeUtc() {
  return g_local - kTaiwan;
}

class FormSettingsTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    win::Application::Instance().Reset();
    win::Application::Instance().SetTitle(L"WattDial");
    win::Application::Instance().SetMessageBoxForTesting(
        [this](HWND, const std::wstring& text, const std::wstring& caption, UINT flags) {
          boxes_.push_back({win::Narrow(text), win::Narrow(caption), flags});
          return answer_;
        });
    SetTickCountForTesting([] { return static_cast<uint32_t>(5760000); });  // 1 h 36 min
    SetSuspendedTimeForTesting([]() -> int64_t { return 0; });
    g_local = EncodeDate(2026, 12, 9) + 0.5;  // Wednesday noon
    SetLocalClockForTesting(&FakeLocal);
    SetUtcClockForTesting(&FakeUtc);
    net::SetUtcBiasForTesting([] { return -kTaiwan; });
    SetSntpSetupForTesting(nullptr);
    // No test sets the computer's clock: the setter moves the test's clocks.
    net::SetClockSetterForTesting([](DateTime t) {
      g_local = t;
      return true;
    });
  }
  void TearDown() override {
    net::SetClockSetterForTesting(nullptr);
    net::SetUtcBiasForTesting(nullptr);
    SetLocalClockForTesting(nullptr);
    SetUtcClockForTesting(nullptr);
    SetSuspendedTimeForTesting(nullptr);
    SetTickCountForTesting(nullptr);
    SetSntpSetupForTesting(nullptr);
    win::Application::Instance().Reset();
    TempFolderTest::TearDown();
  }
  std::string Ini() const { return test::ReadBytes(SettingsFilePath()); }
  bool Has(const std::string& line) const { return Ini().find(line + "\r\n") != std::string::npos; }

  struct Box {
    std::string text, caption;
    UINT flags;
  };
  std::vector<Box> boxes_;
  int answer_ = IDOK;
};

TEST_F(FormSettingsTest, OpensWithDefaultsAndTheLayoutAt96Dpi) {
  test::WriteBytes(SettingsFilePath(), "[Parameters]\r\nAutoSNTP=0\r\n");
  TFormSettings form;
  EXPECT_EQ(Text(form.hwnd()), "能源耗用管理");
  EXPECT_EQ(Text(form.Control(ids::kTxtSetWatt)), "107.125");
  EXPECT_EQ(Text(form.Control(ids::kTxtUnitFee)), "2.59");
  EXPECT_EQ(Text(form.Control(ids::kTxtUnitCo2)), "0.637");
  EXPECT_EQ(Text(form.Control(ids::kTxtSntpServer)), "time.stdtime.gov.tw");
  EXPECT_EQ(::SendMessageW(form.Control(ids::kChkAutoSntp), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SYSTEMTIME st{};
  ::SendMessageW(form.Control(ids::kDateTimePicker1), DTM_GETSYSTEMTIME, 0,
                 reinterpret_cast<LPARAM>(&st));
  EXPECT_EQ(st.wHour * 3600 + st.wMinute * 60 + st.wSecond, 0);
  EXPECT_EQ(Text(form.Control(ids::kLabel5)), "電腦消耗功率                     W");
  EXPECT_EQ(Text(form.Control(ids::kLblTimeZone)).rfind("目前時區為： ", 0), 0u);
  for (int id : {ids::kTxtToday, ids::kTxtThisWeek, ids::kTxtThisMonth, ids::kTxtThisYear})
    EXPECT_EQ(Text(form.Control(id)), "  ");

  // A fixed dialog frame without system menu, 634 x 324 inside, centred.
  const LONG_PTR style = ::GetWindowLongPtrW(form.hwnd(), GWL_STYLE);
  EXPECT_EQ(style & WS_SYSMENU, 0);
  EXPECT_EQ(style & WS_THICKFRAME, 0);
  RECT client;
  ::GetClientRect(form.hwnd(), &client);
  EXPECT_EQ(client.right, 634);
  EXPECT_EQ(client.bottom, 324);
  RECT window;
  ::GetWindowRect(form.hwnd(), &window);
  EXPECT_NEAR((window.left + window.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);

  struct Place {
    int id, parent;
    RECT r;
  };
  const Place places[] = {
      {ids::kTxtSetWatt, ids::kPanel4, {106, 6, 177, 29}},
      {ids::kTxtUnitFee, ids::kPanel4, {106, 34, 177, 57}},
      {ids::kTxtUnitCo2, ids::kPanel4, {106, 66, 177, 89}},
      {ids::kDateTimePicker1, ids::kPanel4, {218, 102, 339, 125}},
      {ids::kChkAutoSntp, ids::kPanel4, {16, 160, 217, 177}},
      {ids::kTxtSntpServer, ids::kPanel4, {218, 154, 417, 177}},
      {ids::kTxtToday, ids::kPanel1, {144, 38, 617, 58}},
      {ids::kTxtThisYear, ids::kPanel1, {144, 178, 617, 198}},
      {ids::kBtnReset, ids::kPanel1, {8, 224, 83, 249}},
      {ids::kBitBtn1, 0, {360, 288, 435, 313}},
      {ids::kBtnOk, 0, {440, 288, 515, 313}},
      {ids::kBtnCancel, 0, {520, 288, 595, 313}},
      {ids::kPageControl1, 0, {0, 0, 634, 281}},
  };
  for (const Place& p : places) {
    SCOPED_TRACE(p.id);
    HWND parent = p.parent ? form.Control(p.parent) : form.hwnd();
    const RECT r = RectIn(form.Control(p.id), parent);
    EXPECT_EQ(r.left, p.r.left);
    EXPECT_EQ(r.top, p.r.top);
    EXPECT_EQ(r.right, p.r.right);
    EXPECT_EQ(r.bottom, p.r.bottom);
  }
  // "W" shows to the right of the watts box.
  EXPECT_GT(RectIn(form.Control(ids::kLabel5), form.Control(ids::kPanel4)).right, 177);
}

TEST_F(FormSettingsTest, PagesKeyboardOrderAndTheDefaultButton) {
  test::WriteBytes(SettingsFilePath(), "[Parameters]\r\nAutoSNTP=0\r\n");
  TFormSettings form;
  ::ShowWindow(form.hwnd(), SW_SHOW);
  Pump();
  EXPECT_TRUE(::IsWindowVisible(form.Control(ids::kBitBtn1)));
  EXPECT_EQ(::SendMessageW(form.hwnd(), DM_GETDEFID, 0, 0),
            MAKELRESULT(ids::kBitBtn1, DC_HASDEFID));
  // Tab from the page control through page 0 in its order, then the buttons.
  std::vector<int> order;
  HWND at = form.Control(ids::kPageControl1);
  for (int i = 0; i < 10; ++i) {
    order.push_back(::GetDlgCtrlID(at));
    at = form.NextTabStop(at, false);
  }
  const std::vector<int> expected = {ids::kPageControl1,  ids::kTxtSetWatt,      ids::kTxtUnitFee,
                                     ids::kTxtUnitCo2,    ids::kDateTimePicker1, ids::kChkAutoSntp,
                                     ids::kTxtSntpServer, ids::kBtnOk,           ids::kBtnCancel,
                                     ids::kBitBtn1};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(form.NextTabStop(form.Control(ids::kPageControl1), true), form.Control(ids::kBitBtn1));

  // The statistics page: only "關閉" and "取消"; Enter finds no default button.
  ::SendMessageW(form.Control(ids::kPageControl1), TCM_SETCURFOCUS, 1, 0);
  Pump();
  EXPECT_EQ(form.ActivePage(), 1);
  EXPECT_FALSE(::IsWindowVisible(form.Control(ids::kBitBtn1)));
  EXPECT_TRUE(::IsWindowVisible(form.Control(ids::kBtnOk)));
  EXPECT_TRUE(::IsWindowVisible(form.Control(ids::kBtnCancel)));
  EXPECT_TRUE(::IsWindowVisible(form.Control(ids::kTxtToday)));
  EXPECT_FALSE(::IsWindowVisible(form.Control(ids::kTxtSetWatt)));
  EXPECT_EQ(::SendMessageW(form.hwnd(), DM_GETDEFID, 0, 0), 0);
  EXPECT_EQ(form.NextTabStop(form.Control(ids::kPageControl1), false),
            form.Control(ids::kBtnReset));
  EXPECT_EQ(form.NextTabStop(form.Control(ids::kBtnCancel), false),
            form.Control(ids::kPageControl1));
  // Enter there (IDOK from the dialog manager) closes nothing: nothing is written.
  ::SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(Ini().find("Watts") == std::string::npos);
  form.SetActivePage(0);
  EXPECT_TRUE(::IsWindowVisible(form.Control(ids::kBitBtn1)));
}

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
