// How an accept ends when another thread closes its listening socket, as the stack numbers
// it. Wine answers differently from Windows; tests accept its answer only under Wine.
#pragma once

namespace horalux::testing {

// Whether `code` ends an accept whose listening socket another thread closed: 10004 or
// 10038, and under Wine also 995 (the operation was aborted).
bool EndsAcceptWokenByClose(int code);

}  // namespace horalux::testing
