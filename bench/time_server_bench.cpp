// time-server-bench: the time server's queries per second and latency at 1, 4 and 16
// concurrent clients, each as a ratio to the single-thread reference server measured in
// the same run (rounds alternate between them), beside the least server with one thread
// per connection (bench/thread_server.h); plus this process's resident memory and thread
// count before, during and after the time server's load. The time server runs with
// the window's settings: MaxConnections 20, the default ListenQueue. The clients run in a
// child process forked at the start, so that the figures of this process are the servers'
// own.
//   time-server-bench [--seconds 2] [--rounds 3]
// Exit status 0 when no query failed (refusals over the limit are counted, not failures).
//
// With --serve, it only runs one of the three servers on 127.0.0.1, prints its port and
// serves until its standard input ends, so that a script can load it from outside beside
// the real program (bench/program-bench):
//   time-server-bench --serve time|reference|threads [--port 0]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "bench/load_client.h"
#include "bench/reference_server.h"
#include "bench/thread_server.h"
#include "server/thread.h"
#include "timeproto/time_server.h"

namespace {

using horalux::bench::LoadOptions;
using horalux::bench::LoadResult;

struct ProcessStats {
  long rssKiB = 0;
  long peakRssKiB = 0;
  int threads = 0;
};

ProcessStats ReadStats() {
  ProcessStats stats;
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") status >> stats.rssKiB;
    if (key == "VmHWM:") status >> stats.peakRssKiB;
    if (key == "Threads:") status >> stats.threads;
    status.ignore(1 << 10, '\n');
  }
  return stats;
}

// Samples the process while the load runs and keeps the highest values.
class Sampler {
 public:
  Sampler() : thread_([this] { Run(); }) {}
  ~Sampler() {
    stop_ = true;
    thread_.join();
  }
  ProcessStats Highest() const { return {maxRss_.load(), 0, maxThreads_.load()}; }

 private:
  void Run() {
    while (!stop_) {
      const ProcessStats now = ReadStats();
      maxRss_ = std::max(maxRss_.load(), now.rssKiB);
      maxThreads_ = std::max(maxThreads_.load(), now.threads);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  std::atomic<bool> stop_{false};
  std::atomic<long> maxRss_{0};
  std::atomic<int> maxThreads_{0};
  std::thread thread_;
};

// Adds one round's result to the total of several.
void Merge(LoadResult& total, const LoadResult& round) {
  total.Add(round);
  total.elapsedSeconds += round.elapsedSeconds;
}

// The load generator in a child process, forked before this process makes any thread;
// it runs one load per request and sends back the counts and latencies.
class LoadProcess {
 public:
  LoadProcess() {
    int requests[2];
    int results[2];
    if (::pipe(requests) != 0 || ::pipe(results) != 0) throw std::runtime_error("pipe");
    child_ = ::fork();
    if (child_ < 0) throw std::runtime_error("fork");
    if (child_ == 0) {
      ::close(requests[1]);
      ::close(results[0]);
      Serve(requests[0], results[1]);
      ::_exit(0);
    }
    ::close(requests[0]);
    ::close(results[1]);
    requests_ = requests[1];
    results_ = results[0];
  }
  ~LoadProcess() {
    ::close(requests_);
    ::close(results_);
    ::waitpid(child_, nullptr, 0);
  }

  LoadResult Run(int port, int clients, double seconds) {
    const Request request{port, clients, seconds};
    WriteAll(requests_, &request, sizeof request);
    LoadResult result;
    Counts counts;
    ReadAll(results_, &counts, sizeof counts);
    result.ok = counts.values[0];
    result.closedWithoutByte = counts.values[1];
    result.wrongValue = counts.values[2];
    result.shortRead = counts.values[3];
    result.connectFailed = counts.values[4];
    result.resets = counts.values[5];
    result.timeouts = counts.values[6];
    result.elapsedSeconds = counts.elapsedSeconds;
    result.latencyMicros.resize(counts.latencies);
    ReadAll(results_, result.latencyMicros.data(), counts.latencies * sizeof(std::uint32_t));
    return result;
  }

 private:
  struct Request {
    int port;
    int clients;
    double seconds;
  };
  struct Counts {
    std::uint64_t values[7];
    double elapsedSeconds;
    std::size_t latencies;
  };

  static void Serve(int requests, int results) {
    Request request;
    while (::read(requests, &request, sizeof request) == sizeof request) {
      LoadOptions options;
      options.port = request.port;
      options.clients = request.clients;
      options.seconds = request.seconds;
      const LoadResult r = horalux::bench::RunLoad(options);
      const Counts counts{{r.ok, r.closedWithoutByte, r.wrongValue, r.shortRead, r.connectFailed,
                           r.resets, r.timeouts},
                          r.elapsedSeconds,
                          r.latencyMicros.size()};
      WriteAll(results, &counts, sizeof counts);
      WriteAll(results, r.latencyMicros.data(), r.latencyMicros.size() * sizeof(std::uint32_t));
    }
  }
  static void WriteAll(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t n = ::write(fd, bytes, size);
      if (n <= 0) throw std::runtime_error("write to the load process");
      bytes += n;
      size -= static_cast<std::size_t>(n);
    }
  }
  static void ReadAll(int fd, void* data, std::size_t size) {
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
      const ssize_t n = ::read(fd, bytes, size);
      if (n <= 0) throw std::runtime_error("read from the load process");
      bytes += n;
      size -= static_cast<std::size_t>(n);
    }
  }

  pid_t child_ = -1;
  int requests_ = -1;
  int results_ = -1;
};

double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

struct Ports {
  int reference;
  int threads;
  int time;
};

struct Measured {
  LoadResult reference;
  LoadResult threads;
  LoadResult time;
  ProcessStats highest;  // of this process while the time server was under load
};

