// Test helpers for the TCP server and its descendants: a fixture that proves no thread or
// descriptor is left behind, loopback bindings, a manager that counts its wait steps, and
// a client that tells a close from a silence.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "server/tcp_server.h"
#include "server/thread_test_support.h"
#include "tests/support/loopback.h"
#include "tests/support/process_counts.h"

namespace horalux::testing {

// Also checks that every descriptor opened during the test is closed again.
class ServerTest : public ThreadTest {
 protected:
  void SetUp() override {
    ThreadTest::SetUp();
    descriptors_ = OpenDescriptorCount();
  }
  void TearDown() override {
    ThreadTest::TearDown();
    EXPECT_TRUE(Eventually([this] { return OpenDescriptorCount() == descriptors_; }))
        << OpenDescriptorCount() << " descriptors, " << descriptors_ << " before";
  }

  int descriptors_ = 0;
};

// A binding on 127.0.0.1 at an ephemeral port.
inline TIdSocketHandle& AddLoopbackBinding(TIdTCPServer& server) {
  TIdSocketHandle& binding = server.Bindings().AddBinding();
  binding.IP = "127.0.0.1";
  binding.Port = 0;
  return binding;
}

// The port the system gave a binding at activation.
inline int BoundPort(TIdTCPServer& server, std::size_t index = 0) {
  return server.Bindings().BindingAt(index).Port;
}

// An OnExecute that writes `text` and closes the connection: one answer per client.
inline TIdServerThreadEvent Answer(std::string text) {
  return [text](TIdPeerThread& peer) {
    peer.Connection().WriteText(text);
    peer.Connection().CloseConnection();
  };
}

inline std::size_t Listed(TIdThreadMgr& mgr) { return mgr.LiveThreads.Lock()->size(); }

// Counts the wait steps of deactivations instead of sleeping each whole step.
class CountingMgr : public TIdThreadMgrDefault {
 public:
  using TIdThreadMgrDefault::TIdThreadMgrDefault;
  std::atomic<int> pauses{0};
  // Runs in each step with the number of steps so far. Set before the manager is used.
  std::function<void(int)> onPause;

 protected:
  void Pause(std::chrono::milliseconds duration) override {
    const int count = ++pauses;
    if (onPause) onPause(count);
    std::this_thread::sleep_for(duration / 25);
  }
};

// Everything until the peer closes, or nothing when it does not close within the time.
inline std::optional<std::string> ReadToClose(RawSocket socket, int timeoutMs = 10000) {
  std::string bytes;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !WaitReadable(socket, static_cast<int>(left.count()))) {
      return std::nullopt;
    }
    const std::string more = ReceiveSome(socket, 256);
    if (more.empty()) return bytes;
    bytes += more;
  }
}

// A list of strings that several threads append to.
class Journal {
 public:
  void Add(std::string entry) {
    std::lock_guard lock(mutex_);
    entries_.push_back(std::move(entry));
  }
  std::vector<std::string> Entries() {
    std::lock_guard lock(mutex_);
    return entries_;
  }
  std::size_t Size() {
    std::lock_guard lock(mutex_);
    return entries_.size();
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> entries_;
};

}  // namespace horalux::testing
