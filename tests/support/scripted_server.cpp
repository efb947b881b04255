#include "tests/support/scripted_server.h"

#include <chrono>

namespace horalux::testing {
namespace {

// How long the serving thread waits for a client before it looks whether to stop.
constexpr int kStopCheckMs = 20;

}  // namespace

std::string TimeBytes(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

ScriptedServer::ScriptedServer(PeerScript script) : script_(std::move(script)) {
  thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
  {
    std::lock_guard lock(stopMutex_);
    stopping_ = true;
  }
  stopRequested_.notify_all();
  thread_.join();
}

void ScriptedServer::Serve() {
  while (Pause(0)) {
    RawFd connection = listener_.Accept(kStopCheckMs);
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
    ResetOnClose(connection.get());
  } else if (script_.end == PeerScript::End::kHold) {
    held_.push_back(std::move(connection));
  }
}

bool ScriptedServer::Pause(int milliseconds) {
  std::unique_lock lock(stopMutex_);
  if (milliseconds > 0) {
    stopRequested_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                            [this] { return stopping_; });
  }
  return !stopping_;
}

}  // namespace horalux::testing
