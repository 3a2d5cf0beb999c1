// How the player draws what the SWF file format leaves to the player, for shapes:
// gradients with stops out of order, strokes under strong scaling, shapes of many curves
// and the stage's pixel grid. Each movie is built here and its pixels worked out from the
// rule.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "swf/player.h"
#include "tests/common/jpeg_encoder.h"
#include "tests/swf/render_helpers.h"
#include "tests/swf/swf_builder.h"

using namespace wd::swf;
using namespace wd::swf::test;

namespace {

// ---- Gradients ----

struct GradientCase {
  const char* name;
  std::vector<Stop> stops;
  std::vector<std::pair<int, Colour>> expected;  // pixel x -> colour
};

TEST(SwfRenderRules, GradientStopsEachTakeAnEntryOfTheRamp) {
  // A linear gradient across a 256 pixel wide stage: at low quality pixel x shows entry x
  // of the ramp. Each stop, in the order the movie gives them, takes the entry at its
  // ratio or, when an earlier stop took that or a later entry, the next free one; one
  // that finds none left is dropped. Entries between two stops blend them, truncated;
  // entries before the first stop take its colour and those after the last its colour.
  const std::array<uint8_t, 4> red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255},
      cyan{0, 255, 255, 255}, yellow{255, 255, 0, 255};
  const std::vector<GradientCase> cases = {
      {"in order", {{0, red}, {255, blue}}, {{0, {255, 0, 0}}, {128, {127, 0, 128}}}},
      // Cyan comes after ratio 128 was taken: it lands on 129 and blends towards blue.
      {"out of order",
       {{0, red}, {128, green}, {50, cyan}, {255, blue}},
       {{64, {127, 127, 0}}, {128, {0, 255, 0}}, {152, {0, 208, 255}}, {255, {0, 0, 255}}}},
      // No entry is left after 255 for cyan.
      {"past the end",
       {{0, red}, {128, green}, {255, blue}, {128, cyan}},
       {{128, {0, 255, 0}}, {200, {0, 110, 145}}, {255, {0, 0, 255}}}},
      // Green on 128, blue on 129, then towards yellow.
      {"repeated ratio",
       {{0, red}, {128, green}, {128, blue}, {255, yellow}},
       {{64, {127, 127, 0}}, {128, {0, 255, 0}}, {192, {127, 127, 127}}}},
      // All at one ratio: a band of one entry each, the last colour after them.
      {"all equal",
       {{128, red}, {128, green}, {128, blue}},
       {{0, {255, 0, 0}}, {120, {255, 0, 0}}, {128, {255, 0, 0}}, {140, {0, 0, 255}}}},
      {"duplicate start",
       {{0, red}, {0, green}, {255, blue}},
       {{0, {255, 0, 0}}, {128, {0, 127, 127}}, {255, {0, 0, 255}}}},
      {"duplicate end",
       {{0, red}, {255, green}, {255, blue}},
       {{128, {127, 128, 0}}, {255, {0, 255, 0}}}},
      {"one stop", {{100, yellow}}, {{0, {255, 255, 0}}, {255, {255, 255, 0}}}},
      // Nothing to blend: opaque black.
      {"no stops", {}, {{0, {0, 0, 0}}, {128, {0, 0, 0}}, {255, {0, 0, 0}}}},
  };
  for (const GradientCase& c : cases) {
    auto bytes =
        movie(256, 4,
              {background(255, 255, 255),
               rectShapeWith(1, 0, 0, 5120, 80, gradientFill(0x10, 10240, 2560, 40, c.stops)),
               place(1, 1), showFrame()});
    auto px = renderMovie(bytes);
    for (const auto& [x, want] : c.expected) expectColour(px, 256, x, 2, want, 2, c.name);
  }
}

// ---- Strokes under strong scaling ----

// Rows of column x that are not white.
std::pair<int, int> darkRows(const std::vector<uint32_t>& px, int w, int h, int x) {
  int first = -1, last = -1;
  for (int y = 0; y < h; ++y) {
    Colour c = colourAt(px, w, x, y);
    if (c.r < 128) {
      if (first < 0) first = y;
      last = y;
    }
  }
  return {first, last};
}

