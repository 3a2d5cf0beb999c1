#include "swf/player.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "swf/render.h"

namespace wd::swf {

namespace {
// Nesting of sprites within sprites that we follow, and objects one frame may create:
// enough for any real movie, small enough that a self-placing sprite stays cheap.
constexpr int kMaxNesting = 32;
constexpr size_t kMaxCreatedPerFrame = 100'000;
}  // namespace

struct Instance;

struct TimelineState {
  const Timeline* timeline = nullptr;
  int frame = -1;
  std::map<uint16_t, std::unique_ptr<Instance>> list;
};

struct Instance {
  uint16_t characterId = 0;
  const Character* character = nullptr;
  Matrix matrix;
  CXForm cxform;
  uint16_t ratio = 0;
  uint16_t clipDepth = 0;
  std::string name;
  std::unique_ptr<TimelineState> sprite;
};

namespace {

// Properties a frame gives one depth, as placement ops accumulate them.
struct Placement {
  uint16_t characterId = 0;
  Matrix matrix;
  CXForm cxform;
  uint16_t ratio = 0;
  uint16_t clipDepth = 0;
  std::string name;
};

void applyProps(const PlaceOp& op, Matrix& m, CXForm& cx, uint16_t& ratio, uint16_t& clip,
                std::string& name) {
  if (op.matrix) m = *op.matrix;
  if (op.cxform) cx = *op.cxform;
  if (op.ratio) ratio = *op.ratio;
  if (op.clipDepth) clip = *op.clipDepth;
  if (op.name) name = *op.name;
}

class Runner {
 public:
  explicit Runner(const Movie& movie) : movie_(movie) {}

  void tick(TimelineState& s, int level) {
    for (auto& [depth, inst] : s.list) {
      if (inst->sprite && level < kMaxNesting) tick(*inst->sprite, level + 1);
    }
    int n = static_cast<int>(s.timeline->frames.size());
    if (s.frame < 0) {
      runFrame(s, 0, level);
    } else if (s.frame + 1 < n) {
      runFrame(s, s.frame + 1, level);
    } else if (n > 1) {
      rewind(s, level);
    }
  }

  void runFrame(TimelineState& s, int f, int level) {
    s.frame = f;
    for (const ControlOp& op : s.timeline->frames[f]) {
      if (const auto* place = std::get_if<PlaceOp>(&op)) {
        auto it = s.list.find(place->depth);
        if (it != s.list.end() && (place->move || !place->characterId)) {
          Instance& inst = *it->second;
          if (place->characterId && *place->characterId != inst.characterId) {
            auto fresh = create(*place->characterId, level);
            if (fresh) {
              fresh->matrix = inst.matrix;
              fresh->cxform = inst.cxform;
              fresh->ratio = inst.ratio;
              fresh->clipDepth = inst.clipDepth;
              fresh->name = inst.name;
              it->second = std::move(fresh);
            }
          }
          Instance& cur = *it->second;
          applyProps(*place, cur.matrix, cur.cxform, cur.ratio, cur.clipDepth, cur.name);
        } else if (place->characterId) {
          auto fresh = create(*place->characterId, level);
          if (!fresh) continue;
          applyProps(*place, fresh->matrix, fresh->cxform, fresh->ratio, fresh->clipDepth,
                     fresh->name);
          s.list[place->depth] = std::move(fresh);
        }
      } else if (const auto* remove = std::get_if<RemoveOp>(&op)) {
        s.list.erase(remove->depth);
      }
    }
  }

  // Back to the first frame: objects the first frame also has (same depth, same
  // character) stay, sprites keep playing; the rest go and the first frame's own
  // objects come back.
  void rewind(TimelineState& s, int level) {
    std::map<uint16_t, Placement> target;
    for (const ControlOp& op : s.timeline->frames[0]) {
      if (const auto* place = std::get_if<PlaceOp>(&op)) {
        auto it = target.find(place->depth);
        if (it == target.end()) {
          if (!place->characterId) continue;
          it = target.emplace(place->depth, Placement{}).first;
        }
        Placement& p = it->second;
        if (place->characterId) p.characterId = *place->characterId;
        applyProps(*place, p.matrix, p.cxform, p.ratio, p.clipDepth, p.name);
      } else if (const auto* remove = std::get_if<RemoveOp>(&op)) {
        target.erase(remove->depth);
      }
    }
    for (auto it = s.list.begin(); it != s.list.end();) {
      auto t = target.find(it->first);
      if (t != target.end() && t->second.characterId == it->second->characterId) {
        Instance& inst = *it->second;
        const Placement& p = t->second;
        inst.matrix = p.matrix;
        inst.cxform = p.cxform;
        inst.ratio = p.ratio;
        inst.clipDepth = p.clipDepth;
        inst.name = p.name;
        ++it;
      } else {
        it = s.list.erase(it);
      }
    }
    for (auto& [depth, p] : target) {
      if (s.list.count(depth)) continue;
      auto fresh = create(p.characterId, level);
      if (!fresh) continue;
      fresh->matrix = p.matrix;
      fresh->cxform = p.cxform;
      fresh->ratio = p.ratio;
      fresh->clipDepth = p.clipDepth;
      fresh->name = p.name;
      s.list[depth] = std::move(fresh);
    }
    s.frame = 0;
  }

