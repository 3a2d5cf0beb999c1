// The performance-data reader over a counter name list and a data block from the input:
// two bytes give the length of the name list, the name list follows, the rest is the
// block.
#include <cstring>
#include <string>
#include <vector>

#include "common/errors.h"
#include "energy/uptime.h"
#include "fuzz/targets.h"

namespace wd::fuzz {
namespace {

class InputSource final : public PerfDataSource {
 public:
  InputSource(std::vector<uint8_t> names, std::vector<uint8_t> block)
      : names_(std::move(names)), block_(std::move(block)) {}

  long QueryValue(const char* name, uint8_t* data, uint32_t* size) override {
    const std::vector<uint8_t>& value = std::strcmp(name, "Counter 009") == 0 ? names_ : block_;
    if (data == nullptr) {
      *size = static_cast<uint32_t>(value.size());
      return kErrorSuccess;
    }
    if (*size < value.size()) {
      *size = static_cast<uint32_t>(value.size());
      return kErrorMoreData;
    }
    if (!value.empty()) std::memcpy(data, value.data(), value.size());
    *size = static_cast<uint32_t>(value.size());
    return kErrorSuccess;
  }
  void Close() override { ++closes; }

  int closes = 0;

 private:
  std::vector<uint8_t> names_;
  std::vector<uint8_t> block_;
};

}  // namespace

int PerfData(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t names_size = std::min<size_t>(data[0] | data[1] << 8, size - 2);
  InputSource source(std::vector<uint8_t>(data + 2, data + 2 + names_size),
                     std::vector<uint8_t>(data + 2 + names_size, data + size));
  try {
    ReadSystemUpTime(source);
  } catch (const ConvertError&) {
    // A name list whose index text is no integer: the reader's one error.
  }
  Expect(source.closes == 1, "the performance-data key is closed once");
  return 0;
}

}  // namespace wd::fuzz
