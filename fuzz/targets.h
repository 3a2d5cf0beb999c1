// Coverage-guided fuzz targets of every parser of input from outside the program. Each
// takes one input of any bytes and returns 0; a crash, a sanitizer report or a broken
// promise (Expect) is a finding. libFuzzer drives them (scripts/fuzz), and the native
// tests run every input kept under fuzz/corpus/ through them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace wd::fuzz {

using TargetFunction = int (*)(const std::uint8_t* data, std::size_t size);

struct Target {
  const char* name;  // also the folder of its inputs under fuzz/corpus/
  TargetFunction run;
};

int PerfData(const std::uint8_t* data, std::size_t size);
int IniStore(const std::uint8_t* data, std::size_t size);
int SettingsText(const std::uint8_t* data, std::size_t size);
int SntpReply(const std::uint8_t* data, std::size_t size);
int SwfMovie(const std::uint8_t* data, std::size_t size);
int JpegImage(const std::uint8_t* data, std::size_t size);
int PngImage(const std::uint8_t* data, std::size_t size);
int GifImage(const std::uint8_t* data, std::size_t size);
int PowerEvents(const std::uint8_t* data, std::size_t size);

std::span<const Target> AllTargets();

// A promise of the code under test; a broken one ends the process as a finding.
void Expect(bool condition, const char* what);

}  // namespace wd::fuzz
