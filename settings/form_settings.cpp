#include "settings/form_settings.h"

#include <cwchar>
#include <functional>
#include <vector>

#include "common/errors.h"
#include "common/local_clock.h"
#include "energy/calculate.h"
#include "energy/format_settings.h"
#include "energy/settings_file.h"
#include "energy/uptime.h"
#include "platform/application.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "settings/control_ids.h"
#include "settings/statistics_lines.h"

namespace wd::settings {
namespace {

constexpr char kParameters[] = "Parameters";
constexpr double kDefaultWatts = 107.125;
constexpr double kDefaultUnitFee = 2.59;
constexpr double kDefaultUnitCo2 = 0.637;
constexpr DateTime kDefaultAlarmTime = 10.0;  // its time of day is 00:00:00
constexpr char kDefaultServer[] = "time.stdtime.gov.tw";
constexpr UINT_PTR kTimer1 = 1;

// Client size and the page control's height, in 96-DPI pixels.
constexpr int kClientWidth = 634;
constexpr int kClientHeight = 324;
constexpr int kPageControlHeight = 281;

constexpr wchar_t kResetQuestion[] = L"您確定要清除過去的能源耗用紀錄，並只記錄今日的能源耗用？";

std::function<void(net::TIdSNTP&)>& SntpSetup() {
  static std::function<void(net::TIdSNTP&)> setup;
  return setup;
}

std::wstring Blanks(int n) {
  return std::wstring(static_cast<size_t>(n), L' ');
}

std::string TextOf(HWND control) {
  const int length = ::GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(control, text.data(), length + 1)));
  return win::Narrow(text);
}

void SetText(HWND control, const std::string& text) {
  ::SetWindowTextW(control, win::Widen(text).c_str());
}

// The user's first day of the week, 0 = Sunday (the locale counts 0 = Monday).
int FirstDayOfWeek() {
  wchar_t value[4] = {};
  if (!::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, value, 4)) return 1;
  const int monday_based = value[0] - L'0';
  return monday_based >= 0 && monday_based <= 6 ? (monday_based + 1) % 7 : 1;
}

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FontInstalled(const wchar_t* face) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  win::WindowDc screen(nullptr);
  ::EnumFontFamiliesExW(screen.get(), &lf, FontFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// "新細明體" where the system has it (every Traditional Chinese Windows does), else the
// first Traditional Chinese face it has: a Latin fallback would lose the Chinese
// texts' widths, on which the labels' blanks rely.
const wchar_t* ChineseFace() {
  static const wchar_t* face = [] {
    for (const wchar_t* f : {L"新細明體", L"PMingLiU", L"Microsoft JhengHei", L"AR PL UMing TW",
                             L"Noto Sans CJK TC", L"Noto Serif CJK TC"}) {
      if (FontInstalled(f)) return f;
    }
    return L"新細明體";
  }();
  return face;
}

HFONT MakeFont(const wchar_t* face, int height_px, bool fixed_pitch = false) {
  LOGFONTW lf{};
  lf.lfHeight = -height_px;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  // The fixed-pitch request matters only with the face the dialog was made for: with a
  // substitute it picks another face whose Latin letters are full width.
  const bool designed_face = std::wcscmp(face, L"新細明體") == 0;
  lf.lfPitchAndFamily =
      static_cast<BYTE>(fixed_pitch && designed_face ? FIXED_PITCH : DEFAULT_PITCH);
  std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return ::CreateFontIndirectW(&lf);
}

// Mouse messages go to the system's handling here: the window base keeps them for the
// saver's exit rule.
bool MouseMessage(UINT msg) {
  return msg == WM_MOUSEMOVE || msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN ||
         msg == WM_MBUTTONDOWN;
}

HICON LoadIconSized(int id, int size) {
  return static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

}  // namespace

// A page's panel: a child window of the page control in the colour of 3D light with a
// lowered bevel. Its controls' notifications go on to the dialog.
class Panel : public win::Window {
 public:
  Panel(HWND parent, HWND form, int id, UINT edges) : form_(form), edges_(edges) {
    win::WindowParams params;
    params.class_name = L"WattDialPanel";
    params.style = WS_CHILD | WS_CLIPSIBLINGS;
    params.ex_style = WS_EX_CONTROLPARENT;
    params.x = params.y = 0;
    params.width = params.height = 10;
    params.parent = parent;
    Create(params);
    ::SetWindowLongPtrW(hwnd(), GWLP_ID, id);
  }

 protected:
  bool HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    if (MouseMessage(msg)) return false;
    switch (msg) {
      case WM_COMMAND:
      case WM_NOTIFY:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORBTN:
        result = ::SendMessageW(form_, msg, wparam, lparam);
        return true;
      default:
        return win::Window::HandleMessage(msg, wparam, lparam, result);
    }
  }
  void OnPaint(HDC dc, const RECT&) override {
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_3DLIGHT));
    ::DrawEdge(dc, &rc, edges_, BF_RECT);
  }

 private:
  HWND form_;
  UINT edges_;
};

