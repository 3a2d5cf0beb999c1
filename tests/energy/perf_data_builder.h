// Performance data as the registry gives it, built in the tests: counter name lists,
// data blocks in the published layout, and a source that answers the uptime reader's
// queries from them.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "energy/uptime.h"

namespace wd::test {

using Bytes = std::vector<uint8_t>;

inline void PutU32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutI64(Bytes& b, size_t at, int64_t v) {
  for (int i = 0; i < 8; ++i) b[at + i] = static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i));
}

struct Counter {
  uint32_t title = 674;
  uint32_t type = kPerfElapsedTime;
  uint32_t offset = 8;
};

struct Object {
  uint32_t title = 2;
  int32_t instances = -1;
  int64_t perf_time = 0;
  int64_t perf_freq = 10000000;
  int64_t start_time = 0;  // the counter value, at offset 8 of the counter block
  std::vector<Counter> counters = std::vector<Counter>(1);
};

// A performance data block in the published layout: 64-byte header, then the objects,
// each with 64-byte header, 40-byte counter definitions and a 16-byte counter block
// (after a 24-byte instance definition when the object has instances).
inline Bytes BuildBlock(const std::vector<Object>& objects, size_t padding = 0) {
  Bytes b(64, 0);
  const char16_t sig[] = u"PERF";
  for (int i = 0; i < 4; ++i) b[2 * i] = static_cast<uint8_t>(sig[i]);
  PutU32(b, 24, 64);
  PutU32(b, 28, static_cast<uint32_t>(objects.size()));
  for (const Object& o : objects) {
    const size_t start = b.size();
    const size_t definitions = 64 + 40 * o.counters.size();
    const size_t instance = o.instances == -1 ? 0 : 24;
    const size_t total = definitions + instance + 16;
    b.resize(start + total, 0);
    PutU32(b, start + 0, static_cast<uint32_t>(total));
    PutU32(b, start + 4, static_cast<uint32_t>(definitions));
    PutU32(b, start + 8, 64);
    PutU32(b, start + 12, o.title);
    PutU32(b, start + 32, static_cast<uint32_t>(o.counters.size()));
    PutU32(b, start + 40, static_cast<uint32_t>(o.instances));
    PutI64(b, start + 48, o.perf_time);
    PutI64(b, start + 56, o.perf_freq);
    for (size_t c = 0; c < o.counters.size(); ++c) {
      const size_t at = start + 64 + 40 * c;
      PutU32(b, at + 0, 40);
      PutU32(b, at + 4, o.counters[c].title);
      PutU32(b, at + 28, o.counters[c].type);
      PutU32(b, at + 36, o.counters[c].offset);
    }
    if (instance) PutU32(b, start + definitions, 24);
    PutI64(b, start + definitions + instance + 8, o.start_time);
  }
  b.resize(b.size() + padding, 0);
  return b;
}

inline std::string Names(std::initializer_list<std::pair<const char*, const char*>> pairs) {
  std::string list;
  for (const auto& [index, name] : pairs) {
    list += index;
    list += '\0';
    list += name;
    list += '\0';
  }
  return list + '\0';
}

inline const std::string kStandardNames =
    Names({{"1", "1847"}, {"2", "System"}, {"4", "Memory"}, {"674", "System Up Time"}});

// Answers the reader's queries from bytes built in the test, like the registry: a size
// query, ERROR_MORE_DATA while the buffer is too small, the bytes otherwise.
class FakePerfData : public PerfDataSource {
 public:
  std::string names = kStandardNames;
  std::map<std::string, Bytes> objects;
  long size_query_status = kErrorSuccess;
  // When set, the count reported for object queries (whatever was copied).
  int64_t reported_count = -1;
  int closes = 0;
  std::vector<std::string> queries;

  long QueryValue(const char* name, uint8_t* data, uint32_t* size) override {
    queries.push_back(name);
    if (std::string(name) == "Counter 009") {
      if (data == nullptr) {
        *size = static_cast<uint32_t>(names.size());
        return size_query_status;
      }
      return Copy(Bytes(names.begin(), names.end()), data, size);
    }
    const auto it = objects.find(name);
    if (it == objects.end()) return 2;
    const long status = Copy(it->second, data, size);
    if (status == kErrorSuccess && reported_count >= 0)
      *size = static_cast<uint32_t>(reported_count);
    return status;
  }
  void Close() override { ++closes; }

 private:
  static long Copy(const Bytes& bytes, uint8_t* data, uint32_t* size) {
    if (*size < bytes.size()) return kErrorMoreData;
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    *size = static_cast<uint32_t>(bytes.size());
    return kErrorSuccess;
  }
};

inline Object Uptime(int64_t perf_time, int64_t start_time, int64_t freq = 10000000) {
  Object o;
  o.perf_time = perf_time;
  o.start_time = start_time;
  o.perf_freq = freq;
  return o;
}

}  // namespace wd::test
