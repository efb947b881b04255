#include "tests/support/stack/accept_end.h"

#include "stack/wsa_codes.h"
#include "tests/support/wine.h"

namespace horalux::testing {
namespace {

constexpr int kOperationAborted = 995;  // WSA_OPERATION_ABORTED

}  // namespace

bool EndsAcceptWokenByClose(int code) {
  return code == Id_WSAEINTR || code == Id_WSAENOTSOCK ||
         (code == kOperationAborted && RunningUnderWine());
}

}  // namespace horalux::testing
