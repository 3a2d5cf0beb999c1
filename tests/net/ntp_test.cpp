// The portable core of the time client: timestamps, the reply test, the exchange
// arithmetic, reply matching and the host text.
#include "net/ntp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace wd::net {
namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr double kJan2000 = 36526.0;  // 2000-01-01 00:00

TEST(NtpTimestamp, EncodesTheDateTimeOriginAndTheNtpOrigin) {
  EXPECT_EQ(EncodeNtpTimestamp(kJan2000, 0.0), (NtpTimestamp{3155673600u, 0}));
  EXPECT_EQ(EncodeNtpTimestamp(kJan2000, 0.0).seconds, 0xBC17C200u);
  EXPECT_EQ(EncodeNtpTimestamp(2.0, 0.0), (NtpTimestamp{0, 0}));
  // Half a second past 1900-01-01 00:00:01.
  EXPECT_EQ(EncodeNtpTimestamp(2.0 + 1.5 * kSecond, 0.0).seconds, 1u);
  EXPECT_NEAR(EncodeNtpTimestamp(2.0 + 1.5 * kSecond, 0.0).fraction, 0x80000000u, 0x1000);
}

TEST(NtpTimestamp, EncodingAppliesTheBias) {
  // UTC+8 without daylight saving: 08:00 local is midnight UTC.
  const double bias = -480.0 / 1440.0;
  EXPECT_EQ(EncodeNtpTimestamp(kJan2000 + 1.0 / 3.0, bias).seconds, 3155673600u);
  EXPECT_EQ(DecodeNtpTimestamp(3155673600u, 0, bias), kJan2000 + 1.0 / 3.0);
  // West of Greenwich the local date is the day before.
  EXPECT_NEAR(DecodeNtpTimestamp(3155673600u, 0, 300.0 / 1440.0), kJan2000 - 5.0 / 24.0, 1e-9);
}

TEST(NtpTimestamp, DecodingCutsTheFractionToWholeMilliseconds) {
  EXPECT_DOUBLE_EQ(DecodeNtpTimestamp(3155673600u, 0x80000000u, 0.0), kJan2000 + 0.5 * kSecond);
  EXPECT_EQ(DecodeNtpTimestamp(3155673600u, 0x00418937u, 0.0), kJan2000);
  EXPECT_DOUBLE_EQ(DecodeNtpTimestamp(3155673600u, 0x00418938u, 0.0), kJan2000 + 0.001 * kSecond);
  EXPECT_DOUBLE_EQ(DecodeNtpTimestamp(3155673600u, 0xFFFFFFFFu, 0.0), kJan2000 + 0.999 * kSecond);
  EXPECT_EQ(FractionToMilliseconds(0xFFFFFFFFu), 999u);
  EXPECT_EQ(FractionToMilliseconds(0x00418937u), 0u);
  EXPECT_EQ(FractionToMilliseconds(0x00418938u), 1u);
}

TEST(NtpTimestamp, SecondsAreUnsigned) {
  // 0xFFFFFFFF seconds is 2036-02-07 06:28:15 UTC, not one second before 1900.
  const DateTime t = DecodeNtpTimestamp(0xFFFFFFFFu, 0, 0.0);
  EXPECT_DOUBLE_EQ(t, 4294967295.0 / 86400.0 + 2.0);
  const CalendarTime c = DecodeDateTime(t);
  EXPECT_EQ(c.year, 2036);
  EXPECT_EQ(c.month, 2);
  EXPECT_EQ(c.day, 7);
  EXPECT_EQ(c.hour, 6);
  EXPECT_EQ(c.minute, 28);
  EXPECT_EQ(c.second, 15);
  // Encoding reduces modulo 2^32: one second after that wraps to 0.
  EXPECT_EQ(EncodeNtpTimestamp(t + kSecond, 0.0).seconds, 0u);
}

TEST(NtpTimestamp, MillisecondClockReadingsSurviveTheRoundTrip) {
  // Local times as the clock gives them, to the millisecond: decode(encode(t)) may lose
  // at most the last millisecond to truncation, never more.
  for (int ms = 0; ms < 86400000; ms += 7919 * 13) {
    const DateTime t = 45000.0 + ms / 86400000.0;
    const NtpTimestamp n = EncodeNtpTimestamp(t, 0.0);
    const double back_ms = (DecodeNtpTimestamp(n, 0.0) - t) * 86400000.0;
    EXPECT_LE(back_ms, 1e-3) << ms;
    EXPECT_GE(back_ms, -1.0 - 1e-3) << ms;
  }
}

