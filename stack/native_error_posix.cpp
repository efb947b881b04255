#include "stack/native_error_posix.h"

#include <netdb.h>

#include <array>
#include <cerrno>
#include <utility>

#include "stack/wsa_codes.h"

namespace horalux::posix {
namespace {

thread_local int lastError = 0;

constexpr std::array<std::pair<int, int>, 43> kErrnoToWsa{{
    {EINTR, WSAEINTR},
    {EBADF, WSAEBADF},
    {EACCES, WSAEACCES},
    {EPERM, WSAEACCES},
    {EFAULT, WSAEFAULT},
    {EINVAL, WSAEINVAL},
    {EMFILE, WSAEMFILE},
    {ENFILE, WSAEMFILE},
    {EWOULDBLOCK, WSAEWOULDBLOCK},
    {EINPROGRESS, WSAEINPROGRESS},
    {EALREADY, WSAEALREADY},
    {ENOTSOCK, WSAENOTSOCK},
    {EDESTADDRREQ, WSAEDESTADDRREQ},
    {EMSGSIZE, WSAEMSGSIZE},
    {EPROTOTYPE, WSAEPROTOTYPE},
    {ENOPROTOOPT, WSAENOPROTOOPT},
    {EPROTONOSUPPORT, WSAEPROTONOSUPPORT},
    {ESOCKTNOSUPPORT, WSAESOCKTNOSUPPORT},
    {EOPNOTSUPP, WSAEOPNOTSUPP},
    {EPFNOSUPPORT, WSAEPFNOSUPPORT},
    {EAFNOSUPPORT, WSAEAFNOSUPPORT},
    {EADDRINUSE, WSAEADDRINUSE},
    {EADDRNOTAVAIL, WSAEADDRNOTAVAIL},
    {ENETDOWN, WSAENETDOWN},
    {ENETUNREACH, WSAENETUNREACH},
    {ENETRESET, WSAENETRESET},
    {ECONNABORTED, WSAECONNABORTED},
    {ECONNRESET, WSAECONNRESET},
    {ENOBUFS, WSAENOBUFS},
    {ENOMEM, WSAENOBUFS},
    {EISCONN, WSAEISCONN},
    {ENOTCONN, WSAENOTCONN},
    {ESHUTDOWN, WSAESHUTDOWN},
    // Sending on a connection whose writing side is gone: WinSock says "shut down".
    {EPIPE, WSAESHUTDOWN},
    {ETOOMANYREFS, WSAETOOMANYREFS},
    {ETIMEDOUT, WSAETIMEDOUT},
    {ECONNREFUSED, WSAECONNREFUSED},
    {ELOOP, WSAELOOP},
    {ENAMETOOLONG, WSAENAMETOOLONG},
    {EHOSTDOWN, WSAEHOSTDOWN},
    {EHOSTUNREACH, WSAEHOSTUNREACH},
    {ENOTEMPTY, WSAENOTEMPTY},
    {ENOSR, WSAENOBUFS},
}};

}  // namespace

int WsaCodeOfErrno(int error) noexcept {
  for (const auto& [native, wsa] : kErrnoToWsa) {
    if (native == error) return wsa;
  }
  return error;
}

int WsaCodeOfLookupError(int error, int savedErrno) noexcept {
  switch (error) {
    case EAI_NONAME:
      return WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
      return WSATRY_AGAIN;
    case EAI_FAIL:
      return WSANO_RECOVERY;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
      return WSANO_DATA;
    case EAI_MEMORY:
      return WsaCodeOfErrno(ENOMEM);
    case EAI_SYSTEM:
      return WsaCodeOfErrno(savedErrno);
    default:
      return WSANO_RECOVERY;
  }
}

int LastError() noexcept { return lastError; }

void SetLastError(int wsaCode) noexcept { lastError = wsaCode; }

void RecordErrno() noexcept { lastError = WsaCodeOfErrno(errno); }

}  // namespace horalux::posix
