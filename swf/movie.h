// A loaded movie: header, dictionary of characters and the timelines that place them.
// Loading parses every tag; playing touches no bytes but a bitmap's, which are decoded
// when it is first drawn (see stored_bitmap.h).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "swf/bitmap.h"
#include "swf/geom.h"
#include "swf/shape.h"
#include "swf/stored_bitmap.h"

namespace wd::swf {

// PlaceObject, PlaceObject2 or PlaceObject3 (filters and blend modes are not kept).
struct PlaceOp {
  uint16_t depth = 0;
  bool move = false;  // modifies (or replaces the character of) the object at depth
  std::optional<uint16_t> characterId;
  std::optional<Matrix> matrix;
  std::optional<CXForm> cxform;
  std::optional<uint16_t> ratio;
  std::optional<uint16_t> clipDepth;
  std::optional<std::string> name;
};

struct RemoveOp {
  uint16_t depth = 0;
};

using ControlOp = std::variant<PlaceOp, RemoveOp>;

struct Timeline {
  std::vector<std::vector<ControlOp>> frames;  // never empty once loaded
  std::map<std::string, int> labels;           // frame label -> 0-based frame
};

struct Sprite {
  Timeline timeline;
};

using Character = std::variant<Shape, StoredBitmap, Sprite>;

struct LoadOptions {
  // Largest movie body we inflate from a CWS file.
  size_t maxBodySize = 256u << 20;
};

class Movie {
 public:
  int version() const { return version_; }
  const Rect& stageRect() const { return stage_; }
  // Stage size in pixels (20 twips each), at least 1.
  int stageWidth() const;
  int stageHeight() const;
  double frameRate() const { return frameRate_; }
  // The header's frame count; the timeline holds the frames actually found.
  int declaredFrameCount() const { return declaredFrames_; }
  int frameCount() const { return static_cast<int>(main_.frames.size()); }
  // The first SetBackgroundColor (Flash Player ignores later ones), white if none.
  RGBA background() const { return background_; }
  uint32_t fileAttributes() const { return fileAttributes_; }
  const Timeline& timeline() const { return main_; }
  // The character defined as `id`; none for a bitmap whose bytes do not decode (looking
  // decodes it).
  const Character* character(uint16_t id) const;
  // Empty when the whole file was read; otherwise why reading stopped (what came
  // before is kept and plays).
  const std::string& decodeError() const { return decodeError_; }
  // The decoded bitmaps, kept as they are drawn (a cache: drawing changes it).
  BitmapStore& bitmaps() const { return *bitmaps_; }

 private:
  friend class MovieLoader;
  int version_ = 0;
  Rect stage_;
  double frameRate_ = 0;
  int declaredFrames_ = 0;
  RGBA background_{255, 255, 255, 255};
  uint32_t fileAttributes_ = 0;
  Timeline main_;
  std::map<uint16_t, Character> dictionary_;
  std::string decodeError_;
  std::shared_ptr<BitmapStore> bitmaps_ = std::make_shared<BitmapStore>();
};

// Loads a complete movie; throws FormatError when any part of it is malformed.
std::shared_ptr<const Movie> loadMovie(std::span<const uint8_t> bytes, const LoadOptions& = {});
// Loads what can be read: throws only when not even the header is usable; a later
// error stops reading and is left in decodeError().
std::shared_ptr<const Movie> loadMoviePartial(std::span<const uint8_t> bytes,
                                              const LoadOptions& = {});
// Reads the file (FileOpenError when it cannot be read) and loads it strictly.
std::shared_ptr<const Movie> loadMovieFile(const std::string& path, const LoadOptions& = {});
std::vector<uint8_t> readFileBytes(const std::string& path);

}  // namespace wd::swf
