// Turns SIGTERM, SIGINT, SIGHUP and SIGQUIT (a session logging out or shutting down,
// Ctrl+C or Ctrl+\ in a terminal, the terminal closed) into the quit request that "Exit"
// makes, so that the program ends as on "Exit": a run under way ends, the server stops, the
// icon goes, the single-instance lock and the activation socket are released.
// One object per process, made and destroyed on the main thread.
#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace horalux {

// A write to a pipe or socket whose reader has gone (standard error of a closed terminal,
// `horalux 2>&1 | head`) fails with EPIPE instead of ending the program; a lost log line
// is no reason to stop keeping the clock. Call first thing in main.
void IgnoreBrokenPipes();

class TTerminationSignals {
 public:
  explicit TTerminationSignals(std::function<void()> onSignal);
  ~TTerminationSignals();
  TTerminationSignals(const TTerminationSignals&) = delete;
  TTerminationSignals& operator=(const TTerminationSignals&) = delete;

 private:
  std::function<void()> onSignal_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace horalux
