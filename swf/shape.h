// Shapes as the movie defines them: style tables and the edge records that bound fills
// and carry strokes. Parsed once at load; drawn by the renderer.
#pragma once

#include <cstdint>
#include <vector>

#include "swf/geom.h"
#include "swf/reader.h"

namespace wd::swf {

struct GradientStop {
  uint8_t ratio = 0;
  RGBA color;
};

enum class Spread : uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class Interpolation : uint8_t { Normal = 0, Linear = 1 };

struct Gradient {
  Spread spread = Spread::Pad;
  Interpolation interpolation = Interpolation::Normal;
  double focal = 0;  // -1..1 along the x axis of the gradient square
  std::vector<GradientStop> stops;
};

struct FillStyle {
  enum class Type : uint8_t { Solid, Linear, Radial, Focal, Bitmap };
  Type type = Type::Solid;
  RGBA color;
  Gradient gradient;
  Matrix matrix;  // gradient square or bitmap pixels -> shape twips
  uint16_t bitmapId = 0;
  bool repeat = true;
  bool smooth = true;
};

enum class Cap : uint8_t { Round = 0, None = 1, Square = 2 };
enum class Join : uint8_t { Round = 0, Bevel = 1, Miter = 2 };

struct LineStyle {
  double width = 0;  // twips
  RGBA color;
  Cap startCap = Cap::Round, endCap = Cap::Round;
  Join join = Join::Round;
  double miterLimit = 3;
  bool noHScale = false, noVScale = false, pixelHinting = false, noClose = false;
  bool hasFill = false;
  FillStyle fill;
};

// One edge in shape twips. Style indices are 1-based into the group's tables, 0 for none.
struct ShapeEdge {
  Point p0, control, p1;
  bool curve = false;
  uint16_t fill0 = 0, fill1 = 0, line = 0;
};

// Edges that share one set of style tables (a shape starts a new group at every
// new-styles record).
struct ShapeGroup {
  std::vector<FillStyle> fills;
  std::vector<LineStyle> lines;
  std::vector<ShapeEdge> edges;
};

struct Shape {
  Rect bounds;
  bool nonZero = false;  // DefineShape4 may ask for the non-zero winding rule
  std::vector<ShapeGroup> groups;
};

// Parses the body of DefineShape, DefineShape2, 3 or 4 (after the character id).
// version is 1..4.
Shape parseShape(Reader& r, int version);

}  // namespace wd::swf
