// An SNTP reply as the client takes it: a datagram of 0 to 100 bytes from the server or
// from elsewhere, with or without the echo of our request's timestamp, judged, and when it
// is ours read into the exchange's four times, the delay and the offset.
#include <cmath>
#include <vector>

#include "fuzz/targets.h"
#include "net/ntp.h"

namespace wd::fuzz {

// Byte 0: bit 0 puts our timestamp as the echo, bit 1 sends from another port, bit 2 turns
// the stratum check off. The rest is the datagram, cut to 100 bytes.
int SntpReply(const uint8_t* data, size_t size) {
  using namespace wd::net;
  if (size < 1) return 0;
  const uint8_t flags = data[0];
  std::vector<uint8_t> datagram(data + 1, data + std::min<size_t>(size, 101));
  const Endpoint server{AddressFromOctets(127, 0, 0, 1), 123};
  const Endpoint sender{server.address, static_cast<uint16_t>(flags & 2 ? 124 : 123)};
  const double bias = -8.0 / 24;
  const DateTime now = EncodeDate(2026, 12, 9) + 0.5;
  NtpTimestamp sent = EncodeNtpTimestamp(now, bias);
  sent.fraction = ScrambleSubMillisecond(sent.fraction, 0x5A5A5A5Au);
  if ((flags & 1) && datagram.size() >= kOriginateOffset + 8) {
    WriteTimestamp(datagram, kOriginateOffset, sent);
  }
  const bool ours = IsReplyToRequest(datagram, sender, server, sent);
  if (ours) {
    Expect(sender == server, "only the server answers");
    Expect(ReadTimestamp(datagram, kOriginateOffset) == sent, "an answer echoes our timestamp");
  }
  if (!ours || datagram.size() < kNtpPacketSize) return 0;
  const auto reply = std::span<const uint8_t>(datagram).first<kNtpPacketSize>();
  ExchangeTimes times;
  times.arrival = now + 0.25 / kSecondsPerDay;
  times.originate = DecodeNtpTimestamp(ReadTimestamp(reply, kOriginateOffset), bias);
  times.receive = DecodeNtpTimestamp(ReadTimestamp(reply, kReceiveOffset), bias);
  times.transmit = DecodeNtpTimestamp(ReadTimestamp(reply, kTransmitOffset), bias);
  Expect(std::fabs(times.originate - now) < 1.0 / kSecondsPerDay, "the echo decodes to our time");
  const double delay = RoundTripDelay(times);
  const double offset = ClockOffset(times);
  Expect(std::isfinite(delay) && std::isfinite(offset), "delay and offset are finite");
  IsReplyUnusable(reply, !(flags & 4));
  return 0;
}

}  // namespace wd::fuzz
