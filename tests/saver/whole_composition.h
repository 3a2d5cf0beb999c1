// The reference the dashboard's tick-by-tick composition is checked against: the same
// picture composed afresh from nothing, in one go.
#pragma once

#include <string>

#include "platform/dib.h"
#include "saver/dashboard_view.h"

namespace wd::saver::test {

// What `view` should show at its size: the backdrop and its picture, the whole gauge of
// the ring values it shows (once a tick has drawn them) drawn over them, and every
// label's text in its font, right-aligned in its place.
win::DibSurface ComposeWhole(const DashboardView& view, int width, int height);

// What `view` shows at its size, as it paints it.
win::DibSurface Shown(const DashboardView& view);

// Pixels where two surfaces of the same size differ (-1 for different sizes), and where,
// as "left,top-right,bottom" (for failure messages).
int DifferentPixels(const win::DibSurface& a, const win::DibSurface& b);
std::string WhereTheyDiffer(const win::DibSurface& a, const win::DibSurface& b);

}  // namespace wd::saver::test
