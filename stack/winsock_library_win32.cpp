#include "stack/winsock_library_win32.h"

#include <mutex>

namespace horalux::winsock {
namespace {

// Looked up as the library is loaded, though nothing here calls them.
constexpr const char* kUncalledEntries[] = {
    "inet_ntoa",
    "ioctlsocket",
    "getprotobyname",
    "getprotobynumber",
    "WSAAsyncSelect",
    "WSARecvEx",
    "WSAAsyncGetHostByAddr",
    "WSAAsyncGetHostByName",
    "WSAAsyncGetProtoByNumber",
    "WSAAsyncGetProtoByName",
    "WSAAsyncGetServByPort",
    "WSAAsyncGetServByName",
    "WSACancelAsyncRequest",
    "WSASetBlockingHook",
    "WSAUnhookBlockingHook",
    "WSASetLastError",
    "WSAIsBlocking",
    "__WSAFDIsSet",
    "AcceptEx",
    "GetAcceptExSockaddrs",
};

std::mutex libraryLock;
HMODULE library = nullptr;  // guarded by libraryLock
int holders = 0;            // guarded by libraryLock
Api api;                    // written under libraryLock while no stack holds the library
FARPROC uncalled[std::size(kUncalledEntries)] = {};

thread_local int lastError = 0;

template <class E>
void Resolve(E& entry, const char* name) {
  if (FARPROC found = ::GetProcAddress(library, name)) {
    entry.function = reinterpret_cast<typename E::Function>(reinterpret_cast<void*>(found));
  } else {
    entry.function = &E::Missing;
  }
}

void ResolveAll() {
#define HORALUX_RESOLVE(name) Resolve(api.name, #name)
  HORALUX_RESOLVE(accept);
  HORALUX_RESOLVE(bind);
  HORALUX_RESOLVE(closesocket);
  HORALUX_RESOLVE(connect);
  HORALUX_RESOLVE(getpeername);
  HORALUX_RESOLVE(getsockname);
  HORALUX_RESOLVE(getsockopt);
  HORALUX_RESOLVE(htonl);
  HORALUX_RESOLVE(htons);
  HORALUX_RESOLVE(inet_addr);
  HORALUX_RESOLVE(listen);
  HORALUX_RESOLVE(ntohl);
  HORALUX_RESOLVE(ntohs);
  HORALUX_RESOLVE(recv);
  HORALUX_RESOLVE(recvfrom);
  HORALUX_RESOLVE(select);
  HORALUX_RESOLVE(send);
  HORALUX_RESOLVE(sendto);
  HORALUX_RESOLVE(setsockopt);
  HORALUX_RESOLVE(shutdown);
  HORALUX_RESOLVE(socket);
  HORALUX_RESOLVE(gethostbyaddr);
  HORALUX_RESOLVE(gethostbyname);
  HORALUX_RESOLVE(gethostname);
  HORALUX_RESOLVE(getservbyname);
  HORALUX_RESOLVE(getservbyport);
  HORALUX_RESOLVE(WSAStartup);
  HORALUX_RESOLVE(WSACleanup);
  HORALUX_RESOLVE(WSAGetLastError);
  HORALUX_RESOLVE(WSACancelBlockingCall);
  HORALUX_RESOLVE(TransmitFile);
#undef HORALUX_RESOLVE
  for (std::size_t i = 0; i < std::size(kUncalledEntries); ++i) {
    uncalled[i] = ::GetProcAddress(library, kUncalledEntries[i]);
  }
}

}  // namespace

const Api& Calls() { return api; }

int LastError() noexcept { return lastError; }

// WinSock's last error is the thread's; a library without WSAGetLastError still has that.
void RecordWinsockError() noexcept {
  using Get = decltype(api.WSAGetLastError);
  lastError = api.WSAGetLastError.function != &Get::Missing ? api.WSAGetLastError.function()
                                                            : static_cast<int>(::GetLastError());
}

bool Load(const std::string& fileName) {
  std::lock_guard lock(libraryLock);
  if (holders == 0) {
    library = ::LoadLibraryA(fileName.c_str());
    if (library == nullptr) return false;
    ResolveAll();
  }
  ++holders;
  return true;
}

void Unload() {
  std::lock_guard lock(libraryLock);
  if (holders == 0 || --holders > 0) return;
  ::FreeLibrary(library);
  library = nullptr;
  api = Api{};
}

}  // namespace horalux::winsock
