// Wine answers a few calls differently from Windows. Tests accept Wine's answers only
// when they run under Wine; the product never looks.
#pragma once

namespace horalux::testing {

// Whether this program runs under Wine (never on Linux itself).
bool RunningUnderWine();

}  // namespace horalux::testing
