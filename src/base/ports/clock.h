// Time: the clock with its sleep, and one-shot timers. Every wait of the program goes through
// here so that tests can run in virtual time.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace zentory {

class IClock {
 public:
  virtual ~IClock() = default;
  // Milliseconds since an arbitrary start; never goes back.
  virtual std::int64_t NowMs() = 0;
  // Blocks the calling thread for MS milliseconds.
  virtual void SleepMs(std::int64_t ms) = 0;
  // Microseconds on the same time line as NowMs; a clock without finer steps gives whole ms.
  virtual std::int64_t NowUs() { return NowMs() * 1000; }
};

using TimerId = std::uint32_t;  // 0 = no timer

class ITimerService {
 public:
  virtual ~ITimerService() = default;
  // Runs CALLBACK once, DELAYMS milliseconds from now, on the timer thread. Returns 0 when the
  // timer cannot be started.
  virtual TimerId StartOneShot(std::int64_t delayMs, std::function<void()> callback) = 0;
  // Cancels a timer. Returns true when the callback had not started and now never will; false
  // when it has already run (Cancel then waits until it has returned) or the id is unknown.
  virtual bool Cancel(TimerId id) = 0;
  // The same with the delay in microseconds; a service that counts whole milliseconds rounds up,
  // so the callback never runs early.
  virtual TimerId StartOneShotUs(std::int64_t delayUs, std::function<void()> callback) {
    return StartOneShot((delayUs + 999) / 1000, std::move(callback));
  }
};

}  // namespace zentory
