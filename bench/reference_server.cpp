#include "bench/reference_server.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include "bench/load_client.h"

namespace horalux::bench {

ReferenceServer::ReferenceServer(int port, int backlog) : listener_(port, backlog) {
  thread_ = std::thread([this] { Serve(); });
}

ReferenceServer::~ReferenceServer() {
  listener_.Wake();
  thread_.join();
}

void ReferenceServer::Serve() {
  for (int client; (client = listener_.Accept()) >= 0;) {
    const std::uint32_t wire = htonl(CurrentTimeValue());
    (void)::send(client, &wire, sizeof wire, MSG_NOSIGNAL);
    ::close(client);
  }
}

}  // namespace horalux::bench