TEST(SwfRenderRules, StrokeWidthScalesWithTheShapeAndNeverFallsBelowOnePixel) {
  struct Case {
    const char* name;
    int32_t length, width, scale;  // twips, twips, 16.16
    int firstRow, lastRow;
  };
  // The line's centre lies at y = 20.25 px, so a stroke w pixels wide covers the pixel
  // centres in [20.25 - w / 2, 20.25 + w / 2).
  const std::vector<Case> cases = {
      {"1 px scaled to 0.05 px", 16000, 20, 3277, 20, 20},
      {"hairline", 800, 0, 1 << 16, 20, 20},
      {"0.2 px scaled to 2 px", 80, 4, 10 << 16, 19, 20},
      {"2 px scaled to 10 px", 160, 40, 5 << 16, 15, 24},
      {"1 px scaled to 40 px", 40, 20, 40 << 16, 0, 39},
  };
  for (const Case& c : cases) {
    auto bytes =
        movie(48, 48,
              {background(255, 255, 255),
               polylineShape(1, {{0, 0}, {c.length, 0}}, uint16_t(c.width), {0, 0, 0, 255}),
               placeScaled(1, 1, c.scale, 20, 405), showFrame()});
    auto px = renderMovie(bytes);
    auto [first, last] = darkRows(px, 48, 48, 10);
    EXPECT_EQ(first, c.firstRow) << c.name;
    EXPECT_EQ(last, c.lastRow) << c.name;
  }
}

TEST(SwfRenderRules, StrokesThatDoNotScaleLeaveOutTheirAxis) {
  struct Case {
    const char* name;
    bool noHScale, noVScale;
    int sx, sy;
    int firstRow, lastRow;
  };
  // A 2 px line, centre at y = 20.25 px, as thick all along: its width scales with the
  // geometric mean of the scales it keeps (4 px for 4 x 1, 2 px when the 4 is left out).
  const std::vector<Case> cases = {
      {"scales both ways, 4 x 1", false, false, 4, 1, 18, 21},
      {"scales both ways, 4 x 4", false, false, 4, 4, 16, 23},
      {"no horizontal scale, 4 x 1", true, false, 4, 1, 19, 20},
      {"no horizontal scale, 1 x 4", true, false, 1, 4, 18, 21},
      {"no vertical scale, 1 x 4", false, true, 1, 4, 19, 20},
      {"no vertical scale, 4 x 1", false, true, 4, 1, 18, 21},
      {"no scale, 4 x 4", true, true, 4, 4, 19, 20},
  };
  for (const Case& c : cases) {
    auto bytes =
        movie(48, 48,
              {background(255, 255, 255),
               polylineShape(1, {{0, 0}, {400, 0}}, 40, {0, 0, 0, 255}, c.noHScale, c.noVScale),
               placeScaledXY(1, 1, c.sx << 16, c.sy << 16, 20, 405), showFrame()});
    auto px = renderMovie(bytes);
    auto [first, last] = darkRows(px, 48, 48, 10);
    EXPECT_EQ(first, c.firstRow) << c.name;
    EXPECT_EQ(last, c.lastRow) << c.name;
  }
}

TEST(SwfRenderRules, AStrokedCurveMeetsInAPointWhereItWasSplit) {
  // A curve from (10, 9.6) px bending towards (10.5, 10.3) px back to (11, 9.6) px bows
  // 0.35 px from its chord, so two lines stand for it, meeting at its middle point
  // (10.5, 9.95). Each turns 35 degrees off the horizontal. The stroke is 10 px wide,
  // butt ends, bevel joins; below the curve the outlines of the two lines (5 px from
  // them) meet in a point 5 / cos 35 = 6.104 px below the middle, at y = 16.053, however
  // the style joins corners: the outline bounds the triangle through (7.633, 14.046),
  // (10.5, 16.053) and (13.367, 14.046). A bevel would cut it off at y = 14.046, a round
  // join at y = 14.95.
  auto bytes = movie(24, 24,
                     {background(255, 255, 255),
                      curveLineShape(1, {200, 192}, {210, 206}, {220, 192}, 200, {0, 0, 0, 255}),
                      place(1, 1), showFrame()});
  auto px = renderMovie(bytes);
  auto darkColumns = [&](int y) {
    std::vector<int> xs;
    for (int x = 0; x < 24; ++x) {
      if (colourAt(px, 24, x, y).r < 128) xs.push_back(x);
    }
    return xs;
  };
  // Row 14 (centres at y = 14.5): the triangle spans x = 8.281 .. 12.719.
  EXPECT_EQ(darkColumns(14), (std::vector<int>{8, 9, 10, 11, 12}));
  // Row 15 (y = 15.5): x = 9.710 .. 11.290, past the round join.
  EXPECT_EQ(darkColumns(15), (std::vector<int>{10}));
  // Row 16 (y = 16.5) lies beyond the point.
  EXPECT_TRUE(darkColumns(16).empty());
}

