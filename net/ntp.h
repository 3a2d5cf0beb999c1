// The portable side of the SNTP client: the 48-byte packet, NTP timestamps, the
// offset and delay arithmetic, the usability test of a reply, how a datagram is
// matched to our request, and how the server's host text is read.
//
// Times here are local date-times (days since 1899-12-30). Converting them to and
// from NTP time needs the bias "UTC minus local time" in days; the Windows layer
// reads it from the system for every conversion, the core takes it as a parameter.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "common/datetime.h"

namespace wd::net {

inline constexpr std::size_t kNtpPacketSize = 48;
using NtpPacket = std::array<std::uint8_t, kNtpPacketSize>;

// Field offsets in the NTP header.
inline constexpr std::size_t kOriginateOffset = 24;
inline constexpr std::size_t kReceiveOffset = 32;
inline constexpr std::size_t kTransmitOffset = 40;

// Byte 0 of a request: LI 0, version 3, mode 3 (client).
inline constexpr std::uint8_t kClientRequestHeader = 0x1B;

// Seconds since 1900-01-01 00:00 UTC and a binary fraction of a second (2^-32 s).
struct NtpTimestamp {
  std::uint32_t seconds = 0;
  std::uint32_t fraction = 0;
  friend bool operator==(const NtpTimestamp&, const NtpTimestamp&) = default;
};

// Local date-time to NTP time: seconds truncated and reduced modulo 2^32, the
// fraction truncated to 2^-32 s.
NtpTimestamp EncodeNtpTimestamp(DateTime local, double bias_days);
// NTP time to a local date-time; the fraction is cut to whole milliseconds.
DateTime DecodeNtpTimestamp(std::uint32_t seconds, std::uint32_t fraction, double bias_days);
inline DateTime DecodeNtpTimestamp(NtpTimestamp t, double bias_days) {
  return DecodeNtpTimestamp(t.seconds, t.fraction, bias_days);
}

// The whole milliseconds a fraction stands for (what decoding keeps of it).
std::uint32_t FractionToMilliseconds(std::uint32_t fraction);
// A fraction that decodes to the same millisecond as `fraction`, its bits below
// the millisecond taken from `random`. A request stamped this way cannot be
// answered by a sender who only knows our clock to the millisecond.
std::uint32_t ScrambleSubMillisecond(std::uint32_t fraction, std::uint32_t random);

// Big-endian timestamp at `offset` of a packet (which must hold offset + 8 bytes).
NtpTimestamp ReadTimestamp(std::span<const std::uint8_t> bytes, std::size_t offset);
void WriteTimestamp(std::span<std::uint8_t> bytes, std::size_t offset, NtpTimestamp t);

// A client request: all zero, byte 0 = 0x1B, `transmit` in the Transmit Timestamp.
NtpPacket BuildRequest(NtpTimestamp transmit);

// A reply is unusable when the server says its clock is unsynchronised (LI 3), when
// its Transmit Timestamp is zero, or (with the stratum check on) when the stratum is
// 0 or above 15. Mode and version are not looked at.
bool IsReplyUnusable(std::span<const std::uint8_t, kNtpPacketSize> reply, bool reject_bad_stratum);

// The four local date-times of one exchange.
struct ExchangeTimes {
  DateTime originate = 0;  // T1: our transmit time, as echoed by the server
  DateTime receive = 0;    // T2: the server's receive time
  DateTime transmit = 0;   // T3: the server's transmit time
  DateTime arrival = 0;    // T4: our clock when the reply had arrived
};

// Round-trip delay: the time on the wire, (T4 - T1) - (T3 - T2), in days. The time
// the server held the request is taken out, not added.
double RoundTripDelay(const ExchangeTimes& t);
// Local clock offset: ((T2 - T1) + (T3 - T4)) / 2, in days; positive when our clock
// is behind the server's.
double ClockOffset(const ExchangeTimes& t);
// The local time to set: the local clock read just before setting, plus the offset.
inline DateTime CorrectedLocalTime(DateTime clock_now, double offset) {
  return clock_now + offset;
}

// The datagram is the answer to our request only when it comes from the address and
// port we sent to and echoes, bit for bit, the Transmit Timestamp we sent. Anything
// else (too short to hold the echo, another sender, another timestamp) is not ours.
// Addresses are IPv4 in network byte order, ports in host byte order.
struct Endpoint {
  std::uint32_t address = 0;
  std::uint16_t port = 0;
  friend bool operator==(const Endpoint&, const Endpoint&) = default;
};
bool IsFromServer(const Endpoint& sender, const Endpoint& server);
bool IsReplyToRequest(std::span<const std::uint8_t> datagram, const Endpoint& sender,
                      const Endpoint& server, NtpTimestamp sent);

// The server's host text: "localhost" in any letter case stands for 127.0.0.1; four
// dot-separated decimal parts of 0..255 are an address as they are; any other text
// is a name to look up. The address comes back in network byte order.
std::optional<std::uint32_t> ParseDottedQuad(std::string_view text);
struct HostTarget {
  bool needs_lookup = false;
  std::uint32_t address = 0;  // network byte order, when no lookup is needed
};
HostTarget ClassifyHost(std::string_view host);

// UTC minus local time in days, from what GetTimeZoneInformation reports (zone id 0
// unknown, 1 standard, 2 daylight; biases in minutes). Nothing for any other id.
std::optional<double> UtcBiasFromZoneInfo(std::uint32_t zone_id, std::int32_t bias,
                                          std::int32_t standard_bias, std::int32_t daylight_bias);

// Host and network byte order for the 16-bit port and 32-bit address.
constexpr std::uint16_t SwapBytes16(std::uint16_t v) {
  return static_cast<std::uint16_t>((v >> 8) | (v << 8));
}
std::uint32_t AddressFromOctets(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d);

}  // namespace wd::net
