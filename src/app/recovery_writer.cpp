#include "app/recovery_writer.h"

#include <algorithm>
#include <utility>

namespace zentory {

namespace {
// The runs whose files are kept, this one included.
constexpr std::size_t kRunsKept = 3;
}  // namespace

CRecoveryWriter::CRecoveryWriter(std::string folder, std::string base, bool background,
                                 IClock* clock, ITimerService* timers, IMainWindowPost* post)
    : folder_(std::move(folder)),
      base_(std::move(base)),
      clock_(clock),
      timers_(timers),
      post_(post) {
  if (background) thread_ = std::thread([this] { Run(); });
}

CRecoveryWriter::~CRecoveryWriter() {
  if (timers_ && due_) timers_->Cancel(timer_);
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void CRecoveryWriter::NoteChange() {
  if (due_ || !timers_ || !post_) return;
  const std::int64_t now = clock_ ? clock_->NowMs() : 0;
  // Within a second of the change, and a second after the last write.
  const std::int64_t delay =
      std::clamp<std::int64_t>(lastWriteMs_ + kIntervalMs - now, 0, kIntervalMs);
  IMainWindowPost* post = post_;
  timer_ = timers_->StartOneShot(delay, [post] { post->Post(kMsgRecoveryDue); });
  due_ = timer_ != 0;
}

void CRecoveryWriter::Write(const Job& job) {
  if (!pruned_) {
    pruned_ = true;
    PruneRecoveryFiles(folder_, kRunsKept - 1, base_);
  }
  if (!WriteRecoveryFiles(folder_, base_, job.song, job.note)) failed_.store(true);
}

void CRecoveryWriter::Submit(Job job) {
  due_ = false;
  lastWriteMs_ = clock_ ? clock_->NowMs() : 0;
  hasFiles_ = true;
  if (!thread_.joinable()) {
    Write(job);
    return;
  }
  std::vector<Job> release;
  std::optional<Job> replaced;
  {
    std::lock_guard lock(mutex_);
    release.swap(finished_);
    replaced = std::move(waiting_);
    waiting_ = std::move(job);
  }
  wake_.notify_all();
  // RELEASE and REPLACED drop their shares of the tracks here, on the UI thread.
}

void CRecoveryWriter::WaitIdle(std::unique_lock<std::mutex>& lock) {
  idle_.wait(lock, [this] { return !busy_; });
}

void CRecoveryWriter::WriteNow(Job job) {
  if (timers_ && due_) timers_->Cancel(timer_);
  due_ = false;
  std::vector<Job> release;
  std::optional<Job> dropped;
  {
    std::unique_lock lock(mutex_);
    dropped = std::move(waiting_);
    waiting_.reset();
    WaitIdle(lock);
    release.swap(finished_);
  }
  hasFiles_ = true;
  Write(job);
}

void CRecoveryWriter::Discard() {
  if (timers_ && due_) timers_->Cancel(timer_);
  due_ = false;
  std::vector<Job> release;
  std::optional<Job> dropped;
  {
    std::unique_lock lock(mutex_);
    dropped = std::move(waiting_);
    waiting_.reset();
    WaitIdle(lock);
    release.swap(finished_);
  }
  if (hasFiles_) RemoveRecoveryFiles(folder_, base_);
  hasFiles_ = false;
}

void CRecoveryWriter::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || waiting_.has_value(); });
    if (stop_) return;
    Job job = std::move(*waiting_);
    waiting_.reset();
    busy_ = true;
    lock.unlock();
    Write(job);
    lock.lock();
    finished_.push_back(std::move(job));
    busy_ = false;
    idle_.notify_all();
  }
}

}  // namespace zentory
