// Writes the recovery files of this run beside the user's work: at most one second after a
// change and at most once a second, from a snapshot that shares the song's tracks (taken on the
// UI thread when the due message arrives), encoded and written on a thread of its own so that no
// key waits for it. A front end that learns the program is about to end (a logout, a session
// end) calls WriteNow through the main window.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/recovery_files.h"
#include "base/ports/clock.h"
#include "base/ports/main_window_post.h"

namespace zentory {

class CRecoveryWriter {
 public:
  struct Job {
    CMidi1Data song;
    RecoveryNote note;
  };
  static constexpr std::int64_t kIntervalMs = 1000;

  // FOLDER/BASE name the files. BACKGROUND: write on a thread of the writer's own; otherwise
  // write where the due message is handled (a key script's clock decides when).
  CRecoveryWriter(std::string folder, std::string base, bool background, IClock* clock,
                  ITimerService* timers, IMainWindowPost* post);
  ~CRecoveryWriter();
  CRecoveryWriter(const CRecoveryWriter&) = delete;
  CRecoveryWriter& operator=(const CRecoveryWriter&) = delete;

  // A change was made: the write falls due within a second (kMsgRecoveryDue is posted).
  void NoteChange();
  // The due message arrived: hands JOB over (a job still waiting is replaced).
  void Submit(Job job);
  // Writes JOB here and now, after the write in progress (shutdown, logout).
  void WriteNow(Job job);
  // Forgets the write that is due, waits for one in progress and deletes this run's files.
  void Discard();
  // True once this run's files have been written and not discarded.
  bool HasFiles() const { return hasFiles_; }
  // True once, on the first call after a write failed (the folder is full or read-only), so
  // that the user hears that the safety net is not there.
  bool TakeFailure() { return failed_.load() && !failureTaken_.exchange(true); }
  const std::string& BaseName() const { return base_; }

 private:
  void Run();
  void WaitIdle(std::unique_lock<std::mutex>& lock);
  void Write(const Job& job);

  std::string folder_;
  std::string base_;
  IClock* clock_;
  ITimerService* timers_;
  IMainWindowPost* post_;
  TimerId timer_ = 0;
  bool due_ = false;
  std::int64_t lastWriteMs_ = -kIntervalMs;
  bool hasFiles_ = false;
  bool pruned_ = false;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::optional<Job> waiting_;
  std::vector<Job> finished_;  // released on the UI thread, which alone changes the tracks
  bool busy_ = false;
  std::atomic<bool> failed_{false};
  std::atomic<bool> failureTaken_{false};
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace zentory
