// The WinSock library as the stack uses it: "wsock32.dll" loaded at run time, and each of
// its entry points looked up by name. One library per process, loaded by the first stack
// and unloaded by the last.
//
// An entry point the library lacks is not reported at load time; calling it fails as a
// WinSock call does, with WSAEOPNOTSUPP as the thread's last error.
//
// The stack's errors are WinSock's own numbers. Each is taken right after its call.
//
// Thread-safety: Load and Unload are serialised by a lock of their own; the entry points
// are read without one, which is safe while a stack holds the library.
#pragma once

#include <winsock2.h>

#include <string>
#include <type_traits>

namespace horalux::winsock {

// The calling thread's error of its last failed call through an entry point, read from
// WinSock right after that call: any later system call on the thread may overwrite what
// WSAGetLastError says.
int LastError() noexcept;
void RecordWinsockError() noexcept;

// Whether a result of a call tells a failure: SOCKET_ERROR, INVALID_SOCKET or no answer.
// Other results (byte order, addresses, start-up codes) never do.
template <class Result>
bool IsFailure(Result result) {
  if constexpr (std::is_pointer_v<Result>) {
    return result == nullptr;
  } else if constexpr (std::is_same_v<Result, SOCKET>) {
    return result == INVALID_SOCKET;
  } else if constexpr (std::is_same_v<Result, int>) {
    return result == SOCKET_ERROR;
  } else {
    return false;
  }
}

template <class Function>
struct Entry;

// One entry point; a missing one calls a stand-in that fails. Calling it records the
// failure of the call right after it.
template <class Result, class... Args>
struct Entry<Result(WSAAPI*)(Args...)> {
  using Function = Result(WSAAPI*)(Args...);
  Function function = &Missing;

  Result operator()(Args... args) const {
    const Result result = function(args...);
    if (IsFailure(result)) RecordWinsockError();
    return result;
  }

  static Result WSAAPI Missing(Args...) {
    ::SetLastError(WSAEOPNOTSUPP);  // what WSAGetLastError reads
    if constexpr (std::is_pointer_v<Result>) {
      return nullptr;
    } else {
      return static_cast<Result>(SOCKET_ERROR);
    }
  }
};

struct Api {
  Entry<decltype(&::accept)> accept;
  Entry<decltype(&::bind)> bind;
  Entry<decltype(&::closesocket)> closesocket;
  Entry<decltype(&::connect)> connect;
  Entry<decltype(&::getpeername)> getpeername;
  Entry<decltype(&::getsockname)> getsockname;
  Entry<decltype(&::getsockopt)> getsockopt;
  Entry<decltype(&::htonl)> htonl;
  Entry<decltype(&::htons)> htons;
  Entry<decltype(&::inet_addr)> inet_addr;
  Entry<decltype(&::listen)> listen;
  Entry<decltype(&::ntohl)> ntohl;
  Entry<decltype(&::ntohs)> ntohs;
  Entry<decltype(&::recv)> recv;
  Entry<decltype(&::recvfrom)> recvfrom;
  Entry<decltype(&::select)> select;
  Entry<decltype(&::send)> send;
  Entry<decltype(&::sendto)> sendto;
  Entry<decltype(&::setsockopt)> setsockopt;
  Entry<decltype(&::shutdown)> shutdown;
  Entry<decltype(&::socket)> socket;
  Entry<decltype(&::gethostbyaddr)> gethostbyaddr;
  Entry<decltype(&::gethostbyname)> gethostbyname;
  Entry<decltype(&::gethostname)> gethostname;
  Entry<decltype(&::getservbyname)> getservbyname;
  Entry<decltype(&::getservbyport)> getservbyport;
  Entry<decltype(&::WSAStartup)> WSAStartup;
  Entry<decltype(&::WSACleanup)> WSACleanup;
  Entry<decltype(&::WSAGetLastError)> WSAGetLastError;
  Entry<int(WSAAPI*)()> WSACancelBlockingCall;
  Entry<BOOL(WSAAPI*)(SOCKET, HANDLE, DWORD, DWORD, LPOVERLAPPED, void*, DWORD)> TransmitFile;
};

// The entry points of the loaded library. Requires: a stack holds the library.
const Api& Calls();

// Loads the library (the first caller) and looks up its entry points. Returns false,
// loading nothing, when the library cannot be loaded; the caller raises.
bool Load(const std::string& fileName);
// Unloads it when the last holder lets go.
void Unload();

}  // namespace horalux::winsock
