#include "swf/movie.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "swf/reader.h"
#include "swf/tag_codes.h"

namespace wd::swf {

namespace {

// Caps on what a movie may ask of us, far above any real movie of ours.
constexpr size_t kMaxFrames = 1 << 20;
constexpr size_t kMaxOps = 1 << 22;

PlaceOp readPlace(Reader& r, uint16_t code) {
  PlaceOp p;
  if (code == kPlaceObject) {
    p.characterId = r.u16();
    p.depth = r.u16();
    p.matrix = readMatrix(r);
    if (!r.atEnd()) p.cxform = readCXForm(r, false);
    return p;
  }
  uint8_t flags = r.u8();
  uint8_t flags2 = code == kPlaceObject3 ? r.u8() : 0;
  p.depth = r.u16();
  p.move = flags & 0x01;
  if (code == kPlaceObject3 && ((flags2 & 0x08) || ((flags2 & 0x10) && (flags & 0x02)))) {
    r.cstring();  // class name
  }
  if (flags & 0x02) p.characterId = r.u16();
  if (flags & 0x04) p.matrix = readMatrix(r);
  if (flags & 0x08) p.cxform = readCXForm(r, true);
  if (flags & 0x10) p.ratio = r.u16();
  if (flags & 0x20) p.name = r.cstring();
  if (flags & 0x40) p.clipDepth = r.u16();
  // Filters, blend mode, cache flag and clip actions follow; we draw without them.
  return p;
}

std::span<const uint8_t> asSpan(const std::vector<uint8_t>& v) {
  return {v.data(), v.size()};
}

}  // namespace

class MovieLoader {
 public:
  MovieLoader(Movie& m, const LoadOptions& o) : movie_(m), options_(o) {}

  void load(std::span<const uint8_t> bytes) {
    if (bytes.size() < 8) throw FormatError("File is too short to be a SWF movie");
    if (std::memcmp(bytes.data(), "ZWS", 3) == 0) {
      throw FormatError("LZMA-compressed SWF movies (ZWS) are not supported");
    }
    bool compressed = std::memcmp(bytes.data(), "CWS", 3) == 0;
    if (!compressed && std::memcmp(bytes.data(), "FWS", 3) != 0) {
      throw FormatError("File is not a SWF movie");
    }
    movie_.version_ = bytes[3];
    uint32_t fileLength = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | uint32_t{bytes[7]} << 24;
    size_t bodyLength = fileLength >= 8 ? fileLength - 8 : 0;
    auto rest = bytes.subspan(8);
    std::span<const uint8_t> body;
    if (compressed) {
      bool complete = false;
      size_t cap = std::min<size_t>(std::max<size_t>(bodyLength, 1), options_.maxBodySize);
      inflated_ = inflateZlib(rest, cap, &complete);
      if (!complete && inflated_.size() < cap) setError("Compressed SWF data ends unexpectedly");
      body = asSpan(inflated_);
    } else {
      body = rest;  // a wrong length field in an uncompressed file does not matter
    }
    Reader r(body);
    try {
      movie_.stage_ = readRect(r);
      uint16_t rate = r.u16();
      movie_.frameRate_ = rate / 256.0;
      movie_.declaredFrames_ = r.u16();
    } catch (const FormatError&) {
      throw FormatError("SWF header is truncated");
    }
    try {
      readTags(r, movie_.main_, false);
    } catch (const FormatError& e) {
      setError(e.what());
    }
    finishTimeline(movie_.main_);
  }

 private:
  void setError(const std::string& message) {
    if (movie_.decodeError_.empty()) movie_.decodeError_ = message;
  }

  void finishTimeline(Timeline& t) {
    if (!pending_.empty() || t.frames.empty()) t.frames.push_back(std::move(pending_));
    pending_.clear();
  }

  void addOp(ControlOp op) {
    if (++opCount_ > kMaxOps) throw FormatError("Movie has too many placements");
    pending_.push_back(std::move(op));
  }

  void define(uint16_t id, Character c) {
    movie_.dictionary_.try_emplace(id, std::move(c));  // the first definition wins
  }

