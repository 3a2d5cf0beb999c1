// The settings dialog declared once: every control with its host (the form or one of the
// two pages), window class, text, style, font, place at 96 DPI and look. Creation,
// placement, DPI scaling, fonts, tab order and page membership all follow from this
// table; the texts are string resources (dialog_texts.h).
#pragma once

#include <windows.h>

#include <span>

namespace wd::settings {

enum class Host { kForm, kSettingsPage, kStatisticsPage, kTrendPage };
enum class FontRole { kNone, kDialog, kPage, kStatsLabel, kStatsLine };
enum class Look { kNormal, kStatsLine, kWarning };

struct ControlSpec {
  int id = 0;
  Host host = Host::kForm;
  const wchar_t* window_class = L"STATIC";
  int text = 0;     // WD_TEXT_..., 0 for none
  DWORD style = 0;  // besides WS_CHILD | WS_VISIBLE; WS_TABSTOP puts it in the tab order
  DWORD ex_style = 0;
  FontRole font = FontRole::kNone;
  // 96-DPI pixels in the host. w 0: as large as the text, on one line, or wrapping at
  // `wrap` where that fits.
  int x = 0, y = 0, w = 0, h = 0;
  int wrap = 0;
  Look look = Look::kNormal;
  int glyph = 0;               // an icon resource shown on a button, 0 for none
  bool hidden = false;         // created hidden
  bool with_settings = false;  // a form control shown only with the settings page
};

// Which page a host is (0, 1, 2), -1 for the form.
int PageOf(Host host);

// A page: its panel's id, the tab's text and image, the panel's bevel, and its height
// (0: the page control's display area).
struct PageSpec {
  int panel_id;
  Host host;
  int caption;
  int image;
  UINT edges;
  int height;
};

// In the order of creation, which is the order of the tab stops: the page control, the
// pages' controls, then the buttons. Controls made earlier lie above later ones.
std::span<const ControlSpec> DialogControls();
std::span<const PageSpec> DialogPages();

// The client area and the page control's height, in 96-DPI pixels.
inline constexpr int kClientWidth = 634;
inline constexpr int kClientHeight = 324;

}  // namespace wd::settings
