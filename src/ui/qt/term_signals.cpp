#include "ui/qt/term_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace zentory {

namespace {

// A signal handler may only write to a descriptor; the UI thread reads the other end.
int g_signalPipe[2] = {-1, -1};

extern "C" void OnTermSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[0], &byte, 1);
}

}  // namespace

CTermSignals::CTermSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(g_signalPipe[1], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
    char byte = 0;
    [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[1], &byte, 1);
    if (onSignal_) onSignal_();
  });
  struct sigaction action {};
  action.sa_handler = OnTermSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

CTermSignals::~CTermSignals() {
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGHUP, SIG_DFL);
  notifier_.reset();
  for (int& fd : g_signalPipe) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

}  // namespace zentory
