// TIdTime: the RFC 868 client. A query connects to Host:Port (37), waits for the server's
// four bytes, measures the round trip, disconnects and returns the server's time as local
// TDateTime, or 0.0 when nothing usable arrived.
//
// Requires: one query at a time per object (the window's run guards this); a query
// blocks its caller, with idle steps on the main thread.
#pragma once

#include <cstdint>
#include <functional>

#include "base/date_time.h"
#include "net/tcp_client.h"
#include "timeproto/tick_count.h"
#include "timeproto/time_value.h"

namespace horalux {

class TIdTime : public TIdTCPClient {
 public:
  explicit TIdTime(TComponent* owner = nullptr);

  TDateTime BaseDate = kRfc868BaseDate;
  std::int32_t Timeout = 2500;  // ms for each wait for data
  // Half the round trip of the last query that got its value, in ms.
  std::uint32_t OneWayDelay() const noexcept { return oneWayDelay_; }
  // The bias (minutes, UTC = local + bias) that the last QueryDateTime made its local time
  // with: the one moment's reading that the clock must be set with too.
  std::int32_t BiasMinutes() const noexcept { return biasMinutes_; }

  // The local clock, which tells which 136-year era a received count belongs to; and the
  // millisecond counter the round trip is measured with. Tests put fakes here.
  std::function<TDateTime()> LocalClock = &Now;
  std::function<std::uint32_t()> TickCounter = &GetTickCount;

  // The value in host order, or 0 when the peer closed after fewer than four bytes.
  // Throws the connect failures (EIdSocketError, EIdConnectException, EIdConnectTimeout),
  // EIdReadTimeout, EIdConnClosedGracefully (closed before sending anything) and
  // EIdSocketError for a failed receive; the socket is closed before any leaves.
  std::uint32_t QueryTimeValue();
  // The server's time as local TDateTime; 0.0 when QueryTimeValue gave 0. Also throws
  // EIdException when the time zone cannot be read.
  TDateTime QueryDateTime();

 private:
  std::uint32_t ReceiveValue();

  std::uint32_t oneWayDelay_ = 0;
  std::int32_t biasMinutes_ = 0;
};

}  // namespace horalux
