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
#include "settings/control_text.h"
#include "settings/dialog_fonts.h"
#include "settings/dialog_texts.h"
#include "settings/panel.h"
#include "settings/trend_chart.h"
#include "settings/statistics_lines.h"

namespace wd::settings {
namespace {

constexpr UINT_PTR kTimer1 = 1;

std::function<void(net::TIdSNTP&)>& SntpSetup() {
  static std::function<void(net::TIdSNTP&)> setup;
  return setup;
}

HICON LoadIconSized(int id, int size) {
  return static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

const ControlSpec* SpecOf(int id) {
  for (const ControlSpec& c : DialogControls()) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

}  // namespace

void SetSntpSetupForTesting(std::function<void(net::TIdSNTP&)> setup) {
  SntpSetup() = std::move(setup);
}

TFormSettings::TFormSettings() {
  win::WindowParams params;
  params.class_name = L"TFormSettings";
  params.caption = ResourceText(WD_TEXT_CAPTION);
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
  for (auto& page : pages_) page.reset();
}

int TFormSettings::Scale(int pixels) const {
  return ::MulDiv(pixels, static_cast<int>(dpi_), 96);
}

HWND TFormSettings::HostWindow(Host host) const {
  const int page = PageOf(host);
  return page < 0 ? hwnd() : pages_[static_cast<size_t>(page)]->hwnd();
}

HWND TFormSettings::Control(int id) const {
  for (size_t i = 0; i < pages_.size(); ++i) {
    if (DialogPages()[i].panel_id == id) return pages_[i]->hwnd();
  }
  const ControlSpec* spec = SpecOf(id);
  return spec ? ::GetDlgItem(HostWindow(spec->host), id) : nullptr;
}

void TFormSettings::CreateFonts() {
  // "MS Sans Serif" 8 points for the dialog, "新細明體" in character heights for the rest.
  dialog_font_.reset(MakeFont(L"MS Sans Serif", ::MulDiv(8, static_cast<int>(dpi_), 72)));
  page_font_.reset(MakeFont(ChineseFace(), Scale(15)));
  stats_label_font_.reset(MakeFont(ChineseFace(), Scale(13)));
  stats_text_font_.reset(MakeFont(ChineseFace(), Scale(13), true));
}

HGDIOBJ TFormSettings::FontFor(FontRole role) const {
  switch (role) {
    case FontRole::kDialog:
      return dialog_font_.get();
    case FontRole::kPage:
      return page_font_.get();
    case FontRole::kStatsLabel:
      return stats_label_font_.get();
    case FontRole::kStatsLine:
      return stats_text_font_.get();
    case FontRole::kNone:
      break;
  }
  return nullptr;
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

  RegisterTrendChart();
  // In the table's order, which is the tab order; each page's panel comes with its
  // first control.
  for (const ControlSpec& spec : DialogControls()) {
    const int page = PageOf(spec.host);
    if (page >= 0 && !pages_[static_cast<size_t>(page)]) {
      const PageSpec& p = DialogPages()[static_cast<size_t>(page)];
      pages_[static_cast<size_t>(page)] =
          std::make_unique<Panel>(Control(ids::kPageControl1), form, p.panel_id, p.edges);
    }
    HWND c = ::CreateWindowExW(spec.ex_style, spec.window_class, ResourceText(spec.text).c_str(),
                               WS_CHILD | (spec.hidden ? 0 : WS_VISIBLE) | spec.style, 0, 0, 10, 10,
                               HostWindow(spec.host),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)),
                               ::GetModuleHandleW(nullptr), nullptr);
    if (!c) {
      const DWORD code = ::GetLastError();
      throw wd::OSError("Error creating window: " + win::SystemMessage(code), code);
    }
    if (spec.glyph) {
      glyphs_.emplace_back(LoadIconSized(spec.glyph, image));
      if (glyphs_.back())
        ::SendMessageW(c, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyphs_.back().get()));
    }
    if (spec.id == ids::kPageControl1) {
      ::SendMessageW(c, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(tab_images_.get()));
      int i = 0;
      for (const PageSpec& p : DialogPages()) {
        std::wstring caption = ResourceText(p.caption);
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = caption.data();
        item.iImage = p.image;
        ::SendMessageW(c, TCM_INSERTITEMW, i++, reinterpret_cast<LPARAM>(&item));
      }
    }
  }
  PageControl1Change();
}