TEST(SwfRenderRules, StronglyScaledShapesKeepTheirEdgesExact) {
  // A triangle with its corners millions of pixels away: only its edge y = 30 + (x - 50) / 2
  // crosses the 100 x 60 stage, and the pixels above it are filled.
  std::vector<std::array<int32_t, 2>> corners = {{-40000, -20000}, {40000, 20000}, {40000, -20000}};
  // Straight sides as curves whose control points are their midpoints.
  std::vector<std::array<int32_t, 2>> mids;
  for (size_t i = 0; i < corners.size(); ++i) {
    const auto &a = corners[i], &b = corners[(i + 1) % corners.size()];
    mids.push_back({(a[0] + b[0]) / 2, (a[1] + b[1]) / 2});
  }
  auto bytes = movie(100, 60,
                     {background(255, 255, 255), curvedShape(1, corners, mids, {0, 0, 255, 255}),
                      placeScaled(1, 1, 2000 << 16, 1000, 600), showFrame()});
  auto px = renderMovie(bytes);
  EXPECT_EQ(
      wrongPixels(px, 100, 60, [](int x, int y) { return y + 0.5 < 30 + (x + 0.5 - 50) / 2; }), 0);
}

// ---- Many curves ----

struct Quad {
  double ax, ay, cx, cy, bx, by;
};

// Even-odd inside test of a point against closed quadratic curves.
bool insideCurves(const std::vector<Quad>& qs, double px, double py) {
  int crossings = 0;
  for (const Quad& q : qs) {
    // y(t) = (1-t)^2 ay + 2 t (1-t) cy + t^2 by = py
    double a = q.ay - 2 * q.cy + q.by, b = 2 * (q.cy - q.ay), c = q.ay - py;
    double roots[2];
    int n = 0;
    if (std::fabs(a) < 1e-12) {
      if (std::fabs(b) > 1e-12) roots[n++] = -c / b;
    } else {
      double d = b * b - 4 * a * c;
      if (d >= 0) {
        roots[n++] = (-b - std::sqrt(d)) / (2 * a);
        roots[n++] = (-b + std::sqrt(d)) / (2 * a);
      }
    }
    for (int i = 0; i < n; ++i) {
      double t = roots[i];
      if (t < 0 || t >= 1) continue;
      double x = (1 - t) * (1 - t) * q.ax + 2 * t * (1 - t) * q.cx + t * t * q.bx;
      if (x > px) ++crossings;
    }
  }
  return crossings % 2 == 1;
}

TEST(SwfRenderRules, ManyCurvesAreSplitFinelyEnoughForEveryPixelCentre) {
  // A disc of 48 quadratic curves, radius 15 px in the shape, drawn twice as large: every
  // pixel whose centre lies farther than 0.15 px from the curves is decided by the
  // curves themselves, in device pixels.
  const int kCurves = 48;
  const double r = 300, pi = std::acos(-1.0);
  std::vector<std::array<int32_t, 2>> anchors, controls;
  for (int i = 0; i < kCurves; ++i) {
    double a0 = 2 * pi * i / kCurves, am = 2 * pi * (i + 0.5) / kCurves;
    anchors.push_back(
        {int32_t(std::lround(r * std::cos(a0))), int32_t(std::lround(r * std::sin(a0)))});
    double rc = r / std::cos(pi / kCurves);
    controls.push_back(
        {int32_t(std::lround(rc * std::cos(am))), int32_t(std::lround(rc * std::sin(am)))});
  }
  auto bytes =
      movie(80, 80,
            {background(255, 255, 255), curvedShape(1, anchors, controls, {255, 0, 0, 255}),
             placeScaled(1, 1, 2 << 16, 800, 800), showFrame()});
  auto px = renderMovie(bytes);
  std::vector<Quad> qs;
  auto dev = [](int32_t v) { return v * 2 / 20.0 + 40; };
  for (int i = 0; i < kCurves; ++i) {
    const auto &a = anchors[i], &c = controls[i], &b = anchors[(i + 1) % kCurves];
    qs.push_back({dev(a[0]), dev(a[1]), dev(c[0]), dev(c[1]), dev(b[0]), dev(b[1])});
  }
  int checked = 0, wrong = 0;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 80; ++x) {
      double cx = x + 0.5, cy = y + 0.5, m = 0.15;
      bool in = insideCurves(qs, cx, cy);
      if (in != insideCurves(qs, cx - m, cy) || in != insideCurves(qs, cx + m, cy) ||
          in != insideCurves(qs, cx, cy - m) || in != insideCurves(qs, cx, cy + m))
        continue;
      ++checked;
      Colour c = colourAt(px, 80, x, y);
      wrong += in != (c.g == 0);
    }
  }
  EXPECT_GT(checked, 80 * 80 - 400);
  EXPECT_EQ(wrong, 0);
}

