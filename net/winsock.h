// Windows Sockets, loaded at run time from WS2_32.DLL. The library is started
// (version 2.2) when the first network component of the process is made, and
// cleaned up and unloaded when the last one goes; a lock guards that count.
#pragma once

#include <winsock2.h>

namespace wd::net {

// The entry points the UDP layer calls.
struct WinsockApi {
  decltype(&::WSAStartup) WSAStartup = nullptr;
  decltype(&::WSACleanup) WSACleanup = nullptr;
  decltype(&::WSAGetLastError) WSAGetLastError = nullptr;
  decltype(&::socket) socket = nullptr;
  decltype(&::setsockopt) setsockopt = nullptr;
  decltype(&::sendto) sendto = nullptr;
  decltype(&::recvfrom) recvfrom = nullptr;
  decltype(&::select) select = nullptr;
  decltype(&::shutdown) shutdown = nullptr;
  decltype(&::closesocket) closesocket = nullptr;
  decltype(&::gethostbyname) gethostbyname = nullptr;
};

// One use of the socket library: holding it keeps WS2_32.DLL loaded and started.
// The constructor raises NetError when the library cannot be loaded.
class WinsockUse {
 public:
  WinsockUse();
  ~WinsockUse();
  WinsockUse(const WinsockUse&) = delete;
  WinsockUse& operator=(const WinsockUse&) = delete;

  const WinsockApi& api() const { return *api_; }

 private:
  const WinsockApi* api_;
};

// How many uses of the socket library the process holds (for tests).
int WinsockUseCount();

}  // namespace wd::net
