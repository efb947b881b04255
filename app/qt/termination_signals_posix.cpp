// The classic self-pipe: the signal handler only writes a byte; the event loop reads it.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>

#include "app/qt/termination_signals.h"

namespace horalux {
namespace {

constexpr int kTerminationSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

int signalPipe[2] = {-1, -1};

// Caught, not ignored: a caught signal is back to its default in programs this one
// starts (a browser opening the web address), where an ignored one would stay ignored.
extern "C" void OnBrokenPipe(int) {}

extern "C" void OnTerminationSignal(int) {
  const char byte = 1;
  (void)::write(signalPipe[1], &byte, 1);
}

void Handle(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(signal, &action, nullptr);
}

}  // namespace

void IgnoreBrokenPipes() { Handle(SIGPIPE, &OnBrokenPipe); }

TTerminationSignals::TTerminationSignals(std::function<void()> onSignal)
    : onSignal_(std::move(onSignal)) {
  if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
    char bytes[16];
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    onSignal_();
  });
  for (const int signal : kTerminationSignals) Handle(signal, &OnTerminationSignal);
}

TTerminationSignals::~TTerminationSignals() {
  for (const int signal : kTerminationSignals) Handle(signal, SIG_DFL);
  notifier_.reset();
  for (int& end : signalPipe) {
    if (end >= 0) ::close(end);
    end = -1;
  }
}

}  // namespace horalux
