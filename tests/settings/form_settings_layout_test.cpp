// The settings dialog as a real window under Wine: its controls and their texts, the
// layout, the pages and the keyboard order.
#include "tests/settings/form_settings_fixture.h"

namespace wd::settings {
namespace {

using namespace test_support;

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

  // The layout as a user sees it: each box on its label's row, to the right of where
  // the label starts; nothing that takes the keyboard overlaps anything else that does;
  // everything inside its page; the statistics lines in order inside their frame; the
  // buttons below the pages, 確定, 關閉, 取消 from left to right.
  auto rect = [&](int id) {
    HWND c = form.Control(id);
    return RectIn(c, ::GetParent(c));
  };
  auto same_row = [](const RECT& a, const RECT& b) { return a.top < b.bottom && b.top < a.bottom; };
  const struct {
    int label, box;
  } rows[] = {{ids::kLabel5, ids::kTxtSetWatt},         {ids::kLabel6, ids::kTxtUnitFee},
              {ids::kLabel7, ids::kTxtUnitCo2},         {ids::kLabel8, ids::kDateTimePicker1},
              {ids::kChkAutoSntp, ids::kTxtSntpServer}, {ids::kLabel1, ids::kTxtToday},
              {ids::kLabel4, ids::kTxtThisWeek},        {ids::kLabel2, ids::kTxtThisMonth},
              {ids::kLabel3, ids::kTxtThisYear}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.box);
    EXPECT_TRUE(same_row(rect(row.label), rect(row.box)));
    EXPECT_GT(rect(row.box).left, rect(row.label).left + 50);
  }
  std::vector<const ControlSpec*> keyboard;
  for (const ControlSpec& spec : DialogControls()) {
    SCOPED_TRACE(spec.id);
    const RECT r = rect(spec.id);
    RECT host;
    ::GetClientRect(::GetParent(form.Control(spec.id)), &host);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, host.right);
    EXPECT_LE(r.bottom, host.bottom);
    EXPECT_GT(r.right - r.left, 0);
    if (spec.style & WS_TABSTOP) keyboard.push_back(&spec);
  }
  for (size_t i = 0; i < keyboard.size(); ++i) {
    for (size_t j = i + 1; j < keyboard.size(); ++j) {
      if (keyboard[i]->host != keyboard[j]->host || keyboard[i]->id == ids::kPageControl1) continue;
      RECT meet;
      const RECT a = rect(keyboard[i]->id), b = rect(keyboard[j]->id);
      EXPECT_FALSE(::IntersectRect(&meet, &a, &b)) << keyboard[i]->id << " " << keyboard[j]->id;
    }
  }
  const RECT frame = rect(ids::kGroupBox1);
  int above = frame.top;
  for (int id : {ids::kTxtToday, ids::kTxtThisWeek, ids::kTxtThisMonth, ids::kTxtThisYear}) {
    const RECT r = rect(id);
    EXPECT_GT(r.top, above) << id;
    EXPECT_TRUE(r.left > frame.left && r.right < frame.right && r.bottom < frame.bottom) << id;
    above = r.bottom;
  }
  const RECT pages = rect(ids::kPageControl1);
  EXPECT_EQ(pages.right - pages.left, 634);
  EXPECT_GE(rect(ids::kBitBtn1).top, pages.bottom);
  EXPECT_LT(rect(ids::kBitBtn1).right, rect(ids::kBtnOk).left);
  EXPECT_LT(rect(ids::kBtnOk).right, rect(ids::kBtnCancel).left);
  EXPECT_GT(rect(ids::kBtnReset).top, frame.bottom);
  // "W" shows to the right of the watts box.
  EXPECT_GT(RectIn(form.Control(ids::kLabel5), form.Control(ids::kPanel4)).right, 177);
}

// Every control of the table is made on its page with its text from the resources, and
// no two share an id.
TEST_F(FormSettingsTest, EveryControlOfTheTableIsMadeOnItsPageWithItsText) {
  test::WriteBytes(SettingsFilePath(), "[Parameters]\r\nAutoSNTP=0\r\n");
  TFormSettings form;
  std::vector<int> seen;
  for (const ControlSpec& spec : DialogControls()) {
    SCOPED_TRACE(spec.id);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), spec.id), 0);
    seen.push_back(spec.id);
    HWND c = form.Control(spec.id);
    ASSERT_NE(c, nullptr);
    const int panels[] = {ids::kPanel4, ids::kPanel1, ids::kPanel2};
    const int page = PageOf(spec.host);
    EXPECT_EQ(::GetParent(c), page < 0 ? form.hwnd() : form.Control(panels[page]));
    // The texts the dialog fills in itself start from the resource's or replace it.
    if (spec.text != 0 && spec.id != ids::kLblTimeZone && spec.id != ids::kTxtTrendDay) {
      EXPECT_FALSE(ResourceText(spec.text).empty());
      EXPECT_EQ(win::Widen(Text(c)).rfind(ResourceText(spec.text), 0), 0u);
    }
    EXPECT_EQ((::GetWindowLongPtrW(c, GWL_STYLE) & WS_TABSTOP) != 0,
              (spec.style & WS_TABSTOP) != 0);
  }
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

}  // namespace
}  // namespace wd::settings
