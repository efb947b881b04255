#include "tests/support/scripted_server.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>

namespace horalux::testing {

std::string TimeBytes(std::uint32_t value) {
  const std::uint32_t wire = htonl(value);
  return std::string(reinterpret_cast<const char*>(&wire), sizeof wire);
}

ScriptedServer::ScriptedServer(PeerScript script) : script_(std::move(script)) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) == 0) {
    wakeRead_ = RawFd(ends[0]);
    wakeWrite_ = RawFd(ends[1]);
  }
  thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
  stopping_ = true;
  const char byte = 0;
  (void)::write(wakeWrite_.get(), &byte, 1);
  thread_.join();
}

void ScriptedServer::Serve() {
  for (;;) {
    pollfd entries[2] = {{listener_.fd(), POLLIN, 0}, {wakeRead_.get(), POLLIN, 0}};
    if (::poll(entries, 2, -1) < 0) continue;
    if (entries[1].revents != 0 || stopping_) return;
    RawFd connection(::accept4(listener_.fd(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!connection.valid()) continue;
    ++accepted_;
    Play(std::move(connection));
  }
}

void ScriptedServer::Play(RawFd connection) {
  if (!Pause(script_.delayBeforeMs)) return;
  if (script_.trickleMs > 0) {
    for (std::size_t i = 0; i < script_.bytes.size(); ++i) {
      if (i > 0 && !Pause(script_.trickleMs)) return;
      WriteAll(connection.get(), script_.bytes.substr(i, 1));
    }
  } else {
    WriteAll(connection.get(), script_.bytes);
  }
  if (script_.end == PeerScript::End::kReset) {
    linger hard{1, 0};
    ::setsockopt(connection.get(), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  } else if (script_.end == PeerScript::End::kHold) {
    std::lock_guard lock(heldMutex_);
    held_.push_back(std::move(connection));
  }
}

bool ScriptedServer::Pause(int milliseconds) {
  if (milliseconds <= 0) return !stopping_;
  pollfd wake{wakeRead_.get(), POLLIN, 0};
  ::poll(&wake, 1, milliseconds);
  return !stopping_;
}

}  // namespace horalux::testing
