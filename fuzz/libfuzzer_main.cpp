// The entry libFuzzer calls; WD_FUZZ_TARGET names the target this executable runs.
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return wd::fuzz::WD_FUZZ_TARGET(data, size);
}
