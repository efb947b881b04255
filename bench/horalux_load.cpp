// horalux-load: drives an RFC 868 server on a numeric address with N clients and prints
// what came back, and how long that took. Exit status 0 when no query failed (refusals over a
// connection limit are not failures), 1 otherwise.
//   horalux-load --port 37 --clients 64 --seconds 30 [--host 127.0.0.1] [--connections N]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/load_client.h"

int main(int argc, char** argv) {
  horalux::bench::LoadOptions options;
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
    else {
      std::fprintf(stderr, "unknown option %s\n", flag.c_str());
      return 2;
    }
  }
  const auto result = horalux::bench::RunLoad(options);
  std::printf("%s  elapsed %.3f s\n", result.Summary().c_str(), result.elapsedSeconds);
  return result.Failed() == 0 ? 0 : 1;
}
