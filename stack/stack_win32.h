// TIdStackWinsock: the stack over WinSock 2.2, loaded at run time from "wsock32.dll".
// Every call goes through an entry point looked up by name when the library is loaded;
// errors are WinSock's own numbers, so they reach the result checks as they are.
//
// Thread-safety: as TIdStack. WinSock keeps the last error per thread, and closing a
// socket from another thread ends a call blocked on it, so nothing here needs a lock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "stack/stack_bsd_base.h"

namespace horalux {

class TIdStackWinsock : public TIdStackBSDBase {
 public:
  // Loads "wsock32.dll" (or reuses it while another stack holds it) and starts it at
  // version 2.2. Throws EIdStackCanNotLoadWinsock when the library cannot be loaded and
  // EIdStackInitializationFailed when it refuses to start; nothing is left behind then.
  TIdStackWinsock();
  // Cancels a blocking call, cleans up and unloads the library.
  ~TIdStackWinsock() override;
};

using TIdStackPlatform = TIdStackWinsock;

// The routine that sends a whole file over a socket with the system's file transmission
// (TransmitFile): the file's size when it was sent, 0 otherwise. Set at start-up on the
// Windows NT family; null elsewhere. Requires: a TIdStackWinsock exists while it runs.
using TSendFileHook = std::int64_t (*)(TIdStackSocketHandle socket, const std::string& fileName);
extern TSendFileHook SendFileHook;

// The name of the library the stack loads; tests may point it elsewhere before the first
// stack is made.
extern std::string WinsockLibraryName;

}  // namespace horalux
