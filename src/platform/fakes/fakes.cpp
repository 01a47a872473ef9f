#include "platform/fakes/fakes.h"

#include <algorithm>

namespace zentory {

// ---- FakeClock ----

std::int64_t FakeClock::NowMs() {
  std::lock_guard lock(mutex_);
  return now_;
}

void FakeClock::SleepMs(std::int64_t ms) {
  {
    std::lock_guard lock(mutex_);
    slept_ += ms;
  }
  Advance(ms);
}

TimerId FakeClock::StartOneShot(std::int64_t delayMs, std::function<void()> callback) {
  std::lock_guard lock(mutex_);
  TimerId id = nextId_++;
  timers_[id] = Timer{now_ + std::max<std::int64_t>(delayMs, 0), std::move(callback)};
  return id;
}

bool FakeClock::Cancel(TimerId id) {
  std::lock_guard lock(mutex_);
  return timers_.erase(id) > 0;
}

void FakeClock::Advance(std::int64_t ms) {
  std::int64_t target;
  {
    std::lock_guard lock(mutex_);
    target = now_ + ms;
  }
  for (;;) {
    std::function<void()> callback;
    {
      std::lock_guard lock(mutex_);
      auto next = timers_.end();
      for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.due <= target &&
            (next == timers_.end() || it->second.due < next->second.due))
          next = it;
      }
      if (next == timers_.end()) {
        now_ = target;
        return;
      }
      now_ = std::max(now_, next->second.due);
      callback = std::move(next->second.callback);
      timers_.erase(next);
    }
    if (callback) callback();
  }
}

std::size_t FakeClock::PendingTimers() const {
  std::lock_guard lock(mutex_);
  return timers_.size();
}

// ---- FakeMessageBox ----

int FakeMessageBox::Show(std::string_view text) {
  std::lock_guard lock(mutex_);
  boxes_.emplace_back(text);
  return 1;
}

std::vector<std::string> FakeMessageBox::Boxes() const {
  std::lock_guard lock(mutex_);
  return boxes_;
}

void FakeMessageBox::Clear() {
  std::lock_guard lock(mutex_);
  boxes_.clear();
}

// ---- FakeDialogs ----

std::optional<std::string> FakeDialogs::Next() {
  ++opened;
  if (answers.empty()) return std::nullopt;
  auto a = std::move(answers.front());
  answers.pop_front();
  return a;
}

std::optional<std::string> FakeDialogs::OpenFile(std::string_view extension, std::string_view) {
  extensions.emplace_back(extension);
  return Next();
}

std::optional<std::string> FakeDialogs::SaveFile(std::string_view extension, std::string_view) {
  extensions.emplace_back(extension);
  return Next();
}

std::string FakeDialogs::TextInput() { return Next().value_or(std::string()); }

// ---- FakeWindowView ----

void FakeWindowView::SetVoiceList(const std::vector<std::string>& rows, int selected) {
  voices = rows;
  voiceSelected = selected;
}

void FakeWindowView::SetFormatList(const std::vector<std::string>& rows, int selected) {
  formats = rows;
  formatSelected = selected;
}

void FakeWindowView::SetSliderRange(Slider slider, int min, int max, int page) {
  SliderState& s = slider == Slider::kRate ? rate : volume;
  s.min = min;
  s.max = max;
  s.page = page;
  s.position = std::clamp(s.position, min, max);
}

void FakeWindowView::SetSliderPosition(Slider slider, int position) {
  SliderState& s = slider == Slider::kRate ? rate : volume;
  s.position = s.min <= s.max ? std::clamp(position, s.min, s.max) : position;
}

int FakeWindowView::SliderPosition(Slider slider) const {
  return slider == Slider::kRate ? rate.position : volume.position;
}

// ---- FakeSpeech ----

bool FakeSpeech::SelectVoice(int index) {
  if (index < -1 || index >= static_cast<int>(voiceNames.size())) return false;
  current = index;
  return true;
}

void FakeSpeech::Speak(std::string_view text) {
  spoken.emplace_back(text);
  if (onSpeak) onSpeak(text);
}

bool FakeSpeech::SetRate(int value) {
  if (failSetters) return false;
  rate = value;
  return true;
}

bool FakeSpeech::SetVolume(int value) {
  if (failSetters) return false;
  volume = value;
  return true;
}

bool FakeSpeech::SetOutputFormat(const AudioFormat& f) {
  format = f;
  return true;
}

// ---- FakeKeySource ----

bool FakeKeySource::Install(IKeySink* sink) {
  if (failInstall) return false;
  ++installs;
  sink_ = sink;
  return true;
}

bool FakeKeySource::KeyDown(int key, int ctrl, int shift, int alt) {
  if (!sink_) return false;
  sink_->OnKeyDown(key, ctrl, shift, alt);
  return true;
}