TEST(NtpTimestamp, ScramblingKeepsTheMillisecondAndVariesTheRest) {
  for (std::uint32_t f : {0u, 0x00418937u, 0x00418938u, 0x80000000u, 0xFFFFFFFFu, 0x12345678u}) {
    const std::uint32_t ms = FractionToMilliseconds(f);
    for (std::uint32_t r : {0u, 1u, 0x3FFFFFu, 0x400000u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
      EXPECT_EQ(FractionToMilliseconds(ScrambleSubMillisecond(f, r)), ms) << f << " " << r;
    }
  }
  // The whole width of a millisecond is reachable: the ends are the first and last
  // fractions that decode to it.
  EXPECT_EQ(ScrambleSubMillisecond(0x80000000u, 0), 0x80000000u);
  EXPECT_EQ(FractionToMilliseconds(ScrambleSubMillisecond(0x80000000u, 0) - 1), 499u);
  std::uint32_t last = 0;
  for (std::uint32_t r = 4294960u; r < 4294975u; ++r) {
    last = std::max(last, ScrambleSubMillisecond(0x80000000u, r));
  }
  EXPECT_EQ(FractionToMilliseconds(last), 500u);
  EXPECT_EQ(FractionToMilliseconds(last + 1), 501u);
  EXPECT_NE(ScrambleSubMillisecond(0x80000000u, 12345), ScrambleSubMillisecond(0x80000000u, 54321));
}

TEST(NtpPacket, RequestHasTheClientHeaderAndTheBigEndianTransmitTimestamp) {
  const NtpPacket p = BuildRequest({0xBC17C200u, 0x01020304u});
  EXPECT_EQ(p[0], 0x1B);
  for (std::size_t i = 1; i < 40; ++i) EXPECT_EQ(p[i], 0) << i;
  const std::uint8_t tail[8] = {0xBC, 0x17, 0xC2, 0x00, 0x01, 0x02, 0x03, 0x04};
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(p[40 + i], tail[i]) << i;
  EXPECT_EQ(ReadTimestamp(p, kTransmitOffset), (NtpTimestamp{0xBC17C200u, 0x01020304u}));
}

NtpPacket Reply(std::uint8_t header, std::uint8_t stratum, NtpTimestamp transmit) {
  NtpPacket p{};
  p[0] = header;
  p[1] = stratum;
  WriteTimestamp(p, kTransmitOffset, transmit);
  return p;
}

TEST(NtpPacket, UnusableReplies) {
  const NtpTimestamp t{3155673600u, 1};
  EXPECT_FALSE(IsReplyUnusable(Reply(0x1C, 2, t), true));  // LI 0, v3, server
  EXPECT_TRUE(IsReplyUnusable(Reply(0xDC, 2, t), true));   // LI 3
  EXPECT_FALSE(IsReplyUnusable(Reply(0x5C, 2, t), true));  // LI 1 (leap second ahead)
  EXPECT_FALSE(IsReplyUnusable(Reply(0x9C, 2, t), true));  // LI 2
  EXPECT_TRUE(IsReplyUnusable(Reply(0x1C, 0, t), true));
  EXPECT_TRUE(IsReplyUnusable(Reply(0x1C, 16, t), true));
  EXPECT_TRUE(IsReplyUnusable(Reply(0x1C, 255, t), true));
  EXPECT_FALSE(IsReplyUnusable(Reply(0x1C, 1, t), true));
  EXPECT_FALSE(IsReplyUnusable(Reply(0x1C, 15, t), true));
  // Without the stratum check any stratum passes, but LI 3 and a zero time do not.
  EXPECT_FALSE(IsReplyUnusable(Reply(0x1C, 0, t), false));
  EXPECT_FALSE(IsReplyUnusable(Reply(0x1C, 16, t), false));
  EXPECT_TRUE(IsReplyUnusable(Reply(0xDC, 2, t), false));
  // Only a transmit time of all zero bits is unusable.
  EXPECT_TRUE(IsReplyUnusable(Reply(0x1C, 2, {0, 0}), true));
  EXPECT_FALSE(IsReplyUnusable(Reply(0x1C, 2, {0, 1}), true));
  EXPECT_FALSE(IsReplyUnusable(Reply(0x1C, 2, {1, 0}), true));
  // Mode and version are not looked at: mode 5 (broadcast), version 4, mode 0.
  EXPECT_FALSE(IsReplyUnusable(Reply(0x25, 2, t), true));
  EXPECT_FALSE(IsReplyUnusable(Reply(0x24, 2, t), true));
  EXPECT_FALSE(IsReplyUnusable(Reply(0x00, 2, t), true));
}

TEST(NtpArithmetic, DelayTakesOutTheServersHoldingTime) {
  const double t1 = 45000.5;
  const ExchangeTimes t{t1, t1 + 10.050 * kSecond, t1 + 10.051 * kSecond, t1 + 0.101 * kSecond};
  EXPECT_NEAR(RoundTripDelay(t) / kSecond, 0.100, 1e-6);
  EXPECT_NEAR(ClockOffset(t) / kSecond, 10.000, 1e-6);
  // The clock is set from the time read at the moment of setting, not from T1.
  const double now = t1 + 0.250 * kSecond;
  EXPECT_NEAR((CorrectedLocalTime(now, ClockOffset(t)) - t1) / kSecond, 10.250, 1e-6);
}

TEST(NtpArithmetic, SymmetricPathsGiveTheTrueOffset) {
  // Server 3 s behind, 20 ms each way, 5 ms holding: offset -3 s, delay 40 ms.
  const double t1 = 45000.25;
  const double t2 = t1 + (0.020 - 3.0) * kSecond;
  const double t3 = t2 + 0.005 * kSecond;
  const double t4 = t3 + (3.0 + 0.020) * kSecond;
  const ExchangeTimes t{t1, t2, t3, t4};
  EXPECT_NEAR(ClockOffset(t) / kSecond, -3.0, 1e-6);
  EXPECT_NEAR(RoundTripDelay(t) / kSecond, 0.040, 1e-6);
}

TEST(NtpMatching, OnlyTheServersEchoOfOurStampIsTheReply) {
  const NtpTimestamp sent{3155673600u, 0x80001234u};
  const Endpoint server{AddressFromOctets(127, 0, 0, 1), 40123};
  NtpPacket p = Reply(0x1C, 2, {3155673610u, 5});
  WriteTimestamp(p, kOriginateOffset, sent);
  EXPECT_TRUE(IsReplyToRequest(p, server, server, sent));
  // Another port, another address.
  EXPECT_FALSE(IsReplyToRequest(p, {server.address, 40124}, server, sent));
  EXPECT_FALSE(IsReplyToRequest(p, {AddressFromOctets(127, 0, 0, 2), 40123}, server, sent));
  // One bit off in either word of the echo.
  WriteTimestamp(p, kOriginateOffset, {sent.seconds, sent.fraction ^ 1});
  EXPECT_FALSE(IsReplyToRequest(p, server, server, sent));
  WriteTimestamp(p, kOriginateOffset, {sent.seconds ^ 0x80000000u, sent.fraction});
  EXPECT_FALSE(IsReplyToRequest(p, server, server, sent));
  // A short datagram is the reply when it holds the echo, and cannot be when it does not.
  WriteTimestamp(p, kOriginateOffset, sent);
  EXPECT_TRUE(IsReplyToRequest(std::span(p).first(47), server, server, sent));
  EXPECT_TRUE(IsReplyToRequest(std::span(p).first(32), server, server, sent));
  EXPECT_FALSE(IsReplyToRequest(std::span(p).first(31), server, server, sent));
}

TEST(NtpHost, LocalhostAndDottedQuadsNeedNoLookup) {
  const std::uint32_t loopback = AddressFromOctets(127, 0, 0, 1);
  for (const char* h : {"localhost", "LOCALHOST", "LocalHost", "127.0.0.1"}) {
    const HostTarget t = ClassifyHost(h);
    EXPECT_FALSE(t.needs_lookup) << h;
    EXPECT_EQ(t.address, loopback) << h;
  }
  EXPECT_EQ(ClassifyHost("10.0.0.1").address, AddressFromOctets(10, 0, 0, 1));
  EXPECT_FALSE(ClassifyHost("255.255.255.255").needs_lookup);
  EXPECT_FALSE(ClassifyHost("0.0.0.0").needs_lookup);
  // Leading zeros are read as decimal, not octal.
  EXPECT_EQ(ClassifyHost("010.001.000.009").address, AddressFromOctets(10, 1, 0, 9));
  for (const char* h : {"300.1.1.1", "1.2.3", "1.2.3.4.5", "1.2.3.", ".1.2.3", "1..2.3",
                        "1.2.3.256", "1.2.3.-4", " 1.2.3.4", "1.2.3.4 ", "0x7f.0.0.1", "2130706433",
                        "localhost.", "localhos", "pool.ntp.org", ""}) {
    EXPECT_TRUE(ClassifyHost(h).needs_lookup) << h;
  }
  EXPECT_FALSE(ParseDottedQuad("1.2.3.99999999999999999999").has_value());
}

TEST(NtpBias, FromTheTimeZoneReport) {
  EXPECT_EQ(UtcBiasFromZoneInfo(0, -480, 0, -60), -480.0 / 1440.0);  // no daylight rules
  EXPECT_EQ(UtcBiasFromZoneInfo(1, 300, 0, -60), 300.0 / 1440.0);    // standard time
  EXPECT_EQ(UtcBiasFromZoneInfo(1, 300, 10, -60), 310.0 / 1440.0);
  EXPECT_EQ(UtcBiasFromZoneInfo(2, -60, 0, -60), -120.0 / 1440.0);  // daylight time
  EXPECT_EQ(UtcBiasFromZoneInfo(0, 0, 0, 0), 0.0);
  EXPECT_FALSE(UtcBiasFromZoneInfo(3, 0, 0, 0).has_value());
  EXPECT_FALSE(UtcBiasFromZoneInfo(0xFFFFFFFFu, 0, 0, 0).has_value());  // TIME_ZONE_ID_INVALID
}

}  // namespace
}  // namespace wd::net
