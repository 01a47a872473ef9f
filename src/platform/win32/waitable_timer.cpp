#include "platform/win32/waitable_timer.h"

#include <mmsystem.h>

namespace zentory {

namespace {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

constexpr UINT kFallbackPeriodMs = 1;

}  // namespace

CWin32Clock::CWin32Clock() : start_(std::chrono::steady_clock::now()) {}

std::int64_t CWin32Clock::NowMs() { return NowUs() / 1000; }

std::int64_t CWin32Clock::NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

void CWin32Clock::SleepMs(std::int64_t ms) {
  if (ms > 0) Sleep(static_cast<DWORD>(ms));
}

CWaitableTimerService::CWaitableTimerService(bool highResolution) {
  if (highResolution) {
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                    TIMER_ALL_ACCESS);
  }
  highResolution_ = timer_ != nullptr;
  if (!timer_) {
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    periodRaised_ = timeBeginPeriod(kFallbackPeriodMs) == TIMERR_NOERROR;
  }
  wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  thread_ = std::thread([this] { Run(); });
}

CWaitableTimerService::~CWaitableTimerService() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    pending_.clear();
    keyOf_.clear();
  }
  SetEvent(wake_);
  thread_.join();
  if (periodRaised_) timeEndPeriod(kFallbackPeriodMs);
  if (timer_) CloseHandle(timer_);
  if (wake_) CloseHandle(wake_);
}

TimerId CWaitableTimerService::StartOneShot(std::int64_t delayMs, std::function<void()> callback) {
  return StartAt(Clock::now() + std::chrono::milliseconds(delayMs < 0 ? 0 : delayMs),
                 std::move(callback));
}

TimerId CWaitableTimerService::StartOneShotUs(std::int64_t delayUs,
                                              std::function<void()> callback) {
  return StartAt(Clock::now() + std::chrono::microseconds(delayUs < 0 ? 0 : delayUs),
                 std::move(callback));
}

TimerId CWaitableTimerService::StartAt(Clock::time_point due, std::function<void()> callback) {
  if (!callback || !timer_ || !wake_) return 0;
  Key key{due, 0};
  bool earliest = false;
  {
    std::lock_guard lock(mutex_);
    if (stop_) return 0;
    key.id = nextId_++;
    if (nextId_ == 0) nextId_ = 1;  // 0 means "no timer"
    earliest = pending_.empty() || key < pending_.begin()->first;
    pending_.emplace(key, std::move(callback));
    keyOf_.emplace(key.id, key);
  }
  if (earliest) SetEvent(wake_);
  return key.id;
}

bool CWaitableTimerService::Cancel(TimerId id) {
  std::unique_lock lock(mutex_);
  auto it = keyOf_.find(id);
  if (it != keyOf_.end()) {
    pending_.erase(it->second);
    keyOf_.erase(it);
    return true;
  }
  if (running_ == id && id != 0 && std::this_thread::get_id() != thread_.get_id()) {
    settled_.wait(lock, [&] { return running_ != id; });
  }
  return false;
}

void CWaitableTimerService::Run() {
  const HANDLE handles[2] = {wake_, timer_};
  std::unique_lock lock(mutex_);
  while (!stop_) {
    if (pending_.empty()) {
      lock.unlock();
      WaitForSingleObject(wake_, INFINITE);
      lock.lock();
      continue;
    }
    auto first = pending_.begin();
    const auto wait = first->first.due - Clock::now();
    if (wait > Clock::duration::zero()) {
      // Relative due time in 100 ns steps, negative; rounded up so the callback is never early.
      const auto steps =
          (std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count() + 99) / 100;
      LARGE_INTEGER due;
      due.QuadPart = -static_cast<LONGLONG>(steps);
      SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE);
      lock.unlock();
      // Woken by the timer, or by a new earliest timer or the stop: either way look again.
      WaitForMultipleObjects(2, handles, FALSE, INFINITE);
      lock.lock();
      continue;
    }
    TimerId id = first->first.id;
    std::function<void()> callback = std::move(first->second);
    pending_.erase(first);
    keyOf_.erase(id);
    running_ = id;
    lock.unlock();
    callback();
    callback = nullptr;  // its captures die outside the lock
    lock.lock();
    running_ = 0;
    settled_.notify_all();
  }
}

}  // namespace zentory