void TFormSettings::Place(const ControlSpec& spec) {
  HWND c = Control(spec.id);
  if (spec.w != 0) {
    ::SetWindowPos(c, nullptr, Scale(spec.x), Scale(spec.y), Scale(spec.w), Scale(spec.h),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  // A label as wide and high as its text on one line. With a wrap width it is that wide
  // and wraps; a text that the Chinese face of this system sets wider than the face the
  // layout was made for keeps its one line rather than breaking inside a word.
  const std::wstring text = win::Widen(TextOf(c));
  win::WindowDc dc(c);
  win::SelectGuard font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(c, WM_GETFONT, 0, 0)));
  RECT line{0, 0, 0, 0};
  ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &line,
              DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
  int width = line.right, height = line.bottom;
  if (spec.wrap && line.right <= Scale(spec.wrap)) {
    RECT wrapped{0, 0, Scale(spec.wrap), 0};
    ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &wrapped,
                DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
    width = Scale(spec.wrap);
    height = wrapped.bottom;
  }
  ::SetWindowPos(c, nullptr, Scale(spec.x), Scale(spec.y), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormSettings::LayOut() {
  HWND form = hwnd();
  // Fonts first: the labels size themselves to their text.
  for (const ControlSpec& spec : DialogControls()) {
    if (HGDIOBJ font = FontFor(spec.font))
      ::SendMessageW(Control(spec.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }

  // The window: its client area at the centre of the screen.
  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(form, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(::GetWindowLongPtrW(form, GWL_EXSTYLE));
  RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
  win::AdjustWindowRectForDpi(frame, style, false, ex_style, dpi_);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  ::SetWindowPos(form, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);

  // The page control first: each panel fills its display area.
  const std::span<const ControlSpec> controls = DialogControls();
  Place(controls.front());
  HWND tabs = Control(ids::kPageControl1);
  RECT area;
  ::GetClientRect(tabs, &area);
  ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  for (size_t i = 0; i < pages_.size(); ++i) {
    const int height = DialogPages()[i].height;
    ::SetWindowPos(pages_[i]->hwnd(), nullptr, area.left, area.top, area.right - area.left,
                   height ? Scale(height) : area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (const ControlSpec& spec : controls.subspan(1)) Place(spec);
  ::InvalidateRect(form, nullptr, TRUE);
}

int TFormSettings::ActivePage() const {
  return static_cast<int>(::SendMessageW(Control(ids::kPageControl1), TCM_GETCURSEL, 0, 0));
}

void TFormSettings::SetActivePage(int page) {
  ::SendMessageW(Control(ids::kPageControl1), TCM_SETCURSEL, page, 0);
  PageControl1Change();
}

HWND TFormSettings::NextTabStop(HWND from, bool backwards) const {
  // The table's tab stops on the form and on the page shown, in the table's order.
  std::vector<HWND> order;
  const int shown = ActivePage();
  for (const ControlSpec& spec : DialogControls()) {
    const int page = PageOf(spec.host);
    if ((spec.style & WS_TABSTOP) && (page < 0 || page == shown)) order.push_back(Control(spec.id));
  }
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
  const int shown = ActivePage();
  for (size_t i = 0; i < pages_.size(); ++i)
    ::ShowWindow(pages_[i]->hwnd(), static_cast<int>(i) == shown ? SW_SHOW : SW_HIDE);
  for (const ControlSpec& spec : DialogControls()) {
    if (spec.with_settings) ::ShowWindow(Control(spec.id), shown == 0 ? SW_SHOW : SW_HIDE);
  }
}

void TFormSettings::OnCommand(int id, int code) {
  if (code != BN_CLICKED && !(id == ids::kTrendChart && code == kTrendSelectionChanged)) return;
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
    case ids::kTrendChart:
      ShowTrendDay();
      break;
    case IDOK:
      // Enter with no default button (the statistics page): nothing.
      break;
  }
}

LRESULT TFormSettings::OnControlColour(HDC dc, HWND control) {
  const ControlSpec* spec = SpecOf(::GetDlgCtrlID(control));
  const Look look = spec ? spec->look : Look::kNormal;
  if (look == Look::kStatsLine) {
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, ::GetSysColor(COLOR_SCROLLBAR));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_SCROLLBAR));
  }
  ::SetTextColor(dc, look == Look::kWarning ? RGB(255, 0, 0) : ::GetSysColor(COLOR_WINDOWTEXT));
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
