// The time client over real Winsock: a fake NTP server of the test's own on
// 127.0.0.1 (its own thread and sockets, built on the ordinary ws2_32 import), the
// clock setter replaced by a recorder. No test here sets the computer's clock.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/local_clock.h"
#include "net/clock.h"
#include "net/net_errors.h"
#include "net/ntp.h"
#include "net/sntp.h"
#include "net/winsock.h"
#include "tests/net/fake_ntp_server.h"

namespace wd::net {
namespace {

using test::AheadBy;
using test::Bytes;
using test::ClockRecorder;
using test::FakeServer;
using test::kSecond;
using test::MakeReply;
using test::Outgoing;
using test::PlusMs;
using test::ReplyFields;
using test::TransmitOf;

// The clock readings a scripted test gives, one per reading.
std::vector<DateTime> g_readings;
std::size_t g_next_reading = 0;
DateTime ScriptedClock() {
  return g_readings.at(g_next_reading++);
}

class SntpTest : public ::testing::Test {
 protected:
  SntpTest() {
    client_.SetHost("127.0.0.1");
    client_.SetPort(server_.port());
    client_.SetReceiveTimeout(2000);
    SetClockSetterForTesting(recorder_.setter());
  }
  ~SntpTest() override {
    SetClockSetterForTesting(nullptr);
    SetLocalClockForTesting(nullptr);
    SetUtcBiasForTesting(nullptr);
    SetRandomForTesting(nullptr);
  }
  FakeServer server_;
  TIdSNTP client_;
  ClockRecorder recorder_;
};

TEST_F(SntpTest, StartsWithThePortTheLimitAndNoResults) {
  TIdSNTP fresh;
  EXPECT_EQ(fresh.Port(), 123);
  EXPECT_EQ(fresh.ReceiveTimeout(), 3000);
  EXPECT_EQ(fresh.BufferSize(), 8192);
  EXPECT_FALSE(fresh.BroadcastEnabled());
  EXPECT_TRUE(fresh.RejectBadStratum());
  EXPECT_FALSE(fresh.Active());
  EXPECT_EQ(fresh.OriginTime(), 0);
  EXPECT_EQ(fresh.ClockOffset(), 0);
  EXPECT_EQ(fresh.RoundTripTime(), 0);
}

TEST_F(SntpTest, GoodReplySetsTheClockToNowPlusTheOffset) {
  server_.Respond([](const std::string& req) {
    return std::vector<Outgoing>{{MakeReply(AheadBy(req, 10000))}};
  });
  ASSERT_TRUE(client_.SynchronizeClock());
  const DateTime after = LocalNow();
  ASSERT_EQ(recorder_.set_to.size(), 1u);
  EXPECT_NEAR((recorder_.set_to[0] - after) / kSecond, 10.0, 0.05);
  EXPECT_NEAR(client_.ClockOffset() / kSecond, 10.0, 0.05);
  EXPECT_GE(client_.RoundTripTime() / kSecond, -0.0015);
  EXPECT_LT(client_.RoundTripTime() / kSecond, 0.5);
  EXPECT_EQ(client_.BufferSize(), 48);
  EXPECT_TRUE(client_.Active());

  // What went out: the client header, zeros, our clock in the Transmit Timestamp.
  const std::string first = server_.requests().at(0);
  ASSERT_EQ(first.size(), 48u);
  EXPECT_EQ(static_cast<std::uint8_t>(first[0]), 0x1B);
  EXPECT_EQ(first.find_first_not_of('\0', 1), 40u);
  EXPECT_NEAR((DecodeNtpTimestamp(TransmitOf(first), LocalUtcBias()) - after) / kSecond, 0, 0.5);
  EXPECT_EQ(DecodeNtpTimestamp(TransmitOf(first), LocalUtcBias()), client_.OriginTime());

  // The setter's answer is the result; the same socket serves the next exchange.
  recorder_.answer = false;
  EXPECT_FALSE(client_.SynchronizeClock());
  EXPECT_EQ(recorder_.set_to.size(), 2u);
  // Requests carry random bits below the millisecond.
  const std::string second = server_.requests().at(1);
  EXPECT_NE(TransmitOf(first).fraction, TransmitOf(second).fraction);
}

TEST_F(SntpTest, ScriptedClockShowsTheDelayAndTheSettingTime) {
  // Clock readings: T1 when stamping, T4 on arrival, then the reading before setting.
  const double bias = -480.0 / 1440.0;  // UTC+8
  const DateTime t1 = 45000.5;          // 2023-03-15 12:00:00.000 local
  ASSERT_EQ(DecodeNtpTimestamp(EncodeNtpTimestamp(t1, bias), bias), t1);
  g_readings = {t1, t1 + 0.101 * kSecond, t1 + 0.500 * kSecond};
  g_next_reading = 0;
  SetLocalClockForTesting(&ScriptedClock);
  SetUtcBiasForTesting([&] { return bias; });
  SetRandomForTesting([] { return 0x1234u; });
  server_.Respond([](const std::string& req) {
    const NtpTimestamp sent = TransmitOf(req);
    return std::vector<Outgoing>{
        {MakeReply({0x24, 2, sent, PlusMs(sent, 10050), PlusMs(sent, 10051)})}};
  });

  ASSERT_TRUE(client_.SynchronizeClock());
  EXPECT_EQ(g_next_reading, 3u);
  EXPECT_EQ(TransmitOf(server_.requests().at(0)).fraction,
            ScrambleSubMillisecond(EncodeNtpTimestamp(t1, bias).fraction, 0x1234u));
  EXPECT_NEAR((client_.OriginTime() - t1) / kSecond, 0, 1e-5);
  EXPECT_NEAR((client_.ServerReceiveTime() - t1) / kSecond, 10.050, 1e-5);
  EXPECT_NEAR((client_.ServerTransmitTime() - t1) / kSecond, 10.051, 1e-5);
  EXPECT_NEAR((client_.ArrivalTime() - t1) / kSecond, 0.101, 1e-5);
  EXPECT_NEAR(client_.RoundTripTime() / kSecond, 0.100, 1e-5);
  EXPECT_NEAR(client_.ClockOffset() / kSecond, 10.000, 1e-5);
  ASSERT_EQ(recorder_.set_to.size(), 1u);
  EXPECT_NEAR((recorder_.set_to[0] - t1) / kSecond, 10.500, 1e-5);
}

TEST_F(SntpTest, UnusableRepliesGiveFalseAndLeaveTheirValues) {
  struct Case {
    const char* what;
    std::uint8_t header;
    std::uint8_t stratum;
    bool zero_transmit;
  };
  const Case cases[] = {{"LI 3", 0xE4, 2, false},
                        {"stratum 0", 0x24, 0, false},
                        {"stratum 16", 0x24, 16, false},
                        {"zero transmit time", 0x24, 2, true}};
  std::int64_t ahead_s = 100;
  for (const Case& c : cases) {
    ahead_s += 100;
    server_.Respond([&](const std::string& req) {
      ReplyFields f = AheadBy(req, ahead_s * 1000);
      f.header = c.header;
      f.stratum = c.stratum;
      if (c.zero_transmit) f.transmit = {};
      return std::vector<Outgoing>{{MakeReply(f)}};
    });
    EXPECT_FALSE(client_.SynchronizeClock()) << c.what;
    // The results hold this reply all the same.
    EXPECT_NEAR((client_.ServerReceiveTime() - LocalNow()) / kSecond, ahead_s, 0.5) << c.what;
    EXPECT_NEAR(client_.OriginTime(),
                DecodeNtpTimestamp(TransmitOf(server_.requests().back()), LocalUtcBias()), 1e-12)
        << c.what;
  }
  EXPECT_TRUE(recorder_.set_to.empty());
  EXPECT_EQ(client_.ServerTransmitTime(), 2.0 - LocalUtcBias());  // NTP time 0, decoded
}

TEST_F(SntpTest, StrataOneToFifteenAnyModeAndVersionAreUsable) {
  struct Case {
    std::uint8_t header;
    std::uint8_t stratum;
  };
  // Version 3 and 4, mode 4 (server), 5 (broadcast) and 0.
  for (const Case c : {Case{0x24, 1}, Case{0x1C, 15}, Case{0x25, 2}, Case{0x20, 3}}) {
    server_.Respond([&](const std::string& req) {
      ReplyFields f = AheadBy(req, 2000);
      f.header = c.header;
      f.stratum = c.stratum;
      return std::vector<Outgoing>{{MakeReply(f)}};
    });
    const DateTime t = client_.QueryServerTime();
    EXPECT_NE(t, 0) << int{c.header} << " " << int{c.stratum};
    EXPECT_EQ(t, client_.ServerTransmitTime());
  }
}

TEST_F(SntpTest, ShortReplyGivesFalseAndKeepsThePreviousResults) {
  server_.Respond([](const std::string& req) {
    return std::vector<Outgoing>{{MakeReply(AheadBy(req, 5000))}};
  });
  ASSERT_TRUE(client_.SynchronizeClock());
  const DateTime origin = client_.OriginTime(), receive = client_.ServerReceiveTime(),
                 transmit = client_.ServerTransmitTime(), arrival = client_.ArrivalTime();
  const double offset = client_.ClockOffset(), delay = client_.RoundTripTime();

  server_.Respond([](const std::string& req) {
    ReplyFields f = AheadBy(req, 9000);
    f.size = 47;
    return std::vector<Outgoing>{{MakeReply(f)}};
  });
  EXPECT_FALSE(client_.SynchronizeClock());
  EXPECT_EQ(recorder_.set_to.size(), 1u);
  EXPECT_EQ(client_.OriginTime(), origin);
  EXPECT_EQ(client_.ServerReceiveTime(), receive);
  EXPECT_EQ(client_.ServerTransmitTime(), transmit);
  EXPECT_EQ(client_.ArrivalTime(), arrival);
  EXPECT_EQ(client_.ClockOffset(), offset);
  EXPECT_EQ(client_.RoundTripTime(), delay);
}

TEST_F(SntpTest, TooLongReplyRaisesAndTheClientStaysUsable) {
  server_.Respond([](const std::string& req) {
    ReplyFields f = AheadBy(req, 5000);
    f.size = 68;
    return std::vector<Outgoing>{{MakeReply(f)}};
  });
  try {
    client_.SynchronizeClock();
    ADD_FAILURE() << "a 68-byte reply was taken";
  } catch (const SocketError& e) {
    EXPECT_EQ(e.code(), WSAEMSGSIZE);
  }
  EXPECT_TRUE(recorder_.set_to.empty());

  server_.Respond([](const std::string& req) {
    return std::vector<Outgoing>{{MakeReply(AheadBy(req, 5000))}};
  });
  EXPECT_TRUE(client_.SynchronizeClock());
}

TEST_F(SntpTest, SilentServerGivesFalseWithinTheLimit) {
  client_.SetReceiveTimeout(400);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(client_.SynchronizeClock());
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(server_.requests().size(), 1u);
  // It waited for the limit, and gave up then rather than hanging on.
  EXPECT_GE(waited, std::chrono::milliseconds(350));
  EXPECT_LT(waited, std::chrono::milliseconds(2500));
  EXPECT_TRUE(recorder_.set_to.empty());
}

TEST_F(SntpTest, StrangersAndWrongEchoesAreIgnoredAndTheGenuineReplyIsUsed) {
  server_.Respond([](const std::string& req) {
    ReplyFields stranger = AheadBy(req, 1000000);  // right echo, wrong port
    ReplyFields wrong_echo = AheadBy(req, 2000000);
    wrong_echo.originate.fraction ^= 1;
    ReplyFields wrong_echo_short = wrong_echo;
    wrong_echo_short.size = 47;
    ReplyFields stranger_long = AheadBy(req, 3000000);
    stranger_long.size = 68;
    ReplyFields wrong_echo_long = wrong_echo;
    wrong_echo_long.size = 68;
    return std::vector<Outgoing>{{MakeReply(stranger), true},     {MakeReply(wrong_echo)},
                                 {MakeReply(wrong_echo_short)},   {MakeReply(stranger_long), true},
                                 {MakeReply(wrong_echo_long)},    {std::string(20, '\x24')},
                                 {MakeReply(AheadBy(req, 10000))}};
  });
  ASSERT_TRUE(client_.SynchronizeClock());
  EXPECT_NEAR(client_.ClockOffset() / kSecond, 10.0, 0.05);
  ASSERT_EQ(recorder_.set_to.size(), 1u);
  EXPECT_NEAR((recorder_.set_to[0] - LocalNow()) / kSecond, 10.0, 0.05);
}

TEST_F(SntpTest, OnlyStrangersMeansNoReplyAndTheClockStaysAlone) {
  client_.SetReceiveTimeout(500);
  server_.Respond([](const std::string& req) {
    ReplyFields wrong_echo = AheadBy(req, 2000000);
    wrong_echo.originate.seconds ^= 0x80000000u;
    return std::vector<Outgoing>{{MakeReply(AheadBy(req, 1000000)), true}, {MakeReply(wrong_echo)}};
  });
  EXPECT_FALSE(client_.SynchronizeClock());
  EXPECT_TRUE(recorder_.set_to.empty());
  EXPECT_EQ(client_.ClockOffset(), 0);
}

TEST_F(SntpTest, HostRules) {
  server_.Respond([](const std::string& req) {
    return std::vector<Outgoing>{{MakeReply(AheadBy(req, 3000))}};
  });
  // localhost in any letter case, without a lookup.
  for (const char* host : {"localhost", "LOCALHOST", "LocalHost"}) {
    client_.SetHost(host);
    EXPECT_TRUE(client_.SynchronizeClock()) << host;
  }
  // Not a dotted quad, so it goes to gethostbyname, which reads the single number
  // 2130706433 as 127.0.0.1 without asking any name server.
  client_.SetHost("2130706433");
  EXPECT_EQ(client_.ResolveHost().address, AddressFromOctets(127, 0, 0, 1));
  EXPECT_TRUE(client_.SynchronizeClock());
  EXPECT_EQ(server_.requests().size(), 4u);
}

}  // namespace
}  // namespace wd::net
