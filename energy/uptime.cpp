#include "energy/uptime.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.h"

namespace wd {
namespace {

PerfDataSource* g_source_override = nullptr;
TickCountFunction g_tick_override = nullptr;
SuspendedTimeFunction g_suspended_override = nullptr;

constexpr uint32_t kNameListReserve = 1024;
constexpr uint32_t kObjectQueryStep = 4096;
constexpr int64_t kMinPerfFreq = 1000;

// Closes the performance-data key on every way out, errors included.
class CloseOnExit {
 public:
  explicit CloseOnExit(PerfDataSource& source) : source_(source) {}
  ~CloseOnExit() { source_.Close(); }
  CloseOnExit(const CloseOnExit&) = delete;
  CloseOnExit& operator=(const CloseOnExit&) = delete;

 private:
  PerfDataSource& source_;
};

// Little-endian reads that refuse anything not wholly inside the returned bytes.
class Bytes {
 public:
  Bytes(const uint8_t* data, uint64_t size) : data_(data), size_(size) {}
  bool Has(uint64_t offset, uint64_t width) const {
    return offset <= size_ && width <= size_ - offset;
  }
  bool U32(uint64_t offset, uint32_t& out) const {
    if (!Has(offset, 4)) return false;
    out = 0;
    for (int i = 3; i >= 0; --i) out = (out << 8) | data_[offset + i];
    return true;
  }
  bool I64(uint64_t offset, int64_t& out) const {
    if (!Has(offset, 8)) return false;
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | data_[offset + i];
    out = static_cast<int64_t>(v);
    return true;
  }

 private:
  const uint8_t* data_;
  uint64_t size_;
};

// Decimal text to a 32-bit integer, as the name list's index texts are read.
int32_t IndexTextToInt(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  const size_t first_digit = i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) break;
  }
  if (i == first_digit || i != text.size() || value > (negative ? 2147483648LL : 2147483647LL)) {
    throw ConvertError("'" + text + "' is not a valid integer value");
  }
  return static_cast<int32_t>(negative ? -value : value);
}