  void readTags(Reader& r, Timeline& t, bool inSprite) {
    while (!r.atEnd()) {
      uint16_t header = r.u16();
      uint16_t code = header >> 6;
      uint32_t length = header & 0x3F;
      if (length == 0x3F) length = r.u32();
      if (length > r.remaining()) throw FormatError("SWF tag is longer than the data holding it");
      Reader body = r.sub(length);
      if (code == kEnd) break;
      switch (code) {
        case kShowFrame:
          if (t.frames.size() >= kMaxFrames) throw FormatError("Movie has too many frames");
          t.frames.push_back(std::move(pending_));
          pending_.clear();
          break;
        case kPlaceObject:
        case kPlaceObject2:
        case kPlaceObject3:
          addOp(readPlace(body, code));
          break;
        case kRemoveObject:
          body.u16();
          addOp(RemoveOp{body.u16()});
          break;
        case kRemoveObject2:
          addOp(RemoveOp{body.u16()});
          break;
        case kSetBackgroundColor: {
          RGBA c = readRGB(body);
          if (!haveBackground_) movie_.background_ = c;
          haveBackground_ = true;
          break;
        }
        case kFrameLabel:
          t.labels.try_emplace(body.cstring(), static_cast<int>(t.frames.size()));
          break;
        default:
          if (!inSprite) readDefinition(code, body);
          break;  // every other tag is skipped by its length
      }
    }
  }

  void readDefinition(uint16_t code, Reader& body) {
    switch (code) {
      case kFileAttributes:
        movie_.fileAttributes_ = body.remaining() >= 4 ? body.u32() : body.u8();
        break;
      case kDefineShape:
      case kDefineShape2:
      case kDefineShape3:
      case kDefineShape4: {
        uint16_t id = body.u16();
        int v = code == kDefineShape    ? 1
                : code == kDefineShape2 ? 2
                : code == kDefineShape3 ? 3
                                        : 4;
        define(id, parseShape(body, v));
        break;
      }
      case kJpegTables: {
        auto d = body.rest();
        jpegTables_ = std::make_shared<const std::vector<uint8_t>>(d.begin(), d.end());
        break;
      }
      case kDefineBits:
      case kDefineBitsJpeg2:
      case kDefineBitsJpeg3:
      case kDefineBitsJpeg4:
      case kDefineBitsLossless:
      case kDefineBitsLossless2: {
        uint16_t id = body.u16();
        // Decoded when first drawn. An image that is too large or broken fills nothing,
        // as Flash Player leaves it out, and the rest of the movie plays.
        const auto bytes = body.rest();
        define(id, StoredBitmap{&movie_.bitmaps(),
                                movie_.bitmaps().add(code, {bytes.begin(), bytes.end()},
                                                     code == kDefineBits ? jpegTables_ : nullptr)});
        break;
      }
      case kDefineSprite: {
        uint16_t id = body.u16();
        body.u16();  // declared frame count
        Sprite s;
        std::vector<ControlOp> outer = std::move(pending_);
        pending_.clear();
        try {
          readTags(body, s.timeline, true);
        } catch (...) {
          pending_ = std::move(outer);
          throw;
        }
        finishTimeline(s.timeline);
        pending_ = std::move(outer);
        define(id, std::move(s));
        break;
      }
      default:
        break;
    }
  }

  Movie& movie_;
  const LoadOptions& options_;
  std::vector<uint8_t> inflated_;
  std::shared_ptr<const std::vector<uint8_t>> jpegTables_;
  std::vector<ControlOp> pending_;
  size_t opCount_ = 0;
  bool haveBackground_ = false;
};

int Movie::stageWidth() const {
  int64_t w = (int64_t{stage_.xmax} - stage_.xmin) / 20;
  return static_cast<int>(std::clamp<int64_t>(w, 1, 8192));
}

int Movie::stageHeight() const {
  int64_t h = (int64_t{stage_.ymax} - stage_.ymin) / 20;
  return static_cast<int>(std::clamp<int64_t>(h, 1, 8192));
}

const Character* Movie::character(uint16_t id) const {
  auto it = dictionary_.find(id);
  if (it == dictionary_.end()) return nullptr;
  // A bitmap that does not decode is left out, as if it had never been defined.
  const auto* bitmap = std::get_if<StoredBitmap>(&it->second);
  return bitmap && bitmap->get().pixels.empty() ? nullptr : &it->second;
}

std::shared_ptr<const Movie> loadMoviePartial(std::span<const uint8_t> bytes,
                                              const LoadOptions& options) {
  auto m = std::make_shared<Movie>();
  MovieLoader(*m, options).load(bytes);
  return m;
}

std::shared_ptr<const Movie> loadMovie(std::span<const uint8_t> bytes, const LoadOptions& options) {
  auto m = loadMoviePartial(bytes, options);
  if (!m->decodeError().empty()) throw FormatError(m->decodeError());
  return m;
}

std::vector<uint8_t> readFileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw FileOpenError("Cannot open file \"" + path + "\"");
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (f.bad()) throw FileOpenError("Cannot read file \"" + path + "\"");
  return data;
}

std::shared_ptr<const Movie> loadMovieFile(const std::string& path, const LoadOptions& options) {
  auto data = readFileBytes(path);
  return loadMovie(data, options);
}

}  // namespace wd::swf