void SetSntpSetupForTesting(std::function<void(net::TIdSNTP&)> setup) {
  SntpSetup() = std::move(setup);
}

TFormSettings::TFormSettings() {
  win::WindowParams params;
  params.class_name = L"TFormSettings";
  params.caption = L"能源耗用管理";
  // A fixed dialog frame: caption, no system menu, no caption buttons, no sizing.
  params.style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
  params.ex_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  params.x = params.y = 0;
  params.width = kClientWidth;
  params.height = kClientHeight;
  Create(params);
  dpi_ = win::WindowDpi(hwnd());
  if (dpi_ == 0) dpi_ = 96;

  CreateFonts();
  CreateControls();
  id_sntp1_ = std::make_unique<net::TIdSNTP>();
  id_sntp1_->SetPort(123);
  if (SntpSetup()) SntpSetup()(*id_sntp1_);
  timer1_ = std::make_unique<win::Timer>(hwnd(), kTimer1, 1000, true);
  FormCreate();
  LayOut();
  win::Application::Instance().SetDialogWindow(this);
}

TFormSettings::~TFormSettings() {
  win::Application::Instance().SetDialogWindow(nullptr);
  timer1_.reset();
  // The panels' windows go before the dialog's, which would otherwise destroy them.
  panel4_.reset();
  panel1_.reset();
}

int TFormSettings::Scale(int pixels) const {
  return ::MulDiv(pixels, static_cast<int>(dpi_), 96);
}

HWND TFormSettings::Control(int id) const {
  switch (id) {
    case ids::kPageControl1:
    case ids::kBitBtn1:
    case ids::kBtnOk:
    case ids::kBtnCancel:
      return ::GetDlgItem(hwnd(), id);
    case ids::kPanel4:
      return panel4_->hwnd();
    case ids::kPanel1:
      return panel1_->hwnd();
    default:
      if (HWND c = ::GetDlgItem(panel4_->hwnd(), id)) return c;
      return ::GetDlgItem(panel1_->hwnd(), id);
  }
}

HWND TFormSettings::MakeControl(HWND parent, int id, const wchar_t* cls, const std::wstring& text,
                                DWORD style, DWORD ex_style) {
  HWND c = ::CreateWindowExW(ex_style, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10,
                             10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             ::GetModuleHandleW(nullptr), nullptr);
  if (!c) {
    const DWORD code = ::GetLastError();
    throw wd::OSError("Error creating window: " + win::SystemMessage(code), code);
  }
  return c;
}

void TFormSettings::CreateFonts() {
  // "MS Sans Serif" 8 points for the dialog, "新細明體" in character heights for the rest.
  dialog_font_.reset(MakeFont(L"MS Sans Serif", ::MulDiv(8, static_cast<int>(dpi_), 72)));
  page_font_.reset(MakeFont(ChineseFace(), Scale(15)));
  stats_label_font_.reset(MakeFont(ChineseFace(), Scale(13)));
  stats_text_font_.reset(MakeFont(ChineseFace(), Scale(13), true));
}

