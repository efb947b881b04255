// time-serve PORT: the time server of this build on all local addresses at PORT (0: any
// free port), until its standard input ends. Prints "serving <port>" once it listens.
// The interoperation test puts it before the other system's clients.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "timeproto/time_server.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: time-serve PORT\n");
    return 2;
  }
  horalux::TIdTimeServer server;
  server.SetDefaultPort(std::atoi(argv[1]));
  server.MaxConnections = 20;
  try {
    server.SetActive(true);
    std::printf("serving %d\n", server.Bindings().BindingAt(0).Port);
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    server.SetActive(false);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "time-serve: %s\n", error.what());
    return 1;
  }
  return 0;
}
