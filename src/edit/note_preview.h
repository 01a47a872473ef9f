// The short audible preview of entered notes and of the notes at the edit position: note-ons
// now, note-offs when a one-shot timer expires (on the timer thread) or when the next preview
// starts. Only one preview sounds at a time.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "base/ports/clock.h"

namespace zentory {

class CMidiOutDevice;

class CNotePreview {
 public:
  // The position preview may collect this many notes.
  static constexpr int kMaxNotes = 128;
  static constexpr std::int64_t kChordMs = 500;

  explicit CNotePreview(ITimerService* timers) : timers_(timers) {}
  ~CNotePreview() { Stop(); }
  CNotePreview(const CNotePreview&) = delete;
  CNotePreview& operator=(const CNotePreview&) = delete;

  // The device previews sound on (not owned; null: silence). A running preview ends first, so
  // it never sends to a device that is about to close.
  void SetOutput(CMidiOutDevice* device);
  CMidiOutDevice* Output() const { return device_; }
  bool CanSound() const;

  // Sounds KEY for MS milliseconds on CHANNEL (0..15).
  void PreviewNote(int key, int velocity, int channel, std::int64_t ms);
  // Sounds up to kMaxNotes KEYS together for 500 ms.
  void PreviewChord(std::span<const int> keys, int velocity, int channel);
  // Ends the current preview at once.
  void Stop();

 private:
  void StartTimer(std::int64_t ms);
  // Note-offs for every listed note; the list empties.
  void EndNotes();

  ITimerService* timers_;
  CMidiOutDevice* device_ = nullptr;
  TimerId timer_ = 0;
  // Written by the user-interface thread only while no timer is pending (after a cancel that
  // guarantees the expiry is not running), read and emptied by the expiry.
  std::array<int, kMaxNotes> keys_{};
  int count_ = 0;
  int channel_ = 0;
};

}  // namespace zentory
