// The kept fuzz inputs replayed: the seeds, and every finding, which stays here as a
// regression test. A target that crashes or breaks a promise ends this test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/targets.h"

namespace {

namespace fs = std::filesystem;

fs::path CorpusFolder() {
  const char* root = std::getenv("WD_SOURCE_DIR");
  return fs::path(root ? root : ".") / "fuzz" / "corpus";
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FuzzCorpus, EveryTargetHasSeedsAndRunsThemAll) {
  for (const wd::fuzz::Target& target : wd::fuzz::AllTargets()) {
    const fs::path folder = CorpusFolder() / target.name;
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    int inputs = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::vector<uint8_t> bytes = ReadFile(entry.path());
      EXPECT_EQ(target.run(bytes.data(), bytes.size()), 0) << entry.path();
      ++inputs;
    }
    EXPECT_GT(inputs, 0) << target.name;
  }
}

// Inputs no corpus needs to hold: nothing, one byte, and every cut of a short one.
TEST(FuzzCorpus, EmptyAndTinyInputs) {
  const uint8_t bytes[] = {0x00, 0xFF, 0x1B, 'F', 'W', 'S', 0x89, 'P', 'N', 'G', 'G', 'I', 'F'};
  for (const wd::fuzz::Target& target : wd::fuzz::AllTargets()) {
    for (size_t n = 0; n <= sizeof bytes; ++n) {
      EXPECT_EQ(target.run(bytes, n), 0) << target.name << " " << n;
    }
  }
}

}  // namespace
