// TIdSNTP: the SNTP client that asks a time server for the time and sets the
// computer's clock from the answer. One request, at most one reply per call.
//
// A reply counts only when it comes from the server's address and port and echoes
// our Transmit Timestamp bit for bit; anything else on the socket is dropped and the
// wait goes on for the rest of ReceiveTimeout. The request's fraction carries random
// bits below the millisecond, so the echo cannot be guessed from our clock.
//
// So the rules on length apply only to the reply itself: the server's echo in fewer
// than 48 bytes ends the exchange with false (results untouched), and in more than 48
// bytes raises (socket error 10040). A datagram too short to hold the echo, and one of
// any length from another sender or with another echo, is dropped.
#pragma once

#include <cstdint>
#include <span>

#include "common/datetime.h"
#include "net/ntp.h"
#include "net/udp.h"

namespace wd::net {

class TIdSNTP : public TIdUDPClient {
 public:
  // Port 123, stratum check on, results 0, no socket yet.
  TIdSNTP();

  // The clock it reads and sets, the time zone bias and the random bits are the
  // system's (common/local_clock.h, net/clock.h); tests swap them there.
  //
  // One exchange; when the reply is usable, sets the local clock to the clock read
  // just before setting plus ClockOffset and returns whether the setter took it.
  // False when no usable reply came. Socket-layer failures raise.
  bool SynchronizeClock();
  // One exchange: the server's Transmit Timestamp as a local date-time when the reply
  // is usable, else 0. The results are written for every 48-byte reply.
  DateTime QueryServerTime();
  bool IsReplyUnusable(std::span<const std::uint8_t, kNtpPacketSize> reply) const;

  bool RejectBadStratum() const { return reject_bad_stratum_; }
  void SetRejectBadStratum(bool on) { reject_bad_stratum_ = on; }

  // Results of the last 48-byte reply (local date-times; offset and delay in days).
  DateTime OriginTime() const { return times_.originate; }
  DateTime ServerReceiveTime() const { return times_.receive; }
  DateTime ServerTransmitTime() const { return times_.transmit; }
  DateTime ArrivalTime() const { return times_.arrival; }
  double ClockOffset() const { return clock_offset_; }
  double RoundTripTime() const { return round_trip_time_; }

 private:
  ExchangeTimes times_;
  double clock_offset_ = 0;
  double round_trip_time_ = 0;
  bool reject_bad_stratum_ = true;
};

}  // namespace wd::net