TEST(SwfRenderRules, ACurveIsSplitIntoPiecesThatStrayEquallyFarFromIt) {
  // One lopsided curve, from (4, 4) px bending towards (60, 4) px down to (60, 36) px,
  // closed by two straight sides. A piece of a curve strays from its chord by its length
  // squared times the curvature over 8, so pieces that each take an equal share of the
  // integral of sqrt(curvature) along the curve stray equally; the curve takes as few
  // as keep each within 0.1 px. As a stretch of the parabola y = x^2 scaled by s, with x
  // running evenly with t from x0 to x2, that integral is the integral of
  // (1 + 4 x^2)^-1/4 dx, which Flash Player takes in the closed form
  // I(x) = x / (0.33 + (0.67^4 + x^2 / 4)^1/4), inverted by J(u) = u (0.61 +
  // sqrt(0.39^2 + u^2 / 4)); n = ceil(|I(x2) - I(x0)| / 2 * sqrt(s / 0.1)).
  const double ax = 4, ay = 4, cx = 60, cy = 4, bx = 60, by = 36;
  std::vector<std::array<int32_t, 2>> anchors = {{80, 80}, {1200, 720}, {1200, 80}};
  // Straight sides as curves whose control points are their midpoints.
  std::vector<std::array<int32_t, 2>> controls = {{1200, 80}, {1200, 400}, {640, 80}};
  auto bytes =
      movie(64, 40,
            {background(255, 255, 255), curvedShape(1, anchors, controls, {0, 0, 255, 255}),
             place(1, 1), showFrame()});
  auto px = renderMovie(bytes);
  // anchors go start -> end -> corner: the curve from (4, 4) via (60, 4) to (60, 36).
  // 2 control - start - end = (56, -32); the chord is (56, 32).
  const double ddx = 2 * cx - ax - bx, ddy = 2 * cy - ay - by;
  const double cross = (bx - ax) * ddy - (by - ay) * ddx;
  const double px0 = ((cx - ax) * ddx + (cy - ay) * ddy) / cross;
  const double px2 = ((bx - cx) * ddx + (by - cy) * ddy) / cross;
  const double s = std::fabs(cross) / (std::hypot(ddx, ddy) * std::fabs(px2 - px0));
  auto integral = [](double x) {
    return x / (0.33 + std::pow(std::pow(0.67, 4) + x * x / 4, 0.25));
  };
  auto inverse = [](double u) { return u * (0.61 + std::sqrt(0.39 * 0.39 + u * u / 4)); };
  const double i0 = integral(px0), i2 = integral(px2);
  int n = int(std::ceil(std::fabs(i2 - i0) / 2 * std::sqrt(s / 0.1)));
  auto polygon = [&](bool equal) {
    std::vector<std::pair<double, double>> pts;
    for (int i = 0; i <= n; ++i) {
      double t = double(i) / n;
      if (equal && i > 0 && i < n) {
        t = (inverse(i0 + (i2 - i0) * i / n) - inverse(i0)) / (inverse(i2) - inverse(i0));
      }
      double u = 1 - t;
      pts.push_back(
          {u * u * ax + 2 * u * t * cx + t * t * bx, u * u * ay + 2 * u * t * cy + t * t * by});
    }
    pts.push_back({bx, ay});  // the corner
    return pts;
  };
  auto inside = [](const std::vector<std::pair<double, double>>& p, double x, double y) {
    bool in = false;
    for (size_t i = 0; i < p.size(); ++i) {
      auto [x0, y0] = p[i];
      auto [x1, y1] = p[(i + 1) % p.size()];
      if ((y0 <= y) != (y1 <= y) && x0 + (y - y0) * (x1 - x0) / (y1 - y0) <= x) in = !in;
    }
    return in;
  };
  auto equal = polygon(true), even = polygon(false);
  int differ = 0, wrong = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 64; ++x) {
      double pxc = x + 0.5, pyc = y + 0.5;
      bool in = inside(equal, pxc, pyc);
      differ += in != inside(even, pxc, pyc);
      wrong += in != (colourAt(px, 64, x, y).r == 0);
    }
  }
  EXPECT_GT(differ, 0) << "the picture does not tell the two splits apart";
  EXPECT_EQ(wrong, 0);
}

