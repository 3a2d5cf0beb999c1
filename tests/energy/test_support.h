// Helpers shared by the energy tests: a temporary program folder and file bytes.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "energy/format_settings.h"
#include "energy/settings_file.h"

namespace wd::test {

// The zh-TW user settings: year first, and 上午/下午 before a 12-hour time.
inline FormatSettings TaiwanFormat() {
  FormatSettings fs;
  fs.short_date_format = "yyyy/M/d";
  fs.long_time_format = "tt hh:mm:ss";
  fs.time_am = "上午";
  fs.time_pm = "下午";
  return fs;
}

inline std::filesystem::path FsPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  out << bytes;
}

// An empty folder of its own that the program takes as its folder, removed afterwards;
// the format settings are the en-US ones unless a test sets others.
class TempFolderTest : public ::testing::Test {
 protected:
  static long long Stamp() {
    static const long long stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return stamp;
  }
  void SetUp() override {
    static std::atomic<int> counter{0};
    const auto base = std::filesystem::temp_directory_path();
    folder_path_ =
        base / ("wd-energy-" + std::to_string(Stamp()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(folder_path_);
    std::filesystem::create_directories(folder_path_);
    folder_ = Utf8(folder_path_ / "");
    SetProgramFolderForTesting(folder_);
    SetFormatSettingsForTesting(FormatSettings{});
  }
  void TearDown() override {
    SetProgramFolderForTesting("");
    SetFormatSettingsForTesting(std::nullopt);
    std::error_code ec;
    std::filesystem::remove_all(folder_path_, ec);
  }
  std::string Path(const std::string& name) const { return Utf8(folder_path_ / name); }

  std::filesystem::path folder_path_;
  std::string folder_;
};

}  // namespace wd::test