bool FakeKeySource::KeyUp(int key, int ctrl, int shift, int alt) {
  if (!sink_) return false;
  sink_->OnKeyUp(key, ctrl, shift, alt);
  return true;
}

// ---- FakeMainWindowPost ----

void FakeMainWindowPost::Post(int message) {
  std::lock_guard lock(mutex_);
  queue_.push_back(message);
}

void FakeMainWindowPost::Drain(const std::function<void(int)>& handler) {
  for (;;) {
    int message;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return;
      message = queue_.front();
      queue_.pop_front();
    }
    handler(message);
  }
}

std::size_t FakeMainWindowPost::Pending() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

// ---- FakeMidiOutput ----

class FakeMidiPort : public IMidiPort {
 public:
  FakeMidiPort(FakeMidiOutput& owner, int port) : owner_(owner), port_(port) {}
  ~FakeMidiPort() override {
    std::lock_guard lock(owner_.mutex_);
    --owner_.openPorts_;
  }
  bool ShortMessage(std::uint32_t message) override {
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(message),
                                    static_cast<std::uint8_t>(message >> 8),
                                    static_cast<std::uint8_t>(message >> 16)};
    std::uint8_t status = bytes[0];
    if ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) bytes.resize(2);
    owner_.Record(port_, std::move(bytes), due_);
    return true;
  }
  bool SysEx(std::span<const std::uint8_t> data) override {
    owner_.Record(port_, std::vector<std::uint8_t>(data.begin(), data.end()), due_);
    return true;
  }
  bool Reset() override { return true; }
  void SetDueTime(std::int64_t dueUs) override { due_ = dueUs; }
  bool TakesBurst() const override { return owner_.burst; }

 private:
  FakeMidiOutput& owner_;
  int port_;
  std::int64_t due_ = -1;
};

std::unique_ptr<IMidiPort> FakeMidiOutput::Open(int) {
  if (failOpen) return nullptr;
  std::lock_guard lock(mutex_);
  ++openPorts_;
  return std::make_unique<FakeMidiPort>(*this, nextPort_++);
}

void FakeMidiOutput::Record(int port, std::vector<std::uint8_t> bytes, std::int64_t dueUs) {
  std::int64_t t = clock_ ? clock_->NowMs() : 0;
  std::lock_guard lock(mutex_);
  messages_.push_back(Message{t, port, std::move(bytes), dueUs});
}

std::vector<FakeMidiOutput::Message> FakeMidiOutput::Messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

void FakeMidiOutput::Clear() {
  std::lock_guard lock(mutex_);
  messages_.clear();
}

int FakeMidiOutput::OpenPorts() const {
  std::lock_guard lock(mutex_);
  return openPorts_;
}

// ---- FakeMixer ----

std::optional<int> FakeMixer::Volume(MixerLine line) {
  auto it = volumes.find(line);
  if (it == volumes.end()) return std::nullopt;
  return it->second;
}

bool FakeMixer::SetVolume(MixerLine line, int volume) {
  if (!volumes.count(line)) return false;
  volumes[line] = volume;
  return true;
}

std::optional<bool> FakeMixer::Muted(MixerLine line) {
  if (!volumes.count(line)) return std::nullopt;
  return mutes[line];
}

bool FakeMixer::SetMuted(MixerLine line, bool muted) {
  if (!volumes.count(line)) return false;
  mutes[line] = muted;
  return true;
}

// ---- FakeAudioOutput ----

bool FakeAudioOutput::Open(const AudioFormat& format, Done onDone) {
  std::lock_guard lock(mutex_);
  format_ = format;
  onDone_ = std::move(onDone);
  isOpen = true;
  return true;
}

std::uint64_t FakeAudioOutput::Queue(std::vector<std::uint8_t> samples) {
  std::lock_guard lock(mutex_);
  if (!isOpen) return 0;
  std::uint64_t id = nextId_++;
  queue_.emplace_back(id, std::move(samples));
  return id;
}

bool FakeAudioOutput::CompleteOne() {
  std::uint64_t id;
  Done done;
  {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return false;
    id = queue_.front().first;
    bytesPlayed += queue_.front().second.size();
    queue_.pop_front();
    done = onDone_;
  }
  if (done) done(id);
  return true;
}

void FakeAudioOutput::Reset() {
  std::deque<std::pair<std::uint64_t, std::vector<std::uint8_t>>> dropped;
  Done done;
  {
    std::lock_guard lock(mutex_);
    dropped.swap(queue_);
    done = onDone_;
  }
  if (done) {
    for (auto& b : dropped) done(b.first);
  }
}

void FakeAudioOutput::Close() {
  Reset();
  std::lock_guard lock(mutex_);
  isOpen = false;
}

std::size_t FakeAudioOutput::Queued() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

}  // namespace zentory
