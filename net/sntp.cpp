#include "net/sntp.h"

#include <windows.h>
#include <winsock2.h>

#include <cstring>
#include <string>

#include "common/local_clock.h"
#include "net/clock.h"
#include "net/net_errors.h"

namespace wd::net {
namespace {

std::span<const std::uint8_t> AsBytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

}  // namespace

TIdSNTP::TIdSNTP() {
  SetPort(123);
}

bool TIdSNTP::IsReplyUnusable(std::span<const std::uint8_t, kNtpPacketSize> reply) const {
  return net::IsReplyUnusable(reply, reject_bad_stratum_);
}

DateTime TIdSNTP::QueryServerTime() {
  // The name is looked up before the request is stamped, so lookup time is not
  // counted as time on the wire.
  const Endpoint server = ResolveHost();

  NtpTimestamp stamp = EncodeNtpTimestamp(LocalNow(), LocalUtcBias());
  stamp.fraction = ScrambleSubMillisecond(stamp.fraction, SystemRandom32());
  const NtpPacket request = BuildRequest(stamp);

  SetBufferSize(static_cast<std::int32_t>(kNtpPacketSize));
  SendTo(server, std::string(request.begin(), request.end()));

  // Wait for the reply until the time limit; datagrams that are not it are dropped.
  // A datagram too long for the buffer is judged by its start like any other: when it
  // is the server's answer to this request it raises, else it is dropped, so no
  // stranger can end the exchange with an oversized datagram.
  const std::int32_t limit = ReceiveTimeout();
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(limit < 0 ? 0 : limit);
  std::string reply;
  for (;;) {
    int wait = kWaitForever;
    if (limit >= 0) {
      const ULONGLONG now = GetTickCount64();
      wait = now >= deadline ? 0 : static_cast<int>(deadline - now);
    }
    std::optional<Datagram> d = ReceiveDatagram(wait);
    if (!d) return 0;
    const bool ours = IsReplyToRequest(AsBytes(d->bytes), d->sender, server, stamp);
    if (ours && d->too_long) {
      throw SocketError("Socket error # 10040 in recvfrom: datagram longer than the buffer",
                        WSAEMSGSIZE);
    }
    if (ours) {
      reply = std::move(d->bytes);
      break;
    }
  }

  if (reply.size() < kNtpPacketSize) return 0;
  const auto bytes = AsBytes(reply).first<kNtpPacketSize>();
  times_.arrival = LocalNow();
  times_.originate = DecodeNtpTimestamp(ReadTimestamp(bytes, kOriginateOffset), LocalUtcBias());
  times_.receive = DecodeNtpTimestamp(ReadTimestamp(bytes, kReceiveOffset), LocalUtcBias());
  times_.transmit = DecodeNtpTimestamp(ReadTimestamp(bytes, kTransmitOffset), LocalUtcBias());
  round_trip_time_ = RoundTripDelay(times_);
  clock_offset_ = net::ClockOffset(times_);
  return IsReplyUnusable(bytes) ? 0 : times_.transmit;
}

bool TIdSNTP::SynchronizeClock() {
  if (QueryServerTime() == 0) return false;
  return SetLocalClock(CorrectedLocalTime(LocalNow(), clock_offset_));
}

}  // namespace wd::net
