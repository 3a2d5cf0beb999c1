#include "saver/dashboard_labels.h"

#include <algorithm>
#include <cwchar>

#include "platform/text.h"

namespace wd::saver {
namespace {

HFONT MakeArial(int height) {
  LOGFONTW font{};
  font.lfHeight = -height;  // character height, not cell height
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = ANTIALIASED_QUALITY;
  wcscpy_s(font.lfFaceName, L"Arial");
  return ::CreateFontIndirectW(&font);
}

constexpr UINT kTextFormat = DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;

}  // namespace

DashboardLabels::DashboardLabels() {
  for (int i = 0; i < kLabelCount; ++i) labels_[i].text = win::Widen(kLabelPlaces[i].caption);
  SetScale(1.0);
}

void DashboardLabels::SetScale(double scale) {
  scale_ = scale;
  figure_font_.reset(MakeArial(ScaledLength(kLabelPlaces[kSeconds].font_height, scale)));
  date_font_.reset(MakeArial(ScaledLength(kLabelPlaces[kFromdate].font_height, scale)));
  for (int i = 0; i < kLabelCount; ++i) {
    const LabelPlace& place = kLabelPlaces[i];
    labels_[i].place = RECT{0, ScaledLength(place.top, scale), ScaledLength(place.right, scale),
                            ScaledLength(place.top + place.font_height + 8, scale)};
    labels_[i].font = i == kFromdate ? date_font_.get() : figure_font_.get();
  }
  ForgetMeasures();
}

void DashboardLabels::ForgetMeasures() {
  for (DashboardLabel& label : labels_) label.text_rect.reset();
}

std::optional<RECT> DashboardLabels::Set(Label which, const std::string& text,
                                         TextSurface* measure) {
  DashboardLabel& label = labels_[which];
  // Most ticks leave most labels as they were: that shows before any conversion.
  if (label.source == text) return std::nullopt;
  label.source = text;
  std::wstring wide = win::Widen(text);
  if (wide == label.text) return std::nullopt;
  // One area for the old text and the new: they share the label's line and right edge.
  const RECT old_text = label.text_rect ? *label.text_rect : TextRect(which, label.text, measure);
  label.text = std::move(wide);
  const RECT new_text = TextRect(which, label.text, measure);
  if (measure) label.text_rect = new_text;
  RECT both;
  ::UnionRect(&both, &old_text, &new_text);
  return both;
}

RECT DashboardLabels::TextRect(Label which, const std::wstring& text, TextSurface* measure) const {
  const DashboardLabel& label = labels_[which];
  RECT rect = label.place;
  if (!measure) return rect;
  measure->SelectFont(label.font);
  SIZE extent{};
  ::GetTextExtentPoint32W(measure->dc(), text.c_str(), static_cast<int>(text.size()), &extent);
  const int spare = ScaledLength(3, scale_) + 1;
  rect.left = std::max<LONG>(0, rect.right - extent.cx - spare);
  rect.right += spare;
  return rect;
}

bool DashboardLabels::Meet(const RECT& area) const {
  for (const DashboardLabel& label : labels_) {
    const RECT& rect = label.place;
    if (area.left < rect.right && rect.left < area.right && area.top < rect.bottom &&
        rect.top < area.bottom)
      return true;
  }
  return false;
}

void DashboardLabels::Draw(TextSurface& target, const RECT& area, int left, int top) const {
  if (!Meet(area)) return;
  HDC dc = target.dc();
  // Clipped to the area; no SaveDC: restoring a DC selects its font again.
  ::IntersectClipRect(dc, area.left - left, area.top - top, area.right - left, area.bottom - top);
  for (const DashboardLabel& label : labels_) {
    RECT part;
    RECT rect = label.place;
    if (!::IntersectRect(&part, &area, &rect)) continue;
    ::OffsetRect(&rect, -left, -top);
    target.SelectFont(label.font);
    ::DrawTextW(dc, label.text.c_str(), static_cast<int>(label.text.size()), &rect, kTextFormat);
  }
  ::SelectClipRgn(dc, nullptr);
}

}  // namespace wd::saver
