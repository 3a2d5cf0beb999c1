#include "fuzz/targets.h"

#include <cstdio>
#include <cstdlib>

namespace wd::fuzz {

std::span<const Target> AllTargets() {
  static const Target targets[] = {
      {"perf_data", PerfData},   {"ini_store", IniStore}, {"settings_text", SettingsText},
      {"sntp_reply", SntpReply}, {"swf_movie", SwfMovie}, {"jpeg_image", JpegImage},
      {"png_image", PngImage},   {"gif_image", GifImage}, {"power_events", PowerEvents},
  };
  return targets;
}

void Expect(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz: broken promise: %s\n", what);
  std::abort();
}

}  // namespace wd::fuzz
