// The dashboard's eight figure labels: each one's text, place, font and the rectangle
// its text was measured to take, in one struct per label, and the two Arial fonts they
// share at the dashboard's scale.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "platform/handles.h"
#include "saver/layout.h"
#include "saver/text_surface.h"

namespace wd::saver {

struct DashboardLabel {
  std::wstring text;                  // what it shows
  std::optional<std::string> source;  // the text it was last given, before conversion
  // Client pixels wide enough for any figure; the text is right-aligned against `right`.
  RECT place{};
  HGDIOBJ font = nullptr;  // one of the set's fonts
  // Where its text lies, with room for its smoothed edges, once measured.
  std::optional<RECT> text_rect;
};

class DashboardLabels {
 public:
  // Every label with its caption, at scale 1.
  DashboardLabels();
  DashboardLabels(const DashboardLabels&) = delete;
  DashboardLabels& operator=(const DashboardLabels&) = delete;

  // Places and fonts `scale` times as large as at 96 DPI. The old fonts are deleted:
  // surfaces must have let go of them first.
  void SetScale(double scale);
  const DashboardLabel& operator[](Label which) const { return labels_[which]; }
  // The font most labels are drawn in, which surfaces keep selected to begin with.
  HGDIOBJ figure_font() const { return figure_font_.get(); }

  // Gives a label a text. When what it shows changes: the area that holds its old text
  // and its new one, measured on `measure` (with none, the label's whole place).
  std::optional<RECT> Set(Label which, const std::string& text, TextSurface* measure);
  // Forgets where the texts lie: they are measured again, with fonts of a new size.
  void ForgetMeasures();

  // Whether `area` meets a label's place.
  bool Meet(const RECT& area) const;
  // Draws the labels whose places meet `area` (client pixels) on `target`, whose pixel
  // (0, 0) is the client pixel (left, top), clipped to the area.
  void Draw(TextSurface& target, const RECT& area, int left, int top) const;

 private:
  RECT TextRect(Label which, const std::wstring& text, TextSurface* measure) const;

  double scale_ = 1.0;
  std::array<DashboardLabel, kLabelCount> labels_;
  win::GdiObject figure_font_;
  win::GdiObject date_font_;
};

}  // namespace wd::saver
