#include "bench/load_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <thread>

namespace horalux::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint32_t kSecondsFrom1900To1970 = 2'208'988'800u;

enum class Outcome {
  kOk,
  kClosedWithoutByte,
  kWrongValue,
  kShortRead,
  kConnectFailed,
  kReset,
  kTimeout
};

class Socket {
 public:
  Socket() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

bool WaitFor(int fd, short events, int timeoutMs) {
  pollfd entry{fd, events, 0};
  int result;
  do {
    result = ::poll(&entry, 1, timeoutMs);
  } while (result < 0 && errno == EINTR);
  return result == 1;
}

// Non-blocking, so that a handshake the server's full listen queue keeps dropping counts
// as failed after the time-out instead of holding the client for minutes.
bool Connect(int fd, const sockaddr_in& address, int timeoutMs) {
  const int flags = ::fcntl(fd, F_GETFL);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (!connected && (errno == EINPROGRESS || errno == EINTR) && WaitFor(fd, POLLOUT, timeoutMs)) {
    int error = 0;
    socklen_t length = sizeof error;
    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
    connected = error == 0;
  }
  ::fcntl(fd, F_SETFL, flags);
  return connected;
}

Outcome Judge(const unsigned char* bytes, std::size_t count, int maxSkewSeconds) {
  if (count == 0) return Outcome::kClosedWithoutByte;
  if (count != 4) return Outcome::kShortRead;
  std::uint32_t wire;
  std::copy(bytes, bytes + 4, reinterpret_cast<unsigned char*>(&wire));
  const auto skew = static_cast<std::int32_t>(ntohl(wire) - CurrentTimeValue());
  return std::abs(skew) <= maxSkewSeconds ? Outcome::kOk : Outcome::kWrongValue;
}

Outcome OneQuery(const sockaddr_in& address, const LoadOptions& options) {
  Socket socket;
  if (!Connect(socket.fd(), address, options.timeoutMs)) return Outcome::kConnectFailed;
  unsigned char bytes[8];
  std::size_t count = 0;
  for (;;) {
    if (!WaitFor(socket.fd(), POLLIN, options.timeoutMs)) return Outcome::kTimeout;
    const ssize_t n = ::recv(socket.fd(), bytes + count, sizeof bytes - count, 0);
    if (n < 0) return errno == ECONNRESET && count == 0 ? Outcome::kReset : Outcome::kShortRead;
    if (n == 0) break;
    count += static_cast<std::size_t>(n);
    if (count == sizeof bytes) break;
  }
  return Judge(bytes, count, options.maxSkewSeconds);
}

struct Tally {
  std::mutex mutex;
  LoadResult result;

  void Add(const LoadResult& part) {
    std::lock_guard lock(mutex);
    result.Add(part);
  }
};

void Count(LoadResult& result, Outcome outcome) {
  switch (outcome) {
    case Outcome::kOk:
      ++result.ok;
      break;
    case Outcome::kClosedWithoutByte:
      ++result.closedWithoutByte;
      break;
    case Outcome::kWrongValue:
      ++result.wrongValue;
      break;
    case Outcome::kShortRead:
      ++result.shortRead;
      break;
    case Outcome::kConnectFailed:
      ++result.connectFailed;
      break;
    case Outcome::kReset:
      ++result.resets;
      break;
    case Outcome::kTimeout:
      ++result.timeouts;
      break;
  }
}

}  // namespace

std::uint32_t CurrentTimeValue() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now).count();
  return static_cast<std::uint32_t>(seconds) + kSecondsFrom1900To1970;
}

void LoadResult::Add(const LoadResult& other) {
  ok += other.ok;
  closedWithoutByte += other.closedWithoutByte;
  resets += other.resets;
  wrongValue += other.wrongValue;
  shortRead += other.shortRead;
  connectFailed += other.connectFailed;
  timeouts += other.timeouts;
  latencyMicros.insert(latencyMicros.end(), other.latencyMicros.begin(), other.latencyMicros.end());
}

std::uint64_t LoadResult::Total() const { return ok + Refused() + Failed(); }

double LoadResult::QueriesPerSecond() const {
  return elapsedSeconds > 0 ? static_cast<double>(ok) / elapsedSeconds : 0.0;
}

std::uint32_t LoadResult::Percentile(double fraction) const {
  if (latencyMicros.empty()) return 0;
  const auto index =
      static_cast<std::size_t>(fraction * static_cast<double>(latencyMicros.size() - 1));
  return latencyMicros[index];
}

std::string LoadResult::Summary() const {
  const auto n = [](std::uint64_t value) { return static_cast<unsigned long long>(value); };
  char text[512];
  std::snprintf(text, sizeof text,
                "%.0f q/s  ok %llu  refused %llu (closed %llu reset %llu)  failed %llu (wrong %llu "
                "short %llu connect %llu timeout %llu)  p50 %u us  p99 %u us",
                QueriesPerSecond(), n(ok), n(Refused()), n(closedWithoutByte), n(resets),
                n(Failed()), n(wrongValue), n(shortRead), n(connectFailed), n(timeouts),
                Percentile(0.5), Percentile(0.99));
  return text;
}

LoadResult RunLoad(const LoadOptions& options) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(options.port));
  ::inet_pton(AF_INET, options.host.c_str(), &address.sin_addr);

  const auto start = Clock::now();
  const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(options.seconds));
  std::atomic<std::int64_t> remaining{options.connections};
  Tally tally;
  std::vector<std::thread> clients;
  for (int c = 0; c < std::max(1, options.clients); ++c) {
    clients.emplace_back([&] {
      LoadResult part;
      for (;;) {
        if (options.connections > 0 ? remaining.fetch_sub(1) <= 0 : Clock::now() >= deadline) break;
        const auto begin = Clock::now();
        const Outcome outcome = OneQuery(address, options);
        Count(part, outcome);
        if (outcome == Outcome::kOk) {
          part.latencyMicros.push_back(static_cast<std::uint32_t>(
              std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - begin).count()));
        }
      }
      tally.Add(part);
    });
  }
  for (auto& client : clients) client.join();
  LoadResult result = std::move(tally.result);
  result.elapsedSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::sort(result.latencyMicros.begin(), result.latencyMicros.end());
  return result;
}

}  // namespace horalux::bench
