#include "edit/note_preview.h"

#include <algorithm>

#include "sound/midi_out_device.h"

namespace zentory {

void CNotePreview::SetOutput(CMidiOutDevice* device) {
  Stop();
  device_ = device;
}

bool CNotePreview::CanSound() const { return device_ != nullptr && device_->IsOpen(); }

void CNotePreview::PreviewNote(int key, int velocity, int channel, std::int64_t ms) {
  if (!CanSound() || key < 0 || key > 127 || channel < 0 || channel > 15) return;
  Stop();
  device_->SendNoteOn(key, std::clamp(velocity, 0, 127), channel);
  keys_[0] = key;
  count_ = 1;
  channel_ = channel;
  StartTimer(ms);
}

void CNotePreview::PreviewChord(std::span<const int> keys, int velocity, int channel) {
  if (!CanSound() || channel < 0 || channel > 15) return;
  Stop();
  channel_ = channel;
  for (int key : keys) {
    if (count_ == kMaxNotes) break;
    if (key < 0 || key > 127) continue;
    device_->SendNoteOn(key, std::clamp(velocity, 0, 127), channel);
    keys_[static_cast<std::size_t>(count_++)] = key;
  }
  if (count_ > 0) StartTimer(kChordMs);
}

void CNotePreview::Stop() {
  if (timer_ != 0) {
    // After the cancel the expiry is either never going to run or has returned.
    if (timers_) timers_->Cancel(timer_);
    timer_ = 0;
  }
  EndNotes();
}

void CNotePreview::StartTimer(std::int64_t ms) {
  timer_ =
      timers_ ? timers_->StartOneShot(std::max<std::int64_t>(ms, 0), [this] { EndNotes(); }) : 0;
  // Without a timer nothing would end the notes: end them now rather than leave them hanging.
  if (timer_ == 0) EndNotes();
}

void CNotePreview::EndNotes() {
  if (device_) {
    for (int i = 0; i < count_; ++i) {
      device_->SendNoteOff(keys_[static_cast<std::size_t>(i)], channel_);
    }
  }
  count_ = 0;
}

}  // namespace zentory
