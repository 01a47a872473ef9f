// SIGTERM and SIGHUP (a logout, a session end, a plain kill) become a call on the UI thread, so
// that the program can keep the user's unsaved song before it ends.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace zentory {

class CTermSignals {
 public:
  // ON_SIGNAL runs on the UI thread, once per signal received. One instance per process.
  explicit CTermSignals(std::function<void()> onSignal);
  ~CTermSignals();
  CTermSignals(const CTermSignals&) = delete;
  CTermSignals& operator=(const CTermSignals&) = delete;

 private:
  std::function<void()> onSignal_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace zentory
