#include "platform/timer/timer_service.h"

namespace zentory {

CSteadyClock::CSteadyClock() : start_(std::chrono::steady_clock::now()) {}

std::int64_t CSteadyClock::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

std::int64_t CSteadyClock::NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

void CSteadyClock::SleepMs(std::int64_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

CThreadTimerService::CThreadTimerService() : thread_([this] { Run(); }) {}

CThreadTimerService::~CThreadTimerService() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    pending_.clear();
    keyOf_.clear();
  }
  wake_.notify_all();
  thread_.join();
}

TimerId CThreadTimerService::StartOneShot(std::int64_t delayMs, std::function<void()> callback) {
  return StartAt(Clock::now() + std::chrono::milliseconds(delayMs < 0 ? 0 : delayMs),
                 std::move(callback));
}

TimerId CThreadTimerService::StartOneShotUs(std::int64_t delayUs, std::function<void()> callback) {
  return StartAt(Clock::now() + std::chrono::microseconds(delayUs < 0 ? 0 : delayUs),
                 std::move(callback));
}

TimerId CThreadTimerService::StartAt(Clock::time_point due, std::function<void()> callback) {
  if (!callback) return 0;
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
  if (earliest) wake_.notify_all();
  return key.id;
}

bool CThreadTimerService::Cancel(TimerId id) {
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

void CThreadTimerService::Run() {
  std::unique_lock lock(mutex_);
  while (!stop_) {
    if (pending_.empty()) {
      wake_.wait(lock);
      continue;
    }
    auto first = pending_.begin();
    if (Clock::now() < first->first.due) {
      wake_.wait_until(lock, first->first.due);
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
