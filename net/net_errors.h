// Errors of the network time client. All derive from wd::Error; socket-layer
// failures carry the Windows Sockets error code.
#pragma once

#include <string>

#include "common/errors.h"

namespace wd::net {

// A Windows Sockets call that failed; code() is the socket error code.
class SocketError : public Error {
 public:
  SocketError(const std::string& message, int code) : Error(message), code_(code) {}
  int code() const noexcept { return code_; }
  const char* kind() const noexcept override { return "EIdSocketError"; }

 private:
  int code_;
};

// A datagram the socket layer refused to send because it is longer than the
// transport allows (socket error 10040 on send).
class PacketTooBigError : public SocketError {
 public:
  using SocketError::SocketError;
  const char* kind() const noexcept override { return "EIdPackageSizeTooBig"; }
};

// Any other failure of the network layer that has no socket error code: the
// socket library could not be loaded, or a datagram went out short.
class NetError : public Error {
 public:
  using Error::Error;
  const char* kind() const noexcept override { return "EIdException"; }
};

}  // namespace wd::net
