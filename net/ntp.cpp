#include "net/ntp.h"

#include <cctype>
#include <cmath>
#include <cstring>

namespace wd::net {
namespace {

constexpr double kTwoTo32 = 4294967296.0;
// Days from the date-time origin (1899-12-30) to the NTP origin (1900-01-01).
constexpr double kNtpEpochDays = 2.0;

std::uint32_t ReadBigEndian32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return (std::uint32_t{bytes[offset]} << 24) | (std::uint32_t{bytes[offset + 1]} << 16) |
         (std::uint32_t{bytes[offset + 2]} << 8) | std::uint32_t{bytes[offset + 3]};
}

void WriteBigEndian32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t v) {
  bytes[offset] = static_cast<std::uint8_t>(v >> 24);
  bytes[offset + 1] = static_cast<std::uint8_t>(v >> 16);
  bytes[offset + 2] = static_cast<std::uint8_t>(v >> 8);
  bytes[offset + 3] = static_cast<std::uint8_t>(v);
}

// A real number reduced into 0 .. 2^32-1 the way an unsigned 32-bit count wraps.
std::uint32_t WrapTo32(double whole) {
  double r = std::fmod(whole, kTwoTo32);
  if (r < 0) r += kTwoTo32;
  return static_cast<std::uint32_t>(r);
}

}  // namespace

NtpTimestamp EncodeNtpTimestamp(DateTime local, double bias_days) {
  const double x = (local + bias_days - kNtpEpochDays) * kSecondsPerDay;
  const double whole = std::trunc(x);
  NtpTimestamp t;
  t.seconds = WrapTo32(whole);
  t.fraction = WrapTo32(std::trunc((x - whole) * kTwoTo32));
  return t;
}

std::uint32_t FractionToMilliseconds(std::uint32_t fraction) {
  return static_cast<std::uint32_t>((std::uint64_t{fraction} * 1000) >> 32);
}

DateTime DecodeNtpTimestamp(std::uint32_t seconds, std::uint32_t fraction, double bias_days) {
  const double ms = FractionToMilliseconds(fraction);
  return (static_cast<double>(seconds) + ms / 1000.0) / kSecondsPerDay - bias_days + kNtpEpochDays;
}

std::uint32_t ScrambleSubMillisecond(std::uint32_t fraction, std::uint32_t random) {
  // The fractions that decode to millisecond m are ceil(m * 2^32 / 1000) up to
  // ceil((m + 1) * 2^32 / 1000) - 1: about 4.29 million of them.
  const std::uint64_t ms = FractionToMilliseconds(fraction);
  const std::uint64_t first = ((ms << 32) + 999) / 1000;
  const std::uint64_t next = (((ms + 1) << 32) + 999) / 1000;
  return static_cast<std::uint32_t>(first + random % (next - first));
}

NtpTimestamp ReadTimestamp(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return {ReadBigEndian32(bytes, offset), ReadBigEndian32(bytes, offset + 4)};
}

void WriteTimestamp(std::span<std::uint8_t> bytes, std::size_t offset, NtpTimestamp t) {
  WriteBigEndian32(bytes, offset, t.seconds);
  WriteBigEndian32(bytes, offset + 4, t.fraction);
}

NtpPacket BuildRequest(NtpTimestamp transmit) {
  NtpPacket p{};
  p[0] = kClientRequestHeader;
  WriteTimestamp(p, kTransmitOffset, transmit);
  return p;
}

bool IsReplyUnusable(std::span<const std::uint8_t, kNtpPacketSize> reply, bool reject_bad_stratum) {
  const unsigned leap = reply[0] >> 6;
  const unsigned stratum = reply[1];
  if (leap == 3) return true;
  if (ReadTimestamp(reply, kTransmitOffset) == NtpTimestamp{}) return true;
  return reject_bad_stratum && (stratum == 0 || stratum > 15);
}

double RoundTripDelay(const ExchangeTimes& t) {
  return (t.arrival - t.originate) - (t.transmit - t.receive);
}

double ClockOffset(const ExchangeTimes& t) {
  return ((t.receive - t.originate) + (t.transmit - t.arrival)) / 2;
}

bool IsFromServer(const Endpoint& sender, const Endpoint& server) {
  return sender == server;
}

bool IsReplyToRequest(std::span<const std::uint8_t> datagram, const Endpoint& sender,
                      const Endpoint& server, NtpTimestamp sent) {
  if (!IsFromServer(sender, server)) return false;
  if (datagram.size() < kOriginateOffset + 8) return false;
  return ReadTimestamp(datagram, kOriginateOffset) == sent;
}

std::uint32_t AddressFromOctets(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  // Network byte order means the octets lie in memory in the order they are written.
  const std::uint8_t octets[4] = {a, b, c, d};
  std::uint32_t address;
  std::memcpy(&address, octets, sizeof address);
  return address;
}

std::optional<std::uint32_t> ParseDottedQuad(std::string_view text) {
  std::uint8_t octets[4];
  std::size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    const std::size_t start = pos;
    unsigned value = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
      value = value * 10 + static_cast<unsigned>(text[pos] - '0');
      if (value > 255) return std::nullopt;
      ++pos;
    }
    if (pos == start) return std::nullopt;
    octets[part] = static_cast<std::uint8_t>(value);
  }
  if (pos != text.size()) return std::nullopt;
  return AddressFromOctets(octets[0], octets[1], octets[2], octets[3]);
}

HostTarget ClassifyHost(std::string_view host) {
  constexpr std::string_view kLocalhost = "localhost";
  if (host.size() == kLocalhost.size()) {
    bool same = true;
    for (std::size_t i = 0; i < host.size(); ++i) {
      same = same && std::tolower(static_cast<unsigned char>(host[i])) == kLocalhost[i];
    }
    if (same) return {false, AddressFromOctets(127, 0, 0, 1)};
  }
  if (const auto address = ParseDottedQuad(host)) return {false, *address};
  return {true, 0};
}

std::optional<double> UtcBiasFromZoneInfo(std::uint32_t zone_id, std::int32_t bias,
                                          std::int32_t standard_bias, std::int32_t daylight_bias) {
  constexpr double kMinutesPerDay = 1440.0;
  switch (zone_id) {
    case 0:  // TIME_ZONE_ID_UNKNOWN: no daylight saving rules
      return bias / kMinutesPerDay;
    case 1:  // TIME_ZONE_ID_STANDARD
      return (bias + standard_bias) / kMinutesPerDay;
    case 2:  // TIME_ZONE_ID_DAYLIGHT
      return (bias + daylight_bias) / kMinutesPerDay;
    default:
      return std::nullopt;
  }
}

}  // namespace wd::net
