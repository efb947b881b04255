// horalux-load: drives an RFC 868 server on a numeric address with N clients and prints
// what came back, and how long that took. Exit status 0 when no query failed (refusals over a
// connection limit are not failures), 1 otherwise.
//   horalux-load --port 37 --clients 64 --seconds 30 [--host 127.0.0.1] [--connections N]
// With --burst, K bursts of N connects started at once instead, a fifth of a second apart;
// it prints the counts of all and the time from a burst's start to its last answer:
//   horalux-load --port 37 --burst 200 [--bursts 20] [--timeout-ms 5000]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench/load_client.h"

namespace {

using horalux::bench::LoadOptions;
using horalux::bench::LoadResult;

int Bursts(const LoadOptions& options, int bursts) {
  LoadResult total;
  std::vector<std::uint32_t> lastAnswers;
  for (int i = 0; i < bursts; ++i) {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const LoadResult burst = horalux::bench::RunBurst(options);
    total.Add(burst);
    lastAnswers.push_back(burst.latencyMicros.empty() ? 0 : burst.latencyMicros.back());
  }
  std::sort(lastAnswers.begin(), lastAnswers.end());
  const auto n = [](std::uint64_t value) { return static_cast<unsigned long long>(value); };
  std::printf(
      "bursts %d of %d: ok %llu  closed %llu  reset %llu  wrong %llu  short %llu  connect %llu  "
      "timeout %llu  last answer p50 %u us  max %u us\n",
      bursts, options.clients, n(total.ok), n(total.closedWithoutByte), n(total.resets),
      n(total.wrongValue), n(total.shortRead), n(total.connectFailed), n(total.timeouts),
      lastAnswers[lastAnswers.size() / 2], lastAnswers.back());
  return total.Failed() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  LoadOptions options;
  bool burst = false;
  int bursts = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    const char* value = argv[i + 1];
    if (flag == "--host")
      options.host = value;
    else if (flag == "--port")
      options.port = std::atoi(value);
    else if (flag == "--clients")
      options.clients = std::atoi(value);
    else if (flag == "--seconds")
      options.seconds = std::atof(value);
    else if (flag == "--connections")
      options.connections = std::atoll(value);
    else if (flag == "--timeout-ms")
      options.timeoutMs = std::atoi(value);
    else if (flag == "--burst") {
      options.clients = std::atoi(value);
      burst = true;
    } else if (flag == "--bursts")
      bursts = std::atoi(value);
    else {
      std::fprintf(stderr, "unknown option %s\n", flag.c_str());
      return 2;
    }
  }
  if (burst) return Bursts(options, std::max(1, bursts));
  const auto result = horalux::bench::RunLoad(options);
  std::printf("%s  elapsed %.3f s\n", result.Summary().c_str(), result.elapsedSeconds);
  return result.Failed() == 0 ? 0 : 1;
}
