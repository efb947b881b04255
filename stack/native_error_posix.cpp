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
    {EINTR, Id_WSAEINTR},
    {EBADF, Id_WSAEBADF},
    {EACCES, Id_WSAEACCES},
    {EPERM, Id_WSAEACCES},
    {EFAULT, Id_WSAEFAULT},
    {EINVAL, Id_WSAEINVAL},
    {EMFILE, Id_WSAEMFILE},
    {ENFILE, Id_WSAEMFILE},
    {EWOULDBLOCK, Id_WSAEWOULDBLOCK},
    {EINPROGRESS, Id_WSAEINPROGRESS},
    {EALREADY, Id_WSAEALREADY},
    {ENOTSOCK, Id_WSAENOTSOCK},
    {EDESTADDRREQ, Id_WSAEDESTADDRREQ},
    {EMSGSIZE, Id_WSAEMSGSIZE},
    {EPROTOTYPE, Id_WSAEPROTOTYPE},
    {ENOPROTOOPT, Id_WSAENOPROTOOPT},
    {EPROTONOSUPPORT, Id_WSAEPROTONOSUPPORT},
    {ESOCKTNOSUPPORT, Id_WSAESOCKTNOSUPPORT},
    {EOPNOTSUPP, Id_WSAEOPNOTSUPP},
    {EPFNOSUPPORT, Id_WSAEPFNOSUPPORT},
    {EAFNOSUPPORT, Id_WSAEAFNOSUPPORT},
    {EADDRINUSE, Id_WSAEADDRINUSE},
    {EADDRNOTAVAIL, Id_WSAEADDRNOTAVAIL},
    {ENETDOWN, Id_WSAENETDOWN},
    {ENETUNREACH, Id_WSAENETUNREACH},
    {ENETRESET, Id_WSAENETRESET},
    {ECONNABORTED, Id_WSAECONNABORTED},
    {ECONNRESET, Id_WSAECONNRESET},
    {ENOBUFS, Id_WSAENOBUFS},
    {ENOMEM, Id_WSAENOBUFS},
    {EISCONN, Id_WSAEISCONN},
    {ENOTCONN, Id_WSAENOTCONN},
    {ESHUTDOWN, Id_WSAESHUTDOWN},
    // Sending on a connection whose writing side is gone: WinSock says "shut down".
    {EPIPE, Id_WSAESHUTDOWN},
    {ETOOMANYREFS, Id_WSAETOOMANYREFS},
    {ETIMEDOUT, Id_WSAETIMEDOUT},
    {ECONNREFUSED, Id_WSAECONNREFUSED},
    {ELOOP, Id_WSAELOOP},
    {ENAMETOOLONG, Id_WSAENAMETOOLONG},
    {EHOSTDOWN, Id_WSAEHOSTDOWN},
    {EHOSTUNREACH, Id_WSAEHOSTUNREACH},
    {ENOTEMPTY, Id_WSAENOTEMPTY},
    {ENOSR, Id_WSAENOBUFS},
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
      return Id_WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
      return Id_WSATRY_AGAIN;
    case EAI_FAIL:
      return Id_WSANO_RECOVERY;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
      return Id_WSANO_DATA;
    case EAI_MEMORY:
      return WsaCodeOfErrno(ENOMEM);
    case EAI_SYSTEM:
      return WsaCodeOfErrno(savedErrno);
    default:
      return Id_WSANO_RECOVERY;
  }
}

int LastError() noexcept { return lastError; }

void SetLastError(int wsaCode) noexcept { lastError = wsaCode; }

void RecordErrno() noexcept { lastError = WsaCodeOfErrno(errno); }

}  // namespace horalux::posix