// Rounds alternate between the three servers, so that a disturbance from outside touches
// each of them alike.
Measured MeasureAt(LoadProcess& load, const Ports& ports, int clients, double seconds, int rounds) {
  Measured m;
  for (int round = 0; round < rounds; ++round) {
    Merge(m.reference, load.Run(ports.reference, clients, seconds));
    Merge(m.threads, load.Run(ports.threads, clients, seconds));
    Sampler sampler;
    Merge(m.time, load.Run(ports.time, clients, seconds));
    const ProcessStats highest = sampler.Highest();
    m.highest.rssKiB = std::max(m.highest.rssKiB, highest.rssKiB);
    m.highest.threads = std::max(m.highest.threads, highest.threads);
  }
  for (LoadResult* r : {&m.reference, &m.threads, &m.time}) {
    std::sort(r->latencyMicros.begin(), r->latencyMicros.end());
  }
  return m;
}

void PrintMeasured(int clients, const Measured& m) {
  const LoadResult& ref = m.reference;
  const LoadResult& time = m.time;
  std::printf("%d clients:\n", clients);
  std::printf("  reference server        %7.0f q/s  p50 %5u us  p99 %5u us\n",
              ref.QueriesPerSecond(), ref.Percentile(0.5), ref.Percentile(0.99));
  std::printf("  thread per connection   %7.0f q/s  p50 %5u us  p99 %5u us  (%.3f of reference)\n",
              m.threads.QueriesPerSecond(), m.threads.Percentile(0.5), m.threads.Percentile(0.99),
              Ratio(m.threads.QueriesPerSecond(), ref.QueriesPerSecond()));
  std::printf("  time server             %7.0f q/s  p50 %5u us  p99 %5u us\n",
              time.QueriesPerSecond(), time.Percentile(0.5), time.Percentile(0.99));
  std::printf(
      "  time server / reference: q/s %.3f, p50 %.3f, p99 %.3f; "
      "/ thread per connection: q/s %.3f\n",
      Ratio(time.QueriesPerSecond(), ref.QueriesPerSecond()),
      Ratio(time.Percentile(0.5), ref.Percentile(0.5)),
      Ratio(time.Percentile(0.99), ref.Percentile(0.99)),
      Ratio(time.QueriesPerSecond(), m.threads.QueriesPerSecond()));
  std::printf(
      "  time server refused %llu, failed %llu (reference %llu, thread per connection %llu)\n",
      static_cast<unsigned long long>(time.closedWithoutByte),
      static_cast<unsigned long long>(time.Failed()), static_cast<unsigned long long>(ref.Failed()),
      static_cast<unsigned long long>(m.threads.Failed()));
}

// Serves until standard input ends; returns the exit status.
int ServeAlone(const std::string& kind, int port) {
  const auto serveUntilInputEnds = [](int listening) {
    std::printf("%d\n", listening);
    std::fflush(stdout);
    char byte;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
  };
  if (kind == "reference") {
    horalux::bench::ReferenceServer reference(port);
    serveUntilInputEnds(reference.Port());
  } else if (kind == "threads") {
    horalux::bench::ThreadServer threads(port);
    serveUntilInputEnds(threads.Port());
  } else if (kind == "time") {
    horalux::TIdTimeServer server;
    horalux::TIdSocketHandle& binding = server.Bindings().AddBinding();
    binding.IP = "127.0.0.1";
    binding.Port = port;
    server.MaxConnections = 20;
    server.SetActive(true);
    serveUntilInputEnds(binding.Port);
    server.SetActive(false);
    horalux::AwaitThreadsEnded(std::chrono::seconds(10));
  } else {
    std::fprintf(stderr, "unknown server %s\n", kind.c_str());
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 2.0;
  int rounds = 3;
  std::string serve;
  int port = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--seconds") {
      seconds = std::atof(argv[i + 1]);
    } else if (flag == "--rounds") {
      rounds = std::atoi(argv[i + 1]);
    } else if (flag == "--serve") {
      serve = argv[i + 1];
    } else if (flag == "--port") {
      port = std::atoi(argv[i + 1]);
    } else {
      std::fprintf(stderr, "unknown option %s\n", flag.c_str());
      return 2;
    }
  }

  if (!serve.empty()) return ServeAlone(serve, port);

  LoadProcess load;  // before any thread exists here
  horalux::bench::ReferenceServer reference;
  horalux::bench::ThreadServer threads;
  horalux::TIdTimeServer server;
  horalux::TIdSocketHandle& binding = server.Bindings().AddBinding();
  binding.IP = "127.0.0.1";
  binding.Port = 0;
  server.MaxConnections = 20;
  const ProcessStats before = ReadStats();  // the other two servers are up already
  server.SetActive(true);
  const Ports ports{reference.Port(), threads.Port(), binding.Port};

  std::uint64_t failed = 0;
  ProcessStats during;
  for (const int clients : {1, 4, 16}) {
    const Measured m = MeasureAt(load, ports, clients, seconds, rounds);
    PrintMeasured(clients, m);
    failed += m.reference.Failed() + m.threads.Failed() + m.time.Failed();
    during.rssKiB = std::max(during.rssKiB, m.highest.rssKiB);
    during.threads = std::max(during.threads, m.highest.threads);
  }
  server.SetActive(false);
  horalux::AwaitThreadsEnded(std::chrono::seconds(10));
  const ProcessStats after = ReadStats();
  std::printf("resident memory KiB: before %ld, during (highest) %ld, after %ld, peak %ld\n",
              before.rssKiB, during.rssKiB, after.rssKiB, after.peakRssKiB);
  std::printf("threads: before %d, during (highest) %d, after %d\n", before.threads, during.threads,
              after.threads);
  return failed == 0 ? 0 : 1;
}
