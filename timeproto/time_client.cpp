#include "timeproto/time_client.h"

namespace horalux {
namespace {

constexpr std::int32_t kValueSize = 4;

// A reading that wrapped counts up to the top of the counter and on from zero.
std::uint32_t Elapsed(std::uint32_t start, std::uint32_t end) {
  return start > end ? end + (0xFFFFFFFFu - start) : end - start;
}

}  // namespace

TIdTime::TIdTime(TComponent* owner) : TIdTCPClient(owner) { Port = 37; }

std::uint32_t TIdTime::QueryTimeValue() {
  OpenConnection(UseDefaultTimeout);
  std::uint32_t value = 0;
  try {
    value = ReceiveValue();
  } catch (...) {
    CloseConnection();
    throw;
  }
  CloseConnection();
  return value;
}

std::uint32_t TIdTime::ReceiveValue() {
  const std::uint32_t start = TickCounter();
  do {
    // Each wait has its own limit: a server that trickles may stretch the query.
    if (ReceiveChunk(true, Timeout, true) == 0) return 0;
  } while (InputByteCount() < kValueSize);
  const std::uint32_t value = ReadUInt32(true);
  oneWayDelay_ = Elapsed(start, TickCounter()) >> 1;
  return value;
}

TDateTime TIdTime::QueryDateTime() {
  const std::uint32_t value = QueryTimeValue();
  if (value == 0) return 0.0;
  biasMinutes_ = LocalTimeBiasMinutes();
  return TimeValueToDateTimeNear(value, oneWayDelay_, BaseDate, LocalClock(),
                                 biasMinutes_ / 1440.0);
}

}  // namespace horalux
