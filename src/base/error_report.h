// Coded fault reports. Every module owns a four-letter prefix, a module number (the high byte of
// its 32-bit codes) and a table of Japanese messages; a report shows one message box reading
// PREFIX + eight hex digits + blank + message, returns, and leaves the caller to decide.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "base/ports/dialogs.h"

namespace zentory {

using ErrorCode = std::uint32_t;

struct ErrorText {
  ErrorCode code;
  const char* message;  // UTF-8
};

// A module's report: prefix, message table and default message for unlisted codes.
class ErrorModule {
 public:
  constexpr ErrorModule(const char* prefix, std::span<const ErrorText> table,
                        const char* defaultMessage)
      : prefix_(prefix), table_(table), default_(defaultMessage) {}

  // The text of the box, for example "GENE01000002 メモリが不足しています。".
  std::string Format(ErrorCode code) const;
  // Shows the box and returns its result (1, the OK button).
  int Report(ErrorCode code) const;
  const char* Prefix() const { return prefix_; }

 private:
  const char* prefix_;
  std::span<const ErrorText> table_;
  const char* default_;
};

// Once-only reports: one latch per named code. A report of a latched code is dropped; code 0
// clears every latch and shows nothing (a module does so when an operation such as a file read
// begins). Codes not named here are shown every time.
template <std::size_t N>
class OnceOnlyReporter {
 public:
  constexpr OnceOnlyReporter(const ErrorModule& module, std::array<ErrorCode, N> codes)
      : module_(module), codes_(codes) {}

  int Report(ErrorCode code) {
    if (code == 0) {
      for (auto& l : latches_) l.store(false, std::memory_order_relaxed);
      return 0;
    }
    for (std::size_t i = 0; i < N; ++i) {
      if (codes_[i] == code) {
        if (latches_[i].exchange(true, std::memory_order_relaxed)) return 0;
        break;
      }
    }
    return module_.Report(code);
  }

 private:
  const ErrorModule& module_;
  std::array<ErrorCode, N> codes_;
  std::array<std::atomic<bool>, N> latches_{};
};

// Where message boxes go. The program installs its window's box at start-up; until then (and in
// command-line tools) a box is written to standard error as "box: TEXT" and answered OK.
void SetMessageBoxTarget(IMessageBox* target);
IMessageBox* GetMessageBoxTarget();
// Shows a plain box (OK button, no icon, modal) and waits for it to close; returns 1.
int ShowMessageBox(std::string_view textUtf8);

// Installs a target for the life of a scope and puts the previous one back (tests, tools).
class ScopedMessageBoxTarget {
 public:
  explicit ScopedMessageBoxTarget(IMessageBox* target) : previous_(GetMessageBoxTarget()) {
    SetMessageBoxTarget(target);
  }
  ~ScopedMessageBoxTarget() { SetMessageBoxTarget(previous_); }
  ScopedMessageBoxTarget(const ScopedMessageBoxTarget&) = delete;
  ScopedMessageBoxTarget& operator=(const ScopedMessageBoxTarget&) = delete;

 private:
  IMessageBox* previous_;
};

// Holds back the boxes raised on this thread while it lives (one load of a file, one save), then
// shows each distinct text once, with the number of further occurrences ("他 N 件"): a damaged
// file that raises a report for every event must not ask the user to close a box for each.
// Boxes raised on other threads pass straight on. A batch opened inside another leaves the
// holding to the outer one.
class ScopedReportBatch : public IMessageBox {
 public:
  ScopedReportBatch();
  ~ScopedReportBatch() override;
  ScopedReportBatch(const ScopedReportBatch&) = delete;
  ScopedReportBatch& operator=(const ScopedReportBatch&) = delete;

  int Show(std::string_view text) override;

 private:
  IMessageBox* previous_;
  std::thread::id thread_;
  bool holding_ = false;
  std::vector<std::pair<std::string, std::size_t>> held_;  // text, times raised
};

// The text a batch shows for TEXT raised COUNT times.
std::string BatchedText(std::string_view text, std::size_t count);

}  // namespace zentory