void TFormSettings::CreateControls() {
  HWND form = hwnd();
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&icc);

  // Icons and images; a program without the resources (a test) goes without them.
  icon_big_.reset(LoadIconSized(WD_ICON_DIALOG, 48));
  icon_small_.reset(LoadIconSized(WD_ICON_DIALOG, ::GetSystemMetrics(SM_CXSMICON)));
  if (icon_big_)
    ::SendMessageW(form, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_big_.get()));
  if (icon_small_)
    ::SendMessageW(form, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_small_.get()));
  const int image = Scale(16);
  tab_images_.reset(::ImageList_Create(image, image, ILC_COLOR32 | ILC_MASK, 4, 0));
  for (int id : {WD_ICON_TAB0, WD_ICON_TAB1, WD_ICON_TAB2, WD_ICON_TAB3}) {
    win::Icon tab(LoadIconSized(id, image));
    if (tab) ::ImageList_AddIcon(tab_images_.get(), tab.get());
  }
  glyph_ok_.reset(LoadIconSized(WD_ICON_GLYPH_OK, image));
  glyph_close_.reset(LoadIconSized(WD_ICON_GLYPH_CLOSE, image));
  glyph_cancel_.reset(LoadIconSized(WD_ICON_GLYPH_CANCEL, image));

  // The tab order of the dialog is the order of creation: the page control (and the
  // controls of its pages), btnOk, btnCancel, BitBtn1.
  HWND tabs = MakeControl(form, ids::kPageControl1, WC_TABCONTROLW, L"",
                          WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT);
  ::SendMessageW(tabs, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(tab_images_.get()));
  struct Page {
    const wchar_t* caption;
    int image;
  };
  const Page pages[] = {{L"設定", 2}, {L"統計", 0}};
  for (int i = 0; i < 2; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<wchar_t*>(pages[i].caption);
    item.iImage = pages[i].image;
    ::SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }

  // Page 0. Controls that take the keyboard first, in their tab order, then the labels
  // (below them: Label5's blanks lie under txtSetWatt).
  panel4_ = std::make_unique<Panel>(tabs, form, ids::kPanel4, EDGE_SUNKEN);
  HWND p4 = panel4_->hwnd();
  const DWORD edit = WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
  MakeControl(p4, ids::kTxtSetWatt, L"EDIT", L"0", edit);
  MakeControl(p4, ids::kTxtUnitFee, L"EDIT", L"0", edit);
  MakeControl(p4, ids::kTxtUnitCo2, L"EDIT", L"0", edit);
  MakeControl(p4, ids::kDateTimePicker1, DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_TIMEFORMAT);
  MakeControl(p4, ids::kChkAutoSntp, L"BUTTON", L"開機時自動校時,校時主機",
              WS_TABSTOP | BS_AUTOCHECKBOX);
  MakeControl(p4, ids::kTxtSntpServer, L"EDIT", L"", edit);
  const DWORD label = SS_LEFT | SS_NOPREFIX | WS_CLIPSIBLINGS;
  MakeControl(p4, ids::kLabel5, L"STATIC", L"電腦消耗功率" + Blanks(21) + L"W", label);
  MakeControl(p4, ids::kLabel6, L"STATIC", L"每度電費" + Blanks(28) + L"元", label);
  MakeControl(p4, ids::kLabel7, L"STATIC", L"電力排放係數" + Blanks(20) + L"公斤二氧化碳/度",
              label);
  MakeControl(p4, ids::kBevel1, L"STATIC", L"", SS_ETCHEDHORZ);
  MakeControl(p4, ids::kLabel8, L"STATIC", L"提醒下班關機時間設定", label);
  MakeControl(p4, ids::kBevel2, L"STATIC", L"", SS_ETCHEDHORZ);
  HWND fails = MakeControl(p4, ids::kLblSntpFails, L"STATIC", L"網路校時失敗", label);
  ::ShowWindow(fails, SW_HIDE);
  MakeControl(p4, ids::kLblTimeZone, L"STATIC", L"時區", label);

  // Page 1.
  panel1_ = std::make_unique<Panel>(tabs, form, ids::kPanel1, BDR_SUNKENOUTER);
  HWND p1 = panel1_->hwnd();
  MakeControl(p1, ids::kBtnReset, L"BUTTON", L"統計歸零", WS_TABSTOP | BS_PUSHBUTTON);
  const DWORD line = SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_SUNKEN | WS_CLIPSIBLINGS;
  for (int id : {ids::kTxtToday, ids::kTxtThisWeek, ids::kTxtThisMonth, ids::kTxtThisYear})
    MakeControl(p1, id, L"STATIC", L"  ", line);
  MakeControl(p1, ids::kLabel1, L"STATIC", L"今天累計能源耗用", label);
  MakeControl(p1, ids::kLabel4, L"STATIC", L"本週累計能源耗用", label);
  MakeControl(p1, ids::kLabel2, L"STATIC", L"本月累計能源耗用", label);
  MakeControl(p1, ids::kLabel3, L"STATIC", L"今年累計能源耗用", label);
  // Last, so it lies below the texts it frames.
  MakeControl(p1, ids::kGroupBox1, L"BUTTON", L"能源耗用統計", BS_GROUPBOX | WS_CLIPSIBLINGS);

  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
  MakeControl(form, ids::kBtnOk, L"BUTTON", L"關閉", button);
  MakeControl(form, ids::kBtnCancel, L"BUTTON", L"取消", button);
  MakeControl(form, ids::kBitBtn1, L"BUTTON", L"確定", WS_TABSTOP | BS_DEFPUSHBUTTON);
  for (auto [id, glyph] :
       {std::pair{ids::kBitBtn1, glyph_ok_.get()}, std::pair{ids::kBtnOk, glyph_close_.get()},
        std::pair{ids::kBtnCancel, glyph_cancel_.get()}}) {
    if (glyph)
      ::SendMessageW(Control(id), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyph));
  }
  PageControl1Change();
}

