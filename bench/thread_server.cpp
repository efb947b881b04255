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

ThreadServer::ThreadServer(int port, int backlog)
    : listener_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  const int on = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, backlog) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0) {
    throw std::runtime_error("thread server cannot listen");
  }
  socklen_t length = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Accept(); });
}

ThreadServer::~ThreadServer() {
  const char byte = 0;
  (void)::write(wake_[1], &byte, 1);
  thread_.join();
  std::unique_lock lock(mutex_);
  allEnded_.wait(lock, [this] { return running_ == 0; });
  ::close(listener_);
  ::close(wake_[0]);
  ::close(wake_[1]);
}

// Connection threads are detached, the cheapest way to have a thread per connection;
// the destructor waits for the count of running ones to reach zero instead of joining.
void ThreadServer::Accept() {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  for (;;) {
    pollfd entries[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(entries, 2, -1) < 0) continue;
    if (entries[1].revents != 0) break;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
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
