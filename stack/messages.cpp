#include "stack/messages.h"

#include <array>
#include <utility>

#include "stack/wsa_codes.h"

namespace horalux {
namespace {

IdMessages& Table() {
  static IdMessages table;
  return table;
}

struct CodeText {
  int code;
  std::string_view text;
};

constexpr std::array<CodeText, 38> kSocketErrorTexts{{
    {WSAEINTR, "Interrupted system call."},
    {WSAEBADF, "Bad file number."},
    {WSAEACCES, "Access denied."},
    {WSAEFAULT, "Bad address."},
    {WSAEINVAL, "Invalid argument."},
    {WSAEMFILE, "Too many open files."},
    {WSAEWOULDBLOCK, "Operation would block. "},
    {WSAEINPROGRESS, "Operation now in progress."},
    {WSAEALREADY, "Operation already in progress."},
    {WSAENOTSOCK, "Socket operation on non-socket."},
    {WSAEDESTADDRREQ, "Destination address required."},
    {WSAEMSGSIZE, "Message too long."},
    {WSAEPROTOTYPE, "Protocol wrong type for socket."},
    {WSAENOPROTOOPT, "Bad protocol option."},
    {WSAEPROTONOSUPPORT, "Protocol not supported."},
    {WSAESOCKTNOSUPPORT, "Socket type not supported."},
    {WSAEOPNOTSUPP, "Operation not supported on socket."},
    {WSAEPFNOSUPPORT, "Protocol family not supported."},
    {WSAEAFNOSUPPORT, "Address family not supported by protocol family."},
    {WSAEADDRINUSE, "Address already in use."},
    {WSAEADDRNOTAVAIL, "Cannot assign requested address."},
    {WSAENETDOWN, "Network is down."},
    {WSAENETUNREACH, "Network is unreachable."},
    {WSAENETRESET, "Net dropped connection or reset."},
    {WSAECONNABORTED, "Software caused connection abort."},
    {WSAECONNRESET, "Connection reset by peer."},
    {WSAENOBUFS, "No buffer space available."},
    {WSAEISCONN, "Socket is already connected."},
    {WSAENOTCONN, "Socket is not connected."},
    {WSAESHUTDOWN, "Cannot send or receive after socket is closed."},
    {WSAETOOMANYREFS, "Too many references, cannot splice."},
    {WSAETIMEDOUT, "Connection timed out."},
    {WSAECONNREFUSED, "Connection refused."},
    {WSAELOOP, "Too many levels of symbolic links."},
    {WSAENAMETOOLONG, "File name too long."},
    {WSAEHOSTDOWN, "Host is down."},
    {WSAEHOSTUNREACH, "No route to host."},
    {WSAENOTEMPTY, "Directory not empty"},
}};

}  // namespace

const IdMessages& Messages() { return Table(); }

void InstallMessages(IdMessages messages) { Table() = std::move(messages); }

std::string_view WSAErrorText(int code) {
  for (const CodeText& entry : kSocketErrorTexts) {
    if (entry.code == code) return entry.text;
  }
  return {};
}

}  // namespace horalux