 private:
  std::unique_ptr<Instance> create(uint16_t id, int level) {
    const Character* c = movie_.character(id);
    if (!c || ++created_ > kMaxCreatedPerFrame) return nullptr;
    auto inst = std::make_unique<Instance>();
    inst->characterId = id;
    inst->character = c;
    if (const auto* sprite = std::get_if<Sprite>(c)) {
      inst->sprite = std::make_unique<TimelineState>();
      inst->sprite->timeline = &sprite->timeline;
      if (level < kMaxNesting) runFrame(*inst->sprite, 0, level + 1);
    }
    return inst;
  }

  const Movie& movie_;
  size_t created_ = 0;
};

class Drawer {
 public:
  Drawer(const Movie& movie, const Surface& s, bool aa, double viewScale, WorkBudget& budget)
      : surface_(s), renderer_(movie, aa, viewScale, budget), budget_(budget) {}

  void drawList(const TimelineState& state, const Surface& target, const Matrix& m,
                const CXForm& cx, const uint8_t* clip, int level) {
    struct Mask {
      uint16_t clipDepth;
      std::vector<uint8_t> coverage;
    };
    std::vector<Mask> masks;
    for (const auto& [depth, inst] : state.list) {
      if (budget_.exhausted()) return;
      while (!masks.empty() && depth > masks.back().clipDepth) masks.pop_back();
      const uint8_t* curClip = masks.empty() ? clip : masks.back().coverage.data();
      Matrix im = m * inst->matrix;
      CXForm icx = cx * inst->cxform;
      // Flash Player keeps one clip region at a time: inside a clip layer (a sprite used
      // as one) the clip layers of the sprite clip nothing; their shapes join the region
      // like the rest of its content.
      if (inst->clipDepth > 0 && !target.mask) {
        Mask mask{inst->clipDepth,
                  std::vector<uint8_t>(size_t(surface_.width) * surface_.height, 0)};
        Surface ms{surface_.width, surface_.height, nullptr, mask.coverage.data()};
        drawInstance(*inst, ms, im, icx, curClip, level);
        masks.push_back(std::move(mask));
        continue;
      }
      drawInstance(*inst, target, im, icx, curClip, level);
    }
  }

 private:
  void drawInstance(const Instance& inst, const Surface& target, const Matrix& m, const CXForm& cx,
                    const uint8_t* clip, int level) {
    DrawParams p{m, cx, clip};
    if (const auto* shape = std::get_if<Shape>(inst.character)) {
      renderer_.drawShape(target, *shape, p);
    } else if (const auto* bm = std::get_if<StoredBitmap>(inst.character)) {
      renderer_.drawBitmap(target, bm->get(), p);
    } else if (inst.sprite && level < kMaxNesting) {
      drawList(*inst.sprite, target, m, cx, clip, level + 1);
    }
  }

  Surface surface_;
  Renderer renderer_;
  WorkBudget& budget_;
};

}  // namespace

Player::Player(std::shared_ptr<const Movie> movie)
    : movie_(std::move(movie)), root_(std::make_unique<TimelineState>()) {
  root_->timeline = &movie_->timeline();
}

Player::~Player() = default;

void Player::advance() {
  Runner(*movie_).tick(*root_, 0);
}

int Player::currentFrame() const {
  return root_->frame + 1;
}

bool Player::render(uint32_t* pixels, int width, int height, const RenderOptions& options) {
  if (width <= 0 || height <= 0) return true;
  RGBA bg = movie_->background();
  std::fill(pixels, pixels + size_t(width) * height, packRGBA(bg.r, bg.g, bg.b, 255));
  const Rect& st = movie_->stageRect();
  double sw = double(st.xmax) - st.xmin, sh = double(st.ymax) - st.ymin;
  if (sw <= 0 || sh <= 0) return true;
  // The stage is whole pixels of 20 twips from its top-left corner; twips past the last
  // whole pixel are cut off rather than squeezed in (a 2026-twip-wide stage is 101
  // pixels at 1:1, as the reference pictures show). A stage under a pixel keeps its size.
  if (sw >= 20) sw = std::floor(sw / 20) * 20;
  if (sh >= 20) sh = std::floor(sh / 20) * 20;
  double s = std::min(width / sw, height / sh);  // pixels per twip
  double ox = (width - sw * s) / 2 - st.xmin * s, oy = (height - sh * s) / 2 - st.ymin * s;
  Matrix view{s, 0, 0, s, ox, oy};
  WorkBudget budget;
  budget.limit = options.workLimit;
  movie_->bitmaps().newFrame();
  Surface surface{width, height, pixels, nullptr};
  Drawer drawer(*movie_, surface, options.quality == Quality::High, s, budget);
  drawer.drawList(*root_, surface, view, CXForm{}, nullptr, 0);
  return !budget.exhausted();
}

std::vector<uint32_t> Player::renderStage(const RenderOptions& options) {
  int w = movie_->stageWidth(), h = movie_->stageHeight();
  std::vector<uint32_t> pixels(size_t(w) * h);
  render(pixels.data(), w, h, options);
  return pixels;
}

}  // namespace wd::swf