TEST(SwfRenderRules, ACurveWithinTheFlatnessOfItsChordIsOneLine) {
  // A steep, lopsided curve from (209, 600) twips bending towards (212, 592) to (209, 40),
  // placed with a horizontal scale of 65830 / 65536: from (10.4969, 30) px towards
  // (10.5470, 29.6) to (10.4969, 2). Its control point lies 0.1507 px off the chord, so
  // the curve strays at most 0.0753 px from it and is one line. (Its middle lies 7 px
  // from the chord's middle, almost all along the chord.) Closed by straight sides to
  // x = 2.0090, the shape fills the pixels whose centres lie left of x = 10.4969 with
  // 2 <= y < 30: columns 2..9, rows 2..29. Two pieces meeting on the curve at
  // (10.5607, 27.2355), as an equal split of the integral of sqrt(curvature) puts them,
  // would also fill column 10 in rows 3..29.
  std::vector<std::array<int32_t, 2>> anchors = {{209, 600}, {209, 40}, {40, 40}, {40, 600}};
  // Straight sides as curves whose control points lie on them.
  std::vector<std::array<int32_t, 2>> controls = {{212, 592}, {124, 40}, {40, 320}, {124, 600}};
  auto bytes =
      movie(16, 32,
            {background(255, 255, 255), curvedShape(1, anchors, controls, {0, 0, 255, 255}),
             placeScaledXY(1, 1, 65830, 65536, 0, 0), showFrame()});
  auto px = renderMovie(bytes);
  EXPECT_EQ(
      wrongPixels(px, 16, 32, [](int x, int y) { return x >= 2 && x <= 9 && y >= 2 && y <= 29; }),
      0);
}

TEST(SwfRenderRules, EdgeEndPointsAreRoundedTo256thsOfAPixel) {
  // A rectangle from 210 to 400 twips across, 40 to 400 down, placed with a horizontal
  // scale of 65541 / 65536: its left side lies at 10.5 * 65541 / 65536 = 10.50080 px,
  // which rounds to 2688 / 256 = 10.5 px, so the centre of column 10 lies on it and the
  // column is filled (a left edge takes the centres on it). The right side, at
  // 20.00153 px, rounds to 20: columns 10..19, rows 2..19. Unrounded, column 10 stays
  // empty.
  auto bytes = movie(24, 24,
                     {background(255, 255, 255), rectShape(1, 210, 40, 400, 400, {0, 0, 255, 255}),
                      placeScaledXY(1, 1, 65541, 65536, 0, 0), showFrame()});
  auto px = renderMovie(bytes);
  EXPECT_EQ(
      wrongPixels(px, 24, 24, [](int x, int y) { return x >= 10 && x <= 19 && y >= 2 && y <= 19; }),
      0);
}

// ---- The stage ----

TEST(SwfRenderRules, TheStageIsWholePixelsFromItsTopLeftCorner) {
  // A stage from -13 to 27 twips across and -13 to 46 down is 40 x 59 twips: 2 x 2 whole
  // pixels of 20 twips, the last 19 twips down cut off. At 1:1 twip 0 lies 13 twips =
  // 0.65 px from the top-left corner, so a 20-twip square at 0..20 covers 0.65..1.65 px
  // both ways: only the centre (1.5, 1.5) of pixel (1, 1) falls in it. Squeezing all 59
  // twips into the 2 rows (and centring across) would leave every centre outside it.
  auto bytes =
      movieOnStage(-13, 27, -13, 46,
                   {background(255, 255, 255), rectShape(1, 0, 0, 20, 20, {255, 0, 0, 255}),
                    place(1, 1), showFrame()});
  Player p(loadMovie(bytes));
  p.advance();
  ASSERT_EQ(p.movie().stageWidth(), 2);
  ASSERT_EQ(p.movie().stageHeight(), 2);
  auto px = p.renderStage({Quality::Low});
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) {
      Colour want = x == 1 && y == 1 ? Colour{255, 0, 0} : kWhite;
      expectColour(px, 2, x, y, want, 0, "square at twips 0..20");
    }
  }
}

}  // namespace
