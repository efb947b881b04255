// The stack over BSD sockets (Linux). Descriptors live in the process's socket table
// (socket_table_posix.h); every failure is recorded in WinSock numbering right after its
// call; send never raises SIGPIPE; interrupted calls are resumed.
#pragma once

#include "stack/stack_bsd_base.h"

namespace horalux {

class TIdStackPosix : public TIdStackBSDBase {
 public:
  TIdStackPosix();
};

using TIdStackPlatform = TIdStackPosix;

}  // namespace horalux
