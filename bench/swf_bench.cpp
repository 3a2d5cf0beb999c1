// Time to draw one frame of a movie at 170 x 170 (the movie control's size), in ms per
// frame, with high and low quality. Usage: swf_bench [MOVIE.swf] [FRAMES]
// Default movie: resources/earth.swf, else a conformance movie. Build without the
// sanitizers for meaningful figures.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "swf/player.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  std::string path;
  if (argc > 1) {
    path = argv[1];
  } else {
    fs::path root = std::getenv("WD_SOURCE_DIR") ? fs::path(std::getenv("WD_SOURCE_DIR"))
                                                 : fs::path(__FILE__).parent_path().parent_path();
    path = (root / "resources" / "earth.swf").string();
    if (!fs::exists(path))
      path = (root / ".." / "shared" / "swf-conformance" / "acid-small" / "test.swf").string();
  }
  int frames = argc > 2 ? std::atoi(argv[2]) : 500;
  try {
    auto movie = wd::swf::loadMovieFile(path);
    std::printf("%s: stage %dx%d, %d frames at %.2f fps\n", path.c_str(), movie->stageWidth(),
                movie->stageHeight(), movie->frameCount(), movie->frameRate());
    for (auto q : {wd::swf::Quality::High, wd::swf::Quality::Low}) {
      wd::swf::Player player(movie);
      std::vector<uint32_t> px(170 * 170);
      double renderSeconds = 0, advanceSeconds = 0;
      for (int i = 0; i < frames; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        player.advance();
        auto t1 = std::chrono::steady_clock::now();
        player.render(px.data(), 170, 170, {q});
        auto t2 = std::chrono::steady_clock::now();
        advanceSeconds += std::chrono::duration<double>(t1 - t0).count();
        renderSeconds += std::chrono::duration<double>(t2 - t1).count();
      }
      std::printf("%s quality: %.3f ms per frame drawn, %.3f ms per frame advanced (%d frames)\n",
                  q == wd::swf::Quality::High ? "high" : "low", renderSeconds * 1000 / frames,
                  advanceSeconds * 1000 / frames, frames);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "swf_bench: %s: %s\n", path.c_str(), e.what());
    return 1;
  }
  return 0;
}
