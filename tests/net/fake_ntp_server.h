// A fake NTP server on 127.0.0.1 for tests over real Winsock: its own thread and
// sockets, answering each request with what the test's responder gives, and the
// helpers that build its replies.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "common/local_clock.h"
#include "net/clock.h"
#include "net/ntp.h"

namespace wd::net::test {

// One datagram the fake sends in answer to a request.
struct Outgoing {
  std::string bytes;
  bool from_stranger = false;  // sent from another port of 127.0.0.1
};

// An NTP server on 127.0.0.1 that answers each request with what the responder gives.
class FakeServer {
 public:
  using Responder = std::function<std::vector<Outgoing>(const std::string& request)>;

  FakeServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    main_ = OpenSocket();
    stranger_ = OpenSocket();
    thread_ = std::thread([this] { Run(); });
  }
  ~FakeServer() {
    stop_ = true;
    thread_.join();
    closesocket(main_);
    closesocket(stranger_);
    WSACleanup();
  }
  FakeServer(const FakeServer&) = delete;
  FakeServer& operator=(const FakeServer&) = delete;

  std::uint16_t port() const { return PortOf(main_); }
  std::uint16_t stranger_port() const { return PortOf(stranger_); }
  void Respond(Responder r) {
    std::lock_guard guard(lock_);
    responder_ = std::move(r);
  }
  std::vector<std::string> requests() {
    std::lock_guard guard(lock_);
    return requests_;
  }

 private:
  static SOCKET OpenSocket() {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;  // a free high port
    EXPECT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    return s;
  }
  static std::uint16_t PortOf(SOCKET s) {
    sockaddr_in a{};
    int size = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &size);
    return ntohs(a.sin_port);
  }
  void Run() {
    while (!stop_) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(main_, &readable);
      timeval wait{0, 20000};
      if (select(0, &readable, nullptr, nullptr, &wait) != 1) continue;
      char buffer[512];
      sockaddr_in client{};
      int size = sizeof client;
      const int n =
          recvfrom(main_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&client), &size);
      if (n < 0) continue;
      std::vector<Outgoing> answers;
      {
        std::lock_guard guard(lock_);
        requests_.emplace_back(buffer, n);
        if (responder_) answers = responder_(requests_.back());
      }
      for (const Outgoing& o : answers) {
        sendto(o.from_stranger ? stranger_ : main_, o.bytes.data(),
               static_cast<int>(o.bytes.size()), 0, reinterpret_cast<sockaddr*>(&client), size);
      }
    }
  }

  SOCKET main_;
  SOCKET stranger_;
  std::mutex lock_;
  Responder responder_;
  std::vector<std::string> requests_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

inline std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

inline NtpTimestamp TransmitOf(const std::string& request) {
  return ReadTimestamp(Bytes(request), kTransmitOffset);
}

// `base` moved by whole milliseconds, the fraction the first one of its millisecond.
inline NtpTimestamp PlusMs(NtpTimestamp base, std::int64_t ms) {
  const std::int64_t total =
      std::int64_t{base.seconds} * 1000 + FractionToMilliseconds(base.fraction) + ms;
  const std::uint64_t part = static_cast<std::uint64_t>(total % 1000);
  return {static_cast<std::uint32_t>(total / 1000),
          static_cast<std::uint32_t>(((part << 32) + 999) / 1000)};
}

struct ReplyFields {
  std::uint8_t header = 0x24;  // LI 0, version 4, mode 4 (server)
  std::uint8_t stratum = 2;
  NtpTimestamp originate;
  NtpTimestamp receive;
  NtpTimestamp transmit;
  std::size_t size = kNtpPacketSize;
};

inline std::string MakeReply(const ReplyFields& f) {
  std::string r(std::max(f.size, kNtpPacketSize), '\0');
  auto bytes = std::span(reinterpret_cast<std::uint8_t*>(r.data()), r.size());
  bytes[0] = f.header;
  bytes[1] = f.stratum;
  WriteTimestamp(bytes, kOriginateOffset, f.originate);
  WriteTimestamp(bytes, kReceiveOffset, f.receive);
  WriteTimestamp(bytes, kTransmitOffset, f.transmit);
  r.resize(f.size);
  return r;
}

// A server whose clock runs `ahead_ms` ahead of ours, holding each request 1 ms.
inline ReplyFields AheadBy(const std::string& request, std::int64_t ahead_ms) {
  const NtpTimestamp now = EncodeNtpTimestamp(LocalNow());
  return {0x24, 2, TransmitOf(request), PlusMs(now, ahead_ms), PlusMs(now, ahead_ms + 1)};
}

inline constexpr double kSecond = 1.0 / 86400.0;

// The clock setter every test puts in: records, never touches the computer's clock.
struct ClockRecorder {
  std::vector<DateTime> set_to;
  bool answer = true;
  std::function<bool(DateTime)> setter() {
    return [this](DateTime t) {
      set_to.push_back(t);
      return answer;
    };
  }
};

}  // namespace wd::net::test
