// The small UDP layer of the time client: one IPv4 datagram socket, made on first
// use and never bound explicitly, a send of one datagram and a receive of one
// datagram with a time limit. Windows Sockets is loaded at run time (net/winsock.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "net/ntp.h"

namespace wd::net {

class WinsockUse;
struct WinsockApi;

using SocketHandle = std::uintptr_t;
inline constexpr SocketHandle kNoSocket = ~SocketHandle{0};

// Receive waits: the component's ReceiveTimeout, or no limit at all.
inline constexpr int kUseReceiveTimeout = -2;
inline constexpr int kWaitForever = -1;

// One datagram as it came off the socket.
struct Datagram {
  std::string bytes;  // at most BufferSize bytes
  Endpoint sender;
  bool too_long = false;  // longer than BufferSize; bytes holds only its start
};

class TIdUDPBase {
 public:
  // Raises NetError when the socket library cannot be loaded.
  TIdUDPBase();
  virtual ~TIdUDPBase();
  TIdUDPBase(const TIdUDPBase&) = delete;
  TIdUDPBase& operator=(const TIdUDPBase&) = delete;

  const std::string& Host() const { return host_; }
  void SetHost(std::string host) { host_ = std::move(host); }
  std::int32_t Port() const { return port_; }
  void SetPort(std::int32_t port) { port_ = port; }
  // Milliseconds a receive waits by default; negative waits without limit.
  std::int32_t ReceiveTimeout() const { return receive_timeout_; }
  void SetReceiveTimeout(std::int32_t ms) { receive_timeout_ = ms; }
  // The largest datagram a receive takes in.
  std::int32_t BufferSize() const { return buffer_size_; }
  void SetBufferSize(std::int32_t bytes) { buffer_size_ = bytes; }
  bool BroadcastEnabled() const { return broadcast_enabled_; }
  void SetBroadcastEnabled(bool on);
  // True while the socket is open; true makes it, false closes it.
  bool Active() const { return Connected(); }
  void SetActive(bool on);

  // Closes the socket (shutdown for sending, then closesocket) if one is open.
  virtual void CloseBinding();
  virtual bool Connected() const;
  // The socket, made on first use (raises SocketError when that fails).
  virtual SocketHandle Binding();

  // One datagram to `to` (raises PacketTooBigError for socket error 10040, SocketError
  // for any other failure, NetError when fewer bytes went out).
  void SendTo(const Endpoint& to, const std::string& bytes);
  // One datagram, waiting `timeout_ms` (or ReceiveTimeout); nothing when none arrived in
  // time or the wait failed. A datagram longer than BufferSize comes back marked too_long
  // rather than raising, so the caller can tell who sent it. Other failures raise.
  std::optional<Datagram> ReceiveDatagram(int timeout_ms = kUseReceiveTimeout);

 protected:
  const WinsockApi& Api() const;
  // Raises SocketError with the last socket error code.
  [[noreturn]] void RaiseSocketError(const char* operation);
  // The socket error code of the last failed call.
  int LastSocketError() const;

 private:
  void ApplyBroadcast(SocketHandle s);

  std::unique_ptr<WinsockUse> winsock_;
  SocketHandle socket_ = kNoSocket;
  std::string host_;
  std::int32_t port_ = 0;
  std::int32_t receive_timeout_ = 3000;
  std::int32_t buffer_size_ = 8192;
  bool broadcast_enabled_ = false;
};

class TIdUDPClient : public TIdUDPBase {
 public:
  // Host as an IPv4 address and Port: localhost and dotted quads without a lookup,
  // anything else through gethostbyname (raises SocketError when it gives no answer).
  Endpoint ResolveHost();
};

}  // namespace wd::net
