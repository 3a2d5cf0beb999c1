// swf_render MOVIE.swf FRAMES OUT.png [low|high]: runs FRAMES frames of a movie (the
// first frame run counting 1) and writes the stage at 1:1 as an RGBA PNG.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "swf/player.h"
#include "swf/png_io.h"

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: swf_render MOVIE.swf FRAMES OUT.png [low|high]\n");
    return 2;
  }
  std::string quality = argc == 5 ? argv[4] : "high";
  if (quality != "low" && quality != "high") {
    std::fprintf(stderr, "swf_render: quality must be low or high, not %s\n", quality.c_str());
    return 2;
  }
  char* end = nullptr;
  long frames = std::strtol(argv[2], &end, 10);
  if (!end || *end || frames < 1) {
    std::fprintf(stderr, "swf_render: FRAMES must be a whole number of at least 1\n");
    return 2;
  }
  try {
    wd::swf::Player player(wd::swf::loadMovieFile(argv[1]));
    for (long i = 0; i < frames; ++i) player.advance();
    wd::swf::RenderOptions options;
    options.quality = quality == "low" ? wd::swf::Quality::Low : wd::swf::Quality::High;
    int w = player.movie().stageWidth(), h = player.movie().stageHeight();
    std::vector<uint32_t> pixels(size_t(w) * h);
    if (!player.render(pixels.data(), w, h, options)) {
      std::fprintf(stderr,
                   "swf_render: warning: the frame ran out of work allowance and is incomplete\n");
    }
    wd::swf::writePngFile(argv[3], wd::swf::toRgbaImage(pixels, w, h));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "swf_render: %s: %s\n", argv[1], e.what());
    return 1;
  }
  return 0;
}
