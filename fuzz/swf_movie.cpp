// A movie file: loaded (what of it reads), then three frames played and drawn at a small
// size within a frame's work allowance.
#include <vector>

#include "fuzz/targets.h"
#include "swf/error.h"
#include "swf/player.h"

namespace wd::fuzz {

int SwfMovie(const uint8_t* data, size_t size) {
  using namespace wd::swf;
  std::shared_ptr<const Movie> movie;
  try {
    // Inflated bodies are held to 4 MB: larger ones are other fuzz inputs' business.
    movie = loadMoviePartial(std::span<const uint8_t>(data, size), LoadOptions{4u << 20});
  } catch (const wd::Error&) {
    return 0;
  }
  Player player(movie);
  std::vector<uint32_t> pixels(64 * 48);
  for (int frame = 0; frame < 3; ++frame) {
    player.advance();
    Expect(player.currentFrame() >= 1, "a frame is shown after advancing");
    player.render(pixels.data(), 64, 48, {frame % 2 ? Quality::Low : Quality::High, 2'000'000});
  }
  return 0;
}

}  // namespace wd::fuzz
