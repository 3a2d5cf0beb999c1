// Renders each movie of the SWF conformance set and compares it with the picture Flash
// Player drew, channel by channel, with each picture's tolerance and outlier allowance.
// Cases listed in conformance_passing.txt must keep passing; every case's figures are
// printed.
#include <gtest/gtest.h>

#include <toml++/toml.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "swf/player.h"
#include "swf/png_io.h"

namespace fs = std::filesystem;
using namespace wd::swf;

namespace {

struct Check {
  int64_t tolerance = 0;
  int64_t maxOutliers = 0;
};

struct Picture {
  std::string name;
  int trigger = 0;  // frames run when the picture is taken
  bool knownFailure = false;
  std::vector<Check> checks;
};

struct Case {
  std::string name;
  fs::path dir;
  int frames = 1;
  Quality quality = Quality::High;
  std::vector<Picture> pictures;
};

fs::path conformanceDir() {
  if (const char* over = std::getenv("WD_SWF_CONFORMANCE")) return over;
  const char* root = std::getenv("WD_SOURCE_DIR");
  return fs::path(root ? root : ".") / ".." / "shared" / "swf-conformance";
}

Case readCase(const fs::path& dir) {
  Case c;
  c.name = dir.filename().string();
  c.dir = dir;
  toml::table t = toml::parse_file((dir / "test.toml").string());
  c.frames = static_cast<int>(t["num_frames"].value_or(t["num_ticks"].value_or(int64_t{1})));
  std::string q = t["player_options"]["with_renderer"]["quality"].value_or(std::string("high"));
  c.quality = q == "low" ? Quality::Low : Quality::High;
  if (const toml::table* comps = t["image_comparisons"].as_table()) {
    for (const auto& [key, node] : *comps) {
      const toml::table* pt = node.as_table();
      if (!pt) continue;
      Picture p;
      p.name = std::string(key.str());
      p.trigger = static_cast<int>((*pt)["trigger"].value_or(int64_t{c.frames}));
      p.knownFailure = (*pt)["known_failure"].value_or(false);
      if (const toml::array* checks = (*pt)["checks"].as_array()) {
        for (const auto& ch : *checks) {
          if (const toml::table* ct = ch.as_table()) {
            p.checks.push_back({(*ct)["tolerance"].value_or(int64_t{0}),
                                (*ct)["max_outliers"].value_or(int64_t{0})});
          }
        }
      } else {
        p.checks.push_back(
            {(*pt)["tolerance"].value_or(int64_t{0}), (*pt)["max_outliers"].value_or(int64_t{0})});
      }
      c.pictures.push_back(p);
    }
  }
  return c;
}

int64_t countOutliers(const RgbaImage& got, const RgbaImage& want, int64_t tolerance) {
  int64_t n = 0;
  for (size_t i = 0; i < got.rgba.size(); ++i) {
    if (std::abs(int(got.rgba[i]) - int(want.rgba[i])) > tolerance) ++n;
  }
  return n;
}

std::set<std::string> readPassingList() {
  const char* root = std::getenv("WD_SOURCE_DIR");
  std::ifstream f(fs::path(root ? root : ".") / "tests" / "swf" / "conformance_passing.txt");
  std::set<std::string> names;
  std::string line;
  while (std::getline(f, line)) {
    line.erase(0, line.find_first_not_of(" \t"));
    line.erase(line.find_last_not_of(" \t\r") + 1);
    if (!line.empty() && line[0] != '#') names.insert(line);
  }
  return names;
}

TEST(SwfConformance, PicturesMatchFlashPlayer) {
  fs::path dir = conformanceDir();
  std::vector<fs::path> dirs;
  if (fs::is_directory(dir)) {
    for (const auto& e : fs::directory_iterator(dir)) {
      if (e.is_directory() && fs::exists(e.path() / "test.toml")) dirs.push_back(e.path());
    }
  }
  std::sort(dirs.begin(), dirs.end());
  // The movies and their pictures are test data kept beside the repository, not in it.
  // A checkout without them skips the comparison, reported as skipped rather than
  // passed; naming a folder makes them required.
  if (dirs.empty() && !std::getenv("WD_SWF_CONFORMANCE"))
    GTEST_SKIP() << "SWF conformance cases not found in " << dir
                 << " (set WD_SWF_CONFORMANCE to their folder)";
  ASSERT_TRUE(fs::is_directory(dir)) << "SWF conformance cases not found in " << dir;
  ASSERT_FALSE(dirs.empty()) << "no conformance cases in " << dir;
  const char* dump = std::getenv("WD_SWF_DUMP_DIR");

  std::set<std::string> mustPass = readPassingList();
  std::set<std::string> seen;
  for (const fs::path& d : dirs) {
    Case c = readCase(d);
    Player player(loadMovieFile((d / "test.swf").string()));
    RenderOptions options;
    options.quality = c.quality;
    for (int frame = 1; frame <= c.frames; ++frame) {
      player.advance();
      for (const Picture& p : c.pictures) {
        if (p.trigger != frame) continue;
        std::string id = c.name + "/" + p.name;
        seen.insert(id);
        int w = player.movie().stageWidth(), h = player.movie().stageHeight();
        std::vector<uint32_t> pixels(size_t(w) * h);
        player.render(pixels.data(), w, h, options);
        RgbaImage got = toRgbaImage(pixels, w, h);
        if (dump) writePngFile((fs::path(dump) / (c.name + "." + p.name + ".png")).string(), got);
        RgbaImage want = readPngFile((d / (p.name + ".expected.png")).string());
        std::ostringstream line;
        line << id << (p.knownFailure ? " (known failure)" : "") << ":";
        bool pass = want.width == w && want.height == h;
        if (!pass) {
          line << " size " << w << "x" << h << " instead of " << want.width << "x" << want.height;
        } else {
          for (const Check& ch : p.checks) {
            int64_t n = countOutliers(got, want, ch.tolerance);
            line << " tolerance " << ch.tolerance << ": " << n << " outliers (max "
                 << ch.maxOutliers << ");";
            pass = pass && n <= ch.maxOutliers;
          }
        }
        line << (pass ? " PASS" : " FAIL");
        std::cout << line.str() << "\n";
        if (mustPass.count(id)) {
          EXPECT_TRUE(pass) << line.str();
        }
      }
    }
  }
  for (const std::string& id : mustPass) {
    EXPECT_TRUE(seen.count(id)) << "listed passing case " << id << " was not found";
  }
}

}  // namespace
