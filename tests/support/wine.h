// Wine answers a few calls differently from Windows. Tests accept Wine's answers only
// when they run under Wine; the product never looks.
#pragma once

namespace horalux::testing {

// Whether this program runs under Wine (never on Linux itself).
bool RunningUnderWine();

// Whether `code` ends an accept whose listening socket another thread closed: 10004 or
// 10038, and under Wine also 995 (the operation was aborted).
bool EndsAcceptWokenByClose(int code);

}  // namespace horalux::testing
