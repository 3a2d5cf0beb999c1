#include "energy/uptime.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "common/errors.h"
#include "tests/energy/perf_data_builder.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace wd {
namespace {

using namespace wd::test;

TEST(UptimeReader, ReadsTheElapsedCounterAndTruncates) {
  FakePerfData fake;
  fake.objects["2"] = BuildBlock({Uptime(12345678901 + 5000, 5000)});
  EXPECT_EQ(ReadSystemUpTime(fake), 1234567);
  EXPECT_EQ(fake.closes, 1);
  EXPECT_EQ(fake.queries, (std::vector<std::string>{"Counter 009", "Counter 009", "2"}));
}

TEST(UptimeReader, NameListCases) {
  FakePerfData fake;
  fake.objects["2"] = BuildBlock({Uptime(20000000, 0)});
  fake.objects["7"] = BuildBlock({[] {
    Object o = Uptime(30000000, 0);
    o.title = 7;
    return o;
  }()});

  // "System Up Time" before "System".
  fake.names = Names({{"674", "System Up Time"}, {"2", "System"}});
  EXPECT_EQ(ReadSystemUpTime(fake), 2000);
  // Other letter case does not match.
  fake.names = Names({{"2", "system"}, {"674", "System Up Time"}});
  EXPECT_EQ(ReadSystemUpTime(fake), 0);
  // The first of two pairs named "System" wins, index text included.
  fake.names = Names({{"7", "System"}, {"2", "System"}, {"674", "System Up Time"}});
  fake.queries.clear();
  EXPECT_EQ(ReadSystemUpTime(fake), 3000);
  EXPECT_EQ(fake.queries.back(), "7");
  // An index of 0 counts as not found and the walk goes on.
  fake.names = Names({{"0", "System"}, {"2", "System"}, {"674", "System Up Time"}});
  EXPECT_EQ(ReadSystemUpTime(fake), 2000);
  // The list ends before both are known; and an unterminated list.
  fake.names = Names({{"2", "System"}, {"", "System Up Time"}});
  EXPECT_EQ(ReadSystemUpTime(fake), 0);
  fake.names = std::string(
      "2\0System\0"
      "674\0System Up",
      23);
  EXPECT_EQ(ReadSystemUpTime(fake), 0);
  fake.names = std::string();
  EXPECT_EQ(ReadSystemUpTime(fake), 0);
}

TEST(UptimeReader, IndexTextThatIsNoIntegerRaisesAndCloses) {
  FakePerfData fake;
  fake.names = Names({{"2x", "System"}, {"674", "System Up Time"}});
  fake.objects["2"] = BuildBlock({Uptime(20000000, 0)});
  try {
    ReadSystemUpTime(fake);
    FAIL() << "no error";
  } catch (const ConvertError& e) {
    EXPECT_STREQ(e.what(), "'2x' is not a valid integer value");
  }
  EXPECT_EQ(fake.closes, 1);
  // Names we do not look for are never converted.
  fake.names = Names({{"abc", "Memory"}, {"2", "System"}, {"674", "System Up Time"}});
  EXPECT_EQ(ReadSystemUpTime(fake), 2000);
}

TEST(UptimeReader, ObjectSelection) {
  FakePerfData fake;
  Object no_instances = Uptime(90000000, 0);
  no_instances.instances = 0;
  fake.objects["2"] = BuildBlock({no_instances, Uptime(40000000, 0)});
  EXPECT_EQ(ReadSystemUpTime(fake), 4000);

  Object slow = Uptime(5000, 0, 999);
  fake.objects["2"] = BuildBlock({slow});
  EXPECT_EQ(ReadSystemUpTime(fake), 0);
  fake.objects["2"] = BuildBlock({Uptime(5000, 0, 1000)});
  EXPECT_EQ(ReadSystemUpTime(fake), 5000);

  // The first qualifying object decides even when a later one would match.
  Object other_counter = Uptime(70000000, 0);
  other_counter.counters = {Counter{675}};
  fake.objects["2"] = BuildBlock({other_counter, Uptime(40000000, 0)});
  EXPECT_EQ(ReadSystemUpTime(fake), 0);
  Object other_type = Uptime(70000000, 0);
  other_type.counters = {Counter{674, 0x10410400}};
  fake.objects["2"] = BuildBlock({other_type, Uptime(40000000, 0)});
  EXPECT_EQ(ReadSystemUpTime(fake), 0);

  // Several counters: the matching one's own offset is used.
  Object several = Uptime(80000000, 0);
  several.counters = {Counter{100}, Counter{674, kPerfElapsedTime, 8}};
  fake.objects["2"] = BuildBlock({several});
  EXPECT_EQ(ReadSystemUpTime(fake), 8000);

  // With instances, the first instance's counter block.
  Object instances = Uptime(60000000, 10000000);
  instances.instances = 3;
  fake.objects["2"] = BuildBlock({instances});
  EXPECT_EQ(ReadSystemUpTime(fake), 5000);
}

TEST(UptimeReader, NegativeUptimeIsPassedOn) {
  FakePerfData fake;
  fake.objects["2"] = BuildBlock({Uptime(1000, 50001000)});
  EXPECT_EQ(ReadSystemUpTime(fake), -5000);
  SetPerfDataSourceForTesting(&fake);
  SetTickCountForTesting([]() -> uint32_t { return 777; });
  EXPECT_EQ(GetUpTimeMs(), -5000);
  SetPerfDataSourceForTesting(nullptr);
  SetTickCountForTesting(nullptr);
}

TEST(UptimeReader, BlockChecks) {
  FakePerfData fake;
  Bytes block = BuildBlock({Uptime(20000000, 0)}, 9000);
  fake.objects["2"] = block;
  fake.queries.clear();
  EXPECT_EQ(ReadSystemUpTime(fake), 2000);
  // 9000 + 248 bytes need three passes of 4096 bytes.
  EXPECT_EQ(fake.queries.size(), 5u);

  block[0] = 'Q';
  fake.objects["2"] = block;
  EXPECT_EQ(ReadSystemUpTime(fake), 0);

  // Fewer bytes reported than the offsets need.
  fake.objects["2"] = BuildBlock({Uptime(20000000, 0)});
  fake.reported_count = 150;
  EXPECT_EQ(ReadSystemUpTime(fake), 0);
  fake.reported_count = 0;
  EXPECT_EQ(ReadSystemUpTime(fake), 0);
  fake.reported_count = -1;

  fake.objects.clear();
  EXPECT_EQ(ReadSystemUpTime(fake), 0);
  fake.objects["2"] = BuildBlock({});
  EXPECT_EQ(ReadSystemUpTime(fake), 0);
}

TEST(UptimeReader, FailedSizeQueryDoesNotCloseAndFallsBackToTicks) {
  FakePerfData fake;
  fake.size_query_status = 2;
  fake.objects["2"] = BuildBlock({Uptime(20000000, 0)});
  EXPECT_EQ(ReadSystemUpTime(fake), 0);
  EXPECT_EQ(fake.closes, 0);

  SetPerfDataSourceForTesting(&fake);
  SetTickCountForTesting([]() -> uint32_t { return 0xFFFFFFF0u; });
  EXPECT_EQ(GetUpTimeMs(), 4294967280LL);
  SetTickCountForTesting([]() -> uint32_t { return 0x80000001u; });
  EXPECT_EQ(GetUpTimeMs(), 2147483649LL);
  fake.size_query_status = kErrorSuccess;
  EXPECT_EQ(GetUpTimeMs(), 2000);
  SetPerfDataSourceForTesting(nullptr);
  SetTickCountForTesting(nullptr);
}

// A reader kept across ticks asks for the name list only until the list has settled the
// titles, and reads the System object on every call.
TEST(UptimeReader, AReaderKeepsTheTitlesTheNameListSettled) {
  using Queries = std::vector<std::string>;
  FakePerfData fake;
  fake.objects["2"] = BuildBlock({Uptime(20000000, 0)});
  SetPerfDataSourceForTesting(&fake);
  SetTickCountForTesting([]() -> uint32_t { return 777; });
  UpTimeReader reader;

  // A failed size query settles nothing; found titles then serve every later call.
  fake.size_query_status = 2;
  EXPECT_EQ(reader.GetUpTimeMs(), 777);
  fake.size_query_status = kErrorSuccess;
  fake.queries.clear();
  EXPECT_EQ(reader.GetUpTimeMs(), 2000);
  fake.objects["2"] = BuildBlock({Uptime(50000000, 0)});
  EXPECT_EQ(reader.GetUpTimeMs(), 5000);
  EXPECT_EQ(fake.queries, (Queries{"Counter 009", "Counter 009", "2", "2"}));
  EXPECT_EQ(fake.closes, 2);

  // Counters registered again under other indexes: nothing under the old one, so the
  // list is read again, once.
  fake.names = Names({{"9", "System"}, {"675", "System Up Time"}});
  fake.objects.erase("2");
  fake.objects["9"] = BuildBlock({[] {
    Object o = Uptime(60000000, 0);
    o.title = 9;
    o.counters[0].title = 675;
    return o;
  }()});
  fake.queries.clear();
  EXPECT_EQ(reader.GetUpTimeMs(), 6000);
  EXPECT_EQ(reader.GetUpTimeMs(), 6000);
  EXPECT_EQ(fake.queries, (Queries{"2", "Counter 009", "Counter 009", "9", "9"}));

  // A list read whole without the titles (as under Wine): no query after it.
  FakePerfData wine;
  wine.names = Names({{"2", "System"}, {"4", "Memory"}});
  SetPerfDataSourceForTesting(&wine);
  EXPECT_EQ(reader.GetUpTimeMs(), 777);
  EXPECT_EQ(reader.GetUpTimeMs(), 777);
  EXPECT_EQ(wine.queries, (Queries{"Counter 009", "Counter 009"}));
  EXPECT_EQ(wine.closes, 1);

  // Another source starts afresh.
  SetPerfDataSourceForTesting(&fake);
  fake.queries.clear();
  EXPECT_EQ(reader.ReadSystemUpTime(), 6000);
  EXPECT_EQ(fake.queries.front(), "Counter 009");
  SetPerfDataSourceForTesting(nullptr);
  SetTickCountForTesting(nullptr);
}

// The real sources: under Wine (and natively) the performance data has no "System Up
// Time", so the tick count is what GetUpTimeMs gives.
TEST(UptimeReader, SystemSourcesAgree) {
  const int64_t read = ReadSystemUpTime();
  const int64_t ticks = SystemTickCount();
  const int64_t up = GetUpTimeMs();
  if (read == 0) {
    EXPECT_GE(up, ticks);
    EXPECT_LT(up - ticks, 2000);
  } else {
    EXPECT_GT(up, 0);
  }
}

// The running time is the time since the start less the time suspended, from one
// reading of each, in every way the program reads it.
TEST(UptimeReader, RunningTimeLeavesOutTheSuspendedTime) {
  struct Case {
    int64_t since_start, suspended, running;
  } cases[] = {
      {7200000, 0, 7200000},        // nothing suspended: the uptime itself
      {7200000, 1800000, 5400000},  // half an hour asleep
      {1000, 5000, 0},              // a tick count that wrapped: never negative
      {-5000, 100, -5000},          // odd performance data is passed on as it is
      {7200000, -3, 7200000},       // a suspended time below 0 is none
  };
  for (const Case& c : cases) EXPECT_EQ(RunningTime(c.since_start, c.suspended), c.running);

  FakePerfData fake;
  fake.objects["2"] = BuildBlock({Uptime(50000000, 0)});  // 5000 ms
  SetPerfDataSourceForTesting(&fake);
  SetSuspendedTimeForTesting([]() -> int64_t { return 1200; });
  EXPECT_EQ(SuspendedMs(), 1200);
  EXPECT_EQ(GetUpTimeMs(), 3800);
  EXPECT_EQ(ReadUptime(), (UptimeReading{5000, 1200, 3800}));
  UpTimeReader reader;
  EXPECT_EQ(reader.GetUpTimeMs(), 3800);
  EXPECT_EQ(reader.ReadSystemUpTime(), 5000);
  // Without performance data the tick count is the time since the start.
  fake.objects.clear();
  SetTickCountForTesting([]() -> uint32_t { return 10000; });
  EXPECT_EQ(ReadUptime(), (UptimeReading{10000, 1200, 8800}));
  SetSuspendedTimeForTesting([]() -> int64_t { return -7; });
  EXPECT_EQ(SuspendedMs(), 0);
  EXPECT_EQ(GetUpTimeMs(), 10000);
  SetSuspendedTimeForTesting(nullptr);
  SetTickCountForTesting(nullptr);
  SetPerfDataSourceForTesting(nullptr);
}

// The system's own suspended time: never negative, and where nothing was ever suspended
// (Wine suspends nothing) exactly 0 on both ways of reading it, so the figures are those
// of the uptime itself.
TEST(UptimeReader, SystemSuspendedTime) {
  bool never_suspended = false;
#ifdef _WIN32
  never_suspended =
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#endif
  for (bool interrupt_time : {true, false}) {
    UseInterruptTimeForTesting(interrupt_time);
    for (int i = 0; i < 500; ++i) {
      const int64_t suspended = SystemSuspendedMs();
      EXPECT_GE(suspended, 0);
      if (never_suspended) {
        ASSERT_EQ(suspended, 0) << "interrupt time " << interrupt_time;
      }
    }
  }
  UseInterruptTimeForTesting(true);
  if (never_suspended) {
    const int64_t ticks = SystemTickCount();
    const UptimeReading r = ReadUptime();
    EXPECT_EQ(r.suspended_ms, 0);
    EXPECT_EQ(r.running_ms, r.since_start_ms);
    EXPECT_LT(r.since_start_ms - ticks, 2000);
  }
}

// Random and mutated blocks and name lists: the reader must never read outside the bytes
// it was given (AddressSanitizer watches natively) and never fail other than by 0 or the
// conversion error.
TEST(UptimeReader, Fuzz) {
  std::mt19937 rng(20240601);
  FakePerfData fake;
  const Bytes valid = BuildBlock({[] {
                                    Object o = Uptime(20000000, 0);
                                    o.instances = 2;
                                    o.counters = {Counter{5}, Counter{674}};
                                    return o;
                                  }(),
                                  Uptime(30000000, 0)});
  int nonzero = 0;
  for (int round = 0; round < 6000; ++round) {
    Bytes block;
    const int kind = round % 3;
    if (kind == 0) {
      block.resize(rng() % 600);
      for (auto& b : block) b = static_cast<uint8_t>(rng());
      if (block.size() >= 8) std::memcpy(block.data(), valid.data(), 8);
    } else {
      block = valid;
      const int edits = 1 + static_cast<int>(rng() % 4);
      for (int e = 0; e < edits; ++e) {
        const size_t at = rng() % block.size();
        switch (rng() % 3) {
          case 0:
            block[at] = static_cast<uint8_t>(rng());
            break;
          case 1:
            if (at + 4 <= block.size()) PutU32(block, at, rng());
            break;
          default:
            block.resize(at);
        }
        if (block.empty()) break;
      }
    }
    fake.objects["2"] = block;
    fake.names = kStandardNames;
    if (kind == 2) {
      for (int e = 0; e < 3; ++e) {
        fake.names[rng() % fake.names.size()] = static_cast<char>(rng() % 4 ? rng() % 3 : 'S');
      }
      fake.names.resize(rng() % (fake.names.size() + 1));
    }
    try {
      if (ReadSystemUpTime(fake) != 0) ++nonzero;
    } catch (const ConvertError&) {
    }
  }
  EXPECT_GT(nonzero, 0);  // the mutations leave some blocks readable
}

}  // namespace
}  // namespace wd
