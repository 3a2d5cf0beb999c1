#include "net/winsock.h"

#include <windows.h>

#include <mutex>

#include "net/net_errors.h"

namespace wd::net {
namespace {

struct SharedWinsock {
  std::mutex lock;
  int users = 0;
  HMODULE module = nullptr;
  bool started = false;
  WinsockApi api;
};

SharedWinsock& Shared() {
  static SharedWinsock shared;
  return shared;
}

template <typename F>
bool Bind(HMODULE module, const char* name, F& fn) {
  fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return fn != nullptr;
}

bool BindAll(HMODULE m, WinsockApi& a) {
  return Bind(m, "WSAStartup", a.WSAStartup) && Bind(m, "WSACleanup", a.WSACleanup) &&
         Bind(m, "WSAGetLastError", a.WSAGetLastError) && Bind(m, "socket", a.socket) &&
         Bind(m, "setsockopt", a.setsockopt) && Bind(m, "sendto", a.sendto) &&
         Bind(m, "recvfrom", a.recvfrom) && Bind(m, "select", a.select) &&
         Bind(m, "shutdown", a.shutdown) && Bind(m, "closesocket", a.closesocket) &&
         Bind(m, "gethostbyname", a.gethostbyname);
}

}  // namespace

WinsockUse::WinsockUse() {
  SharedWinsock& s = Shared();
  std::lock_guard guard(s.lock);
  if (s.users == 0) {
    HMODULE module = LoadLibraryA("WS2_32.DLL");
    if (module == nullptr) throw NetError("Could not load the socket library WS2_32.DLL");
    WinsockApi api;
    if (!BindAll(module, api)) {
      FreeLibrary(module);
      throw NetError("The socket library WS2_32.DLL lacks an entry point");
    }
    // A failed start-up is not raised here: the socket calls that follow report it.
    WSADATA data;
    s.started = api.WSAStartup(MAKEWORD(2, 2), &data) == 0;
    s.module = module;
    s.api = api;
  }
  ++s.users;
  api_ = &s.api;
}

WinsockUse::~WinsockUse() {
  SharedWinsock& s = Shared();
  std::lock_guard guard(s.lock);
  if (--s.users > 0) return;
  if (s.started) s.api.WSACleanup();
  s.started = false;
  FreeLibrary(s.module);
  s.module = nullptr;
  s.api = WinsockApi{};
}

int WinsockUseCount() {
  SharedWinsock& s = Shared();
  std::lock_guard guard(s.lock);
  return s.users;
}

}  // namespace wd::net
