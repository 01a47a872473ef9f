// The waitable-timer service keeps the timer thread's promises: due order, and a cancel that
// means the callback has not run and never will. How close to their time timers fire is measured
// by bench/win32/timer_bench.cpp, not here.
#include "platform/win32/waitable_timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace zentory {
namespace {

// Every test runs on the high-resolution timer and on the fallback with the system timer raised.
class WaitableTimerService : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(BothTimers, WaitableTimerService, ::testing::Values(true, false));

// Waits up to two seconds for CONDITION.
template <typename F>
bool WaitFor(F condition) {
  CWin32Clock clock;
  while (!condition()) {
    if (clock.NowMs() > 2000) return false;
    clock.SleepMs(1);
  }
  return true;
}

TEST_P(WaitableTimerService, FiresInDueOrderAndNeverEarly) {
  CWaitableTimerService timers(GetParam());
  if (!GetParam()) {
    EXPECT_FALSE(timers.HighResolution());
  }
  CWin32Clock clock;
  std::mutex m;
  std::vector<int> order;
  std::vector<std::int64_t> late;
  auto add = [&](int tag, std::int64_t dueUs) {
    return [&, tag, dueUs] {
      std::lock_guard lock(m);
      order.push_back(tag);
      late.push_back(clock.NowUs() - dueUs);
    };
  };
  const std::int64_t now = clock.NowUs();
  timers.StartOneShotUs(40000, add(3, now + 40000));
  timers.StartOneShot(0, add(1, now));
  timers.StartOneShotUs(1500, add(2, now + 1500));
  ASSERT_TRUE(WaitFor([&] {
    std::lock_guard lock(m);
    return order.size() == 3;
  }));
  std::lock_guard lock(m);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
  for (std::int64_t l : late) EXPECT_GE(l, 0);
}

TEST_P(WaitableTimerService, CancelMeansNeverRunsAndWaitsForARunningCallback) {
  CWaitableTimerService timers(GetParam());
  std::atomic<bool> ran{false};
  const TimerId pending = timers.StartOneShot(50, [&] { ran = true; });
  ASSERT_NE(pending, 0u);
  EXPECT_TRUE(timers.Cancel(pending));
  EXPECT_FALSE(timers.Cancel(pending));  // unknown now

  std::atomic<bool> entered{false}, finished{false};
  const TimerId running = timers.StartOneShot(0, [&] {
    entered = true;
    Sleep(60);
    finished = true;
  });
  ASSERT_TRUE(WaitFor([&] { return entered.load(); }));
  EXPECT_FALSE(timers.Cancel(running));
  EXPECT_TRUE(finished.load());  // Cancel returned only after the callback did
  Sleep(80);
  EXPECT_FALSE(ran.load());
}

TEST_P(WaitableTimerService, CallbacksStartAndCancelTimersAndAnEarlierTimerWakesTheThread) {
  CWaitableTimerService timers(GetParam());
  std::atomic<int> chain{0};
  std::atomic<bool> cancelledRan{false};
  std::function<void()> step = [&] {
    if (++chain < 5) timers.StartOneShotUs(500, step);
  };
  // A distant timer is armed first; the chain started after it must not wait for it.
  const TimerId distant = timers.StartOneShot(5000, [&] { cancelledRan = true; });
  timers.StartOneShot(1, step);
  ASSERT_TRUE(WaitFor([&] { return chain.load() == 5; }));
  std::atomic<bool> selfCancel{false};
  TimerId self = 0;
  std::atomic<bool> idSet{false};
  self = timers.StartOneShot(1, [&] {
    while (!idSet.load()) Sleep(0);
    selfCancel = !timers.Cancel(self);  // from its own callback: no wait, no deadlock
  });
  idSet = true;
  ASSERT_TRUE(WaitFor([&] { return selfCancel.load(); }));
  EXPECT_TRUE(timers.Cancel(distant));
  EXPECT_FALSE(cancelledRan.load());
}

TEST_P(WaitableTimerService, DestructionDropsPendingTimers) {
  std::atomic<bool> ran{false};
  {
    CWaitableTimerService timers(GetParam());
    timers.StartOneShot(30, [&] { ran = true; });
  }
  Sleep(60);
  EXPECT_FALSE(ran.load());
}

}  // namespace
}  // namespace zentory
