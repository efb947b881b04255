// The activity log's line formats and the arithmetic behind the difference they show.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/escape_controls.h"
#include "timeproto/time_value.h"

namespace horalux {

// Rounds to the nearest whole number, halves to the even neighbour.
std::int64_t RoundHalfEven(double value);

// Seconds by which the local clock is ahead of the server (negative: behind), rounded to
// the nearest whole second with halves going to the even neighbour. 64 bits, so that a
// clock that is decades off still gives the right number.
std::int64_t DifferenceSeconds(TDateTime localNow, TDateTime serverTime);

// "difference +2 sec", "difference 0 sec", "difference -1 sec".
std::string DifferenceText(std::int64_t seconds);

// The lines below escape the host, the reason and the address (EscapeControls).
//
// "-> 14:03:07  timehost * difference +2 sec"; when the clock could not be set, the reason
// follows: "... * difference +2 sec * clock not set: Operation not permitted".
std::string SuccessLine(const std::string& time, const std::string& host,
                        std::int64_t differenceSeconds, const std::string& clockNotSetReason = {});

// "-> 14:03:07  timehost *** Connect Error ***"
std::string FailureLine(const std::string& time, const std::string& host);

// A failure's message on one line: a socket error's two ("Socket Error # 10061\r\n
// Connection refused.") are joined by a blank, every other control escaped.
std::string OneLineReason(std::string_view message);

// Why a run reached no host, for standard error and the notification:
// "timehost: Socket Error # 10061 Connection refused."; without a host, the reason alone.
std::string UnreachableText(const std::string& host, std::string_view message);

// "<- 14:05:41  Connection from 192.0.2.20"
std::string IncomingLine(std::string_view time, std::string_view peerAddress);
// The same line, appended to `out`.
void AppendIncomingLine(std::string& out, std::string_view time, std::string_view peerAddress);

}  // namespace horalux
