#include "net/udp.h"

#include <ws2tcpip.h>

#include <cstring>
#include <vector>

#include "net/net_errors.h"
#include "net/winsock.h"

namespace wd::net {
namespace {

SOCKET AsSocket(SocketHandle s) {
  return static_cast<SOCKET>(s);
}

sockaddr_in ToSockaddr(const Endpoint& e) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = SwapBytes16(e.port);
  a.sin_addr.s_addr = e.address;
  return a;
}

}  // namespace

TIdUDPBase::TIdUDPBase() : winsock_(std::make_unique<WinsockUse>()) {}

TIdUDPBase::~TIdUDPBase() {
  // Only this class's own close: a derived class's part is gone by now.
  TIdUDPBase::CloseBinding();
}

const WinsockApi& TIdUDPBase::Api() const {
  return winsock_->api();
}

int TIdUDPBase::LastSocketError() const {
  return winsock_->api().WSAGetLastError();
}

void TIdUDPBase::RaiseSocketError(const char* operation) {
  const int code = LastSocketError();
  throw SocketError(std::string("Socket error # ") + std::to_string(code) + " in " + operation,
                    code);
}

void TIdUDPBase::SetBroadcastEnabled(bool on) {
  if (on == broadcast_enabled_) return;
  broadcast_enabled_ = on;
  if (Connected()) ApplyBroadcast(socket_);
}

void TIdUDPBase::ApplyBroadcast(SocketHandle s) {
  const std::uint32_t value = broadcast_enabled_ ? 0xFFFFFFFFu : 0u;
  if (winsock_->api().setsockopt(AsSocket(s), SOL_SOCKET, SO_BROADCAST,
                                 reinterpret_cast<const char*>(&value), sizeof value) != 0) {
    RaiseSocketError("setsockopt");
  }
}

void TIdUDPBase::SetActive(bool on) {
  if (on) {
    Binding();
  } else {
    CloseBinding();
  }
}

void TIdUDPBase::CloseBinding() {
  if (socket_ == kNoSocket) return;
  const WinsockApi& ws = winsock_->api();
  // Shutting down an unconnected datagram socket may report "not connected"; the close
  // that follows is what counts.
  ws.shutdown(AsSocket(socket_), SD_SEND);
  ws.closesocket(AsSocket(socket_));
  socket_ = kNoSocket;
}

bool TIdUDPBase::Connected() const {
  return socket_ != kNoSocket;
}

SocketHandle TIdUDPBase::Binding() {
  if (socket_ != kNoSocket) return socket_;
  const SOCKET s = winsock_->api().socket(AF_INET, SOCK_DGRAM, 0);
  if (s == INVALID_SOCKET) RaiseSocketError("socket");
  try {
    ApplyBroadcast(s);
  } catch (...) {
    winsock_->api().closesocket(s);
    throw;
  }
  socket_ = s;
  return socket_;
}

void TIdUDPBase::SendTo(const Endpoint& to, const std::string& bytes) {
  const SOCKET s = AsSocket(Binding());
  const sockaddr_in address = ToSockaddr(to);
  const int sent =
      winsock_->api().sendto(s, bytes.data(), static_cast<int>(bytes.size()), 0,
                             reinterpret_cast<const sockaddr*>(&address), sizeof address);
  if (sent == SOCKET_ERROR) {
    const int code = LastSocketError();
    if (code == WSAEMSGSIZE) {
      throw PacketTooBigError("Datagram too big to send (socket error # 10040)", code);
    }
    throw SocketError("Socket error # " + std::to_string(code) + " in sendto", code);
  }
  if (sent < static_cast<int>(bytes.size())) {
    throw NetError("Only " + std::to_string(sent) + " of " + std::to_string(bytes.size()) +
                   " bytes were sent");
  }
}

std::optional<Datagram> TIdUDPBase::ReceiveDatagram(int timeout_ms) {
  const WinsockApi& ws = winsock_->api();
  const SOCKET s = AsSocket(Binding());
  if (timeout_ms == kUseReceiveTimeout) timeout_ms = receive_timeout_;

  fd_set readable;
  readable.fd_count = 1;
  readable.fd_array[0] = s;
  timeval limit{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  // Anything but exactly one readable socket, a failed wait included, means nothing came.
  if (ws.select(0, &readable, nullptr, nullptr, timeout_ms < 0 ? nullptr : &limit) != 1) {
    return std::nullopt;
  }

  std::vector<char> buffer(static_cast<std::size_t>(buffer_size_ > 0 ? buffer_size_ : 0));
  sockaddr_in from{};
  int from_size = sizeof from;
  const int count = ws.recvfrom(s, buffer.data(), static_cast<int>(buffer.size()), 0,
                                reinterpret_cast<sockaddr*>(&from), &from_size);
  Datagram d;
  d.sender = {from.sin_addr.s_addr, SwapBytes16(from.sin_port)};
  if (count == SOCKET_ERROR) {
    // A datagram longer than the buffer: the buffer holds its start and the sender is known.
    if (LastSocketError() != WSAEMSGSIZE) RaiseSocketError("recvfrom");
    d.too_long = true;
    d.bytes.assign(buffer.data(), buffer.size());
    return d;
  }
  d.bytes.assign(buffer.data(), static_cast<std::size_t>(count));
  return d;
}

Endpoint TIdUDPClient::ResolveHost() {
  const HostTarget target = ClassifyHost(Host());
  Endpoint e{target.address, static_cast<std::uint16_t>(Port())};
  if (!target.needs_lookup) return e;
  const hostent* h = Api().gethostbyname(Host().c_str());
  if (h == nullptr) RaiseSocketError("gethostbyname");
  if (h->h_addrtype != AF_INET || h->h_length != 4 || h->h_addr_list[0] == nullptr) {
    throw SocketError("Host " + Host() + " has no IPv4 address", WSAHOST_NOT_FOUND);
  }
  std::memcpy(&e.address, h->h_addr_list[0], 4);
  return e;
}

}  // namespace wd::net
