// time-query HOST PORT: one query of the time client of this build. Prints the value
// received and the difference the synchronisation run would log (seconds this machine is
// ahead of the server, rounded), or the failure on standard error.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "timeproto/time_client.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: time-query HOST PORT\n");
    return 2;
  }
  horalux::TIdTime client;
  client.Host = argv[1];
  client.Port = std::atoi(argv[2]);
  try {
    const std::uint32_t value = client.QueryTimeValue();
    const horalux::TDateTime local = horalux::Now();
    const horalux::TDateTime server =
        horalux::TimeValueToDateTime(value, client.OneWayDelay(), client.BaseDate);
    std::printf("value %lu\ndifference %lld\n", static_cast<unsigned long>(value),
                std::llround((local - server) * 86400.0));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "time-query: %s\n", error.what());
    return 1;
  }
  return 0;
}