void TFormSettings::Place(int id, int x, int y, int w, int h) {
  ::SetWindowPos(Control(id), nullptr, Scale(x), Scale(y), Scale(w), Scale(h),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormSettings::PlaceAutoSized(int id, int x, int y, int wrap_width) {
  // A label as wide and high as its text on one line. With `wrap_width` it is that wide
  // and wraps; a text that the Chinese face of this system sets wider than the face the
  // layout was made for keeps its one line rather than breaking inside a word.
  HWND c = Control(id);
  const std::wstring text = win::Widen(TextOf(c));
  win::WindowDc dc(c);
  win::SelectGuard font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(c, WM_GETFONT, 0, 0)));
  RECT line{0, 0, 0, 0};
  ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &line,
              DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
  int width = line.right, height = line.bottom;
  if (wrap_width && line.right <= Scale(wrap_width)) {
    RECT wrapped{0, 0, Scale(wrap_width), 0};
    ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &wrapped,
                DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
    width = Scale(wrap_width);
    height = wrapped.bottom;
  }
  ::SetWindowPos(c, nullptr, Scale(x), Scale(y), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormSettings::LayOut() {
  HWND form = hwnd();
  // Fonts first: the labels size themselves to their text.
  auto set_font = [](HWND c, const win::GdiObject& font) {
    ::SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  };
  for (int id : {ids::kBitBtn1, ids::kBtnOk, ids::kBtnCancel}) set_font(Control(id), dialog_font_);
  for (int id : {ids::kPageControl1, ids::kLabel5, ids::kTxtSetWatt, ids::kLabel6, ids::kTxtUnitFee,
                 ids::kLabel7, ids::kTxtUnitCo2, ids::kLabel8, ids::kDateTimePicker1,
                 ids::kChkAutoSntp, ids::kTxtSntpServer, ids::kLblSntpFails, ids::kLblTimeZone,
                 ids::kGroupBox1, ids::kBtnReset})
    set_font(Control(id), page_font_);
  for (int id : {ids::kLabel1, ids::kLabel4, ids::kLabel2, ids::kLabel3})
    set_font(Control(id), stats_label_font_);
  for (int id : {ids::kTxtToday, ids::kTxtThisWeek, ids::kTxtThisMonth, ids::kTxtThisYear})
    set_font(Control(id), stats_text_font_);

  // The window: its client area at the centre of the screen.
  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(form, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(::GetWindowLongPtrW(form, GWL_EXSTYLE));
  RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
  win::AdjustWindowRectForDpi(frame, style, false, ex_style, dpi_);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  ::SetWindowPos(form, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);

  Place(ids::kPageControl1, 0, 0, kClientWidth, kPageControlHeight);
  Place(ids::kBitBtn1, 360, 288, 75, 25);
  Place(ids::kBtnOk, 440, 288, 75, 25);
  Place(ids::kBtnCancel, 520, 288, 75, 25);

  // Each panel fills its page (the page control's display area).
  HWND tabs = Control(ids::kPageControl1);
  RECT page;
  ::GetClientRect(tabs, &page);
  ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  ::SetWindowPos(panel4_->hwnd(), nullptr, page.left, page.top, page.right - page.left,
                 page.bottom - page.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(panel1_->hwnd(), nullptr, page.left, page.top, page.right - page.left, Scale(329),
                 SWP_NOZORDER | SWP_NOACTIVATE);

  PlaceAutoSized(ids::kLabel5, 10, 10);
  Place(ids::kTxtSetWatt, 106, 6, 71, 23);
  PlaceAutoSized(ids::kLabel6, 10, 38);
  Place(ids::kTxtUnitFee, 106, 34, 71, 23);
  PlaceAutoSized(ids::kLabel7, 10, 70, 335);
  Place(ids::kTxtUnitCo2, 106, 66, 71, 23);
  Place(ids::kBevel1, 16, 96, 601, 2);
  PlaceAutoSized(ids::kLabel8, 10, 106);
  Place(ids::kDateTimePicker1, 218, 102, 121, 23);
  Place(ids::kBevel2, 16, 140, 601, 2);
  Place(ids::kChkAutoSntp, 16, 160, 201, 17);
  Place(ids::kTxtSntpServer, 218, 154, 199, 23);
  PlaceAutoSized(ids::kLblSntpFails, 432, 160);
  PlaceAutoSized(ids::kLblTimeZone, 24, 200);

  // Page 1: the group box at 8, 8 and its contents placed relative to it.
  Place(ids::kGroupBox1, 8, 8, 617, 209);
  const struct {
    int label, text, top;
  } lines[] = {{ids::kLabel1, ids::kTxtToday, 30},
               {ids::kLabel4, ids::kTxtThisWeek, 76},
               {ids::kLabel2, ids::kTxtThisMonth, 123},
               {ids::kLabel3, ids::kTxtThisYear, 170}};
  for (const auto& l : lines) {
    PlaceAutoSized(l.label, 8 + 10, 8 + l.top);
    Place(l.text, 8 + 136, 8 + l.top, 473, 20);
  }
  Place(ids::kBtnReset, 8, 224, 75, 25);
  ::InvalidateRect(form, nullptr, TRUE);
}

void TFormSettings::FormCreate() {
  const FormatSettings& fs = CurrentFormatSettings();
  std::exception_ptr failed;
  try {
    SettingsFile file(SettingsFilePath());
    SetText(Control(ids::kTxtSetWatt),
            FloatToText(file.ReadFloat(kParameters, "Watts", kDefaultWatts), fs));
    SetText(Control(ids::kTxtUnitFee),
            FloatToText(file.ReadFloat(kParameters, "UnitFee", kDefaultUnitFee), fs));
    SetText(Control(ids::kTxtUnitCo2),
            FloatToText(file.ReadFloat(kParameters, "UnitCo2", kDefaultUnitCo2), fs));
    // The picker keeps its date and takes the time of day.
    const CalendarTime alarm =
        DecodeDateTime(file.ReadTime(kParameters, "AlarmTime", kDefaultAlarmTime));
    SYSTEMTIME st{};
    ::SendMessageW(Control(ids::kDateTimePicker1), DTM_GETSYSTEMTIME, 0,
                   reinterpret_cast<LPARAM>(&st));
    st.wHour = static_cast<WORD>(alarm.hour);
    st.wMinute = static_cast<WORD>(alarm.minute);
    st.wSecond = static_cast<WORD>(alarm.second);
    st.wMilliseconds = 0;
    ::SendMessageW(Control(ids::kDateTimePicker1), DTM_SETSYSTEMTIME, GDT_VALID,
                   reinterpret_cast<LPARAM>(&st));
    record_ = ReadHistory(file);
    ::SendMessageW(Control(ids::kChkAutoSntp), BM_SETCHECK,
                   file.ReadFlag(kParameters, "AutoSNTP", true) ? BST_CHECKED : BST_UNCHECKED, 0);
    SetText(Control(ids::kTxtSntpServer), file.ReadText(kParameters, "SNTPServer", kDefaultServer));
    // A stored InitMax asks for the maximised state, which a fixed dialog frame does not
    // keep: the dialog opens at normal size whatever it says.
    (void)file.ReadFlag("Form", "InitMax", false);
  } catch (...) {
    failed = std::current_exception();
  }
  SyncTimeIfEnabled();
  if (failed) std::rethrow_exception(failed);

  TIME_ZONE_INFORMATION tz{};
  ::GetTimeZoneInformation(&tz);
  const std::wstring name(tz.StandardName, ::wcsnlen(tz.StandardName, 32));
  SetText(Control(ids::kLblTimeZone), TimeZoneText(win::Narrow(name), tz.Bias));
}

void TFormSettings::SyncTimeIfEnabled() {
  if (::SendMessageW(Control(ids::kChkAutoSntp), BM_GETCHECK, 0, 0) != BST_CHECKED) return;
  const std::string host = TextOf(Control(ids::kTxtSntpServer));
  if (host.empty()) return;
  id_sntp1_->SetHost(host);
  try {
    const bool synchronised = id_sntp1_->SynchronizeClock();
    ::ShowWindow(Control(ids::kLblSntpFails), synchronised ? SW_HIDE : SW_SHOW);
    // The clock moved by the offset: the start of this running period moves with it.
    if (synchronised) ShiftForClockChange(record_, id_sntp1_->ClockOffset());
  } catch (...) {
    // A failed synchronisation never troubles the user beyond the label.
  }
}

CountingMoment TFormSettings::MomentNow(const UptimeReading& uptime) const {
  CountingMoment m;
  m.local_now = LocalNow();
  m.utc_now = UtcNow();
  m.uptime = uptime;
  m.first_day_of_week = FirstDayOfWeek();
  return m;
}

void TFormSettings::Timer1Timer() {
  const UptimeReading reading = ReadUptime();
  const std::int64_t uptime = reading.running_ms;
  const FormatSettings& fs = CurrentFormatSettings();
  // The record loaded when the dialog opened (and moved with its own clock correction)
  // counts on: each tick adds what ran since the one before.
  const Counted counted = CountHistory(record_, MomentNow(reading));
  record_ = counted.record;
  if (counted.new_from_date) new_from_date_ = counted.new_from_date;

  const HistoryTotals& t = record_.totals;
  const struct {
    int id;
    double total;
    HoursMinutes time;
  } lines[] = {{ids::kTxtToday, t.today, TodayHoursMinutes(t.today, uptime)},
               {ids::kTxtThisWeek, t.this_week, TotalHoursMinutes(t.this_week)},
               {ids::kTxtThisMonth, t.this_month, TotalHoursMinutes(t.this_month)},
               {ids::kTxtThisYear, t.this_year, TotalHoursMinutes(t.this_year)}};
  for (const auto& line : lines) {
    const LineFigures figures{HoursToKwh(line.total), HoursToFee(line.total),
                              HoursToCo2(line.total)};
    SetText(Control(line.id), StatisticsLine(line.time, figures, fs));
  }
}

void TFormSettings::FormClose() {
  const FormatSettings& fs = CurrentFormatSettings();
  SettingsFile file(SettingsFilePath());
  // "取消" keeps the stored settings; the counted time and the window state are
  // written on every close, so no running time is lost.
  const bool save_settings = !cancelling_;
  if (save_settings) {
    file.WriteFlag(kParameters, "AutoSNTP",
                   ::SendMessageW(Control(ids::kChkAutoSntp), BM_GETCHECK, 0, 0) == BST_CHECKED);
    file.WriteText(kParameters, "SNTPServer", TextOf(Control(ids::kTxtSntpServer)));
  }
  file.WriteFlag("Form", "InitMax", ::IsZoomed(hwnd()) != FALSE);
  if (save_settings) {
    file.WriteFloat(kParameters, "Watts", TextToFloat(TextOf(Control(ids::kTxtSetWatt)), fs));
    file.WriteFloat(kParameters, "UnitFee", TextToFloat(TextOf(Control(ids::kTxtUnitFee)), fs));
    file.WriteFloat(kParameters, "UnitCo2", TextToFloat(TextOf(Control(ids::kTxtUnitCo2)), fs));
    SYSTEMTIME st{};
    ::SendMessageW(Control(ids::kDateTimePicker1), DTM_GETSYSTEMTIME, 0,
                   reinterpret_cast<LPARAM>(&st));
    file.WriteTime(kParameters, "AlarmTime", EncodeTime(st.wHour, st.wMinute, st.wSecond, 0));
  }
  WriteHistory(file, record_);
  if (new_from_date_) file.WriteDate(kParameters, "FromDate", *new_from_date_);
}

void TFormSettings::ResetHistory() {
  const HistoryRecord reset = ResetRecord(MomentNow(ReadUptime()));
  SettingsFile file(SettingsFilePath());
  WriteHistory(file, reset);
  file.WriteDate(kParameters, "FromDate", LocalNow());
  // A close before the next tick writes these zeros, not the totals from before.
  record_ = reset;
  new_from_date_.reset();
}

void TFormSettings::btnResetClick() {
  const int answer = win::Application::Instance().ShowMessage(
      kResetQuestion, L"Confirm", MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1);
  if (answer != IDOK) return;
  ResetHistory();
  ResetRecordFile();
}

void TFormSettings::btnOkClick() {
  Close();
}

void TFormSettings::btnCancelClick() {
  cancelling_ = true;
  Close();
}

void TFormSettings::OnClose() {
  try {
    FormClose();
  } catch (...) {
    cancelling_ = false;
    throw;  // shown by the application; the dialog stays open
  }
  cancelling_ = false;
  win::Window::OnClose();
}

int TFormSettings::ActivePage() const {
  return static_cast<int>(::SendMessageW(Control(ids::kPageControl1), TCM_GETCURSEL, 0, 0));
}

void TFormSettings::SetActivePage(int page) {
  ::SendMessageW(Control(ids::kPageControl1), TCM_SETCURSEL, page, 0);
  PageControl1Change();
}

HWND TFormSettings::NextTabStop(HWND from, bool backwards) const {
  std::vector<HWND> order{Control(ids::kPageControl1)};
  const std::vector<int> page0 = {ids::kTxtSetWatt,      ids::kTxtUnitFee,  ids::kTxtUnitCo2,
                                  ids::kDateTimePicker1, ids::kChkAutoSntp, ids::kTxtSntpServer};
  const std::vector<int> page1 = {ids::kBtnReset};
  for (int id : ActivePage() == 0 ? page0 : page1) order.push_back(Control(id));
  for (int id : {ids::kBtnOk, ids::kBtnCancel, ids::kBitBtn1}) order.push_back(Control(id));
  const int n = static_cast<int>(order.size());
  int at = -1;
  for (int i = 0; i < n; ++i) {
    if (order[i] == from || ::IsChild(order[i], from)) at = i;
  }
  for (int step = 1; step <= n; ++step) {
    const int i = ((at < 0 ? (backwards ? 0 : -1) : at) + (backwards ? -step : step) + 2 * n) % n;
    if (::IsWindowVisible(order[i]) && ::IsWindowEnabled(order[i])) return order[i];
  }
  return nullptr;
}

bool TFormSettings::PreTranslateMessage(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
  if (msg.hwnd != hwnd() && !::IsChild(hwnd(), msg.hwnd)) return false;
  if (::GetKeyState(VK_CONTROL) < 0) return false;
  HWND next = NextTabStop(::GetFocus(), ::GetKeyState(VK_SHIFT) < 0);
  if (!next) return false;
  ::SetFocus(next);
  // As in any dialog, an edit box reached by Tab has its text selected.
  if (::SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
    ::SendMessageW(next, EM_SETSEL, 0, -1);
  return true;
}

void TFormSettings::PageControl1Change() {
  const int page = ActivePage();
  ::ShowWindow(panel4_->hwnd(), page == 0 ? SW_SHOW : SW_HIDE);
  ::ShowWindow(panel1_->hwnd(), page == 1 ? SW_SHOW : SW_HIDE);
  ::ShowWindow(Control(ids::kBitBtn1), page == 0 ? SW_SHOW : SW_HIDE);
}

void TFormSettings::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case ids::kBitBtn1:
    case ids::kBtnOk:
      btnOkClick();
      break;
    case ids::kBtnCancel:
      btnCancelClick();
      break;
    case ids::kBtnReset:
      btnResetClick();
      break;
    case IDOK:
      // Enter with no default button (the statistics page): nothing.
      break;
  }
}

LRESULT TFormSettings::OnControlColour(HDC dc, HWND control) {
  const int id = ::GetDlgCtrlID(control);
  if (id >= ids::kTxtToday && id <= ids::kTxtThisYear) {
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, ::GetSysColor(COLOR_SCROLLBAR));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_SCROLLBAR));
  }
  ::SetTextColor(dc, id == ids::kLblSntpFails ? RGB(255, 0, 0) : ::GetSysColor(COLOR_WINDOWTEXT));
  ::SetBkColor(dc, ::GetSysColor(COLOR_3DLIGHT));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_3DLIGHT));
}

bool TFormSettings::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (MouseMessage(msg)) return false;
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return true;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lparam);
      if (hdr->idFrom == static_cast<UINT_PTR>(ids::kPageControl1) && hdr->code == TCN_SELCHANGE)
        PageControl1Change();
      return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      result = OnControlColour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
      return true;
    case DM_GETDEFID:
      // Enter presses "確定" while it shows.
      result =
          ::IsWindowVisible(Control(ids::kBitBtn1)) ? MAKELRESULT(ids::kBitBtn1, DC_HASDEFID) : 0;
      return true;
    case WM_SETFOCUS:
      ::SetFocus(Control(ids::kPageControl1));
      return true;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wparam);
      CreateFonts();
      LayOut();
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      ::SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      return true;
    }
    default:
      return win::Window::HandleMessage(msg, wparam, lparam, result);
  }
}

void TFormSettings::OnPaint(HDC dc, const RECT& area) {
  ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
}

void TFormSettings::OnTimer(UINT_PTR id) {
  if (id == kTimer1) Timer1Timer();
}

}  // namespace wd::settings
