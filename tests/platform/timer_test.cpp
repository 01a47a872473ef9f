#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "platform/timer/timer_service.h"

namespace zentory {
namespace {

TEST(ThreadTimerService, FiresInDueOrderNotStartOrder) {
  CThreadTimerService timers;
  std::mutex m;
  std::vector<int> order;
  std::atomic<int> fired{0};
  auto add = [&](int tag) {
    return [&, tag] {
      std::lock_guard lock(m);
      order.push_back(tag);
      ++fired;
    };
  };
  timers.StartOneShot(60, add(3));
  timers.StartOneShot(0, add(1));
  timers.StartOneShot(30, add(2));
  CSteadyClock clock;
  const auto start = clock.NowMs();
  while (fired.load() < 3 && clock.NowMs() - start < 2000) clock.SleepMs(5);
  std::lock_guard lock(m);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(ThreadTimerService, CancelBeforeDueMeansNeverRuns) {
  CThreadTimerService timers;
  std::atomic<bool> ran{false};
  TimerId id = timers.StartOneShot(50, [&] { ran = true; });
  ASSERT_NE(id, 0u);
  EXPECT_TRUE(timers.Cancel(id));
  EXPECT_FALSE(timers.Cancel(id));  // unknown now
  CSteadyClock().SleepMs(120);
  EXPECT_FALSE(ran.load());
}

TEST(ThreadTimerService, CancelOfRunningCallbackWaitsForItsEnd) {
  CThreadTimerService timers;
  std::atomic<bool> entered{false}, finished{false};
  TimerId id = timers.StartOneShot(0, [&] {
    entered = true;
    CSteadyClock().SleepMs(80);
    finished = true;
  });
  while (!entered.load()) CSteadyClock().SleepMs(1);
  EXPECT_FALSE(timers.Cancel(id));
  EXPECT_TRUE(finished.load());
}

TEST(ThreadTimerService, CallbackMayStartAndCancelTimersWithoutDeadlock) {
  CThreadTimerService timers;
  std::atomic<int> second{0};
  std::atomic<bool> selfCancel{true};
  std::atomic<TimerId> self{0};
  std::atomic<bool> done{false};
  // The delay lets SELF be stored before the callback reads it.
  self = timers.StartOneShot(20, [&] {
    selfCancel = timers.Cancel(self);  // its own id while running: no wait, false
    timers.StartOneShot(0, [&] {
      ++second;
      done = true;
    });
  });
  CSteadyClock clock;
  const auto start = clock.NowMs();
  while (!done.load() && clock.NowMs() - start < 2000) clock.SleepMs(2);
  EXPECT_FALSE(selfCancel.load());
  EXPECT_EQ(second.load(), 1);
}

TEST(ThreadTimerService, DestroyingDropsPendingTimers) {
  std::atomic<bool> ran{false};
  {
    CThreadTimerService timers;
    timers.StartOneShot(10000, [&] { ran = true; });
  }
  EXPECT_FALSE(ran.load());
}

}  // namespace
}  // namespace zentory
