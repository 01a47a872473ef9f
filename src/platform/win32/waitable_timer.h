// The real clock and one-shot timers on Windows: one timer thread waiting on a high-resolution
// waitable timer (CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, Windows 10 1803 and later). Where the
// system refuses that flag, a plain waitable timer is used with the system timer raised to 1 ms
// (timeBeginPeriod) for as long as the service lives. The guarantees are those of the Linux
// timer thread: timers fire in due order, and a cancelled timer has not run and will not run.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "base/ports/clock.h"

namespace zentory {

// The steady clock (QueryPerformanceCounter underneath).
class CWin32Clock : public IClock {
 public:
  CWin32Clock();
  std::int64_t NowMs() override;
  std::int64_t NowUs() override;
  void SleepMs(std::int64_t ms) override;

 private:
  std::chrono::steady_clock::time_point start_;
};

class CWaitableTimerService : public ITimerService {
 public:
  // HIGHRESOLUTION false takes the fallback at once (tests and the benchmark measure both).
  explicit CWaitableTimerService(bool highResolution = true);
  ~CWaitableTimerService() override;  // drops pending timers, waits for a running callback
  CWaitableTimerService(const CWaitableTimerService&) = delete;
  CWaitableTimerService& operator=(const CWaitableTimerService&) = delete;

  TimerId StartOneShot(std::int64_t delayMs, std::function<void()> callback) override;
  TimerId StartOneShotUs(std::int64_t delayUs, std::function<void()> callback) override;
  // True: the callback had not started and never will. False: it has run (Cancel waits until it
  // has returned, unless called from that very callback) or the id is unknown.
  bool Cancel(TimerId id) override;

  // True when the high-resolution timer was had; false on the 1 ms fallback.
  bool HighResolution() const { return highResolution_; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Key {
    Clock::time_point due;
    TimerId id;
    bool operator<(const Key& o) const { return due < o.due || (due == o.due && id < o.id); }
  };
  TimerId StartAt(Clock::time_point due, std::function<void()> callback);
  void Run();

  HANDLE timer_ = nullptr;
  HANDLE wake_ = nullptr;  // auto-reset event: a new earliest timer, or stop
  bool highResolution_ = false;
  bool periodRaised_ = false;
  std::mutex mutex_;
  std::condition_variable settled_;  // Cancel: the running callback has returned
  std::map<Key, std::function<void()>> pending_;
  std::map<TimerId, Key> keyOf_;
  TimerId nextId_ = 1;
  TimerId running_ = 0;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace zentory
