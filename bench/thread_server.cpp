#include "bench/thread_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <utility>

#include "bench/load_client.h"

namespace horalux::bench {
namespace {

struct Connection {
  ThreadServer* server;
  int socket;
};

}  // namespace

ThreadServer::ThreadServer(int port, int backlog) : listener_(port, backlog) {
  thread_ = std::thread([this] { Accept(); });
}

ThreadServer::~ThreadServer() {
  listener_.Wake();
  thread_.join();
  std::unique_lock lock(mutex_);
  allEnded_.wait(lock, [this] { return running_ == 0; });
}

// Connection threads are detached, the cheapest way to have a thread per connection;
// the destructor waits for the count of running ones to reach zero instead of joining.
void ThreadServer::Accept() {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  for (int client; (client = listener_.Accept()) >= 0;) {
    {
      std::lock_guard lock(mutex_);
      ++running_;
    }
    pthread_t thread;
    auto* connection = new Connection{this, client};
    if (pthread_create(&thread, &attributes, &ThreadServer::Serve, connection) != 0) {
      delete connection;
      ::close(client);
      Ended();
    }
  }
  pthread_attr_destroy(&attributes);
}

void* ThreadServer::Serve(void* raw) {
  const Connection connection = *static_cast<Connection*>(raw);
  delete static_cast<Connection*>(raw);
  const std::uint32_t wire = htonl(CurrentTimeValue());
  (void)::send(connection.socket, &wire, sizeof wire, MSG_NOSIGNAL);
  ::shutdown(connection.socket, SHUT_WR);
  ::close(connection.socket);
  connection.server->Ended();
  return nullptr;
}

void ThreadServer::Ended() {
  std::lock_guard lock(mutex_);
  if (--running_ == 0) allEnded_.notify_all();
}

}  // namespace horalux::bench
