// Native error numbers to WinSock numbering, in one place. Every socket call of the
// POSIX stack records its failure here right after the call, before anything else can
// change errno.
#pragma once

namespace horalux::posix {

// errno to WinSock numbering; a number without a WinSock twin is passed on unchanged.
int WsaCodeOfErrno(int error) noexcept;

// getaddrinfo/getnameinfo results to the WinSock lookup codes (11001 to 11004).
int WsaCodeOfLookupError(int error, int savedErrno) noexcept;

// The calling thread's last socket error in WinSock numbering.
int LastError() noexcept;
void SetLastError(int wsaCode) noexcept;
// Records errno as the calling thread's last error.
void RecordErrno() noexcept;

}  // namespace horalux::posix