bool Grow(std::vector<uint8_t>& buffer, size_t size) {
  try {
    buffer.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

struct TitleIndexes {
  uint32_t system = 0;
  uint32_t up_time = 0;
  std::string system_text;
};

// Walks the "Counter 009" pairs (index text, name) for the two names we need.
bool FindTitleIndexes(const uint8_t* data, uint64_t size, TitleIndexes& out) {
  // The text that starts at pos and ends at its NUL; false if the NUL lies outside.
  auto text_at = [&](uint64_t pos, std::string_view& text) {
    if (pos >= size) return false;
    const void* nul = std::memchr(data + pos, 0, size - pos);
    if (nul == nullptr) return false;
    text = std::string_view(reinterpret_cast<const char*>(data + pos),
                            static_cast<const uint8_t*>(nul) - (data + pos));
    return true;
  };
  uint64_t pos = 0;
  std::string_view index_text, name;
  while (text_at(pos, index_text) && !index_text.empty()) {
    if (!text_at(pos + index_text.size() + 1, name)) return false;
    if (out.system == 0 && name == "System") {
      out.system = static_cast<uint32_t>(IndexTextToInt(std::string(index_text)));
      if (out.system != 0) out.system_text = std::string(index_text);
    } else if (out.up_time == 0 && name == "System Up Time") {
      out.up_time = static_cast<uint32_t>(IndexTextToInt(std::string(index_text)));
    }
    if (out.system != 0 && out.up_time != 0) return true;
    pos += index_text.size() + 1 + name.size() + 1;
  }
  return false;
}

// PERF_OBJECT_TYPE and PERF_COUNTER_DEFINITION field offsets.
constexpr uint64_t kObjTotalByteLength = 0, kObjDefinitionLength = 4, kObjHeaderLength = 8,
                   kObjNameTitleIndex = 12, kObjNumCounters = 32, kObjNumInstances = 40,
                   kObjPerfTime = 48, kObjPerfFreq = 56, kObjSize = 64;
constexpr uint64_t kCtrByteLength = 0, kCtrNameTitleIndex = 4, kCtrType = 28, kCtrOffset = 36,
                   kCtrSize = 40;

// The uptime from a performance data block; 0 when it cannot be found inside the bytes.
int64_t UpTimeFromBlock(const Bytes& b, const TitleIndexes& titles) {
  uint32_t header_length, num_objects;
  if (!b.U32(24, header_length) || !b.U32(28, num_objects)) return 0;

  uint64_t object = header_length;
  for (uint32_t n = 0; n < num_objects; ++n) {
    uint32_t total_length, definition_length, counter_header, title, num_counters, instances_raw;
    int64_t perf_time, perf_freq;
    if (!b.Has(object, kObjSize) || !b.U32(object + kObjTotalByteLength, total_length) ||
        !b.U32(object + kObjDefinitionLength, definition_length) ||
        !b.U32(object + kObjHeaderLength, counter_header) ||
        !b.U32(object + kObjNameTitleIndex, title) ||
        !b.U32(object + kObjNumCounters, num_counters) ||
        !b.U32(object + kObjNumInstances, instances_raw) ||
        !b.I64(object + kObjPerfTime, perf_time) || !b.I64(object + kObjPerfFreq, perf_freq)) {
      return 0;
    }
    const int32_t num_instances = static_cast<int32_t>(instances_raw);
    if (title != titles.system || num_instances == 0 || perf_freq < kMinPerfFreq) {
      // A length of 0 would pass the same object over again for every count left.
      if (total_length == 0) return 0;
      object += total_length;
      continue;
    }

    // The first qualifying object decides: its counter or nothing.
    uint64_t counter = object + counter_header;
    bool found = false;
    uint32_t counter_offset = 0;
    for (uint32_t c = 0; c < num_counters; ++c) {
      uint32_t byte_length, counter_title, type;
      if (!b.U32(counter + kCtrByteLength, byte_length) ||
          !b.U32(counter + kCtrNameTitleIndex, counter_title) || !b.U32(counter + kCtrType, type) ||
          !b.U32(counter + kCtrOffset, counter_offset) || !b.Has(counter, kCtrSize)) {
        return 0;
      }
      if (counter_title == titles.up_time && type == kPerfElapsedTime) {
        found = true;
        break;
      }
      if (byte_length == 0) return 0;  // the same definition again for every count left
      counter += byte_length;
    }
    if (!found) return 0;

    uint64_t block = object + definition_length;
    if (num_instances != -1) {
      uint32_t instance_length;
      if (!b.U32(block, instance_length)) return 0;
      block += instance_length;
    }
    int64_t start_time;
    if (!b.I64(block + counter_offset, start_time)) return 0;
    // Wrapping difference: a start time after PerfTime gives a negative uptime.
    const int64_t elapsed =
        static_cast<int64_t>(static_cast<uint64_t>(perf_time) - static_cast<uint64_t>(start_time));
    return elapsed / (perf_freq / 1000);
  }
  return 0;
}

}  // namespace

namespace {

// What a read of the name list settled.
enum class Titles { kFound, kAbsent, kUnread };

// Reads the "Counter 009" list for the two titles. kUnread when a query failed (nothing
// is known); kAbsent when the list was read whole and lacks them. The key is left open:
// the caller closes it.
Titles ReadTitles(PerfDataSource& source, uint32_t names_size, TitleIndexes& titles) {
  if (names_size > UINT32_MAX - kNameListReserve) return Titles::kUnread;
  std::vector<uint8_t> names;
  uint32_t names_capacity = names_size + kNameListReserve;
  if (!Grow(names, names_capacity)) return Titles::kUnread;
  uint32_t names_count = names_capacity;
  if (source.QueryValue("Counter 009", names.data(), &names_count) != kErrorSuccess)
    return Titles::kUnread;
  titles = {};
  const uint64_t names_used = std::min<uint64_t>(names_count, names_capacity);
  return FindTitleIndexes(names.data(), names_used, titles) ? Titles::kFound : Titles::kAbsent;
}

// Queries the System object and finds the uptime in it; 0 when it is not there.
int64_t ReadUpTimeObject(PerfDataSource& source, const TitleIndexes& titles) {
  std::vector<uint8_t> block;
  uint64_t capacity = 0;
  uint32_t count = 0;
  long status;
  do {
    capacity += kObjectQueryStep;
    if (capacity > UINT32_MAX || !Grow(block, capacity)) return 0;
    count = static_cast<uint32_t>(capacity);
    status = source.QueryValue(titles.system_text.c_str(), block.data(), &count);
  } while (status == kErrorMoreData);

  if (status != kErrorSuccess || count == 0) return 0;
  const Bytes bytes(block.data(), std::min<uint64_t>(count, capacity));
  static const uint8_t kPerf[8] = {'P', 0, 'E', 0, 'R', 0, 'F', 0};
  if (!bytes.Has(0, 8) || std::memcmp(block.data(), kPerf, 8) != 0) return 0;
  return UpTimeFromBlock(bytes, titles);
}

}  // namespace

int64_t ReadSystemUpTime(PerfDataSource& source) {
  uint32_t names_size = 0;
  if (source.QueryValue("Counter 009", nullptr, &names_size) != kErrorSuccess) return 0;
  CloseOnExit close(source);
  TitleIndexes titles;
  if (ReadTitles(source, names_size, titles) != Titles::kFound) return 0;
  return ReadUpTimeObject(source, titles);
}

struct UpTimeReader::Known {
  PerfDataSource* source = nullptr;
  Titles state = Titles::kUnread;
  TitleIndexes titles;
};

UpTimeReader::UpTimeReader() : known_(std::make_unique<Known>()) {}
UpTimeReader::~UpTimeReader() = default;

int64_t UpTimeReader::ReadSystemUpTime() {
  PerfDataSource& source = g_source_override ? *g_source_override : SystemPerfDataSource();
  Known& known = *known_;
  if (known.source != &source) {
    known = Known{};
    known.source = &source;
  }
  if (known.state == Titles::kAbsent) return 0;
  if (known.state == Titles::kFound) {
    {
      CloseOnExit close(source);
      if (const int64_t up_time = ReadUpTimeObject(source, known.titles); up_time != 0)
        return up_time;
    }
    // Nothing under the titles known: perhaps the counters were registered again.
    known.state = Titles::kUnread;
  }
  uint32_t names_size = 0;
  if (source.QueryValue("Counter 009", nullptr, &names_size) != kErrorSuccess) return 0;
  CloseOnExit close(source);
  known.state = ReadTitles(source, names_size, known.titles);
  return known.state == Titles::kFound ? ReadUpTimeObject(source, known.titles) : 0;
}

int64_t UpTimeReader::GetUpTimeMs() {
  return RunningTime(UpTimeOrTicks(ReadSystemUpTime()), SuspendedMs());
}

int64_t ReadSystemUpTime() {
  return ReadSystemUpTime(g_source_override ? *g_source_override : SystemPerfDataSource());
}

int64_t GetUpTimeMs() {
  return ReadUptime().running_ms;
}

UptimeReading ReadUptime() {
  UptimeReading r;
  r.since_start_ms = UpTimeOrTicks(ReadSystemUpTime());
  r.suspended_ms = SuspendedMs();
  r.running_ms = RunningTime(r.since_start_ms, r.suspended_ms);
  return r;
}

int64_t RunningTime(int64_t since_start_ms, int64_t suspended_ms) {
  if (suspended_ms <= 0 || since_start_ms < 0) return since_start_ms;
  // A tick count that wrapped after 49.7 days can be smaller than the suspended time.
  return since_start_ms > suspended_ms ? since_start_ms - suspended_ms : 0;
}

int64_t SuspendedMs() {
  const int64_t suspended = g_suspended_override ? g_suspended_override() : SystemSuspendedMs();
  return suspended > 0 ? suspended : 0;
}

int64_t UpTimeOrTicks(int64_t up_time) {
  if (up_time != 0) return up_time;
  const uint32_t ticks = g_tick_override ? g_tick_override() : SystemTickCount();
  return static_cast<int64_t>(static_cast<uint64_t>(ticks));
}

void SetPerfDataSourceForTesting(PerfDataSource* source) {
  g_source_override = source;
}
void SetTickCountForTesting(TickCountFunction tick_count) {
  g_tick_override = tick_count;
}
void SetSuspendedTimeForTesting(SuspendedTimeFunction suspended) {
  g_suspended_override = suspended;
}

}  // namespace wd
