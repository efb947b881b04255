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
#include <optional>
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

// A client of a burst: its socket, the bytes it has read so far, and whether it is done.
struct BurstClient {
  Socket socket;
  unsigned char bytes[8];
  std::size_t count = 0;
  bool done = false;
};

// Reads what has arrived; the client's outcome once it is known.
std::optional<Outcome> ReadSome(BurstClient& client, int maxSkewSeconds) {
  const ssize_t n = ::recv(client.socket.fd(), client.bytes + client.count,
                           sizeof client.bytes - client.count, MSG_DONTWAIT);
  if (n < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return std::nullopt;
    if (client.count > 0) return Outcome::kShortRead;
    return errno == ECONNRESET ? Outcome::kReset : Outcome::kConnectFailed;
  }
  client.count += static_cast<std::size_t>(n);
  if (n > 0 && client.count < sizeof client.bytes) return std::nullopt;
  return Judge(client.bytes, client.count, maxSkewSeconds);
}

// What a client that is not done when the burst's time is up amounts to.
Outcome Unfinished(const BurstClient& client) {
  if (client.count > 0) return Outcome::kShortRead;
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  const bool connected =
      ::getpeername(client.socket.fd(), reinterpret_cast<sockaddr*>(&peer), &length) == 0;
  return connected ? Outcome::kTimeout : Outcome::kConnectFailed;
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

sockaddr_in AddressOf(const LoadOptions& options) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(options.port));
  ::inet_pton(AF_INET, options.host.c_str(), &address.sin_addr);
  return address;
}

// The clients of one burst, all served by the calling thread.
class Burst {
 public:
  explicit Burst(const LoadOptions& options)
      : options_(options), clients_(static_cast<std::size_t>(std::max(1, options.clients))) {}

  // Starts every connect before waiting for any of them.
  void Start(const sockaddr_in& address) {
    start = Clock::now();
    for (BurstClient& client : clients_) {
      ::fcntl(client.socket.fd(), F_SETFL, O_NONBLOCK);
      const auto* to = reinterpret_cast<const sockaddr*>(&address);
      if (::connect(client.socket.fd(), to, sizeof address) != 0 && errno != EINPROGRESS) {
        Done(client, Outcome::kConnectFailed);
      }
    }
  }

  // Waits until something arrives for a client or the deadline passes, and reads it;
  // false once there is nothing more to wait for.
  bool AwaitSome(Clock::time_point deadline) {
    entries_.clear();
    waiting_.clear();
    for (BurstClient& client : clients_) {
      if (client.done) continue;
      entries_.push_back({client.socket.fd(), POLLIN, 0});
      waiting_.push_back(&client);
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (entries_.empty() || left.count() <= 0) return false;
    const int ready = ::poll(entries_.data(), entries_.size(), static_cast<int>(left.count()));
    if (ready < 0) return errno == EINTR;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i].revents == 0) continue;
      if (const auto outcome = ReadSome(*waiting_[i], options_.maxSkewSeconds)) {
        Done(*waiting_[i], *outcome);
      }
    }
    return true;
  }

  LoadResult Finish() {
    for (BurstClient& client : clients_) {
      if (!client.done) Count(result_, Unfinished(client));
    }
    result_.elapsedSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::sort(result_.latencyMicros.begin(), result_.latencyMicros.end());
    return std::move(result_);
  }

  Clock::time_point start;

 private:
  void Done(BurstClient& client, Outcome outcome) {
    client.done = true;
    Count(result_, outcome);
    if (outcome != Outcome::kOk) return;
    result_.latencyMicros.push_back(static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count()));
  }

  const LoadOptions& options_;
  std::vector<BurstClient> clients_;
  std::vector<pollfd> entries_;
  std::vector<BurstClient*> waiting_;
  LoadResult result_;
};

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
  const sockaddr_in address = AddressOf(options);

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

LoadResult RunBurst(const LoadOptions& options) {
  Burst burst(options);
  burst.Start(AddressOf(options));
  const auto deadline = burst.start + std::chrono::milliseconds(options.timeoutMs);
  while (burst.AwaitSome(deadline)) {
  }
  return burst.Finish();
}

}  // namespace horalux::bench
