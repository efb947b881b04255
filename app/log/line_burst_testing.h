// A burst of lines from many threads, pushed into the log's hand-off, and the check that a
// reader took every one of them once and in order. For the tests of the hand-off and of the
// mirror.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/log/incoming_lines.h"

namespace horalux::testing {

// Lines from a burst of many threads, as the mirror's reader took them.
struct TBurst {
  static constexpr int kWriters = 8;
  static constexpr int kEach = 2000;

  // Each writer pushes its lines as "writer.line"; stamps count up under the ring's lock.
  static void Run(TIncomingLines& lines) {
    std::atomic<int> clock{0};
    const std::function<TDateTime()> next = [&clock] { return clock.fetch_add(1); };
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
      writers.emplace_back([&, w] {
        for (int i = 0; i < kEach; ++i) {
          lines.PushIncoming(next, std::to_string(w) + "." + std::to_string(i));
        }
      });
    }
    for (auto& writer : writers) writer.join();
  }

  // Every line once, stamps never going back, each writer's lines in its order.
  static void Check(const std::vector<std::pair<int, std::string>>& taken) {
    ASSERT_EQ(taken.size(), static_cast<std::size_t>(kWriters * kEach));
    std::vector<int> next(kWriters, 0);
    int previous = -1;
    for (const auto& [stamp, address] : taken) {
      EXPECT_GT(stamp, previous);
      previous = stamp;
      const int w = std::stoi(address);
      EXPECT_EQ(address.substr(address.find('.') + 1), std::to_string(next[w]++));
    }
  }
};

}  // namespace horalux::testing
