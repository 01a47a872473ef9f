// The real clock and one-shot timers: one timer thread on std::chrono::steady_clock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "base/ports/clock.h"

namespace zentory {

class CSteadyClock : public IClock {
 public:
  CSteadyClock();
  std::int64_t NowMs() override;
  void SleepMs(std::int64_t ms) override;
  std::int64_t NowUs() override;

 private:
  std::chrono::steady_clock::time_point start_;
};

// Timers fire in order of their due time on one thread of their own. A callback may start and
// cancel timers itself.
class CThreadTimerService : public ITimerService {
 public:
  CThreadTimerService();
  ~CThreadTimerService() override;  // drops pending timers, waits for a running callback
  CThreadTimerService(const CThreadTimerService&) = delete;
  CThreadTimerService& operator=(const CThreadTimerService&) = delete;

  TimerId StartOneShot(std::int64_t delayMs, std::function<void()> callback) override;
  // True: the callback had not started and never will. False: it has run (Cancel waits until it
  // has returned, unless called from that very callback) or the id is unknown.
  bool Cancel(TimerId id) override;
  TimerId StartOneShotUs(std::int64_t delayUs, std::function<void()> callback) override;

 private:
  TimerId StartAt(std::chrono::steady_clock::time_point due, std::function<void()> callback);
  using Clock = std::chrono::steady_clock;
  struct Key {
    Clock::time_point due;
    TimerId id;
    bool operator<(const Key& o) const { return due < o.due || (due == o.due && id < o.id); }
  };
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;     // the timer thread: a new earliest timer or stop
  std::condition_variable settled_;  // Cancel: the running callback has returned
  std::map<Key, std::function<void()>> pending_;
  std::map<TimerId, Key> keyOf_;
  TimerId nextId_ = 1;
  TimerId running_ = 0;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace zentory
