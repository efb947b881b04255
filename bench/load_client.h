// A load generator for RFC 868 servers: N client threads, each connecting, reading the
// four bytes, checking them against the local clock and closing, over and over. It counts
// outcomes by kind and samples latencies. Plain system calls only, so that it measures the
// server and nothing of ours.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace horalux::bench {

struct LoadOptions {
  std::string host = "127.0.0.1";  // a numeric address
  int port = 37;
  int clients = 1;
  double seconds = 5.0;          // how long to run, when connections is 0
  std::int64_t connections = 0;  // total queries to make, spread over the clients
  int timeoutMs = 5000;          // for the connect and for the answer
  int maxSkewSeconds = 2;        // a value further from the local clock is wrong
};

struct LoadResult {
  std::uint64_t ok = 0;  // four bytes, within the skew, then a close
  // Refusals: closed without a byte (over the server's connection limit), or reset
  // without a byte (turned away by a full listen queue where the system resets instead of
  // dropping, net.ipv4.tcp_abort_on_overflow).
  std::uint64_t closedWithoutByte = 0;
  std::uint64_t resets = 0;
  std::uint64_t wrongValue = 0;
  std::uint64_t shortRead = 0;  // one to three bytes, or more than four
  std::uint64_t connectFailed = 0;
  std::uint64_t timeouts = 0;  // connected, but neither an answer nor a close came
  double elapsedSeconds = 0;
  std::vector<std::uint32_t> latencyMicros;  // of the successful queries, sorted

  // Adds another result's counts and latencies (not its time) to this one.
  void Add(const LoadResult& other);
  std::uint64_t Total() const;
  std::uint64_t Refused() const { return closedWithoutByte + resets; }
  std::uint64_t Failed() const { return wrongValue + shortRead + connectFailed + timeouts; }
  double QueriesPerSecond() const;
  // The latency below which `fraction` of the successful queries finished, in microseconds.
  std::uint32_t Percentile(double fraction) const;
  std::string Summary() const;
};

LoadResult RunLoad(const LoadOptions& options);

// One burst: `clients` connects started at once from one thread, as machines of a network
// asking on the hour, each then waiting for the answer or the close. A client that has
// neither when timeoutMs has passed since the start counts as a time-out when it got
// connected (left hanging) and as a failed connect when its handshake never finished.
// The latencies are each answer's time since the burst began; the last is the burst's.
LoadResult RunBurst(const LoadOptions& options);

// The RFC 868 value of the current moment: seconds since 1900-01-01 UTC, low 32 bits.
std::uint32_t CurrentTimeValue();

}  // namespace horalux::bench
