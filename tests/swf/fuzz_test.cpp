// Mutation fuzzing of the movie loader and player: conformance movies and small built
// movies with flipped bits, cut ends and corrupted length fields are loaded, played and
// drawn. Runs under AddressSanitizer and UBSan natively: no crash, no bad access, and
// every frame stays within its work allowance.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "swf/bitmap.h"
#include "swf/error.h"
#include "swf/player.h"
#include "tests/swf/swf_builder.h"

namespace fs = std::filesystem;
using namespace wd::swf;
using namespace wd::swf::test;

namespace {

// Uncompressed (FWS) form, so mutations reach the tag parser rather than zlib.
std::vector<uint8_t> uncompressed(const std::vector<uint8_t>& file) {
  if (file.size() < 8 || file[0] != 'C') return file;
  std::vector<uint8_t> body = inflateZlib(std::span<const uint8_t>(file).subspan(8), 64u << 20);
  std::vector<uint8_t> out(file.begin(), file.begin() + 8);
  out[0] = 'F';
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::vector<std::vector<uint8_t>> seeds() {
  std::vector<std::vector<uint8_t>> s;
  const char* root = std::getenv("WD_SOURCE_DIR");
  fs::path dir = std::getenv("WD_SWF_CONFORMANCE")
                     ? fs::path(std::getenv("WD_SWF_CONFORMANCE"))
                     : fs::path(root ? root : ".") / ".." / "shared" / "swf-conformance";
  if (fs::is_directory(dir)) {
    for (const auto& e : fs::directory_iterator(dir)) {
      if (fs::exists(e.path() / "test.swf")) {
        s.push_back(uncompressed(readFileBytes((e.path() / "test.swf").string())));
      }
    }
  }
  if (root && fs::exists(fs::path(root) / "resources" / "earth.swf")) {
    s.push_back(uncompressed(readFileBytes((fs::path(root) / "resources" / "earth.swf").string())));
  }
  // Built movies: shapes with strokes, sprites, masks, a lossless bitmap.
  std::vector<uint8_t> raw(4 * 4 * 4, 200);
  std::vector<uint8_t> lossless = {20, 0, 5, 4, 0, 4, 0};  // id 20, format 5, 4 x 4
  auto z = zlibCompress(raw);
  lossless.insert(lossless.end(), z.begin(), z.end());
  s.push_back(movie(
      40, 30,
      {background(1, 2, 3), rectShape(1, 0, 0, 400, 300, {255, 0, 0, 128}, 40),
       rectShape(2, 100, 100, 300, 200, {0, 0, 255, 255}),
       sprite(3, 2, {place(1, 1), showFrame(), place(2, 2, 5, 5), showFrame()}), tag(36, lossless),
       place(1, 3), place(2, 2, 0, 0, false, 4), place(3, 20, 20, 20), place(4, 1, 20, 20),
       showFrame(), removeDepth(1), place(3, 2, 0, 0, true), showFrame()},
      false, 2));
  return s;
}

void mutate(std::vector<uint8_t>& d, std::mt19937& rng) {
  if (d.size() < 10) return;
  auto pos = [&]() { return std::uniform_int_distribution<size_t>(8, d.size() - 1)(rng); };
  switch (rng() % 6) {
    case 0:  // a few bit flips
      for (int i = 0, n = 1 + rng() % 8; i < n; ++i)
        d[pos()] ^= static_cast<uint8_t>(1u << (rng() % 8));
      break;
    case 1:  // cut the end
      d.resize(pos());
      break;
    case 2: {  // a length-like field gets a wild value
      size_t p = pos();
      uint32_t v = rng() % 3 == 0   ? 0xFFFFFFFFu
                   : rng() % 3 == 1 ? 0x3F
                                    : static_cast<uint32_t>(rng());
      for (int i = 0; i < 4 && p + i < d.size(); ++i) d[p + i] = static_cast<uint8_t>(v >> (8 * i));
      break;
    }
    case 3:  // random bytes
      for (int i = 0, n = 1 + rng() % 16; i < n; ++i) d[pos()] = static_cast<uint8_t>(rng());
      break;
    case 4: {  // repeat a chunk
      size_t a = pos(), n = std::min<size_t>(1 + rng() % 64, d.size() - a);
      std::vector<uint8_t> chunk(d.begin() + a, d.begin() + a + n);
      d.insert(d.begin() + pos(), chunk.begin(), chunk.end());
      break;
    }
    default:  // the header's stage and frame fields
      d[8 + rng() % 4] = static_cast<uint8_t>(rng());
      break;
  }
}

TEST(SwfFuzz, MutatedMoviesNeverCrashOrHang) {
  auto base = seeds();
  ASSERT_GE(base.size(), 2u);
  // A movie the size of the earth's takes some 50 ms a mutant under the sanitizers: it
  // takes every 24th turn, the small ones the rest, whatever the seeds at hand.
  std::vector<const std::vector<uint8_t>*> small, large;
  for (const auto& seed : base) (seed.size() > 64 * 1024 ? large : small).push_back(&seed);
  int iterations = 12000;
  if (const char* n = std::getenv("WD_SWF_FUZZ_ITERATIONS")) iterations = std::atoi(n);
  std::mt19937 rng(20240611);
  auto start = std::chrono::steady_clock::now();
  int loaded = 0, played = 0;
  double slowest = 0;
  for (int i = 0; i < iterations; ++i) {
    const bool take_large = !large.empty() && (small.empty() || i % 24 == 23);
    std::vector<uint8_t> d =
        take_large ? *large[(i / 24) % large.size()] : *small[i % small.size()];
    for (int k = 0, n = 1 + rng() % 3; k < n; ++k) mutate(d, rng);
    if (i % 50 == 0) {  // bare headers cut anywhere
      d = movie(20, 20, {});
      d.resize(rng() % d.size());
    }
    std::shared_ptr<const Movie> m;
    try {
      m = loadMoviePartial(d);
      ++loaded;
    } catch (const wd::Error&) {
      continue;
    }
    auto t0 = std::chrono::steady_clock::now();
    Player p(m);
    std::vector<uint32_t> px(64 * 48);
    for (int f = 0; f < 3; ++f) {
      p.advance();
      p.render(px.data(), 64, 48, {f % 2 ? Quality::Low : Quality::High, 2'000'000});
    }
    ++played;
    slowest = std::max(
        slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << iterations << " mutants, " << loaded << " loaded, " << played << " played in "
            << total << " s; slowest play " << slowest * 1000 << " ms\n";
  EXPECT_GT(played, iterations / 4);
}

}  // namespace
